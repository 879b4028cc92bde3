#pragma once
#include <QString>
#include <QStringList>

// A throwaway PostgreSQL server for the tests of one executable: initdb and pg_ctl in a temporary
// folder, listening only on a unix socket in that folder (no port taken, nothing reachable from
// outside), started at first use and stopped when the executable ends. As root it runs as
// "nobody": the server refuses to run as root.
namespace PgServer {
// Empty when the server runs; otherwise why it could not start (PostgreSQL not installed, or
// it would not start), for the tests to skip with.
QString unavailable();
// The socket folder (libpq takes a folder for its host) and the superuser with trust login.
QString socketDir();
QString user();
// A new empty database on the server, its name unique in this run.
QString createDatabase();
// Runs statements on the server's database as the superuser, in one session; returns the first
// error (and runs no further statement), if any.
QString exec(const QString &database, const QStringList &statements);
// The one role that must give its password (the others log in without one); creates it with
// the password on first use. Empty on failure.
QString passwordUser(const QString &password);
// Writes a zendrik.conf naming the server's database into the folder and returns its path.
QString writeConfig(const QString &folder, const QString &database, const QString &user = PgServer::user());
} // namespace PgServer

// Skips the current test with the reason when there is no server.
#define SKIP_WITHOUT_POSTGRES()                                                                                        \
    do {                                                                                                               \
        if (const QString why = PgServer::unavailable(); !why.isEmpty())                                               \
            GTEST_SKIP() << "PostgreSQL test server not available: " << why.toStdString();                             \
    } while (0)
