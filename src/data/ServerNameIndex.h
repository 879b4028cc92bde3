#pragma once
#include "data/Statement.h"

#include <QSet>
#include <QString>
#include <QStringList>

class QSqlDatabase;

// The name indexes on the database server: GIN indexes over zendrik_grams(name), the characters
// and the pairs of adjacent characters of each name of the searched tables (A-Z folded as LIKE
// compares them).
// The server keeps an expression index itself, so no trigger is needed. A name containing a
// fragment's literal piece holds every character pair of it (or the character of a piece of
// one), so "zendrik_grams(name) @> array[...]" only narrows: the LIKE condition stays and
// decides. One- and two-character fragments, the common Chinese searches, are one key each.
namespace ServerNameIndex {
// The function and the indexes; the indexes after the tables and their rows (a bulk copy makes
// them after the copy, in one pass).
QStringList createStatements();
// The index of a searched table's names.
QString indexName(const QString &table);
// The keys the names containing the fragment all hold, sorted and distinct: the character of
// each one-character literal piece (the parts between '%' and '_') and the pairs of the longer
// ones; empty when the fragment has no literal piece.
QStringList keys(const QString &fragment);
// "zendrik_grams(<column>) @> array[?, ...]::text[]" with the fragment's keys; empty without keys.
Statement condition(const QString &column, const QString &fragment);
// The searched tables whose name index exists on the server the database is open on.
QSet<QString> detect(const QSqlDatabase &db);
} // namespace ServerNameIndex
