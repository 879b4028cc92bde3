#include "data/SqliteResultEngine.h"

#include "data/AppError.h"
#include "data/Dialect.h"
#include "data/PlainCodeFunction.h"

#include <sqlite3.h>

namespace {
// The reader's reads go through a small page cache rather than a memory map of the file: the
// pages of a result read once do not stay with the program.
constexpr const char *kSetup = "pragma mmap_size=0; pragma cache_size=-8192; begin";

// A prepared SQLite statement, its values written as the engine stores them.
class SqliteRows : public RowSource {
public:
    SqliteRows(sqlite3 *db, const Statement &statement) {
        const QByteArray text = statement.text.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt_, nullptr) != SQLITE_OK ||
            Statements::bind(stmt_, statement.values) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(stmt_);
            throw AppError(message);
        }
    }
    ~SqliteRows() override { finish(); }
    int columns() const override { return sqlite3_column_count(stmt_); }
    bool step() override { return stmt_ && sqlite3_step(stmt_) == SQLITE_ROW; }
    void finish() override {
        // Finalizing ends the statement's read of the database, so later statements on the
        // connection see later changes.
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
    void write(QByteArray &out) const override {
        const int n = sqlite3_column_count(stmt_);
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(stmt_, c)) {
            case SQLITE_NULL:
                putNull(out);
                break;
            case SQLITE_INTEGER:
                putInteger(out, sqlite3_column_int64(stmt_, c));
                break;
            case SQLITE_FLOAT:
                putReal(out, sqlite3_column_double(stmt_, c));
                break;
            case SQLITE_TEXT:
                putText(out, reinterpret_cast<const char *>(sqlite3_column_text(stmt_, c)),
                        quint32(sqlite3_column_bytes(stmt_, c)));
                break;
            default:
                putBlob(out, static_cast<const char *>(sqlite3_column_blob(stmt_, c)),
                        quint32(sqlite3_column_bytes(stmt_, c)));
            }
        }
    }

private:
    sqlite3_stmt *stmt_ = nullptr;
};

} // namespace

void SqliteResultEngine::open() {
    const QByteArray address = address_.toUtf8();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(address.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    db_ = db;
    if (rc != SQLITE_OK) throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_busy_timeout(db, 5000);
    Dialect::install(db);
    PlainCodeFunction::install(db);
    if (sqlite3_exec(db, kSetup, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
}

qint64 SqliteResultEngine::count(const Statement &statement) {
    const QByteArray text = statement.text.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    qint64 n = -1;
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt, nullptr) == SQLITE_OK &&
        Statements::bind(stmt, statement.values) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        n = sqlite3_column_int64(stmt, 0);
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_finalize(stmt);
    if (n < 0) throw AppError(message);
    return n;
}

std::unique_ptr<RowSource> SqliteResultEngine::rows(const Statement &statement) {
    return std::make_unique<SqliteRows>(db_, statement);
}

void SqliteResultEngine::end() { sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr); }

void SqliteResultEngine::interrupt() {
    if (sqlite3 *db = db_) sqlite3_interrupt(db);
}

void SqliteResultEngine::close() { sqlite3_close(db_.exchange(nullptr)); }
