#include "search/SearchPlan.h"

#include "data/CaseOrder.h"
#include "data/Connection.h"
#include "data/SearchIndex.h"

namespace SearchPlan {

namespace {
// "<index> match ?": the name index's rows that may hold the fragment.
Statement matching(const QString &table, const QString &fragment) {
    return {SearchIndex::indexTable(table) + QStringLiteral(" match ?"), {SearchIndex::query(fragment)}};
}
} // namespace

Plan choose(const SearchTerms &terms, Connection &connection) {
    const std::shared_ptr<const Store> store = connection.store();
    const SearchTables::Description &d = SearchTables::describe(terms.table);
    const QString &fragment = terms.nameFragment;
    if (fragment.isEmpty()) return Plan::AsWritten;
    if (store->plansItself()) {
        // Rows the store keeps in code order for the name come in that order, however many.
        if (!store->codeOrderedRows(d.table, fragment, terms.codePrefix, false).from.isEmpty())
            return Plan::IndexOrdered;
        return store->nameCondition(d.table, d.nameColumn, fragment).isEmpty() ? Plan::AsWritten : Plan::StoreKeys;
    }
    const QString &table = d.table, &code = d.codeColumn;
    const QString index = SearchIndex::indexTable(table);
    const bool indexed = store->hasNameIndex(table) && !SearchIndex::query(fragment).isEmpty();
    // Rows in code order: the index's runs answer, unless too many matches lie in the tail.
    const qint64 to =
        indexed ? connection.number(QStringLiteral("select clustered_to from %1").arg(CaseOrder::orderTable(table)))
                : -1;
    if (to > 0) {
        const qint64 tail = connection.number(
            QStringLiteral("select count(*) from (select rowid from %1 where ").arg(index) + matching(table, fragment) +
            Statement(" and rowid > ") + bound(to) + Statement(" limit ") + bound(kTailAtMost + 1) + Statement(")"));
        if (tail >= 0 && tail <= kTailAtMost) return Plan::IndexOrdered;
    }
    // How many rows the index narrows to, counted no further than needed to decide: few are
    // fetched and sorted at once, wherever they lie.
    if (indexed) {
        const qint64 matches = connection.number(
            QStringLiteral("select count(*) from (select rowid from %1 where ").arg(index) + matching(table, fragment) +
            Statement(" limit ") + bound(kSortAtMost + 1) + Statement(")"));
        if (matches >= 0 && matches <= kSortAtMost) return Plan::IndexSorted;
    }
    const Statement range =
        terms.codePrefix.isEmpty() ? Statement() : Statement(" where ") + store->like(code, terms.codePrefix + u'%');
    // Where the matches lie: the first rows in code order (of the prefix's range). A screen of
    // matches among them, or a range smaller than the probe, and the conditions as they stand
    // are best.
    const qint64 early =
        connection.number(QStringLiteral("select count(*) from (select %1 from %2").arg(d.nameColumn, table) + range +
                          QStringLiteral(" order by %1 limit ").arg(store->codeOrder(code, false)) + bound(kProbeRows) +
                          Statement(") where ") + store->like(d.nameColumn, u'%' + fragment + u'%'));
    if (early >= kScreen) return Plan::AsWritten;
    if (!terms.codePrefix.isEmpty()) {
        const qint64 inRange = connection.number(QStringLiteral("select count(*) from (select 1 from %1").arg(table) +
                                                 range + Statement(" limit ") + bound(kProbeRows) + Statement(")"));
        if (inRange >= 0 && inRange < kProbeRows) return Plan::AsWritten;
    }
    // Many matches that lie late: the code index walked, testing each entry against the set.
    if (indexed) return Plan::IndexWalk;
    return terms.codePrefix.isEmpty() ? Plan::ScanNames : Plan::AsWritten;
}

} // namespace SearchPlan
