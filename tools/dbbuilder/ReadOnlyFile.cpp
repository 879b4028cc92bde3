#include "dbbuilder/ReadOnlyFile.h"

#include "data/AppError.h"

#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>

ReadOnlyFile::ReadOnlyFile(const QString &path) : path_(path) {
    if (!QFileInfo(path).isFile()) throw AppError(QStringLiteral("%1：没有这个数据库").arg(path));
    const bool wal = QFileInfo::exists(path + QStringLiteral("-wal"));
    const QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                        (wal ? QStringLiteral("?mode=ro") : QStringLiteral("?immutable=1"));
    if (sqlite3_open_v2(uri.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
        fail();
}

ReadOnlyFile::~ReadOnlyFile() { sqlite3_close(db_); }

bool ReadOnlyFile::hasTable(const char *name) {
    bool found = false;
    each(Statement("select 1 from sqlite_master where type='table' and name=?", {QString::fromLatin1(name)}),
         [&](sqlite3_stmt *) { found = true; });
    return found;
}

void ReadOnlyFile::each(const Statement &sql, const std::function<void(sqlite3_stmt *)> &row) {
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.text.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK ||
        Statements::bind(stmt, sql.values) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail();
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) row(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) fail();
}

void ReadOnlyFile::fail() {
    throw AppError(QStringLiteral("%1: %2").arg(path_, QString::fromUtf8(sqlite3_errmsg(db_))));
}
