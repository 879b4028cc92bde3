#pragma once
#include <QString>
#include <QStringList>

// The tests' throwaway PostgreSQL server: initdb and pg_ctl in a temporary folder, listening only
// on a unix socket in that folder (no port taken, nothing reachable from outside). As root it runs
// as "nobody": the server refuses to run as root.
//
// Under ctest one server serves the whole run: the test pg_server_start starts it and writes its
// folder into the file that ZENDRIK_TEST_SERVER names, pg_server_stop stops it, and every test
// executable that uses it connects there. An executable run by hand, without that variable,
// starts a server of its own at first use and stops it when it ends.
//
// Executables side by side on one server do not meet: each makes its own databases and its own
// password role, named after its process, and drops them when it ends.
namespace PgServer {
// Empty when the server can be used; otherwise why not.
QString unavailable();
// Whether PostgreSQL's programs and Qt's driver for it are installed. The tests skip only when
// they are not: a server that is installed but cannot be started or reached fails them.
bool installed();
// The socket folder (libpq takes a folder for its host) and the superuser with trust login.
QString socketDir();
QString user();
// A new empty database on the server, its name unique on the server. Empty on failure.
QString createDatabase();
// Runs statements on the server's database as the superuser, in one session; returns the first
// error (and runs no further statement), if any.
QString exec(const QString &database, const QStringList &statements);
// The one role of this executable that must give its password (the others log in without one);
// made anew with the password on every call. Empty on failure.
QString passwordUser(const QString &password);
// Writes a zendrik.conf naming the server's database into the folder and returns its path.
QString writeConfig(const QString &folder, const QString &database, const QString &user = PgServer::user());

// The server of a whole test run (tests/pgserver): starts one and writes its folder into
// stateFile, stopping first a server an interrupted run left there; stops the server stateFile
// names and removes its folder. Both return the error, if any. Without PostgreSQL installed,
// start writes no state file and succeeds: the tests then skip.
QString startShared(const QString &stateFile);
QString stopShared(const QString &stateFile);
} // namespace PgServer

// Skips the current test when PostgreSQL is not installed; fails it when it is but the server
// cannot be used.
#define SKIP_WITHOUT_POSTGRES()                                                                                        \
    do {                                                                                                               \
        if (const QString why = PgServer::unavailable(); !why.isEmpty()) {                                             \
            if (!PgServer::installed()) GTEST_SKIP() << "PostgreSQL not installed: " << why.toStdString();             \
            FAIL() << "PostgreSQL test server not available: " << why.toStdString();                                   \
        }                                                                                                              \
    } while (0)
