#pragma once

struct sqlite3;

// The name index's matches among the cases in code order, without sorting them: the table-valued
// function
//     case_hs_ordered_matches(query, prefix, descending)
// yields (r, seq): the rowids of the case_hs rows the index's query finds, in (code, rowid) order
// (A-Z folded, null codes first, as "order by code" on the nocase column gives them; reversed when
// descending is 1), seq numbering them in that order.
//
// The rows up to the order's end (CaseOrder) lie in runs whose rowid order is their code order: the
// clustered table, then each import's rows. Each run is read in rowid order through the index and
// the runs are merged, so the first screen costs a screen's rows whatever the number of matches and
// wherever they lie. The rows above the order's end (the tail) are read whole and sorted in memory,
// so their number must stay small for the first screen to stay fast (the plan counts them first).
// A non-empty prefix (the literal start of a code pattern, A-Z folded as LIKE compares) narrows each
// run to its range of codes by bisection and filters the tail. It only narrows: the caller's LIKE
// conditions decide.
namespace OrderedMatches {
inline constexpr const char *kName = "case_hs_ordered_matches";
// Registers the function on one connection; false when the engine refuses it.
bool install(sqlite3 *db);
} // namespace OrderedMatches
