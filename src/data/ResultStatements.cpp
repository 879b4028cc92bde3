#include "data/ResultStatements.h"

#include "data/SearchIndex.h"
#include "data/SearchPlan.h"

namespace ResultStatements {

namespace {
QString quoted(QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\''; }

// The statement without its ordering, its rowid set (if any) free to drive the loop again;
// empty when it is not a search statement as the plans write them.
QString unordered(const QString &executed, const SearchIntent &intent) {
    if (!intent.isSearch()) return {};
    for (const QString &ordering :
         {QStringLiteral(" order by ") + intent.codeColumn, QStringLiteral(" order by +") + intent.codeColumn}) {
        if (!executed.endsWith(ordering)) continue;
        QString out = executed.chopped(ordering.size());
        out.replace(QStringLiteral(" +rowid in (select rowid from "), QStringLiteral(" rowid in (select rowid from "));
        return out;
    }
    return {};
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
    const QString rows = unordered(executed, intent);
    return QStringLiteral("select count(*) from (%1)").arg(rows.isEmpty() ? executed : rows);
}

QString reversed(const QString &executed, const SearchIntent &intent) {
    if (unordered(executed, intent).isEmpty()) return {};
    // The plan's own ordering, read backwards: an index walk stays an index walk.
    return executed + QStringLiteral(" desc, rowid desc");
}

QString sorted(const QString &executed, const SearchIntent &intent, const QString &key, bool descending) {
    const QString rows = unordered(executed, intent);
    if (rows.isEmpty()) return {};
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    return rows + QStringLiteral(" order by ") + key + direction + QStringLiteral(", rowid") + direction;
}

} // namespace ResultStatements
