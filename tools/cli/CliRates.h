#pragma once
#include <QStringList>

class QTextStream;

// The rates subcommand: every published rate of one code, the lowest that applies to goods of
// an origin marked, and the one-line summary the rates window shows.
//   rates CODE [--origin COUNTRY] [--format text|csv|json] [--db FOLDER|FILE]
// Exit codes as the search has them: 0 rates printed, 1 the code has none (or the database
// keeps no rate data), 2 trouble (usage, database, output).
namespace CliRates {
int run(const QStringList &options, QTextStream &out, QTextStream &err);
} // namespace CliRates
