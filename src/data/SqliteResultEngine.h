#pragma once
#include "data/ResultEngine.h"

#include <atomic>

struct sqlite3;

// Reads the SQLite file through a read-only connection of its own, in one read transaction.
class SqliteResultEngine : public ResultEngine {
public:
    // `address`: the read-only connection's (Connection::readerAddress).
    explicit SqliteResultEngine(QString address) : address_(std::move(address)) {}
    ~SqliteResultEngine() override { SqliteResultEngine::close(); }

    void open() override;
    qint64 count(const Statement &statement) override;
    std::unique_ptr<RowSource> rows(const Statement &statement) override;
    void end() override;
    void interrupt() override;
    void close() override;

private:
    const QString address_;
    std::atomic<sqlite3 *> db_ = nullptr;
};
