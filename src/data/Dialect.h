#pragma once

struct sqlite3;

// The function instr(start, text, c, mode) the statements use, as a function of each SQLite
// connection.
namespace Dialect {
// Registers the dialect's functions on a raw SQLite handle. Returns false on failure.
bool install(sqlite3 *db);
} // namespace Dialect
