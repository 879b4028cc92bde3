#pragma once
#include <QString>
#include <QStringList>

// The functions the server's statements use to give the file's values (ServerStore writes the
// statements): zendrik_nocase() folds A-Z only, as the file's LIKE and code columns compare;
// instr(start, text, search, mode) as on the file; plain_code(stored) gives a stored code's plain
// form as text, and plain_code_order(stored) orders as the file orders plain_code().
namespace ServerDialect {
// The functions; the schema creates them.
QStringList functions();
// The code columns, which compare without case.
bool isCodeColumn(const QString &column);
} // namespace ServerDialect
