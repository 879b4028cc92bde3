#pragma once
#include <QSqlDatabase>
#include <QString>

struct sqlite3;
class Connection;

// A write transaction: everything between its start and commit() is kept, or none of it.
//
// It begins IMMEDIATE: the write lock is taken at the start and, while another program writes,
// waited for with the connection's busy timeout like any statement. (A transaction that reads
// first and asks for the write lock later is refused at once: SQLite does not wait to upgrade a
// read lock.) Leaving the scope without commit() rolls back; a rollback never throws.
//
// On a database server the same holds: the transaction takes the program's one write lock (a
// transaction-level advisory lock) at its start, so writers from every desk take turns, and
// waits for it at most the configuration's lock_timeout before it says another desk is writing.
class Transaction {
public:
    explicit Transaction(sqlite3 *db); // throws AppError when the write lock cannot be had
    explicit Transaction(Connection &connection); // opens the connection first
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit(); // throws AppError; the transaction is rolled back then

private:
    sqlite3 *db_ = nullptr;
    QSqlDatabase server_; // valid on a server instead of db_
    bool open_ = false;
};

namespace Transactions {
// What the user reads when another program holds the database's write lock longer than the
// busy timeout; reason is the engine's text.
QString inUseMessage(const QString &reason);
// What the user reads when another desk's write on the server outlasts the wait.
QString serverBusyMessage(int seconds);
} // namespace Transactions
