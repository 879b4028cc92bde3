#pragma once
#include <QString>

// Which store the program works on. Without a configuration file it is the SQLite file, as
// always. A team shares one database server instead: a file zendrik.conf, looked for in the
// user's configuration folder ($XDG_CONFIG_HOME/zendrik/, ~/.config/zendrik/ by default) and
// then beside the executable, names it:
//
//     [server]
//     host=db.office.lan
//     port=5432
//     database=zendrik
//     user=wang
//
// host may be a socket folder (/run/postgresql); port is optional. Instead of host and database,
// service=NAME names an entry of the user's ~/.pg_service.conf. connect_timeout=SECONDS (5 by
// default) bounds how long an unreachable server keeps the program waiting. lock_timeout=SECONDS
// (30 by default) bounds how long a write (an import, a feed refresh) waits while another desk
// writes; past it the write stops with a message and changes nothing.
//
// The password is never in this file: the server's client library finds it in ~/.pgpass (or
// the file PGPASSFILE names) or in the service's entry. A file with a password key is refused.
namespace StoreConfig {
struct Server {
    QString host;
    int port = 0; // 0: the client library's default
    QString database;
    QString user;
    QString service;
    int connectTimeout = 5;
    int lockTimeout = 30;
    // The options the client library reads besides host, port, database and user.
    QString connectOptions() const;
    // "PostgreSQL db on host:port as user", for the About window and the version text.
    QString describe() const;
};

// The configuration file in use; empty when there is none (the SQLite file is used).
QString configFile();
// The connection string of a configured server: a provider piece and the file it comes from.
QString connectionString(const QString &file);
// The file named by a server's connection string; empty for the SQLite file's.
QString fileOf(const QString &connectionString);
// Which store the program uses, for the About window and the version text: "PostgreSQL ..." as
// the configuration names it (or why the configuration cannot be used), or "SQLite <file>".
QString inUse();
// Reads a configuration file; throws AppError with the reason when it cannot be used.
Server read(const QString &file);
} // namespace StoreConfig
