#include "search/SearchQuery.h"

#include "data/SearchIndex.h"

namespace {
using SearchPlan::Plan;

// "<index> match ?": the name index's rows that may hold the fragment.
Statement matching(const QString &table, const QString &fragment) {
    return {SearchIndex::indexTable(table) + QStringLiteral(" match ?"), {SearchIndex::query(fragment)}};
}

Statement limited(const Statement &rows, qint64 limit) {
    return limit > 0 ? rows + Statement(" limit ") + bound(limit) : rows;
}

// A plan the terms allow: one that narrows by the name index needs a fragment the index can
// narrow by, and a name that can hold the fragment.
SearchPlan::Choice allowed(const Store &store, const SearchTerms &terms, SearchPlan::Choice choice) {
    const SearchTables::Description &d = SearchTables::describe(terms.table);
    const bool narrows = choice.plan == Plan::IndexSorted || choice.plan == Plan::IndexWalk ||
                         choice.plan == Plan::IndexOrdered || choice.plan == Plan::StoreKeys;
    if (!narrows) return choice;
    const bool impossible = terms.nameFragment.contains(QChar(0));
    if (impossible || store.nameCondition(d.table, d.nameColumn, terms.nameFragment).isEmpty())
        return choice.plan == Plan::StoreKeys || impossible ? Plan::AsWritten : Plan::ScanNames;
    return choice;
}
} // namespace

SearchQuery::SearchQuery(std::shared_ptr<const Store> store, SearchTerms terms, SearchPlan::Choice plan)
    : store_(std::move(store)), terms_(std::move(terms)), choice_(allowed(*store_, terms_, plan)) {}

std::shared_ptr<const SearchQuery> SearchQuery::firstRows(std::shared_ptr<const Store> store, SearchTables::Table table,
                                                          qint64 limit) {
    auto query = std::make_shared<SearchQuery>(std::move(store), SearchTerms{table, {}, {}}, Plan::AsWritten);
    query->firstRows_ = limit;
    return query;
}

const SearchTables::Description &SearchQuery::table() const { return SearchTables::describe(terms_.table); }

QString SearchQuery::codeColumn() const { return table().codeColumn; }

bool SearchQuery::sortsMatches() const { return choice_.plan == Plan::ScanNames || choice_.plan == Plan::IndexSorted; }

Statement SearchQuery::conditions(bool walk) const {
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
    const Plan p = choice_.plan;
    if (p == Plan::IndexSorted || p == Plan::IndexWalk || p == Plan::StoreKeys)
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
    if (choice_.plan == Plan::IndexOrdered) return limited(ordered(false), limit);
    return limited(
        selected(true) + QStringLiteral(" order by ") + store_->codeOrder(d.codeColumn, false, sortsMatches()), limit);
}

Statement SearchQuery::reversed() const {
    if (firstRows_ > 0) return {};
    if (choice_.plan == Plan::IndexOrdered) return ordered(true);
    // The plan's own order read backwards: an index walk stays an index walk.
    return selected(true) + QStringLiteral(" order by ") + store_->codeOrder(codeColumn(), true, sortsMatches());
}

Statement SearchQuery::count() const {
    if (terms_.codePrefix.isEmpty() && firstRows_ == 0 && !terms_.nameFragment.contains(QChar(0)))
        if (Statement exact = store_->exactNameCount(table().table, terms_.nameFragment); !exact.isEmpty())
            return exact;
    return Statements::countOf(choice_.plan == Plan::IndexOrdered ? orderedRows() : selected(false));
}

Statement SearchQuery::sorted(const SortKey &key, bool descending) const {
    if (firstRows_ > 0) return {};
    const Statement rows = choice_.plan == Plan::IndexOrdered ? orderedRows() : selected(false);
    return rows + QStringLiteral(" order by ") + store_->sortOrder(key, descending, rowid());
}

QString SearchQuery::rowid() const {
    if (choice_.plan != Plan::IndexOrdered) return QStringLiteral("rowid");
    // A tail row's rowid is zt; an ordered row's is zk.
    return choice_.tail ? QStringLiteral("coalesce(zt, zk)") : table().table + QStringLiteral(".rowid");
}

// The ordered rows: the name index drives (cross join) and its rowid order is the order, no sort.
// A code prefix is a range of the ordered rowids: its first and last row in code order.
Statement SearchQuery::orderedHead() const {
    const SearchTables::Description &d = table();
    const QString &t = d.table, &code = d.codeColumn;
    Statement range = Statement(" and rowid <= ") + bound(choice_.orderedTo);
    if (!terms_.codePrefix.isEmpty()) {
        const Statement inRange = QStringLiteral("select rowid from %1 where ").arg(t) +
                                  store_->like(code, terms_.codePrefix + u'%') + Statement(" and +rowid <= ") +
                                  bound(choice_.orderedTo) + QStringLiteral(" order by ") + code;
        range = Statement(" and rowid >= (") + inRange + Statement(" limit 1) and rowid <= (") + inRange +
                Statement(" desc, rowid desc limit 1)");
    }
    const QString keys = choice_.tail ? QStringLiteral(", zm.zr as zk, null as zc, null as zt") : QString();
    return QStringLiteral("select %1%2 from (select rowid as zr from %3 where ")
               .arg(d.selectList, keys, SearchIndex::indexTable(t)) +
           matching(t, terms_.nameFragment) + range +
           QStringLiteral(") as zm cross join %1 where %1.rowid = zm.zr and ").arg(t) + conditions(false);
}

// A tail row goes after the last ordered row whose code sorts before or with its own (a null
// code after the ordered null codes; before every row when there is none), after that row itself
// (whose code and rowid keys are null) and among the tail rows there by code and rowid.
Statement SearchQuery::orderedTail() const {
    const SearchTables::Description &d = table();
    const QString &t = d.table, &code = d.codeColumn;
    const Statement place =
        QStringLiteral("coalesce((select z.rowid from %1 as z where z.%2 <= %1.%2 and +z.rowid <= ").arg(t, code) +
        bound(choice_.orderedTo) +
        QStringLiteral(" order by z.%2 desc, z.rowid desc limit 1), (select z.rowid from %1 as z where z.%2 is null "
                       "and +z.rowid <= ")
            .arg(t, code) +
        bound(choice_.orderedTo) + Statement(" order by z.rowid desc limit 1), 0)");
    return QStringLiteral("select %1, ").arg(d.selectList) + place +
           QStringLiteral(", %1, rowid from %2 where rowid in (select rowid from %3 where ")
               .arg(code, t, SearchIndex::indexTable(t)) +
           matching(t, terms_.nameFragment) + Statement(" and rowid > ") + bound(choice_.orderedTo) +
           Statement(") and ") + conditions(false);
}

Statement SearchQuery::orderedRows() const {
    if (!choice_.tail) return orderedHead();
    return QStringLiteral("select %1 from (").arg(table().selectList) + orderedHead() + Statement(" union all ") +
           orderedTail() + Statement(")");
}

Statement SearchQuery::ordered(bool descending) const {
    if (!choice_.tail)
        return orderedHead() + (descending ? Statement(" order by zm.zr desc") : Statement(" order by zm.zr"));
    // (zk, zc, zt) is unique: the order is total.
    return QStringLiteral("select %1 from (").arg(table().selectList) + orderedHead() + Statement(" union all ") +
           orderedTail() +
           (descending ? Statement(" order by zk desc, zc desc, zt desc)") : Statement(" order by zk, zc, zt)"));
}
