#pragma once
#include "data/SearchIntent.h"

#include <QSet>
#include <QString>
#include <functional>

// How a search statement runs, chosen from its intent and from what the database says; the
// statement's text stays and only gains hints. A name match alone ("... where 1=1 and name like
// '%X%' order by code") would make SQLite walk the whole code index in order and fetch every row
// at random. The plans:
// - AsWritten: the statement as it stands (a code prefix's index range in code order).
// - ScanNames: "order by +code": the names are scanned and the matches sorted.
// - IndexSorted: "rowid in (select rowid from <index> where <index> match ...)" narrows the rows
//   first, the matches are sorted (+code).
// - IndexWalk: "+rowid in (...)": the code index is walked in order and only its entries in the
//   index's set are fetched, so the first screen comes without sorting every match.
// - IndexOrdered: on cases kept in code order (CaseOrder), the index's matches up to the order's
//   end are read in rowid order, which is code order, so the first screen is the first matches
//   however many there are; the few matches above it (the tail) are sorted and merged in, each
//   after the last ordered row whose code sorts before or with it.
// - ServerKeys: on a database server, "zendrik_grams(name) @> array[...]" before the name's
//   condition (ServerNameIndex); the server's planner chooses how to use its index.
// The name index only narrows: the LIKE condition stays and decides, so every plan selects
// exactly the rows of the statement as written, in the same order.
namespace SearchPlan {
enum class Plan { AsWritten, ScanNames, IndexSorted, IndexWalk, IndexOrdered, ServerKeys };

// A plan and, for IndexOrdered, the rowid up to which the rows are in code order (0: none are,
// every row is merged as tail) and whether rows above it may match (false: the index found none).
struct Choice {
    Choice(Plan p = Plan::AsWritten, qint64 to = 0, bool withTail = true) : plan(p), orderedTo(to), tail(withTail) {}
    Plan plan;
    qint64 orderedTo;
    bool tail;
};

struct NameIndexes {
    QSet<QString> tables; // the searched tables whose name index exists
    bool server = false; // the connection is a database server's: only its own plan applies
    QSet<QString> serverKeys; // the searched tables whose name index the server has
    // Runs a "select count(*) ..." on the connection; -1 when it fails.
    std::function<qint64(const QString &statement)> count;
};

// The first screen: the rows a grid fetches at once.
inline constexpr qint64 kScreen = 256;
// A probe reads this many rows in code order to see whether matches lie early.
inline constexpr qint64 kProbeRows = 2000;
// Sorting the matches costs about 1.3 us each: up to this many the index's set is sorted, above
// it the code index is walked (the matches lie late, or the probe would have found them).
inline constexpr qint64 kSortAtMost = 60000;
// A tail match costs about 5-10 us (its place among the ordered rows is looked up in the code
// index, then the tail is sorted): up to this many the merge keeps within a first screen's time;
// above it the plans for unordered rows are chosen (run the builder's cluster after many imports).
inline constexpr qint64 kTailAtMost = 6000;

// The name index's query for a fragment: the phrases of its literal pieces (the parts between
// wildcards), all required; empty when the fragment has none and the index cannot narrow.
QString indexQuery(const QString &fragment);

// Chosen from what the data says: whether the rows are in code order with few matches in the
// tail (then the index's order answers whatever the matches), how many rows the name index
// narrows to (few: sorted), whether the first rows in code order hold a screen of matches (then
// the statement as written finds them at once), and whether the table has a name index at all.
Choice choose(const SearchIntent &intent, const NameIndexes &indexes);
// The statement with the plan's hints; as it stands when the plan does not apply to it.
QString apply(const QString &statement, const SearchIntent &intent, Choice choice);
inline QString steer(const QString &statement, const SearchIntent &intent, const NameIndexes &indexes) {
    return apply(statement, intent, choose(intent, indexes));
}
} // namespace SearchPlan
