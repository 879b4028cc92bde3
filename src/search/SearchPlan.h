#pragma once
#include "search/SearchTables.h"

#include <QString>

class Connection;

// What a search asks for: the rows of a table whose code starts with the prefix (scrambled, as
// stored) and whose name contains the fragment ('%' and '_' keep their pattern meaning), in
// code order. An empty prefix or fragment adds no condition.
struct SearchTerms {
    SearchTables::Table table = SearchTables::OfficialHs;
    QString codePrefix;
    QString nameFragment;
};

// How a search runs, chosen from what the database says; every plan selects exactly the rows of
// the terms, in the same order. A name match alone walking the code index in order would fetch
// every row at random. The plans:
// - AsWritten: the conditions as they stand (a code prefix's index range in code order).
// - ScanNames: the names are scanned and the matches sorted.
// - IndexSorted: the name index narrows the rows first, the matches are sorted.
// - IndexWalk: the code index is walked in order and only its entries in the name index's set
//   are fetched, so the first screen comes without sorting every match.
// - IndexOrdered: on cases kept in code order (CaseOrder), the index's matches are read run by
//   run in rowid order, which is code order, and merged (OrderedMatches), so the first screen is
//   the first matches however many there are; the few matches above the order's end (the tail)
//   are sorted and merged in. On a server that keeps the cases' name keys in code order
//   (ServerKeyOrder), the rows of the fragment's rarest key are read in that order.
// - StoreKeys: a store that plans itself gets the name index's condition beside the name's and
//   chooses how to use it.
// The name index only narrows: the LIKE condition stays and decides.
namespace SearchPlan {
enum class Plan { AsWritten, ScanNames, IndexSorted, IndexWalk, IndexOrdered, StoreKeys };

// The first screen: the rows a grid fetches at once.
inline constexpr qint64 kScreen = 256;
// A probe reads this many rows in code order to see whether matches lie early.
inline constexpr qint64 kProbeRows = 2000;
// Sorting the matches costs about 1.3 us each: up to this many the index's set is sorted, above
// it the code index is walked (the matches lie late, or the probe would have found them).
inline constexpr qint64 kSortAtMost = 60000;
// A tail match is read and sorted before the first row: up to this many the merge keeps within a
// first screen's time; above it the plans for unordered rows are chosen.
inline constexpr qint64 kTailAtMost = 6000;

// Chosen from what the data says: whether the rows are in code order with few matches in the
// tail (then the index's order answers whatever the matches), how many rows the name index
// narrows to (few: sorted), whether the first rows in code order hold a screen of matches (then
// the conditions as they stand find them at once), and whether the table has a name index at
// all. Opens the connection; throws AppError when it cannot.
Plan choose(const SearchTerms &terms, Connection &connection);
} // namespace SearchPlan
