#pragma once

struct sqlite3;

// The name index's tokenizer: every character is a token (ASCII letters lower-cased, as LIKE
// compares them). A substring of one or two Chinese characters, the common search, is then a
// phrase query instead of a scan of every name.
namespace CharTokenizer {
// The name in "create virtual table ... using fts5(..., tokenize=...)".
inline constexpr const char *kName = "zendrik_chars";
// Registers the tokenizer on one connection. False when the engine has no FTS5.
bool install(sqlite3 *db);
} // namespace CharTokenizer
