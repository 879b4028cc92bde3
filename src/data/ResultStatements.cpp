#include "data/ResultStatements.h"

#include "data/SearchIndex.h"
#include "data/SearchPlan.h"
#include "data/ServerDialect.h"

namespace ResultStatements {

namespace {
QString quoted(QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\''; }

// A search statement as a plan wrote it: its rows without their ordering, how a row's rowid is
// named over them, its ordering reversed, and whether the server's dialect wrote it.
struct Shape {
    QString rows;
    QString rowid;
    QString reversed;
    bool server = false;
};

// Empty rows when the statement is not a search as the plans write them.
Shape shape(const QString &executed, const SearchIntent &intent) {
    if (!intent.isSearch()) return {};
    // By code: rows of equal codes in rowid order, so the rowid makes the order total.
    for (const QString &ordering :
         {QStringLiteral(" order by ") + intent.codeColumn, QStringLiteral(" order by +") + intent.codeColumn}) {
        if (!executed.endsWith(ordering)) continue;
        QString rows = executed.chopped(ordering.size());
        // Its rowid set free to drive the loop again.
        rows.replace(QStringLiteral(" +rowid in (select rowid from "), QStringLiteral(" rowid in (select rowid from "));
        return {rows, QStringLiteral("rowid"), executed + QStringLiteral(" desc, rowid desc")};
    }
    // In the name index's order, which is code order (rows stored so): the rowids are unique.
    static const QString indexOrder = QStringLiteral(" order by zm.zr");
    if (executed.endsWith(indexOrder))
        return {executed.chopped(indexOrder.size()), intent.table + QStringLiteral(".rowid"),
                executed + QStringLiteral(" desc")};
    // The same with later rows merged in: (zk, zc, zt) is unique, and a row's rowid is zt for a
    // later row, zk for the others.
    static const QString merged = QStringLiteral(" order by zk, zc, zt)");
    if (executed.endsWith(merged)) {
        const QString rows = executed.chopped(merged.size());
        return {rows + u')', QStringLiteral("coalesce(zt, zk)"),
                rows + QStringLiteral(" order by zk desc, zc desc, zt desc)")};
    }
    // The server's dialect: the folded code, then the rowid column (rows in written order).
    const QString code = ServerDialect::foldedCode(intent.codeColumn);
    if (const QString ordering = QStringLiteral(" order by %1, rowid").arg(code); executed.endsWith(ordering)) {
        const QString rows = executed.chopped(ordering.size());
        return {rows, QStringLiteral("rowid"), rows + QStringLiteral(" order by %1 desc, rowid desc").arg(code), true};
    }
    return {};
}

// "key[ desc], <rowid>[ desc]"; on the server with Null first, as the file's engine sorts it.
QString ordering(const QString &key, bool descending, const Shape &s) {
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    if (!s.server) return key + direction + QStringLiteral(", ") + s.rowid + direction;
    return ServerDialect::sortKey(key) + direction +
           (descending ? QStringLiteral(" nulls last") : QStringLiteral(" nulls first")) + QStringLiteral(", ") +
           s.rowid + direction;
}
} // namespace

QString count(const QString &executed, const SearchIntent &intent, bool nameIndexed) {
    const QString &fragment = intent.nameFragment;
    const bool literal = !fragment.contains(u'%') && !fragment.contains(u'_');
    if (intent.isSearch() && nameIndexed && literal && !fragment.isEmpty() && intent.codePrefix.isEmpty()) {
        const QString index = SearchIndex::indexTable(intent.table);
        return QStringLiteral("select count(*) from %1 where %1 match %2")
            .arg(index, quoted(SearchPlan::indexQuery(fragment)));
    }
    const QString rows = shape(executed, intent).rows;
    // The server wants a name for a subquery; the file's engine takes one.
    return QStringLiteral("select count(*) from (%1) as counted").arg(rows.isEmpty() ? executed : rows);
}

QString reversed(const QString &executed, const SearchIntent &intent) {
    // The plan's own ordering, read backwards: an index walk stays an index walk.
    return shape(executed, intent).reversed;
}

QString sorted(const QString &executed, const SearchIntent &intent, const QString &key, bool descending) {
    const Shape s = shape(executed, intent);
    if (s.rows.isEmpty()) return {};
    return s.rows + QStringLiteral(" order by ") + ordering(key, descending, s);
}

} // namespace ResultStatements
