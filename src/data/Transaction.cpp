#include "data/Transaction.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/ServerFaults.h"
#include "data/Statement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {
[[noreturn]] void fail(sqlite3 *db) {
    const int code = sqlite3_extended_errcode(db) & 0xff;
    const QString reason = QString::fromUtf8(sqlite3_errmsg(db));
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) throw AppError(Transactions::inUseMessage(reason));
    throw AppError(reason);
}
} // namespace

QString Transactions::inUseMessage(const QString &reason) {
    return QStringLiteral("数据库正被其他程序使用，请稍后再试（%1）").arg(reason);
}

QString Transactions::serverBusyMessage(int seconds) {
    return QStringLiteral("其他用户正在写入数据库（导入更新文件或刷新资讯），等待 %1 秒后仍未结束；"
                          "本次没有写入任何内容，请稍后再试。")
        .arg(seconds);
}

Transaction::Transaction(sqlite3 *db) : db_(db) {
    if (!db_) throw AppError(QStringLiteral("No database connection."));
    if (sqlite3_exec(db_, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_);
    open_ = true;
}

namespace {
// The key of the program's write lock on a server: any number, the same on every desk.
constexpr qint64 kWriteLock = 0x7a656e64;

QString serverError(QSqlQuery &q) {
    const QString text = q.lastError().databaseText();
    return text.isEmpty() ? q.lastError().text() : text;
}
} // namespace

Transaction::Transaction(Connection &connection) {
    connection.ensureOpen();
    if (!connection.isServer()) {
        db_ = connection.handle();
        if (!db_) throw AppError(QStringLiteral("No database connection."));
        if (sqlite3_exec(db_, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_);
        open_ = true;
        return;
    }
    server_ = connection.database();
    QSqlQuery q(server_);
    const int seconds = connection.lockTimeout();
    if (q.exec(QStringLiteral("begin"))) {
        open_ = true;
        if (Statements::prepare(
                q, Statement("select set_config('lock_timeout', ?, true)", {QStringLiteral("%1s").arg(seconds)})) &&
            q.exec() && Statements::prepare(q, Statement("select pg_advisory_xact_lock(?)", {kWriteLock})) && q.exec())
            return;
    }
    const QSqlError error = q.lastError();
    const QString reason = serverError(q);
    // The server's code for a lock not had in time, whatever language its messages are in.
    const bool waitedOut = error.nativeErrorCode() == QLatin1String("55P03");
    if (open_) q.exec(QStringLiteral("rollback"));
    open_ = false;
    if (waitedOut) throw AppError(Transactions::serverBusyMessage(seconds));
    if (connection.dropIfLost()) throw AppError(ServerFaults::lostMessage(reason));
    throw AppError(ServerFaults::describe(error));
}

Transaction::~Transaction() {
    if (!open_) return;
    if (server_.isValid()) {
        if (server_.isOpen()) QSqlQuery(server_).exec(QStringLiteral("rollback"));
    } else if (!sqlite3_get_autocommit(db_)) {
        sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
    }
}

void Transaction::commit() {
    if (server_.isValid()) {
        QSqlQuery q(server_);
        if (!q.exec(QStringLiteral("commit"))) throw AppError(ServerFaults::describe(q.lastError()));
        open_ = false;
        return;
    }
    // A commit that fails while readers finish keeps the transaction open: it is rolled back
    // by the destructor, so the failure leaves the tables as they were.
    if (sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_);
    open_ = false;
}
