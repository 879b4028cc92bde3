#include "data/SearchPlan.h"

#include "data/SearchIndex.h"

namespace SearchPlan {

namespace {
QString quoted(QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\''; }

QString matchCondition(const SearchIntent &intent) {
    const QString idx = SearchIndex::indexTable(intent.table);
    return QStringLiteral("%1 match %2").arg(idx, quoted(indexQuery(intent.nameFragment)));
}
} // namespace

QString indexQuery(const QString &fragment) {
    QStringList phrases;
    QString piece;
    const auto flush = [&] {
        if (piece.isEmpty()) return;
        piece.replace(u'"', QStringLiteral("\"\""));
        phrases << u'"' + piece + u'"';
        piece.clear();
    };
    for (const QChar c : fragment) {
        if (c == u'%' || c == u'_') flush();
        else piece += c;
    }
    flush();
    return phrases.join(QStringLiteral(" AND "));
}

Plan choose(const SearchIntent &intent, const NameIndexes &indexes) {
    if (!intent.isSearch() || intent.nameFragment.isEmpty() || !indexes.count) return Plan::AsWritten;
    const QString table = intent.table, code = intent.codeColumn;
    const bool indexed = indexes.tables.contains(table) && !indexQuery(intent.nameFragment).isEmpty();
    // How many rows the index narrows to, counted no further than needed to decide: few are
    // fetched and sorted at once, wherever they lie.
    if (indexed) {
        const qint64 matches =
            indexes.count(QStringLiteral("select count(*) from (select rowid from %1 where %2 limit %3)")
                              .arg(SearchIndex::indexTable(table), matchCondition(intent))
                              .arg(kSortAtMost + 1));
        if (matches >= 0 && matches <= kSortAtMost) return Plan::IndexSorted;
    }
    const QString range = intent.codePrefix.isEmpty()
                              ? QString()
                              : QStringLiteral(" where %1 like %2").arg(code, quoted(intent.codePrefix + u'%'));
    const QString like = QStringLiteral("%1 like %2").arg(intent.nameColumn, quoted(u'%' + intent.nameFragment + u'%'));
    // Where the matches lie: the first rows in code order (of the prefix's range). A screen of
    // matches among them, or a range smaller than the probe, and the statement as written is best.
    const qint64 early =
        indexes.count(QStringLiteral("select count(*) from (select %1 from %2%3 order by %4 limit %5) where %6")
                          .arg(intent.nameColumn, table, range, code)
                          .arg(kProbeRows)
                          .arg(like));
    if (early >= kScreen) return Plan::AsWritten;
    if (!intent.codePrefix.isEmpty()) {
        const qint64 inRange = indexes.count(
            QStringLiteral("select count(*) from (select 1 from %1%2 limit %3)").arg(table, range).arg(kProbeRows));
        if (inRange >= 0 && inRange < kProbeRows) return Plan::AsWritten;
    }
    // Many matches that lie late: the code index walked, testing each entry against the set.
    if (indexed) return Plan::IndexWalk;
    return intent.codePrefix.isEmpty() ? Plan::ScanNames : Plan::AsWritten;
}

QString apply(const QString &statement, const SearchIntent &intent, Plan plan) {
    const QString ordering = QStringLiteral(" order by ") + intent.codeColumn;
    if (plan == Plan::AsWritten || !intent.isSearch() || !statement.endsWith(ordering)) return statement;
    const bool narrows = plan == Plan::IndexSorted || plan == Plan::IndexWalk;
    if (narrows && indexQuery(intent.nameFragment).isEmpty()) plan = Plan::ScanNames;
    QString out = statement.chopped(ordering.size());
    if (plan == Plan::IndexSorted || plan == Plan::IndexWalk) {
        // "+rowid" keeps the set from driving the loop, so the ordering's index does. The set goes
        // before the name's condition, so an index entry outside it is passed over without its row
        // being fetched.
        const QString set = QStringLiteral("%1rowid in (select rowid from %2 where %3) and ")
                                .arg(plan == Plan::IndexWalk ? QStringLiteral("+") : QString(),
                                     SearchIndex::indexTable(intent.table), matchCondition(intent));
        const qsizetype name = out.lastIndexOf(QStringLiteral(" and %1 like '%").arg(intent.nameColumn));
        if (name < 0) return statement;
        out.insert(name + 5, set);
    }
    return out + QStringLiteral(" order by ") + (plan == Plan::IndexWalk ? QString() : QStringLiteral("+")) +
           intent.codeColumn;
}

} // namespace SearchPlan
