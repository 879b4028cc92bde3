#include "search/SearchQuery.h"

#include "data/SearchIndex.h"

#include <QRegularExpression>

namespace {
using SearchPlan::Plan;

Statement limited(const Statement &rows, qint64 limit) {
    return limit > 0 ? rows + Statement(" limit ") + bound(limit) : rows;
}

// The code pattern's literal start: up to its first wildcard.
QString codeStart(const QString &prefix) {
    return prefix.left(prefix.indexOf(QRegularExpression(QStringLiteral("[%_]"))));
}

// A plan the terms allow: one that narrows by the name index needs a fragment the index can
// narrow by, and a name that can hold the fragment; the rows in code order, a store that keeps
// them so for the fragment (or else the index's set, sorted).
Plan allowed(const Store &store, const SearchTerms &terms, Plan plan) {
    const SearchTables::Description &d = SearchTables::describe(terms.table);
    if (plan == Plan::IndexOrdered && !terms.nameFragment.contains(QChar(0)) &&
        !store.codeOrderedRows(d.table, terms.nameFragment, codeStart(terms.codePrefix), false).from.isEmpty())
        return plan;
    if (plan == Plan::IndexOrdered) plan = Plan::IndexSorted;
    const bool narrows = plan == Plan::IndexSorted || plan == Plan::IndexWalk || plan == Plan::StoreKeys;
    if (!narrows) return plan;
    const bool impossible = terms.nameFragment.contains(QChar(0));
    if (impossible || store.nameCondition(d.table, d.nameColumn, terms.nameFragment).isEmpty())
        return plan == Plan::StoreKeys || impossible ? Plan::AsWritten : Plan::ScanNames;
    return plan;
}
} // namespace

SearchQuery::SearchQuery(std::shared_ptr<const Store> store, SearchTerms terms, SearchPlan::Plan plan)
    : store_(std::move(store)), terms_(std::move(terms)), plan_(allowed(*store_, terms_, plan)) {}

std::shared_ptr<const SearchQuery> SearchQuery::firstRows(std::shared_ptr<const Store> store, SearchTables::Table table,
                                                          qint64 limit) {
    auto query = std::make_shared<SearchQuery>(std::move(store), SearchTerms{table, {}, {}}, Plan::AsWritten);
    query->firstRows_ = limit;
    return query;
}

const SearchTables::Description &SearchQuery::table() const { return SearchTables::describe(terms_.table); }

QString SearchQuery::codeColumn() const { return table().codeColumn; }

bool SearchQuery::sortsMatches() const { return plan_ == Plan::ScanNames || plan_ == Plan::IndexSorted; }

Statement SearchQuery::conditions(bool walk, bool narrowed) const {
    const SearchTables::Description &d = table();
    QList<Statement> all;
    if (!terms_.codePrefix.isEmpty()) all << store_->like(d.codeColumn, terms_.codePrefix + u'%');
    const QString &fragment = terms_.nameFragment;
    if (fragment.isEmpty()) return Statements::joined(all, QStringLiteral(" and "));
    // No stored name holds a NUL: the server's text cannot, and the file's LIKE reads a pattern
    // only up to one.
    if (fragment.contains(QChar(0))) return Statements::joined(all << Statement("0 = 1"), QStringLiteral(" and "));
    // The name index's set before the name's condition, so an entry outside it is passed over
    // without its row being read.
    const Plan p = plan_;
    if (narrowed && p != Plan::AsWritten && p != Plan::ScanNames)
        all << store_->nameCondition(d.table, d.nameColumn, fragment, walk && p == Plan::IndexWalk);
    all << store_->like(d.nameColumn, u'%' + fragment + u'%');
    return Statements::joined(all, QStringLiteral(" and "));
}

Statement SearchQuery::selected(bool walk) const {
    const SearchTables::Description &d = table();
    Statement out(QStringLiteral("select %1 from %2").arg(d.selectList, d.table));
    if (const Statement where = conditions(walk); !where.isEmpty()) out += Statement(" where ") + where;
    return out;
}

Statement SearchQuery::rows(qint64 limit) const {
    const SearchTables::Description &d = table();
    if (firstRows_ > 0) {
        // The tariff in the order it was written, the others in code order.
        const QString order = terms_.table == SearchTables::OfficialHs
                                  ? store_->writtenOrder()
                                  : QStringLiteral(" order by ") + store_->codeOrder(d.codeColumn, false);
        return limited(selected(false) + order, limit > 0 ? std::min(limit, firstRows_) : firstRows_);
    }
    if (plan_ == Plan::IndexOrdered) return limited(ordered(false), limit);
    return limited(
        selected(true) + QStringLiteral(" order by ") + store_->codeOrder(d.codeColumn, false, sortsMatches()), limit);
}

Statement SearchQuery::reversed() const {
    if (firstRows_ > 0) return {};
    if (plan_ == Plan::IndexOrdered) return ordered(true);
    // The plan's own order read backwards: an index walk stays an index walk.
    return selected(true) + QStringLiteral(" order by ") + store_->codeOrder(codeColumn(), true, sortsMatches());
}

Statement SearchQuery::count() const {
    if (terms_.codePrefix.isEmpty() && firstRows_ == 0 && !terms_.nameFragment.contains(QChar(0)))
        if (Statement exact = store_->exactNameCount(table().table, terms_.nameFragment); !exact.isEmpty())
            return exact;
    return Statements::countOf(selected(false));
}

Statement SearchQuery::sorted(const SortKey &key, bool descending) const {
    if (firstRows_ > 0) return {};
    return selected(false) + QStringLiteral(" order by ") + store_->sortOrder(key, descending, QStringLiteral("rowid"));
}

// The store's rows in code order drive the loop, in the order they come.
Statement SearchQuery::ordered(bool descending) const {
    const SearchTables::Description &d = table();
    const Store::CodeOrderedRows rows =
        store_->codeOrderedRows(d.table, terms_.nameFragment, codeStart(terms_.codePrefix), descending);
    return QStringLiteral("select %1 from ").arg(d.selectList) + rows.from + Statement(" where ") +
           conditions(false, false) + QStringLiteral(" order by ") + rows.order;
}
