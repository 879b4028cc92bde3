#pragma once
#include "data/Statement.h"
#include "data/Store.h"

// A result described rather than written out: its statement and the statements derived from the
// same description (its count, its rows in the reverse order, its rows in another order), so a
// reader can count and sort a result without reading its text back. A search is one.
class ResultSource {
public:
    virtual ~ResultSource() = default;
    // The rows in their order; only the first `limit` of them when it is above 0.
    virtual Statement rows(qint64 limit = 0) const = 0;
    // "select count(*) ..." of the rows.
    virtual Statement count() const = 0;
    // The same rows in exactly the reverse order; empty when that order is not known.
    virtual Statement reversed() const = 0;
    // The same rows ordered by the key (rows of equal keys in written order, or the reverse of
    // that when descending); empty when the result does not sort.
    virtual Statement sorted(const SortKey &key, bool descending) const = 0;
    // The column whose codes order the rows.
    virtual QString codeColumn() const = 0;
};

namespace Statements {
// "select count(*) ..." of any statement's rows.
Statement countOf(const Statement &rows);
} // namespace Statements
