#pragma once
#include <QStringList>

class QTextStream;

// The command-line lookup: runs the window's three search statements and prints the results
// with the grids' display text, as aligned columns (a CJK character takes two) or as CSV. Rows
// are streamed, never held: CSV rows go out as they are read; aligned output reads each result
// twice, once to measure the columns and once to print.
//   search [--code PREFIX] [--name FRAGMENT] [--csv] [--db FOLDER]
// Returns the process exit code: 0 done, 1 a database error, 2 a usage error.
namespace CliSearch {
int run(const QStringList &args, QTextStream &out, QTextStream &err);
// Columns a text takes on a terminal: East Asian wide and full-width characters take two.
int displayWidth(const QString &text);
} // namespace CliSearch
