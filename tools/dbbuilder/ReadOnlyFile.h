#pragma once
#include "data/Statement.h"

#include <QString>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// A read-only connection to a database file that leaves the file and its folder as they are:
// without a WAL file beside it the database is opened immutable, so not even a shared-memory
// file appears. Every failure throws AppError naming the file.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString &path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool hasTable(const char *name);
    // Runs the statement, its values bound, and calls `row` on every row it gives.
    void each(const Statement &sql, const std::function<void(sqlite3_stmt *)> &row);

private:
    [[noreturn]] void fail();

    QString path_;
    sqlite3 *db_ = nullptr;
};
