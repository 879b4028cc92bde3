#pragma once
#include <QStringList>

#include <functional>

class QTextStream;

// The search subcommand: runs the window's search statements and prints the results with the
// grids' display text (see CliOutput for the formats).
//   search [--code PREFIX] [--name FRAGMENT] [--table tariff|rulings|cases]
//          [--format text|csv|json] [--csv] [--db FOLDER|FILE]
// Returns the process exit code as grep has them: 0 rows found, 1 none found, 2 trouble
// (usage, database, output).
namespace CliSearch {
int run(const QStringList &options, QTextStream &out, QTextStream &err);
// The help of the whole program: options, where the database is looked for, the exit codes.
QString help();
// The connection string of --db: a folder holds quorvel.mdb, anything else names the database
// file itself; empty means where the window looks for it.
QString connectionString(const QString &db);
// Ends a subcommand's run after its options were read, as every subcommand does: a usage error
// (problem, then usage) exits 2, --help prints the help and exits 0; -1 when the run goes on.
int usageOrHelp(const QString &problem, bool help, const char *usage, QTextStream &out, QTextStream &err);
// Reads a subcommand's arguments of one value (the code, the description) and options each with
// a value: `take` is given each option of `valued` and its value and answers a problem or
// nothing. Returns the first problem; `help` is set by --help, which ends the reading.
QString readArguments(const QStringList &args, const QStringList &valued, const QString &secondValue, QString &value,
                      bool &help, const std::function<QString(const QString &option, const QString &value)> &take);
} // namespace CliSearch
