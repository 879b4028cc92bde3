#include "AgedCopy.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "updates/UpdateImport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

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
    for (const QString &file : files) {
        t.restart();
        const UpdateImport::Outcome o = UpdateImport::run(connection, QDir(updates).filePath(file));
        out << QStringLiteral("  imported %1: %2 of %3 records in %4 s\n")
                   .arg(file)
                   .arg(o.imported)
                   .arg(o.read)
                   .arg(t.nsecsElapsed() / 1e9, 0, 'f', 1);
        out.flush();
    }
    connection.close();
    return copied;
}
