#include "data/Connection.h"

#include "data/AppError.h"
#include "data/DatabasePath.h"
#include "data/Dialect.h"
#include "data/SearchIndex.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <sqlite3.h>

namespace {
std::atomic<int> counter{0};

sqlite3 *rawHandle(const QSqlDatabase &db) {
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3 *const *>(v.data());
}
} // namespace

Connection::Connection(const QString &ownerName) : name_(QStringLiteral("%1#%2").arg(ownerName).arg(++counter)) {
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
}

Connection::~Connection() {
    close();
    QSqlDatabase::removeDatabase(name_);
}

void Connection::setConnectionString(const QString &text) { connectionString_ = text; }

bool Connection::isOpen() const { return QSqlDatabase::database(name_, false).isOpen(); }

QSqlDatabase Connection::database() const { return QSqlDatabase::database(name_, false); }

namespace {
// Opens the file with the given URI parameters and reads its schema; the engine's reason when
// either fails (the database is closed again then), empty when it is usable.
QString openAndProbe(QSqlDatabase &db, const QString &file, const QString &parameters) {
    QUrl url = QUrl::fromLocalFile(file);
    url.setQuery(parameters);
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    if (!db.open()) return db.lastError().databaseText();
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("select count(*) from sqlite_master"))) return {};
    const QString reason = probe.lastError().databaseText();
    probe = QSqlQuery();
    db.close();
    return reason.isEmpty() ? QStringLiteral("unknown error") : reason;
}

bool isReadOnlyFailure(const QString &reason) {
    return reason.contains(QLatin1String("readonly")) || reason.contains(QLatin1String("unable to open"));
}
} // namespace

void Connection::ensureOpen() {
    if (isOpen()) return;
    const QString path = DatabasePath::dataSource(connectionString_);
    if (path.isEmpty()) throw AppError(QStringLiteral("No data source is named in the connection string."));
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) throw AppError(QStringLiteral("Could not find file '%1'.").arg(path));
    // An empty file is no database; SQLite would quietly make one of it.
    if (info.size() == 0) throw AppError(QStringLiteral("Unrecognized database format '%1' (empty file).").arg(path));

    SearchIndex::registerTokenizer();
    QSqlDatabase db = database();
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    // mode=rw opens an existing file for reading and writing and never creates one.
    QString reason = openAndProbe(db, info.absoluteFilePath(), QStringLiteral("mode=rw"));
    if (!reason.isEmpty() && isReadOnlyFailure(reason)) {
        // A database installed where this user may not write (a WAL file needs its -shm beside
        // it) is still read: as a file nobody changes. Writes then fail with a clear message.
        reason = openAndProbe(db, info.absoluteFilePath(), QStringLiteral("mode=ro&immutable=1"));
    }
    if (reason.contains(QLatin1String("locked")) || reason.contains(QLatin1String("busy")))
        throw AppError(QStringLiteral("The database '%1' is in use by another program (%2).").arg(path, reason));
    if (reason.contains(QLatin1String("unable to open")))
        throw AppError(QStringLiteral("Cannot open database '%1': %2").arg(path, reason));
    if (!reason.isEmpty()) throw AppError(QStringLiteral("Unrecognized database format '%1' (%2).").arg(path, reason));
    QSqlQuery probe(db);
    // Several windows keep connections open at once: WAL lets readers and a writer coexist.
    probe.exec(QStringLiteral("pragma journal_mode=WAL"));
    // Searches fetch rows from all over a large file: reading them through a memory map costs
    // no system call per page, and that halves a name search on a million cases.
    probe.exec(QStringLiteral("pragma mmap_size=1073741824"));
    nameIndexes_.clear();
    if (sqlite3 *handle = rawHandle(db)) {
        Dialect::install(handle);
        // A database built without the name index still searches: by scanning the names.
        nameIndexes_ = SearchIndex::detect(handle);
    }
}

SearchPlan::NameIndexes Connection::nameIndexes() {
    return {nameIndexes_, [this](const QString &statement) -> qint64 {
                QSqlQuery q(database());
                return q.exec(statement) && q.next() ? q.value(0).toLongLong() : -1;
            }};
}

void Connection::close() {
    QSqlDatabase db = database();
    if (db.isOpen()) db.close();
    nameIndexes_.clear();
}
