#pragma once
#include <QSet>
#include <QString>
#include <functional>

struct sqlite3;

// The statements of the windows are written in the desktop-database dialect. This layer makes
// SQLite understand them: "select top N ..." becomes a LIMIT, and instr(start, text, c, mode)
// is a function of the connection.
//
// A substring match on a name alone ("... where 1=1 and name like '%X%' order by code") would
// make SQLite walk the whole code index in order and fetch every row at random. So:
// - without the table's name index, or when X holds a wildcard: the ordering becomes
//   "order by +code", so the names are scanned and the matches sorted;
// - with the index: "rowid in (select rowid from <index> where <index> match '"X"')" narrows the
//   rows first (the LIKE stays and decides). When the index counts few matches they are fetched
//   and sorted (+code); when it counts many, the code index is walked in order and only its
//   entries in the set are fetched, so the first screen of rows comes at once.
// With a code prefix as well, the statement stays: the prefix's index range in code order is the
// better plan.
namespace Dialect {
struct NameIndexes {
    QSet<QString> tables; // the searched tables whose name index exists
    // Runs a "select count(*) ..." on the connection; -1 when it fails.
    std::function<qint64(const QString &statement)> count;
};
// Above this many matches of the name index, a name search walks the code index in order:
// sorting costs about 1.3 us a match on a million cases, and with more than 4% of the names
// matching, the first screen lies a few thousand index entries in.
inline constexpr qint64 kWalkAbove = 40000;

QString translate(const QString &statement, const NameIndexes &nameIndexes = {});
// Registers the dialect's functions on a raw SQLite handle. Returns false on failure.
bool install(sqlite3 *db);
} // namespace Dialect
