#include "data/ServerResultEngine.h"

#include "data/AppError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>
#include <chrono>
#include <libpq-fe.h>
#include <thread>
#include <vector>

namespace {
std::atomic<int> counter{0};

// One cursor's rows, fetched a batch at a time on the reader's connection.
class CursorRows : public RowSource {
public:
    // Each batch comes whole (not forward only, which the driver reads row by row and gives up
    // when the other cursor fetches on the same connection).
    CursorRows(const QSqlDatabase &db, const QString &cursor, ServerResultEngine::Stop &stop)
        : query_(db), cursor_(cursor), stop_(stop) {}
    int columns() const override { return query_.record().count(); }
    bool step() override {
        if (done_) return false;
        if (query_.next()) return ++inBatch_, true;
        // A short batch was the last one.
        if (inBatch_ < ServerResultEngine::kFetchRows && fetched_) return finishFalse();
        fetched_ = true;
        inBatch_ = 0;
        // A failed fetch is no end of the rows: the reader stops, and says so.
        if (!stop_.exec(query_, QStringLiteral("fetch %1 from %2").arg(ServerResultEngine::kFetchRows).arg(cursor_)))
            throw AppError(query_.lastError().text());
        if (!query_.next()) return finishFalse();
        ++inBatch_;
        return true;
    }
    void write(QByteArray &out) const override {
        const int n = query_.record().count();
        for (int c = 0; c < n; ++c) {
            const QVariant v = query_.value(c);
            if (v.isNull()) {
                putNull(out);
                continue;
            }
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Short:
            case QMetaType::UShort:
                putInteger(out, v.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                putReal(out, v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray bytes = v.toByteArray();
                putBlob(out, bytes.constData(), quint32(bytes.size()));
                break;
            }
            default: {
                const QByteArray text = v.toString().toUtf8();
                putText(out, text.constData(), quint32(text.size()));
            }
            }
        }
    }
    // The cursor ends with the transaction.
    void finish() override {
        done_ = true;
        query_.finish();
    }

private:
    bool finishFalse() {
        finish();
        return false;
    }

    QSqlQuery query_;
    const QString cursor_;
    ServerResultEngine::Stop &stop_;
    int inBatch_ = 0;
    bool fetched_ = false;
    bool done_ = false;
};
} // namespace

ServerResultEngine::ServerResultEngine(const QSqlDatabase &model)
    : host_(model.hostName()), database_(model.databaseName()), user_(model.userName()), password_(model.password()),
      options_(model.connectOptions()), port_(model.port()) {}

ServerResultEngine::~ServerResultEngine() { ServerResultEngine::close(); }

QSqlDatabase ServerResultEngine::database() const { return QSqlDatabase::database(name_, false); }

void ServerResultEngine::fail(const QSqlQuery &query, const QString &statement) const {
    QString text = query.lastError().databaseText();
    if (text.isEmpty()) text = query.lastError().text();
    throw AppError(QStringLiteral("%1 (%2)").arg(text, statement));
}

void ServerResultEngine::open() {
    name_ = QStringLiteral("result-reader#%1").arg(++counter);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    db.setHostName(host_);
    db.setPort(port_);
    db.setDatabaseName(database_);
    db.setUserName(user_);
    db.setPassword(password_);
    db.setConnectOptions(options_);
    if (!db.open()) throw AppError(db.lastError().text());
    const QVariant handle = db.driver()->handle();
    // The driver's handle is named by the struct PGconn stands for.
    const bool pq =
        handle.isValid() && (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0);
    if (pq) conn_ = *static_cast<PGconn *const *>(handle.data());
    if (conn_) stop_.setCancel(PQgetCancel(conn_));
    // One snapshot for the count and every cursor.
    const QString begin = QStringLiteral("begin transaction isolation level repeatable read read only");
    if (QSqlQuery q(db); !stop_.exec(q, begin)) fail(q, begin);
}

qint64 ServerResultEngine::count(const Statement &statement) {
    QSqlQuery q(database());
    if (!stop_.run([&] { return Statements::prepare(q, statement) && q.exec(); }) || !q.next()) fail(q, statement.text);
    return q.value(0).toLongLong();
}

std::unique_ptr<RowSource> ServerResultEngine::rows(const Statement &statement) {
    const QString cursor = QStringLiteral("result_rows%1").arg(++cursors_);
    const QByteArray declare =
        Statements::numbered(QStringLiteral("declare %1 no scroll cursor for %2").arg(cursor, statement.text));
    if (!conn_) throw AppError(QStringLiteral("no server connection (%1)").arg(statement.text));
    // The driver cannot prepare a cursor's declaration: the values go as parameters of their own.
    const std::vector<Statements::ServerValue> values = Statements::serverValues(statement.values);
    QString error;
    const bool ok = stop_.run([&] {
        PGresult *result = Statements::execOnServer(conn_, declare, values);
        const bool declared = PQresultStatus(result) == PGRES_COMMAND_OK;
        error = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
        PQclear(result);
        return declared;
    });
    if (!ok) throw AppError(QStringLiteral("%1 (%2)").arg(error, statement.text));
    return std::make_unique<CursorRows>(database(), cursor, stop_);
}

void ServerResultEngine::end() { QSqlQuery(database()).exec(QStringLiteral("commit")); }

void ServerResultEngine::interrupt() { stop_.interrupt(); }

void ServerResultEngine::close() {
    stop_.setCancel(nullptr);
    if (name_.isEmpty()) return;
    database().close();
    QSqlDatabase::removeDatabase(name_);
    name_.clear();
}

// A stop may come at any moment from another thread: before a statement is sent (it then never
// is), while it is on its way (a cancel that reaches the server before it finds nothing to
// cancel, and is dropped), or while it runs.
bool ServerResultEngine::Stop::exec(QSqlQuery &query, const QString &statement) {
    return run([&] { return query.exec(statement); });
}

bool ServerResultEngine::Stop::run(const std::function<bool()> &send) {
    running_ = true;
    if (stopped_) {
        running_ = false;
        throw AppError(QStringLiteral("The result reader was stopped."));
    }
    const bool ok = send();
    running_ = false;
    return ok;
}

void ServerResultEngine::Stop::interrupt() {
    stopped_ = true;
    const std::lock_guard lock(cancelMutex_);
    // Whatever began before the flag was set is cancelled until it returns; whatever begins after
    // it sees the flag and is not sent.
    while (cancel_ && running_) {
        char reason[256];
        PQcancel(cancel_, reason, sizeof reason);
        for (int i = 0; i < 10 && running_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void ServerResultEngine::Stop::setCancel(pg_cancel *cancel) {
    const std::lock_guard lock(cancelMutex_);
    if (cancel_) PQfreeCancel(cancel_);
    cancel_ = cancel;
}
