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
// tools load the same tokenizer as the extension zendrik_chars. The function that reads the
// index's matches in code order (OrderedMatches) comes with it. Safe to call again.
void registerTokenizer();

// The statements that create the index of case_hs names, fill it and keep it in step with
// inserts and deletes. Run after the table exists (and after a bulk load: they rebuild).
// A VACUUM may renumber case_hs rowids: run "insert into case_hs_name_index(case_hs_name_index)
// values('rebuild')" after one.
QStringList createStatements();

// Appending many rows to an indexed table inside one write transaction. The insert trigger makes
// every row a statement of its own for the index, and the index writes its pending tokens out at
// the end of every such statement: one small segment per row, merged again and again. Made before
// the inserts, a BulkAppend drops the insert trigger (inside the transaction, so other connections
// never see the table without it); finish() indexes the appended rows in one statement and puts the
// trigger back as it was. A rollback restores the trigger with the rest. Without the index, or when
// the table's rowids could run out (new rows would get random rowids), it changes nothing and the
// trigger indexes each row.
class BulkAppend {
public:
    // rows: at most how many rows will be appended.
    BulkAppend(sqlite3 *db, const QString &table, qint64 rows);
    BulkAppend(const BulkAppend &) = delete;
    BulkAppend &operator=(const BulkAppend &) = delete;
    // Indexes the rows appended since construction and restores the trigger; throws AppError.
    void finish();

private:
    sqlite3 *db_;
    QString table_;
    QByteArray trigger_; // the dropped trigger's statement; empty when nothing was dropped
    qint64 lastRowid_ = 0; // the largest rowid before the append
};

// The tables whose name index exists in the database the connection opened.
QSet<QString> detect(sqlite3 *db);
// The index table of a searched table.
QString indexTable(const QString &table);
// The index's query for a name fragment: the phrases of its literal pieces (the parts between
// the wildcards '%' and '_'), all required; empty when the fragment has none and the index
// cannot narrow.
QString query(const QString &fragment);
} // namespace SearchIndex
