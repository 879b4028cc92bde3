#pragma once
#include "data/SearchIntent.h"

#include <QString>

// Other statements over the rows of a statement as it ran: their count, the same rows in the
// reverse order (so the end of a large result is read without reading the rest), and the same
// rows in another order. A search statement either ends with "order by [+]<code column>" and
// yields rows of equal codes in rowid order (the code index holds them so; a sort keeps the order
// of its input, which a scan or a rowid set gives in rowid order): adding the rowid to the
// ordering makes it total, so its reverse is exact; or it reads the name index in its rowid
// order, which is code order on a table stored so (SearchPlan), later rows merged in by a key of
// their own: that order is total already. A statement the server's dialect wrote (ServerDialect)
// gets statements in that dialect: its rowid column numbers rows as they were written too.
namespace ResultStatements {
// "select count(*) ..." of the rows. A name fragment without wildcards is counted in the name
// index alone when `nameIndexed`: its phrase matches exactly what the LIKE condition selects.
QString count(const QString &executed, const SearchIntent &intent, bool nameIndexed);
// The rows in exactly the reverse order; empty when the statement's order is not known.
QString reversed(const QString &executed, const SearchIntent &intent);
// The rows ordered by the expression `key` (rows of equal keys in rowid order, or reversed with
// the key); empty when the statement is not a search.
QString sorted(const QString &executed, const SearchIntent &intent, const QString &key, bool descending);
} // namespace ResultStatements
