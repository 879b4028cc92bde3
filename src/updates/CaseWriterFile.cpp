// The update import's rows on the SQLite file: one prepared insert with values bound in place,
// a large page cache while it runs, and the name index built for the new rows in one go.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/SearchIndex.h"
#include "updates/CaseWriter.h"

#include <array>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(sqlite3 *db) { throw AppError(QString::fromUtf8(sqlite3_errmsg(db))); }

// One statement of the engine, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) fail(db);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Reads the one value of a single-row aggregate; an engine error throws.
    bool row() {
        const int rc = sqlite3_step(stmt_);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail(db_);
        return rc == SQLITE_ROW;
    }
    bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    QString text(int column) const {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column)),
                                 sqlite3_column_bytes(stmt_, column));
    }

    void bind(int index, qint64 value) { check(sqlite3_bind_int64(stmt_, index, value)); }
    // The text must stay until the statement has run: the engine does not copy it.
    void bind(int index, const QByteArray &utf8) {
        check(sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_STATIC));
    }
    void execute() {
        const int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        if (rc != SQLITE_DONE) fail(db_);
    }

private:
    void check(int rc) {
        if (rc != SQLITE_OK) fail(db_);
    }
    sqlite3 *db_ = nullptr;
    sqlite3_stmt *stmt_ = nullptr;
};

// A page cache big enough for the pages an import touches at random (the code and date indexes,
// the name index's merges) while it runs; the connection's own size comes back afterwards.
class LargeCache {
public:
    explicit LargeCache(sqlite3 *db) : db_(db) {
        Statement size(db, "pragma cache_size");
        before_ = size.row() ? size.integer(0) : 0;
        set(-256 * 1024); // in KiB: 256 MiB at most, taken only as pages are used
    }
    ~LargeCache() { set(before_); }
    LargeCache(const LargeCache &) = delete;
    LargeCache &operator=(const LargeCache &) = delete;

private:
    void set(qint64 size) {
        sqlite3_exec(db_, ("pragma cache_size=" + QByteArray::number(size)).constData(), nullptr, nullptr, nullptr);
    }
    sqlite3 *db_;
    qint64 before_ = 0;
};

class FileCaseWriter : public CaseWriter {
public:
    FileCaseWriter(sqlite3 *db, int expectedRows) : db_(db), expectedRows_(expectedRows) {
        if (!db_) throw AppError(QStringLiteral("No database connection."));
    }

    std::optional<QString> newestDate() override {
        Statement max(db_, "select max(update_date) from case_hs");
        if (!max.row() || max.isNull(0)) return std::nullopt;
        return max.text(0);
    }

    qint64 nextId() override {
        Statement max(db_, "select max(id) from case_hs");
        return max.row() && !max.isNull(0) ? max.integer(0) + 1 : 1;
    }

    void append(qint64 id, const QByteArray &name, const QByteArray &code, const QByteArray &spec,
                const QByteArray &date, const QByteArray &source) override {
        // Prepared at the first row: an import with nothing newer runs no insert.
        if (!insert_) {
            cache_.emplace(db_);
            append_.emplace(db_, QStringLiteral("case_hs"), expectedRows_);
            insert_.emplace(db_, "insert into case_hs values (?1,?2,?3,?4,?5,?5,0,?6)");
        }
        insert_->bind(1, id);
        insert_->bind(2, name);
        insert_->bind(3, code);
        insert_->bind(4, spec);
        insert_->bind(5, date);
        insert_->bind(6, source);
        insert_->execute();
    }

    void finish() override {
        if (append_) append_->finish();
    }

private:
    sqlite3 *db_;
    int expectedRows_;
    // Destroyed in reverse: the statement before the cache comes back to its size.
    std::optional<LargeCache> cache_;
    std::optional<SearchIndex::BulkAppend> append_;
    std::optional<Statement> insert_;
};

} // namespace

std::unique_ptr<CaseWriter> makeFileCaseWriter(Connection &connection, int expectedRows) {
    return std::make_unique<FileCaseWriter>(connection.handle(), expectedRows);
}
