#pragma once
#include "data/ResultSource.h"
#include "search/SearchPlan.h"

#include <memory>

// A search as a value: its terms, the plan chosen for it and the store it runs on, from which its
// statement and every statement derived from it (count, reverse, sorted) are written, with every
// value bound. The statements select exactly the rows whose code starts with the prefix and
// whose name contains the fragment, in code order, rows of equal codes in the order they were
// written; "first rows" selects the table's first rows (the tariff's in written order, the
// others' in code order).
class SearchQuery : public ResultSource {
public:
    SearchQuery(std::shared_ptr<const Store> store, SearchTerms terms, SearchPlan::Plan plan);
    // The first `limit` rows of the table, no condition.
    static std::shared_ptr<const SearchQuery> firstRows(std::shared_ptr<const Store> store, SearchTables::Table table,
                                                        qint64 limit);

    Statement rows(qint64 limit = 0) const override;
    Statement count() const override;
    Statement reversed() const override;
    Statement sorted(const SortKey &key, bool descending) const override;
    QString codeColumn() const override;

    const SearchTerms &terms() const { return terms_; }
    // False for a table's first rows.
    bool isSearch() const { return firstRows_ == 0; }
    SearchPlan::Plan plan() const { return plan_; }

private:
    const SearchTables::Description &table() const;
    // "select <columns> from <table> where <conditions>", unordered. `walk`: as the plan reads
    // it in code order (the name index's set not driving the loop).
    Statement selected(bool walk) const;
    // `narrowed`: with the name index's set (for the plans that narrow by it).
    Statement conditions(bool walk, bool narrowed = true) const;
    // The rows in code order as the store keeps them for the name (IndexOrdered).
    Statement ordered(bool descending) const;
    bool sortsMatches() const;

    std::shared_ptr<const Store> store_;
    SearchTerms terms_;
    SearchPlan::Plan plan_;
    qint64 firstRows_ = 0;
};
