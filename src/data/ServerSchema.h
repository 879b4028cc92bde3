#pragma once
#include <QStringList>

// The lookup database's tables on the database server, written from the same description as the
// file's (Schema) so the two never drift apart: the same tables, columns and column order. Text
// columns compare byte by byte ("C"), as SQLite's do; the code columns' indexes are over the
// folded code, which is what the server's statements compare (ServerStore). Every table the
// program reads in written order carries a last column rowid, numbered as rows are written:
// positional inserts leave it to its default. The SQLite name index's counterpart is the
// server's own (ServerNameIndex), made last, with the cases' keys in code order (ServerKeyOrder).
namespace ServerSchema {
QStringList createStatements();
// Whether a statement of createStatements() is best run after the tables' rows are written in
// bulk: an index, a fill from the rows, a trigger.
bool afterRows(const QString &statement);
// The tables and their indexes, without the functions and the name index.
QStringList tableStatements();
// The tables that get no rowid column: read with "select *", where one more column would show.
bool hasRowid(const QString &table);
} // namespace ServerSchema
