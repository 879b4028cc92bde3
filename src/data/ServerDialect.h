#pragma once
#include <QString>
#include <QStringList>

// The program's statements on the database server (PostgreSQL), giving the rows, values and
// order they give on the SQLite file:
// - "select top N ..." becomes a LIMIT, as on SQLite.
// - LIKE ignores the case of A-Z only and has no escape character, as SQLite's: both sides are
//   folded with zendrik_nocase() (A-Z to a-z, nothing else) and the pattern gets "escape ''".
//   ILIKE would also fold other letters. The folded code columns are indexed, so a code prefix
//   is an index range (the text columns compare as "C", byte by byte as SQLite does).
// - The code columns compare and sort without case, as SQLite's COLLATE NOCASE: "code = '...'"
//   and the final "order by code" compare the folded codes; equal codes come in the order the
//   rows were written (the rowid column the server's tables carry), as SQLite's index gives them.
// - instr(start, text, search, mode) is a function of ours in the schema (functions()); where it
//   stands alone as a condition ("where instr(...) or instr(...)") it is compared with 0.
// - plain_code(stored) is a function of ours too (functions()), giving the plain code as text.
namespace ServerDialect {
QString translate(const QString &statement);
// The functions the statements use; the schema creates them.
QStringList functions();
// The code columns, which compare without case.
bool isCodeColumn(const QString &column);
// A code column as it compares and sorts: zendrik_nocase(column).
QString foldedCode(const QString &column);
// A sort key written for the file's engine as the server orders the same way: plain_code() by
// its order key (numbers before text, as the file's engine orders its mixed values), and "real"
// as a double, which it is there.
QString sortKey(const QString &key);
} // namespace ServerDialect
