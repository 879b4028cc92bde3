#include "data/OrderedMatches.h"

#include "data/CaseOrder.h"
#include "data/SearchIndex.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <sqlite3.h>
#include <vector>

namespace OrderedMatches {

namespace {

const QString kTable = QStringLiteral("case_hs");

// The columns: the row and its place, then the function's arguments.
enum Column { Row, Seq, Query, Prefix, Descending };

// A code's place in the order: null first, then the A-Z folded bytes as the nocase collation
// compares them (a shorter code before the longer one it starts), then the rowid.
struct Key {
    bool null = true;
    QByteArray folded;
    qint64 rowid = 0;
};

QByteArray folded(const unsigned char *text, int size) {
    return CaseOrder::folded(QByteArrayView(reinterpret_cast<const char *>(text), size));
}

int compareCodes(const Key &a, const Key &b) {
    if (a.null || b.null) return int(b.null) - int(a.null);
    return a.folded.compare(b.folded);
}

bool before(const Key &a, const Key &b) {
    const int c = compareCodes(a, b);
    return c != 0 ? c < 0 : a.rowid < b.rowid;
}

Key keyOf(sqlite3_stmt *stmt, int rowidColumn, int codeColumn) {
    Key k;
    k.rowid = sqlite3_column_int64(stmt, rowidColumn);
    k.null = sqlite3_column_type(stmt, codeColumn) == SQLITE_NULL;
    if (!k.null) k.folded = folded(sqlite3_column_text(stmt, codeColumn), sqlite3_column_bytes(stmt, codeColumn));
    return k;
}

using StatementPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

StatementPtr prepare(sqlite3 *db, const QString &sql) {
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) stmt = nullptr;
    return StatementPtr(stmt, sqlite3_finalize);
}

bool tableExists(sqlite3 *db, const QString &name) {
    StatementPtr s = prepare(db, QStringLiteral("select 1 from sqlite_master where type='table' and name=?1"));
    if (!s) return false;
    const QByteArray n = name.toUtf8();
    sqlite3_bind_text(s.get(), 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
    return sqlite3_step(s.get()) == SQLITE_ROW;
}

// The index's matches with their codes, within a range of rowids, in rowid order.
QString matchesBetween(bool descending) {
    const QString idx = SearchIndex::indexTable(kTable);
    return QStringLiteral("select %1.rowid, c.code from %1 cross join %2 as c where %1 match ?1 and %1.rowid >= ?2 "
                          "and %1.rowid <= ?3 and c.rowid = %1.rowid order by %1.rowid%3")
        .arg(idx, kTable, descending ? QStringLiteral(" desc") : QString());
}

struct Table : sqlite3_vtab {
    sqlite3 *db = nullptr;
};

// One source of keys in the output's order: a run read through the index, or the sorted tail.
struct Stream {
    StatementPtr stmt{nullptr, sqlite3_finalize};
    std::vector<Key> held; // the tail, sorted; read from the back
    Key head;
    bool live = false;
};

struct Cursor : sqlite3_vtab_cursor {
    std::vector<Stream> streams;
    std::vector<int> heap; // streams with a head, best first by the heap's order
    bool descending = false;
    qint64 seq = 0;
    qint64 row = 0;
    bool eof = true;

    bool after(int a, int b) const {
        // std::push_heap keeps the greatest on top: "greater" is "later in the output".
        return descending ? before(streams[size_t(a)].head, streams[size_t(b)].head)
                          : before(streams[size_t(b)].head, streams[size_t(a)].head);
    }
    auto order() {
        return [this](int a, int b) { return after(a, b); };
    }
};

int fail(sqlite3_vtab *vtab, sqlite3 *db) {
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", sqlite3_errmsg(db));
    return SQLITE_ERROR;
}

// Moves a stream to its next key; false on an engine error.
bool advance(Stream &s) {
    if (!s.stmt) {
        s.live = !s.held.empty();
        if (s.live) {
            s.head = std::move(s.held.back());
            s.held.pop_back();
        }
        return true;
    }
    const int rc = sqlite3_step(s.stmt.get());
    s.live = rc == SQLITE_ROW;
    if (s.live) s.head = keyOf(s.stmt.get(), 0, 1);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

// The first rowid in [from, to + 1] at or after which every row of the run fails the test (rows
// before it pass): the run is in code order and the test passes a prefix of it. Bisects over
// rowids, reading the first row at or after each middle (deleted rows leave gaps).
qint64 firstFailing(sqlite3 *db, qint64 from, qint64 to, const std::function<bool(const Key &)> &passes, bool &ok) {
    StatementPtr next =
        prepare(db, QStringLiteral("select rowid, code from %1 where rowid >= ?1 order by rowid limit 1").arg(kTable));
    if (!next) return ok = false, from;
    qint64 lo = from, hi = to + 1;
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        sqlite3_reset(next.get());
        sqlite3_bind_int64(next.get(), 1, mid);
        const int rc = sqlite3_step(next.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return ok = false, from;
        if (rc == SQLITE_ROW) {
            const Key k = keyOf(next.get(), 0, 1);
            if (k.rowid < hi && passes(k)) {
                lo = k.rowid + 1;
                continue;
            }
        }
        hi = mid;
    }
    return lo;
}

int connect(sqlite3 *db, void *, int, const char *const *, sqlite3_vtab **out, char **) {
    const int rc = sqlite3_declare_vtab(
        db, "create table x(r integer, seq integer, query hidden, prefix hidden, descending hidden)");
    if (rc != SQLITE_OK) return rc;
    auto *table = new (std::nothrow) Table();
    if (!table) return SQLITE_NOMEM;
    table->db = db;
    *out = table;
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab *vtab) {
    delete static_cast<Table *>(vtab);
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab *, sqlite3_index_info *info) {
    // Every argument is required: without one the function has nothing to answer.
    int found = 0;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &c = info->aConstraint[i];
        if (c.iColumn < Query || c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
        if (!c.usable) return SQLITE_CONSTRAINT;
        info->aConstraintUsage[i].argvIndex = c.iColumn - Query + 1;
        info->aConstraintUsage[i].omit = 1;
        found |= 1 << (c.iColumn - Query);
    }
    if (found != 0b111) return SQLITE_CONSTRAINT;
    // The rows come in seq order.
    info->orderByConsumed = info->nOrderBy == 1 && info->aOrderBy[0].iColumn == Seq && !info->aOrderBy[0].desc ? 1 : 0;
    info->estimatedCost = 100;
    info->estimatedRows = 1000;
    return SQLITE_OK;
}

int open(sqlite3_vtab *, sqlite3_vtab_cursor **out) {
    auto *cursor = new (std::nothrow) Cursor();
    if (!cursor) return SQLITE_NOMEM;
    *out = cursor;
    return SQLITE_OK;
}

int close(sqlite3_vtab_cursor *cursor) {
    delete static_cast<Cursor *>(cursor);
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor *base) {
    auto *c = static_cast<Cursor *>(base);
    if (c->heap.empty()) {
        c->eof = true;
        return SQLITE_OK;
    }
    std::pop_heap(c->heap.begin(), c->heap.end(), c->order());
    const int s = c->heap.back();
    Stream &stream = c->streams[size_t(s)];
    c->row = stream.head.rowid;
    ++c->seq;
    c->eof = false;
    if (!advance(stream)) return fail(base->pVtab, static_cast<Table *>(base->pVtab)->db);
    if (stream.live) std::push_heap(c->heap.begin(), c->heap.end(), c->order());
    else c->heap.pop_back();
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor *base, int, const char *, int, sqlite3_value **argv) {
    auto *c = static_cast<Cursor *>(base);
    sqlite3 *db = static_cast<Table *>(base->pVtab)->db;
    c->streams.clear();
    c->heap.clear();
    c->seq = 0;
    c->eof = true;
    const QByteArray query(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])), sqlite3_value_bytes(argv[0]));
    const QByteArray prefix = folded(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]));
    c->descending = sqlite3_value_int(argv[2]) != 0;
    if (query.isEmpty()) return SQLITE_OK;

    // The order's end and the runs' first rows below it; none recorded: every row is tail.
    qint64 end = 0;
    std::vector<qint64> starts{1};
    if (tableExists(db, CaseOrder::orderTable(kTable))) {
        StatementPtr s = prepare(db, QStringLiteral("select clustered_to from %1").arg(CaseOrder::orderTable(kTable)));
        if (!s) return fail(base->pVtab, db);
        if (sqlite3_step(s.get()) == SQLITE_ROW) end = sqlite3_column_int64(s.get(), 0);
    }
    if (end > 0 && tableExists(db, CaseOrder::runsTable(kTable))) {
        StatementPtr s = prepare(db, QStringLiteral("select first_rowid from %1 where first_rowid > 1 and first_rowid "
                                                    "<= ?1 order by first_rowid")
                                         .arg(CaseOrder::runsTable(kTable)));
        if (!s) return fail(base->pVtab, db);
        sqlite3_bind_int64(s.get(), 1, end);
        while (sqlite3_step(s.get()) == SQLITE_ROW) starts.push_back(sqlite3_column_int64(s.get(), 0));
    }

    Key start;
    start.null = false;
    start.folded = prefix;
    const auto inPrefix = [&](const Key &k) { return !k.null && k.folded.startsWith(prefix); };
    const auto belowPrefix = [&](const Key &k) { return compareCodes(k, start) < 0; };
    const QString sql = matchesBetween(c->descending);
    const auto stream = [&](qint64 from, qint64 to) -> StatementPtr {
        StatementPtr s = prepare(db, sql);
        if (!s) return s;
        sqlite3_bind_text(s.get(), 1, query.constData(), int(query.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(s.get(), 2, from);
        sqlite3_bind_int64(s.get(), 3, to);
        return s;
    };
    for (size_t i = 0; end > 0 && i < starts.size(); ++i) {
        qint64 from = starts[i], to = i + 1 < starts.size() ? starts[i + 1] - 1 : end;
        if (!prefix.isEmpty()) {
            bool ok = true;
            from = firstFailing(db, from, to, belowPrefix, ok);
            to = firstFailing(
                     db, from, to, [&](const Key &k) { return belowPrefix(k) || inPrefix(k); }, ok) -
                 1;
            if (!ok) return fail(base->pVtab, db);
        }
        if (from > to) continue;
        Stream s;
        s.stmt = stream(from, to);
        if (!s.stmt) return fail(base->pVtab, db);
        c->streams.push_back(std::move(s));
    }
    // The tail, sorted, held last first.
    Stream tail;
    {
        StatementPtr s = stream(end + 1, std::numeric_limits<qint64>::max());
        if (!s) return fail(base->pVtab, db);
        int rc;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            Key k = keyOf(s.get(), 0, 1);
            if (prefix.isEmpty() || inPrefix(k)) tail.held.push_back(std::move(k));
        }
        if (rc != SQLITE_DONE) return fail(base->pVtab, db);
        const bool descending = c->descending;
        std::sort(tail.held.begin(), tail.held.end(),
                  [descending](const Key &a, const Key &b) { return descending ? before(a, b) : before(b, a); });
    }
    c->streams.push_back(std::move(tail));

    for (size_t i = 0; i < c->streams.size(); ++i) {
        if (!advance(c->streams[i])) return fail(base->pVtab, db);
        if (c->streams[i].live) c->heap.push_back(int(i));
    }
    std::make_heap(c->heap.begin(), c->heap.end(), c->order());
    return next(base);
}

int eof(sqlite3_vtab_cursor *base) { return static_cast<Cursor *>(base)->eof ? 1 : 0; }

int column(sqlite3_vtab_cursor *base, sqlite3_context *context, int n) {
    const auto *c = static_cast<Cursor *>(base);
    if (n == Row) sqlite3_result_int64(context, c->row);
    else if (n == Seq) sqlite3_result_int64(context, c->seq);
    else sqlite3_result_null(context);
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor *base, sqlite_int64 *out) {
    *out = static_cast<Cursor *>(base)->seq;
    return SQLITE_OK;
}

sqlite3_module makeModule() {
    sqlite3_module m{};
    m.iVersion = 0;
    m.xCreate = nullptr; // eponymous only: used as a table-valued function, never created
    m.xConnect = connect;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnect;
    m.xDestroy = disconnect;
    m.xOpen = open;
    m.xClose = close;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowid;
    return m;
}

const sqlite3_module kModule = makeModule();

} // namespace

bool install(sqlite3 *db) { return sqlite3_create_module(db, kName, &kModule, nullptr) == SQLITE_OK; }

} // namespace OrderedMatches
