#include "data/ResultStatements.h"

#include "data/SearchIndex.h"
#include "data/SearchPlan.h"
#include "data/ServerDialect.h"

namespace ResultStatements {

namespace {
QString quoted(QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\''; }

// A search statement without its ordering, its rowid set (if any) free to drive the loop again,
// and which engine's dialect wrote it; empty rows when it is not a search statement as the plans
// write them.
struct Unordered {
    QString rows;
    bool server = false; // ordered as the server's dialect writes "order by <code>"
};

Unordered unordered(const QString &executed, const SearchIntent &intent) {
    if (!intent.isSearch()) return {};
    for (const QString &ordering :
         {QStringLiteral(" order by ") + intent.codeColumn, QStringLiteral(" order by +") + intent.codeColumn}) {
        if (!executed.endsWith(ordering)) continue;
        QString out = executed.chopped(ordering.size());
        out.replace(QStringLiteral(" +rowid in (select rowid from "), QStringLiteral(" rowid in (select rowid from "));
        return {out, false};
    }
    if (const QString ordering =
            QStringLiteral(" order by %1, rowid").arg(ServerDialect::foldedCode(intent.codeColumn));
        executed.endsWith(ordering))
        return {executed.chopped(ordering.size()), true};
    return {};
}

// "key[ desc], rowid[ desc]": Null first, as the file's engine sorts it, on either engine.
QString ordering(const QString &key, bool descending, bool server) {
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    if (!server) return key + direction + QStringLiteral(", rowid") + direction;
    return ServerDialect::sortKey(key) + direction +
           (descending ? QStringLiteral(" nulls last") : QStringLiteral(" nulls first")) + QStringLiteral(", rowid") +
           direction;
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
    const QString rows = unordered(executed, intent).rows;
    // The server wants a name for a subquery; the file's engine takes one.
    return QStringLiteral("select count(*) from (%1) as counted").arg(rows.isEmpty() ? executed : rows);
}

QString reversed(const QString &executed, const SearchIntent &intent) {
    const Unordered u = unordered(executed, intent);
    if (u.rows.isEmpty()) return {};
    // The plan's own ordering, read backwards: an index walk stays an index walk.
    if (u.server)
        return u.rows +
               QStringLiteral(" order by %1 desc, rowid desc").arg(ServerDialect::foldedCode(intent.codeColumn));
    return executed + QStringLiteral(" desc, rowid desc");
}

QString sorted(const QString &executed, const SearchIntent &intent, const QString &key, bool descending) {
    const Unordered u = unordered(executed, intent);
    if (u.rows.isEmpty()) return {};
    return u.rows + QStringLiteral(" order by ") + ordering(key, descending, u.server);
}

} // namespace ResultStatements
