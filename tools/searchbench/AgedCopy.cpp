#include "AgedCopy.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "updates/UpdateImport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <sqlite3.h>

namespace {
// The rows above `after` inserted again, in the file's order (by id), in one transaction through
// the table's indexes and triggers, and rolled back: the seconds the insert took.
double plainInsert(Connection &connection, qint64 after) {
    connection.ensureOpen();
    sqlite3 *db = connection.handle();
    const auto exec = [db](const char *sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    };
    sqlite3_stmt *insert = nullptr;
    if (sqlite3_prepare_v2(db,
                           "insert into case_hs (id, name, code, spec, update_date, input_date, state, source) select "
                           "id, name, code, spec, update_date, input_date, state, source from case_hs where rowid > ? "
                           "order by id",
                           -1, &insert, nullptr) != SQLITE_OK)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_bind_int64(insert, 1, after);
    exec("begin immediate");
    QElapsedTimer t;
    t.start();
    const int rc = sqlite3_step(insert);
    const double seconds = t.nsecsElapsed() / 1e9;
    sqlite3_finalize(insert);
    exec("rollback");
    if (rc != SQLITE_DONE) throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    return seconds;
}
} // namespace

QString agedCopy(const QString &connectionString, const QString &updates, const QString &dir, QTextStream &out) {
    const QString source = DatabasePath::dataSource(connectionString);
    if (source.isEmpty()) throw AppError(QStringLiteral("--aged copies a database file, not a server's database"));
    const QStringList files = QDir(updates).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) throw AppError(QStringLiteral("%1: no update files (*.xml)").arg(updates));

    QElapsedTimer t;
    t.start();
    const QString folder = dir.endsWith(u'/') ? dir : dir + u'/';
    const QString copy = DatabasePath::databaseFile(folder);
    // The WAL too, where one is left: it may hold committed pages the file lacks.
    for (const QString &suffix : {QString(), QStringLiteral("-wal")})
        if (QFile::exists(source + suffix) && !QFile::copy(source + suffix, copy + suffix))
            throw AppError(QStringLiteral("cannot copy %1 to %2").arg(source + suffix, copy + suffix));
    out << QStringLiteral("aged copy: %1 MB copied in %2 s\n")
               .arg(QFile(copy).size() / 1048576.0, 0, 'f', 0)
               .arg(t.nsecsElapsed() / 1e9, 0, 'f', 1);
    out.flush();

    const QString copied = DatabasePath::connectionString(folder);
    Connection connection(QStringLiteral("aging"));
    connection.setConnectionString(copied);
    connection.ensureOpen();
    for (const QString &file : files) {
        const qint64 before = connection.number("select coalesce(max(rowid), 0) from case_hs");
        t.restart();
        const UpdateImport::Outcome o = UpdateImport::run(connection, QDir(updates).filePath(file));
        const double import = t.nsecsElapsed() / 1e9;
        const double insert = plainInsert(connection, before);
        out << QStringLiteral("  imported %1: %2 of %3 records in %4 s; the same rows inserted in one transaction "
                              "%5 s (%6x)\n")
                   .arg(file)
                   .arg(o.imported)
                   .arg(o.read)
                   .arg(import, 0, 'f', 2)
                   .arg(insert, 0, 'f', 2)
                   .arg(import / insert, 0, 'f', 2);
        out.flush();
    }
    connection.close();
    return copied;
}
