#include "updates/UpdateImport.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/Gbk.h"
#include "data/GbkTable.h"
#include "data/SearchIndex.h"
#include "data/Transaction.h"
#include "updates/FlatRecord.h"
#include "updates/XmlDocument.h"

#include <array>
#include <sqlite3.h>

namespace UpdateImport {

namespace {

[[noreturn]] void fail(sqlite3 *db) { throw AppError(QString::fromUtf8(sqlite3_errmsg(db))); }

// One statement of the engine, finalized when it goes out of scope.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3 *db, const char *sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) fail(db);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(Statement &&other) noexcept {
        std::swap(db_, other.db_);
        std::swap(stmt_, other.stmt_);
        std::swap(texts_, other.texts_);
        return *this;
    }
    explicit operator bool() const { return stmt_ != nullptr; }

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
    // The statement keeps the text until it is bound again, so the engine need not copy it.
    void bind(int index, QByteArray utf8) {
        QByteArray &kept = texts_.at(index);
        kept = std::move(utf8);
        check(sqlite3_bind_text(stmt_, index, kept.constData(), int(kept.size()), SQLITE_STATIC));
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
    std::array<QByteArray, 8> texts_; // by parameter number
};

// The first n GBK characters of text (all of it when shorter).
QByteArray leftChars(const QByteArray &text, int n) {
    qsizetype pos = 0;
    for (int i = 0; i < n && pos < text.size(); ++i)
        pos += Gbk::isLeadByte(static_cast<unsigned char>(text.at(pos))) && pos + 1 < text.size() ? 2 : 1;
    return text.left(pos);
}

std::optional<QString> newestOn(sqlite3 *db) {
    Statement max(db, "select max(update_date) from case_hs");
    if (!max.row() || max.isNull(0)) return std::nullopt;
    return max.text(0);
}

// One more than the largest id; 1 for a table without ids.
qint64 nextId(sqlite3 *db) {
    Statement max(db, "select max(id) from case_hs");
    return max.row() && !max.isNull(0) ? max.integer(0) + 1 : 1;
}

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
        sqlite3_exec(db_, QByteArray("pragma cache_size=" + QByteArray::number(size)).constData(), nullptr, nullptr,
                     nullptr);
    }
    sqlite3 *db_;
    qint64 before_ = 0;
};

} // namespace

bool hasXmlEnding(const QString &fileName) {
    QString tail = fileName.right(3);
    for (QChar &c : tail)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return tail == QLatin1String("xml");
}

// The import writes through the SQLite file's own interface; on a database server it stops
// before reading anything.
static void requireFile(Connection &connection) {
    connection.ensureOpen();
    if (connection.isServer()) throw AppError(QStringLiteral("暂不支持向数据库服务器导入更新文件；请在管理员处导入。"));
}

std::optional<QString> newestDate(Connection &connection) {
    requireFile(connection);
    return newestOn(connection.handle());
}

Outcome run(Connection &connection, const QString &filePath, const Progress &progress) {
    requireFile(connection);
    const XmlDocument doc = XmlDocument::fromFile(filePath);
    sqlite3 *db = connection.handle();
    Transaction transaction(db);

    qint64 id = nextId(db);
    // Dates are text in one fixed-width layout and compare byte by byte; with no date in the
    // table every record is newer.
    const std::optional<QString> before = newestOn(db);
    const std::optional<QByteArray> newest = before ? std::optional(Gbk::encode(*before)) : std::nullopt;

    Outcome outcome;
    for (const xmlNode *child = doc.root()->children; child; child = child->next) ++outcome.read;
    if (progress) progress(0, outcome.read);

    // GBK values as the engine stores them: one table serves the whole file.
    GbkTable gbk;
    // Prepared at the first insert: a file with nothing newer runs no insert, as before.
    Statement insert;
    std::optional<LargeCache> cache;
    std::optional<SearchIndex::BulkAppend> append;
    int done = 0;
    for (const xmlNode *child = doc.root()->children; child; child = child->next) {
        const FieldList fields = SplitFlatRecord(FlattenNode(child));
        const QByteArray code = ScrambleCode(fields.at(0));
        const QByteArray a = withoutApostrophes(fields.at(1));
        const QByteArray b = withoutApostrophes(fields.at(2));
        const QByteArray date = leftChars(fields.at(3), 10);
        if (!newest || *newest < date) {
            const QByteArray &e = fields.at(4);
            if (!insert) {
                cache.emplace(db);
                append.emplace(db, QStringLiteral("case_hs"), outcome.read);
                insert = Statement(db, "insert into case_hs values (?1,?2,?3,?4,?5,?5,0,?6)");
            }
            insert.bind(1, id);
            insert.bind(2, gbk.toUtf8(a));
            insert.bind(3, code);
            insert.bind(4, gbk.toUtf8(b));
            insert.bind(5, gbk.toUtf8(date));
            insert.bind(6, gbk.toUtf8(e));
            insert.execute();
            ++id;
            ++outcome.imported;
        } else {
            ++outcome.skipped;
        }
        if (progress) progress(++done, outcome.read);
    }

    if (append) append->finish();
    outcome.newestDate = newestOn(db);
    transaction.commit();
    return outcome;
}

} // namespace UpdateImport
