#pragma once
#include <QHash>
#include <QList>
#include <QString>

class Connection;
struct sqlite3;

// What the declaration history says about a description: for each 8-digit code and each term
// (a pair of Han characters or a Latin word, SuggestText::evidenceTerms), how many cases and
// rulings filed under the code have a name holding the term. The term "" counts them all.
// The builder fills the table from every case and ruling, one row a term and code; each update
// import appends rows of its own counts (no row is read or rewritten, so an import costs little
// more than its inserts), and a reader sums a term's rows by code. The builder's next run sums
// them into one row again.
//
// Codes are kept as stored (scrambled): a scrambled prefix is the prefix of the scrambled code,
// so the first sixteen characters of any stored code are its 8-digit code.
namespace SuggestEvidence {
inline constexpr char kTable[] = "suggest_evidence";
inline constexpr int kCodeChars = 16;

struct Count {
    qint64 cases = 0, rulings = 0;
};

// Counts gathered from names before they are written.
class Counts {
public:
    void addCase(const QString &name, const QString &storedCode, qint64 times = 1);
    void addRuling(const QString &name, const QString &storedCode, qint64 times = 1);
    bool isEmpty() const { return names_.isEmpty(); }
    // term + '\t' + code -> counts. Each distinct name and code is read into terms once, here:
    // a month's declarations repeat the same goods many times.
    const QHash<QString, Count> &all() const;

private:
    void add(const QString &name, const QString &storedCode, qint64 cases, qint64 rulings);
    QHash<QString, Count> names_; // name + '\t' + code -> counts
    mutable QHash<QString, Count> terms_;
    mutable bool counted_ = true;
};

// Every case and ruling of the file counted again: the table emptied and written anew (it is
// made when the file lacks it). Names repeat a great deal, so each distinct name and code is
// read into terms once.
void rebuild(sqlite3 *db);
// Appends counts to the file's table; nothing when the file has no such table (a database made
// before it existed: the description search then goes by the tariff alone).
void addToFile(sqlite3 *db, const Counts &counts);
// The same on the server, a few statements for any number of counts.
void addToServer(Connection &connection, const Counts &counts);
} // namespace SuggestEvidence
