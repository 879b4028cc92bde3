#pragma once
#include <QByteArray>
#include <QString>

struct sqlite3;

// The cases kept in code order: after clustering, case_hs's rowids follow (code, former rowid),
// so the name index's row sets, which come in rowid order, come in code order too, and a name
// search's first screen is the first matches of the index however many there are and wherever
// they lie. An import appends its rows sorted by code: they are a run of their own, in code order
// among themselves, and the runs are merged (OrderedMatches). The table case_hs_order records up
// to which rowid the runs reach, case_hs_runs where each run after the first begins; rows above
// the end, the tail, are sorted when read.
//
// Triggers keep the record true: a delete that lets a later insert reuse a rowid at or below it,
// or an update that moves a row (a new code or rowid), lowers it. An insert with an explicit
// rowid at or below it is not guarded (nothing here writes one); nor is a VACUUM, which may
// renumber rowids: cluster again after one, as the name index must be rebuilt after one.
namespace CaseOrder {
// A code as the nocase collation compares it: A-Z folded to a-z; the bytes then compare as
// QByteArray compares them (unsigned, a shorter code before the longer one it starts).
QByteArray folded(QByteArrayView code);

// The table that records where the code order of a table's rows ends.
QString orderTable(const QString &table);
// The table that records the first rowid of each run after the first (first_rowid); entries above
// the order's end are stale and ignored.
QString runsTable(const QString &table);

// Records the rows first..last of case_hs, just appended in (code, rowid) order, as a run, when
// the order reaches up to the row before them (the table was clustered and nothing lies in the
// tail). Otherwise they stay tail, as rows added by anyone else do. Throws AppError.
void extend(sqlite3 *db, qint64 first, qint64 last);

// Rewrites case_hs in code order (its indexes and triggers recreated, the name index rebuilt
// when it exists), records the highest rowid as one run and installs the guards. Runs in a savepoint of
// its own; throws AppError with SQLite's message, leaving the database as it was.
void cluster(sqlite3 *db);
} // namespace CaseOrder
