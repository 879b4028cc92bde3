#include "app/ResultColumns.h"

#include "app/CodeDisplay.h"

namespace ResultColumns {

FieldDef wide(const char *name, int size) { return {QLatin1String(name), FieldKind::WideText, size}; }
FieldDef text(const char *name, int size) { return {QLatin1String(name), FieldKind::Text, size}; }
FieldDef number(const char *name) { return {QLatin1String(name), FieldKind::Float}; }
FieldDef integer(const char *name) { return {QLatin1String(name), FieldKind::Integer}; }

GridColumn column(const char *field, const char *title, int width, bool link, bool wrap) {
    return {QLatin1String(field), QString::fromUtf8(title), width, link, wrap};
}
GridColumn hiddenId() { return {QStringLiteral("id"), QString(), -1, false, false, false}; }

QList<FieldDef> fields(SearchStatements::Table table) {
    switch (table) {
    case SearchStatements::OfficialHs:
        return {wide("hs_code", 50), wide("name", 50),   wide("spec", 200), number("low_rate"),
                wide("lice", 10),    number("reg_rate"), text("b", 20),     integer("id")};
    case SearchStatements::HsClassify:
        return {
            wide("code_t", 100), wide("g_name", 200), {QStringLiteral("class_spec"), FieldKind::Memo}, integer("id")};
    case SearchStatements::CaseHs:
        return {wide("code", 50), wide("name", 50), wide("spec", 50), integer("id")};
    }
    return {};
}

QList<GridColumn> columns(SearchStatements::Table table) {
    switch (table) {
    case SearchStatements::OfficialHs:
        return {column("hs_code", "商品编码", 70, true),
                column("name", "商品名称", 180),
                column("spec", "申报要素", 295, false, true),
                column("low_rate", "最惠国税率", 70),
                column("lice", "监管条件", 64),
                column("reg_rate", "退税率", 40),
                column("b", "特定税率", 60, true),
                hiddenId()};
    case SearchStatements::HsClassify:
        return {column("code_t", "商品编码", 70, true), column("g_name", "商品名称", 180),
                column("class_spec", "申报要素", 350, false, true), hiddenId()};
    case SearchStatements::CaseHs:
        return {column("code", "商品编码", 70, true), column("name", "商品名称", 180),
                column("spec", "申报要素", 300, false, true), hiddenId()};
    }
    return {};
}

QString codeField(SearchStatements::Table table) {
    switch (table) {
    case SearchStatements::OfficialHs:
        return QStringLiteral("hs_code");
    case SearchStatements::HsClassify:
        return QStringLiteral("code_t");
    case SearchStatements::CaseHs:
        return QStringLiteral("code");
    }
    return {};
}

QString codeText(SearchStatements::Table table, const QVariant &stored) {
    const QString plain = CodeDisplay::plainCode(stored);
    return table == SearchStatements::CaseHs ? CodeDisplay::caseCode(plain) : plain;
}

} // namespace ResultColumns
