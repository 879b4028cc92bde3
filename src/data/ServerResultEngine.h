#pragma once
#include "data/ResultEngine.h"

#include <QSqlDatabase>

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
    void interrupt() override;
    void close() override;

    // Rows a cursor brings to the client at a time.
    static constexpr int kFetchRows = 1000;

private:
    QSqlDatabase database() const;
    [[noreturn]] void fail(const class QSqlQuery &query, const QString &statement) const;

    QString host_, database_, user_, password_, options_;
    int port_ = -1;
    QString name_; // the connection's, while open
    pg_conn *conn_ = nullptr; // the driver's, while open
    pg_cancel *cancel_ = nullptr;
    int cursors_ = 0;
};
