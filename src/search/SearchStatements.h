#pragma once
#include "data/SearchIntent.h"
#include "search/SearchTables.h"

#include <QString>

// The three search statements, built from a table's description: its select list, a prefix
// match on its scrambled code column, a substring match on its name column, its ordering. The
// window and the command-line lookup run exactly these, each with its intent.
namespace SearchStatements {
using Table = SearchTables::Table;
using enum SearchTables::Table;

// Removes leading and trailing characters with codes of 32 or less.
QString trimmed(const QString &text);
// Code and name are the trimmed box texts; an empty one adds no condition.
QString build(Table table, const QString &code, const QString &name);
// The first rows the window shows before any search: twenty of the table (the tariff's in its
// stored order, the others' in code order).
QString firstRows(Table table);
// What the statement of the same arguments asks for.
SearchIntent intent(Table table, const QString &code, const QString &name);
} // namespace SearchStatements
