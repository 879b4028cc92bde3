#pragma once
#include "data/Statement.h"

#include <QSet>
#include <QString>
#include <QStringList>

class QSqlDatabase;

// The cases' name keys in code order on the database server: case_hs_keys holds a row (key,
// folded code, rowid) for each distinct key of each case's name (its characters and pairs of
// adjacent characters, A-Z folded, as the name index's zendrik_grams gives them), under a btree
// index in that order. The rows holding a key then come in code order straight from the index,
// forwards or backwards, however many they are and wherever they lie, where the name index's
// set would have to be sorted first or the code index walked past every row before the matches.
// Triggers keep the table in step with case_hs, a statement's rows at a time, and count the rows
// of each key in case_hs_key_counts. The key only narrows: LIKE decides.
namespace ServerKeyOrder {
// The table, its functions and trigger, and the rowid index the rows are fetched by; the fill,
// the indexes and the trigger after the table's rows (see ServerSchema::afterRows).
QStringList createStatements();
// The tables it adds to the lookup tables.
QStringList tables();
// Around replacing every case row in one transaction: the trigger held off and the table emptied
// before, filled from the rows in one statement and the trigger back after.
QStringList beforeReplacingCases();
QStringList afterReplacingCases();
// The tables whose key table exists on the server the database is open on.
QSet<QString> detect(const QSqlDatabase &db);

// "(select rowid as r, code as zc from case_hs_keys where key = ... order by ...)": the rowids of
// the rows whose name holds the rarest of the fragment's keys (by the counts)
// and whose folded code lies in the literal start of the code pattern, in (code, rowid) order, or
// reversed; empty when the fragment has no key.
Statement matches(const QString &fragment, const QString &codePrefix, bool descending);
// The count of the rows whose name contains the fragment, read from the key counts: exact for a
// fragment of one or two characters without wildcards (a key of its own); empty otherwise.
Statement exactCount(const QString &fragment);
} // namespace ServerKeyOrder
