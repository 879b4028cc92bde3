#include "data/ServerStore.h"

#include "data/Connection.h"
#include "data/ServerKeyOrder.h"
#include "data/ServerNameIndex.h"
#include "data/ServerResultEngine.h"

QString ServerStore::folded(QString text) {
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return text;
}

Statement ServerStore::like(const QString &column, const QString &pattern) const {
    return {QStringLiteral("zendrik_nocase(%1) like ? escape ''").arg(column), {folded(pattern)}};
}

Statement ServerStore::codeEquals(const QString &column, const QString &code) const {
    return {QStringLiteral("zendrik_nocase(%1) = ?").arg(column), {folded(code)}};
}

QString ServerStore::codeOrder(const QString &column, bool descending, bool) const {
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    return QStringLiteral("zendrik_nocase(%1)%2, rowid%2").arg(column, direction);
}

QString ServerStore::sortOrder(const SortKey &key, bool descending, const QString &rowid) const {
    QString expression = key.column;
    if (key.kind == SortKey::PlainCode) expression = QStringLiteral("plain_code_order(%1)").arg(key.column);
    if (key.kind == SortKey::Number) expression = QStringLiteral("cast(%1 as double precision)").arg(key.column);
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    // The file's engine sorts Null before every value.
    return expression + direction + (descending ? QStringLiteral(" nulls last, ") : QStringLiteral(" nulls first, ")) +
           rowid + direction;
}

Statement ServerStore::nameCondition(const QString &table, const QString &column, const QString &fragment, bool) const {
    if (!hasNameIndex(table)) return {};
    return ServerNameIndex::condition(column, fragment);
}

Store::CodeOrderedRows ServerStore::codeOrderedRows(const QString &table, const QString &fragment,
                                                    const QString &codeStart, bool descending) const {
    if (!keyOrders_.contains(table)) return {};
    const Statement matches = ServerKeyOrder::matches(fragment, codeStart, descending);
    if (matches.isEmpty()) return {};
    // "lateral": each key's row fetched as it comes, so the keys' order is the rows' order.
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    return {matches +
                QStringLiteral(" as zm cross join lateral (select * from %1 where %1.rowid = zm.r offset 0) as %1")
                    .arg(table),
            QStringLiteral("zm.zc%1, zm.r%1").arg(direction)};
}

Statement ServerStore::exactNameCount(const QString &table, const QString &fragment) const {
    return keyOrders_.contains(table) ? ServerKeyOrder::exactCount(fragment) : Statement();
}

std::unique_ptr<ResultEngine> ServerStore::readerEngine(const Connection &connection) const {
    return std::make_unique<ServerResultEngine>(connection.database());
}
