#pragma once
#include "data/ResultEngine.h"

#include <QSqlDatabase>
#include <atomic>
#include <functional>
#include <mutex>

struct pg_cancel;
struct pg_conn;

// Reads the database server through a connection of its own, opened on the reader's thread
// with the window's connection's parameters, in one read-only repeatable-read transaction:
// every statement's rows come through a cursor of that transaction, a batch at a time, so
// the client never holds more than a batch however long the result.
class ServerResultEngine : public ResultEngine {
public:
    // Takes the parameters of the open server connection (on its own thread).
    explicit ServerResultEngine(const QSqlDatabase &model);
    ~ServerResultEngine() override;

    void open() override;
    qint64 count(const Statement &statement) override;
    std::unique_ptr<RowSource> rows(const Statement &statement) override;
    void end() override;
    // Stops the reader for good: a statement running is cancelled on the server, the cancel
    // sent again until it returns (a statement still on its way finds a cancel sent before it
    // arrives gone), and no statement runs afterwards. Returns once no statement runs.
    void interrupt() override;
    void close() override;

    // Rows a cursor brings to the client at a time.
    static constexpr int kFetchRows = 1000;

    // What runs a statement on the reader's connection and what stops it, shared with the
    // cursors' fetches.
    class Stop {
    public:
        // Runs the statement unless the reader stopped (then it throws AppError).
        bool exec(class QSqlQuery &query, const QString &statement);
        // Sends what `send` sends unless the reader stopped (then it throws AppError).
        bool run(const std::function<bool()> &send);
        void interrupt();
        // The connection's cancel handle, while it is open.
        void setCancel(pg_cancel *cancel);

    private:
        std::atomic<bool> stopped_{false};
        std::atomic<bool> running_{false};
        std::mutex cancelMutex_;
        pg_cancel *cancel_ = nullptr;
    };

private:
    QSqlDatabase database() const;
    [[noreturn]] void fail(const class QSqlQuery &query, const QString &statement) const;

    QString host_, database_, user_, password_, options_;
    int port_ = -1;
    QString name_; // the connection's, while open
    pg_conn *conn_ = nullptr; // the driver's, while open
    Stop stop_;
    int cursors_ = 0;
};
