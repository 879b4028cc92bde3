#include "search/SearchStatements.h"

#include "data/CodeCodec.h"

namespace SearchStatements {

QString trimmed(const QString &text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text[from].unicode() <= 32) ++from;
    while (to > from && text[to - 1].unicode() <= 32) --to;
    return text.mid(from, to - from);
}

QString build(Table table, const QString &code, const QString &name) {
    const SearchTables::Description &d = SearchTables::describe(table);
    QString sql = QStringLiteral("select %1 from %2 where 1=1").arg(d.selectList, d.table);
    if (!code.isEmpty()) sql += QStringLiteral(" and %1 like '%2%'").arg(d.codeColumn, ScrambleCode(code));
    if (!name.isEmpty()) {
        // An apostrophe would end the literal early: doubled, it stands for itself, so the
        // search finds the names that contain it. '%' and '_' keep their pattern meaning.
        QString literal = name;
        literal.replace(u'\'', QStringLiteral("''"));
        sql += QStringLiteral(" and ") + d.nameColumn + QStringLiteral(" like '%") + literal + QStringLiteral("%'");
    }
    return sql + QStringLiteral(" order by ") + d.codeColumn;
}

QString firstRows(Table table) {
    const SearchTables::Description &d = SearchTables::describe(table);
    QString sql = QStringLiteral("select top 20 %1 from %2").arg(d.selectList, d.table);
    return table == OfficialHs ? sql : sql + QStringLiteral(" order by ") + d.codeColumn;
}

SearchIntent intent(Table table, const QString &code, const QString &name) {
    const SearchTables::Description &d = SearchTables::describe(table);
    return {d.table, d.codeColumn, d.nameColumn, code.isEmpty() ? QString() : ScrambleCode(code), name};
}

} // namespace SearchStatements
