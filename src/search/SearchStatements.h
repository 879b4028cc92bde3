#pragma once
#include "search/SearchQuery.h"
#include "search/SearchTables.h"

#include <QString>
#include <memory>

class Connection;

// The three searches, from a table's description: a prefix match on its scrambled code column, a
// substring match on its name column, in code order. The window and the command-line lookup run
// exactly these.
namespace SearchStatements {
using Table = SearchTables::Table;
using enum SearchTables::Table;

// Removes leading and trailing characters with codes of 32 or less.
QString trimmed(const QString &text);
// The terms of the trimmed box texts (an empty one adds no condition): the code scrambled as
// stored, a lone surrogate (no character at all) read as the replacement character. Throws
// AppError when a text is longer than a search can take, on either store.
SearchTerms terms(Table table, const QString &code, const QString &name);
// The search of the terms with its plan chosen on the connection, which it opens; throws AppError.
std::shared_ptr<const SearchQuery> search(Table table, const QString &code, const QString &name,
                                          Connection &connection);
// The first rows the window shows before any search: twenty of the table (the tariff's in its
// written order, the others' in code order).
std::shared_ptr<const SearchQuery> firstRows(Table table, Connection &connection);
// The longest pattern, in UTF-8 bytes, a search matches with (the file's engine takes no longer).
inline constexpr qsizetype kLongestPattern = 50000;
} // namespace SearchStatements
