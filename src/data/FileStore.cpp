#include "data/FileStore.h"

#include "data/Connection.h"
#include "data/OrderedMatches.h"
#include "data/PlainCodeFunction.h"
#include "data/SearchIndex.h"
#include "data/SqliteResultEngine.h"

Statement FileStore::like(const QString &column, const QString &pattern) const {
    return {column + QStringLiteral(" like ?"), {pattern}};
}

Statement FileStore::codeEquals(const QString &column, const QString &code) const {
    return {column + QStringLiteral(" = ?"), {code}};
}

QString FileStore::codeOrder(const QString &column, bool descending, bool sortMatches) const {
    // "+code" keeps the code index from driving the loop: the matches are found first, then
    // sorted. Rows of equal codes come in rowid order either way; read backwards, the rowid
    // says so.
    const QString key = (sortMatches ? QStringLiteral("+") : QString()) + column;
    return descending ? key + QStringLiteral(" desc, rowid desc") : key;
}

QString FileStore::sortOrder(const SortKey &key, bool descending, const QString &rowid) const {
    QString expression = key.column;
    if (key.kind == SortKey::PlainCode) expression = QStringLiteral("%1(%2)").arg(PlainCodeFunction::kName, key.column);
    if (key.kind == SortKey::Number) expression = QStringLiteral("cast(%1 as real)").arg(key.column);
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    return expression + direction + QStringLiteral(", ") + rowid + direction;
}

Statement FileStore::nameCondition(const QString &table, const QString &, const QString &fragment, bool walk) const {
    const QString query = SearchIndex::query(fragment);
    if (!hasNameIndex(table) || query.isEmpty()) return {};
    // "+rowid" keeps the set from driving the loop, so the code index's order does.
    return {QStringLiteral("%1rowid in (select rowid from %2 where %2 match ?)")
                .arg(walk ? QStringLiteral("+") : QString(), SearchIndex::indexTable(table)),
            {query}};
}

Store::CodeOrderedRows FileStore::codeOrderedRows(const QString &table, const QString &fragment,
                                                  const QString &codeStart, bool descending) const {
    const QString query = SearchIndex::query(fragment);
    // The name index's runs in code order are kept for the cases (CaseOrder).
    if (table != QLatin1String("case_hs") || !hasNameIndex(table) || query.isEmpty()) return {};
    // The cross join keeps the function's rows driving the loop, in the order they come.
    return {Statement(QStringLiteral("%1(?, ?, ?) as zm cross join %2 on %2.rowid = zm.r")
                          .arg(QLatin1String(OrderedMatches::kName), table),
                      {query, codeStart, descending ? 1 : 0}),
            QStringLiteral("zm.seq")};
}

Statement FileStore::exactNameCount(const QString &table, const QString &fragment) const {
    // A fragment without wildcards is one phrase of the index, which matches exactly the names
    // the LIKE condition selects.
    if (!hasNameIndex(table) || fragment.isEmpty() || fragment.contains(u'%') || fragment.contains(u'_')) return {};
    return {QStringLiteral("select count(*) from %1 where %1 match ?").arg(SearchIndex::indexTable(table)),
            {SearchIndex::query(fragment)}};
}

std::unique_ptr<ResultEngine> FileStore::readerEngine(const Connection &connection) const {
    return std::make_unique<SqliteResultEngine>(connection.readerAddress());
}
