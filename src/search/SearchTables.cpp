#include "search/SearchTables.h"

#include "search/CodeDisplay.h"

namespace SearchTables {

using namespace Declare;

namespace {
QList<Description> describeAll() {
    return {
        {QStringLiteral("official_hs"),
         QStringLiteral("id,hs_code,name,spec,low_rate,lice,reg_rate,'查看详情' as b"),
         QStringLiteral("hs_code"),
         QStringLiteral("name"),
         QStringLiteral("b"),
         false,
         {wide("hs_code", 50), wide("name", 50), wide("spec", 200), number("low_rate"), wide("lice", 10),
          number("reg_rate"), text("b", 20), integer("id")},
         {column("hs_code", "商品编码", 70, true), column("name", "商品名称", 180),
          column("spec", "申报要素", 295, false, true), column("low_rate", "最惠国税率", 70),
          column("lice", "监管条件", 64), column("reg_rate", "退税率", 40), column("b", "特定税率", 60, true),
          hiddenId()}},
        {QStringLiteral("hs_classify"),
         QStringLiteral("id,code_t,g_name,class_spec"),
         QStringLiteral("code_t"),
         QStringLiteral("g_name"),
         QString(),
         false,
         {wide("code_t", 100), wide("g_name", 200), {QStringLiteral("class_spec"), FieldKind::Memo}, integer("id")},
         {column("code_t", "商品编码", 70, true), column("g_name", "商品名称", 180),
          column("class_spec", "申报要素", 350, false, true), hiddenId()}},
        {QStringLiteral("case_hs"),
         QStringLiteral("id,code,name,spec"),
         QStringLiteral("code"),
         QStringLiteral("name"),
         QString(),
         true,
         {wide("code", 50), wide("name", 50), wide("spec", 50), integer("id")},
         {column("code", "商品编码", 70, true), column("name", "商品名称", 180),
          column("spec", "申报要素", 300, false, true), hiddenId()}},
    };
}
} // namespace

const Description &describe(Table table) {
    static const QList<Description> all = describeAll();
    return all[table];
}

QString codeText(Table table, const QVariant &stored) {
    const QString plain = CodeDisplay::plainCode(stored);
    return describe(table).caseCodes ? CodeDisplay::caseCode(plain) : plain;
}

} // namespace SearchTables
