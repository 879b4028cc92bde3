#include "AgedCopy.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Statement.h"
#include "data/Transaction.h"
#include "updates/UpdateImport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace {
// The rows above `after` inserted again, in the file's order (by id), in one transaction through
// the table's indexes and triggers, and rolled back: the seconds the insert took.
double plainInsert(Connection &connection, qint64 after) {
    const Transaction transaction(connection); // never committed: rolled back when it ends
    QSqlQuery q(connection.database());
    const Statement insert(QStringLiteral("insert into case_hs (%1) select %1 from case_hs where rowid > ? order by id")
                               .arg(QStringLiteral("id, name, code, spec, update_date, input_date, state, source")),
                           {after});
    QElapsedTimer t;
    t.start();
    if (!Statements::prepare(q, insert) || !q.exec()) throw AppError(q.lastError().text());
    return t.nsecsElapsed() / 1e9;
}

// Every update file imported through the program's own import, each said on `out` beside the
// same rows inserted in one transaction.
void importAll(const QString &connectionString, const QString &updates, const QStringList &files, QTextStream &out) {
    Connection connection(QStringLiteral("aging"));
    connection.setConnectionString(connectionString);
    connection.ensureOpen();
    QElapsedTimer t;
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
}

QStringList updateFiles(const QString &updates) {
    const QStringList files = QDir(updates).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) throw AppError(QStringLiteral("%1: no update files (*.xml)").arg(updates));
    return files;
}
} // namespace

QString agedCopy(const QString &connectionString, const QString &updates, const QString &dir, QTextStream &out) {
    const QString source = DatabasePath::dataSource(connectionString);
    if (source.isEmpty()) throw AppError(QStringLiteral("--aged copies a database file, not a server's database"));
    const QStringList files = updateFiles(updates);

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
    importAll(copied, updates, files, out);
    return copied;
}

void ageInPlace(const QString &connectionString, const QString &updates, QTextStream &out) {
    const QStringList files = updateFiles(updates);
    out << QStringLiteral("aged in place (a server's database is not copied)\n");
    importAll(connectionString, updates, files, out);
}
