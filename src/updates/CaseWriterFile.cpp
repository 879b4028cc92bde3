// The update import's rows on the SQLite file: held until the end, then sorted by code and written
// by one prepared insert with values bound in place, a large page cache while it runs, and the
// name index built for the new rows in one go.
#include "data/AppError.h"
#include "data/CaseOrder.h"
#include "data/Connection.h"
#include "data/SearchIndex.h"
#include "updates/CaseWriter.h"

#include <algorithm>
#include <array>
#include <sqlite3.h>
#include <vector>

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
    FileCaseWriter(sqlite3 *db, int expectedRows) : db_(db) {
        if (!db_) throw AppError(QStringLiteral("No database connection."));
        held_.reserve(size_t(std::max(expectedRows, 0)));
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
        held_.push_back({id, name, code, spec, date, source, CaseOrder::folded(code)});
    }

    // The rows go in sorted by code, equal codes in the file's order: they are a run in code order
    // of their own (CaseOrder), and the code index takes them in order.
    void finish() override {
        if (held_.empty()) return;
        std::stable_sort(held_.begin(), held_.end(), [](const Row &a, const Row &b) { return a.folded < b.folded; });
        const qint64 before = largestRowid();
        {
            const LargeCache cache(db_);
            SearchIndex::BulkAppend append(db_, QStringLiteral("case_hs"), qint64(held_.size()));
            Statement insert(db_, "insert into case_hs values (?1,?2,?3,?4,?5,?5,0,?6)");
            for (const Row &r : held_) {
                insert.bind(1, r.id);
                insert.bind(2, r.name);
                insert.bind(3, r.code);
                insert.bind(4, r.spec);
                insert.bind(5, r.date);
                insert.bind(6, r.source);
                insert.execute();
            }
            append.finish();
        }
        // Rowids taken one after another (not at random past the largest possible): a run.
        if (const qint64 after = largestRowid(); after - before == qint64(held_.size()))
            CaseOrder::extend(db_, before + 1, after);
        held_.clear();
    }

    void addEvidence(const SuggestEvidence::Counts &counts) override { SuggestEvidence::addToFile(db_, counts); }

private:
    struct Row {
        qint64 id;
        QByteArray name, code, spec, date, source, folded;
    };

    qint64 largestRowid() {
        Statement max(db_, "select coalesce(max(rowid), 0) from case_hs");
        return max.row() ? max.integer(0) : 0;
    }

    sqlite3 *db_;
    std::vector<Row> held_;
};

} // namespace

std::unique_ptr<CaseWriter> makeFileCaseWriter(Connection &connection, int expectedRows) {
    return std::make_unique<FileCaseWriter>(connection.handle(), expectedRows);
}
