#pragma once
#include <QString>

// The three search statements, built from fixed fragments: a table's base statement, a prefix
// match on its scrambled code column, a substring match on its name column, its ordering. The
// window and the command-line lookup run exactly these.
namespace SearchStatements {
enum Table { OfficialHs, HsClassify, CaseHs };

// Removes leading and trailing characters with codes of 32 or less.
QString trimmed(const QString &text);
// Code and name are the trimmed box texts; an empty one adds no condition.
QString build(Table table, const QString &code, const QString &name);
} // namespace SearchStatements
