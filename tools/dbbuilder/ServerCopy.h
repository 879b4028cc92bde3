#pragma once
#include <QList>
#include <QString>

// Moves a lookup database onto a database server: creates the schema on the server that a
// configuration file names (the program's zendrik.conf) and copies every table of the SQLite
// file into it, row by row in the file's order (so equal codes keep their order), codes as
// they are stored. Indexes are built after the rows. One transaction: a failed copy leaves
// the server as it was.
namespace ServerCopy {
struct TableCount {
    QString table;
    qint64 rows = 0;
};

// Throws AppError; a server that already holds the tables is refused unless replace is set.
QList<TableCount> copy(const QString &sqliteFile, const QString &configFile, bool replace);
// Whether the server's database already holds the lookup tables.
bool hasTables(const QString &configFile);
// Replaces the rows of the named tables on the server by the file's, in one transaction that
// takes the program's write lock (so it waits for an import, and an import waits for it); the
// other tables and the indexes stay.
QList<TableCount> replaceRows(const QString &sqliteFile, const QString &configFile, const QStringList &tables);
} // namespace ServerCopy
