#pragma once
#include <QString>

struct sqlite3;

// The cases kept in code order: after clustering, case_hs's rowids follow (code, former rowid),
// so the name index's row sets, which come in rowid order, come in code order too, and a name
// search's first screen is the first matches of the index however many there are and wherever
// they lie. Rows added later (imports) get higher rowids: the table case_hs_order records up to
// which rowid the order holds, and the rows above it, the tail, are merged in by code.
//
// Triggers keep the record true: a delete that lets a later insert reuse a rowid at or below it,
// or an update that moves a row (a new code or rowid), lowers it. An insert with an explicit
// rowid at or below it is not guarded (nothing here writes one); nor is a VACUUM, which may
// renumber rowids: cluster again after one, as the name index must be rebuilt after one.
namespace CaseOrder {
// The table that records where the code order of a table's rows ends.
QString orderTable(const QString &table);

// Rewrites case_hs in code order (its indexes and triggers recreated, the name index rebuilt
// when it exists), records the highest rowid and installs the guards. Runs in a savepoint of
// its own; throws AppError with SQLite's message, leaving the database as it was.
void cluster(sqlite3 *db);
} // namespace CaseOrder
