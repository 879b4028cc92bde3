#include "data/SearchIndex.h"

#include "data/AppError.h"
#include "data/CharTokenizer.h"
#include "data/OrderedMatches.h"
#include "data/Statement.h"

#include <limits>
#include <memory>
#include <optional>
#include <sqlite3.h>

namespace SearchIndex {

namespace {
const QString kSuffix = QStringLiteral("_name_index");

QString insertTrigger(const QString &table) { return indexTable(table) + QLatin1String("_insert"); }

[[noreturn]] void fail(sqlite3 *db) { throw AppError(QString::fromUtf8(sqlite3_errmsg(db))); }

void exec(sqlite3 *db, const QString &sql) {
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(db);
}

// The first column of the first row of a statement with text parameters, as text; none for no
// row or a null.
std::optional<QByteArray> firstValue(sqlite3 *db, const QString &sql, const QStringList &parameters = {}) {
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) fail(db);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(stmt, sqlite3_finalize);
    for (int i = 0; i < parameters.size(); ++i)
        sqlite3_bind_text(stmt, i + 1, parameters[i].toUtf8().constData(), -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail(db);
    if (rc != SQLITE_ROW || sqlite3_column_type(stmt, 0) == SQLITE_NULL) return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), sqlite3_column_bytes(stmt, 0));
}

int autoEntry(sqlite3 *db, const char **, const sqlite3_api_routines *) {
    // An engine without FTS5 still opens databases without the index.
    CharTokenizer::install(db);
    OrderedMatches::install(db);
    return SQLITE_OK;
}
} // namespace

void registerTokenizer() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(autoEntry)); }

QString indexTable(const QString &table) { return table + kSuffix; }

QString query(const QString &fragment) {
    QStringList phrases;
    QString piece;
    const auto flush = [&] {
        if (piece.isEmpty()) return;
        piece.replace(u'"', QStringLiteral("\"\""));
        phrases << u'"' + piece + u'"';
        piece.clear();
    };
    for (const QChar c : fragment) {
        if (c == u'%' || c == u'_') flush();
        else piece += c;
    }
    flush();
    return phrases.join(QStringLiteral(" AND "));
}

BulkAppend::BulkAppend(sqlite3 *db, const QString &table, qint64 rows) : db_(db), table_(table) {
    const std::optional<QByteArray> sql = firstValue(
        db, QStringLiteral("select sql from sqlite_master where type='trigger' and name=?1"), {insertTrigger(table)});
    if (!sql) return;
    lastRowid_ = firstValue(db, QStringLiteral("select max(rowid) from %1").arg(table)).value_or("0").toLongLong();
    // Past the largest rowid the engine picks rowids at random, and "rowid > last" misses rows.
    if (lastRowid_ > std::numeric_limits<qint64>::max() - rows) return;
    exec(db, QStringLiteral("drop trigger %1").arg(insertTrigger(table)));
    trigger_ = *sql;
}

void BulkAppend::finish() {
    if (trigger_.isEmpty()) return;
    const QString idx = indexTable(table_);
    const QByteArray insert = QStringLiteral("insert into %1(rowid, name) select rowid, name from %2 where rowid > ?")
                                  .arg(idx, table_)
                                  .toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const bool indexed = sqlite3_prepare_v2(db_, insert.constData(), -1, &stmt, nullptr) == SQLITE_OK &&
                         Statements::bind(stmt, {lastRowid_}) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    if (!indexed) fail(db_);
    if (sqlite3_exec(db_, trigger_.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_);
    trigger_.clear();
}

QStringList createStatements() {
    // Only the cases are indexed: the tariff and the rulings are small enough to scan.
    const QString idx = indexTable(QStringLiteral("case_hs"));
    return {
        // External content: the index holds tokens only and reads names from case_hs by rowid.
        QStringLiteral("create virtual table %1 using fts5(name, content='case_hs', "
                       "content_rowid='rowid', tokenize='%2', columnsize=0)")
            .arg(idx, QLatin1String(CharTokenizer::kName)),
        QStringLiteral("create trigger %1_insert after insert on case_hs begin "
                       "insert into %1(rowid, name) values (new.rowid, new.name); end")
            .arg(idx),
        QStringLiteral("create trigger %1_delete after delete on case_hs begin "
                       "insert into %1(%1, rowid, name) values ('delete', old.rowid, old.name); end")
            .arg(idx),
        QStringLiteral("create trigger %1_update after update on case_hs begin "
                       "insert into %1(%1, rowid, name) values ('delete', old.rowid, old.name); "
                       "insert into %1(rowid, name) values (new.rowid, new.name); end")
            .arg(idx),
        QStringLiteral("insert into %1(%1) values ('rebuild')").arg(idx),
    };
}

QSet<QString> detect(sqlite3 *db) {
    QSet<QString> found;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select name from sqlite_master where type='table' and sql like '%using fts5%'", -1,
                           &stmt, nullptr) != SQLITE_OK)
        return found;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        if (name.endsWith(kSuffix, Qt::CaseInsensitive)) found.insert(name.chopped(kSuffix.size()).toLower());
    }
    sqlite3_finalize(stmt);
    return found;
}

} // namespace SearchIndex
