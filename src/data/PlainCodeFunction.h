#pragma once

struct sqlite3;

// The SQL function plain_code(stored): a stored (scrambled) code as its plain form, as an integer
// when it is all digits (so codes order numerically), as text otherwise; a value that is not a
// scrambled code stays as stored. Sorting a result by its codes orders by it.
namespace PlainCodeFunction {
inline constexpr const char *kName = "plain_code";
bool install(sqlite3 *db);
} // namespace PlainCodeFunction
