#include "data/RowStream.h"

#include "data/AppError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <atomic>
#include <libpq-fe.h>

namespace {
// The first batch is small, so the first row comes as soon as the server finds it.
constexpr int kFirstBatch = 64;
constexpr int kBatch = 1000;
std::atomic<int> counter{0};
} // namespace

RowStream::RowStream(QSqlQuery rows) : query_(std::move(rows)) {}

RowStream::RowStream(const QSqlDatabase &db, const Statement &statement) : query_(db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    const bool pq =
        handle.isValid() && (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0);
    if (!pq) throw AppError(QStringLiteral("no server connection (%1)").arg(statement.text));
    PGconn *conn = *static_cast<PGconn *const *>(handle.data());
    if (!query_.exec(QStringLiteral("begin transaction read only"))) throw AppError(query_.lastError().text());
    cursor_ = QStringLiteral("row_stream%1").arg(++counter);
    // The driver cannot prepare a cursor's declaration: the values go as parameters of their own.
    PGresult *result = Statements::execOnServer(
        conn, Statements::numbered(QStringLiteral("declare %1 no scroll cursor for %2").arg(cursor_, statement.text)),
        Statements::serverValues(statement.values));
    const bool declared = PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString error = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    PQclear(result);
    if (!declared) {
        query_.exec(QStringLiteral("rollback"));
        cursor_.clear();
        throw AppError(QStringLiteral("%1 (%2)").arg(error, statement.text));
    }
    fetch();
}

RowStream::RowStream(RowStream &&other) noexcept
    : query_(std::move(other.query_)), cursor_(std::move(other.cursor_)), inBatch_(other.inBatch_),
      lastBatch_(other.lastBatch_) {
    other.cursor_.clear();
}

RowStream::~RowStream() {
    if (cursor_.isEmpty()) return;
    // The cursor ends with the transaction.
    query_.finish();
    query_.exec(QStringLiteral("commit"));
}

void RowStream::fetch() {
    const int batch = lastBatch_ == 0 ? kFirstBatch : kBatch;
    if (!query_.exec(QStringLiteral("fetch %1 from %2").arg(batch).arg(cursor_)))
        throw AppError(query_.lastError().text());
    lastBatch_ = batch;
    inBatch_ = query_.next() ? 1 : 0;
}

void RowStream::next() {
    if (query_.next()) {
        ++inBatch_;
        return;
    }
    // A short batch was the last one.
    if (cursor_.isEmpty() || inBatch_ < lastBatch_) return;
    fetch();
}
