#pragma once
#include <QStringList>

// The lookup database's tables. Only the database builder and test fixtures create them; the
// program itself never creates or alters a table.
//
// Code columns compare without case (COLLATE NOCASE) so that SQLite's LIKE, which ignores the
// case of Latin letters, can turn "code like 'ABCD%'" into a range scan of the code's index.
namespace Schema {
QStringList createStatements();
} // namespace Schema
