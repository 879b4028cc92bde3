#pragma once
#include <QSet>
#include <QString>

struct sqlite3;

// The statements of the windows are written in the desktop-database dialect. This layer makes
// SQLite understand them: "select top N ..." becomes a LIMIT, and instr(start, text, c, mode)
// is a function of the connection.
//
// A substring match on a name ("name like '%X%'") is steered away from the code index: the
// ordering becomes "order by +code", so SQLite filters first and sorts the matches, instead of
// walking the whole code index in order. Where the table's name index exists (named in
// `nameIndexes`) and X holds no wildcard, the match first narrows the rows through the index;
// the LIKE stays and decides.
namespace Dialect {
QString translate(const QString &statement, const QSet<QString> &nameIndexes = {});
// Registers the dialect's functions on a raw SQLite handle. Returns false on failure.
bool install(sqlite3 *db);
} // namespace Dialect
