#include "data/Transaction.h"

#include "data/AppError.h"
#include "data/Connection.h"

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

Transaction::Transaction(sqlite3 *db) : db_(db) {
    if (!db_) throw AppError(QStringLiteral("No database connection."));
    if (sqlite3_exec(db_, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_);
    open_ = true;
}

Transaction::Transaction(Connection &connection) : Transaction((connection.ensureOpen(), connection.handle())) {}

Transaction::~Transaction() {
    if (open_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    // A commit that fails while readers finish keeps the transaction open: it is rolled back
    // by the destructor, so the failure leaves the tables as they were.
    if (sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_);
    open_ = false;
}
