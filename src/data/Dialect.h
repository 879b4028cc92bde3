#pragma once
#include <QString>

struct sqlite3;

// The statements of the windows are written in the desktop-database dialect. This layer makes
// SQLite understand them: "select top N ..." becomes a LIMIT, and instr(start, text, c, mode)
// is a function of the connection.
namespace Dialect {
QString translate(const QString &statement);
// Registers the dialect's functions on a raw SQLite handle. Returns false on failure.
bool install(sqlite3 *db);
} // namespace Dialect
