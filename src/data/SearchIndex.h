#pragma once
#include <QSet>
#include <QString>
#include <QStringList>

struct sqlite3;

// The name index: an FTS5 table per searched table whose tokenizer makes every character a token
// (ASCII letters lower-cased, as LIKE compares them). A substring of one or two Chinese
// characters, the common search, is then a phrase query instead of a scan of every name. The
// index only narrows the rows; the LIKE condition still decides which rows match.
namespace SearchIndex {
// The tokenizer's name in "create virtual table ... using fts5(..., tokenize=...)".
inline constexpr const char *kTokenizer = "zendrik_chars";

// Registers the tokenizer on one connection. False when the engine has no FTS5.
bool install(sqlite3 *db);
// Registers the tokenizer on every connection this process opens from now on (the builder's,
// the fixtures', the windows'), so that the triggers that keep the index can run anywhere.
void installForNewConnections();

// The statements that create the index of case_hs names, fill it and keep it in step with
// inserts and deletes. Run after the table exists (and after a bulk load: they rebuild).
// A VACUUM may renumber case_hs rowids: run "insert into case_hs_name_index(case_hs_name_index)
// values('rebuild')" after one.
QStringList createStatements();

// The searched tables whose name index exists in the database the connection opened.
QSet<QString> detect(sqlite3 *db);
// The index table of a searched table and the name column it covers.
QString indexTable(const QString &table);
QString nameColumn(const QString &table);
} // namespace SearchIndex
