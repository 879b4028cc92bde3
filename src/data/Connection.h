#pragma once
#include "data/SearchPlan.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>

struct sqlite3;

// One window's connection to the lookup database. Assigning the connection string touches
// nothing; the first statement opens the file. The file is never created: a missing file is an
// error, as is a file that is not a database. A connection string naming a configuration file
// (StoreConfig) connects to the database server it names instead.
class Connection {
public:
    explicit Connection(const QString &ownerName);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setConnectionString(const QString &text);
    const QString &connectionString() const { return connectionString_; }

    void ensureOpen(); // throws AppError with the reason
    void close();
    bool isOpen() const;
    QSqlDatabase database() const;
    // The engine's handle of the open database; null while closed.
    sqlite3 *handle() const;
    const QString &name() const { return name_; }
    // Whether the open database is a server's (PostgreSQL) rather than the SQLite file.
    bool isServer() const { return server_; }
    // After a failed statement on a server: whether the connection is gone (then it is closed,
    // and the next statement connects again).
    bool dropIfLost();
    // The searched tables whose name index the open database (the file's or the server's) has,
    // found when it opened, and how to count on this connection: what the dialect needs to steer
    // a name search.
    SearchPlan::NameIndexes nameIndexes();
    // The address a second, read-only connection opens the same file by (as this one opened it,
    // never for writing); empty while closed.
    QString readerAddress() const;

private:
    void useDriver(const QString &driver);
    void openServer(const QString &configFile);

    QString name_;
    bool server_ = false;
    QString connectionString_;
    QSet<QString> nameIndexes_;
    QString openFile_; // the file while open
    QString openedWith_; // the parameters it opened with
};
