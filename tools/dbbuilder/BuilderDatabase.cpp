#include "dbbuilder/BuilderDatabase.h"

#include "data/AppError.h"
#include "data/Schema.h"
#include "data/SearchIndex.h"
#include "suggest/SuggestEvidence.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {
int counter = 0;

// The name index counts as an index: built in one pass after a bulk load, not row by row.
bool isIndex(const QString &statement) {
    return statement.startsWith(QStringLiteral("create index"), Qt::CaseInsensitive) ||
           SearchIndex::createStatements().contains(statement);
}
} // namespace

BuilderDatabase::BuilderDatabase(const QString &path)
    : path_(path), connection_(QStringLiteral("dbbuilder%1").arg(++counter)) {
    SearchIndex::registerTokenizer();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path);
    if (!db.open()) {
        const QString reason = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
        throw AppError(QStringLiteral("%1：无法打开：%2").arg(path, reason));
    }
    const QVariant h = db.driver()->handle();
    handle_ = *static_cast<sqlite3 *const *>(h.constData());
    // Fails here, not later, when the file is not a database.
    exec(QStringLiteral("select count(*) from sqlite_master"));
}

BuilderDatabase::~BuilderDatabase() {
    handle_ = nullptr;
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

void BuilderDatabase::exec(const QString &sql) {
    char *error = nullptr;
    if (sqlite3_exec(handle_, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(handle_));
        sqlite3_free(error);
        throw AppError(QStringLiteral("%1: %2").arg(path_, message));
    }
}

void BuilderDatabase::createTables() {
    for (const QString &s : Schema::createStatements())
        if (!isIndex(s)) exec(s);
}

void BuilderDatabase::createIndexes() {
    for (const QString &s : Schema::createStatements())
        if (isIndex(s)) exec(s);
}

void BuilderDatabase::finish() {
    SuggestEvidence::rebuild(handle_);
    exec(QStringLiteral("pragma journal_mode=WAL"));
    exec(QStringLiteral("analyze"));
}

Inserter::Inserter(BuilderDatabase &db, const char *sql) : db_(db.handle()) {
    check(sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr));
}

Inserter::~Inserter() { sqlite3_finalize(stmt_); }

void Inserter::check(int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db_)));
}

Inserter &Inserter::text(const QString &value) { return utf8(value.toUtf8()); }

Inserter &Inserter::utf8(const QByteArray &value) {
    check(sqlite3_bind_text(stmt_, next_++, value.constData(), int(value.size()), SQLITE_TRANSIENT));
    return *this;
}

Inserter &Inserter::textOrNull(const QString &value) { return value.isEmpty() ? null() : text(value); }

Inserter &Inserter::integer(qint64 value) {
    check(sqlite3_bind_int64(stmt_, next_++, value));
    return *this;
}

Inserter &Inserter::real(std::optional<double> value) {
    if (!value) return null();
    check(sqlite3_bind_double(stmt_, next_++, *value));
    return *this;
}

Inserter &Inserter::null() {
    check(sqlite3_bind_null(stmt_, next_++));
    return *this;
}

void Inserter::insert() {
    next_ = 1;
    if (sqlite3_step(stmt_) != SQLITE_DONE) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_reset(stmt_);
        throw AppError(message);
    }
    sqlite3_reset(stmt_);
}
