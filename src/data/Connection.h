#pragma once
#include "data/Store.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <memory>

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
    // On a server: how many seconds a write waits for another desk's write (the configuration's
    // lock_timeout).
    int lockTimeout() const { return lockTimeout_; }
    // After a failed statement on a server: whether the connection is gone (then it is closed,
    // and the next statement connects again).
    bool dropIfLost();
    // The store the database is kept in, as found when it opened (opening it when closed):
    // what statements are written for. Throws AppError when it cannot open.
    std::shared_ptr<const Store> store();
    // The first column of the statement's first row as a number; -1 when it fails or is Null.
    qint64 number(const Statement &statement);
    // The address a second, read-only connection opens the same file by (as this one opened it,
    // never for writing); empty while closed.
    QString readerAddress() const;

private:
    void useDriver(const QString &driver);
    void openServer(const QString &configFile);

    QString name_;
    bool server_ = false;
    int lockTimeout_ = 0;
    QString connectionString_;
    std::shared_ptr<const Store> store_;
    QString openFile_; // the file while open
    QString openedWith_; // the parameters it opened with
};
