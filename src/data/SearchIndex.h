#pragma once
#include <QSet>
#include <QString>
#include <QStringList>

struct sqlite3;

// The name index: an FTS5 table over the case names with the character tokenizer
// (CharTokenizer), kept in step by triggers. It only narrows the rows; the LIKE condition
// still decides which rows match.
namespace SearchIndex {
// Registers the tokenizer on every SQLite connection this process opens from now on. Every
// opener (the windows' connections, the builder, the benchmarks, the test fixtures) calls it
// before it opens, so the triggers that keep the index run on any connection. Other SQLite
// tools load the same tokenizer as the extension zendrik_chars. Safe to call again.
void registerTokenizer();

// The statements that create the index of case_hs names, fill it and keep it in step with
// inserts and deletes. Run after the table exists (and after a bulk load: they rebuild).
// A VACUUM may renumber case_hs rowids: run "insert into case_hs_name_index(case_hs_name_index)
// values('rebuild')" after one.
QStringList createStatements();

// The tables whose name index exists in the database the connection opened.
QSet<QString> detect(sqlite3 *db);
// The index table of a searched table.
QString indexTable(const QString &table);
} // namespace SearchIndex
