#pragma once
#include <QStringList>

// The lookup database's tables. Only the database builder and test fixtures create them; the
// program itself never creates or alters a table.
//
// Code columns compare without case (COLLATE NOCASE) so that SQLite's LIKE, which ignores the
// case of Latin letters, can turn "code like 'ABCD%'" into a range scan of the code's index.
//
// The statements end with the name index of the cases and its triggers (SearchIndex): its
// tokenizer is registered on every connection of a process that links this file.
namespace Schema {
QStringList createStatements();
} // namespace Schema
