#include "data/Connection.h"

#include "data/AppError.h"
#include "data/DatabasePath.h"
#include "data/Dialect.h"
#include "data/FileStore.h"
#include "data/SearchIndex.h"
#include "data/ServerFaults.h"
#include "data/ServerKeyOrder.h"
#include "data/ServerNameIndex.h"
#include "data/ServerStore.h"
#include "data/StoreConfig.h"
#include "data/WalGuard.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <sqlite3.h>
#include <unistd.h>

namespace {
std::atomic<int> counter{0};

// How many connections of this process have each database file open.
QHash<QString, int> &openHere() {
    static QHash<QString, int> counts;
    return counts;
}

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
// The outcome of opening: SQLite's extended result code and its text (SQLITE_OK: usable).
struct Opened {
    int code = SQLITE_OK;
    QString reason;
    int primary() const { return code & 0xff; }
};

// Opens the file with the given URI parameters and reads its schema; the database is closed
// again when either fails.
Opened openAndProbe(QSqlDatabase &db, const QString &file, const QString &parameters) {
    QUrl url = QUrl::fromLocalFile(file);
    url.setQuery(parameters);
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        bool ok = false;
        const int code = error.nativeErrorCode().toInt(&ok);
        return {ok && code != SQLITE_OK ? code : SQLITE_CANTOPEN, error.databaseText()};
    }
    sqlite3 *handle = rawHandle(db);
    if (!handle) return {SQLITE_MISUSE, QStringLiteral("no SQLite handle")};
    if (sqlite3_exec(handle, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK) return {};
    const Opened failed{sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle))};
    db.close();
    return failed;
}
} // namespace

void Connection::useDriver(const QString &driver) {
    if (database().driverName() == driver) return;
    QSqlDatabase::removeDatabase(name_);
    QSqlDatabase::addDatabase(driver, name_);
}

void Connection::openServer(const QString &configFile) {
    const StoreConfig::Server s = StoreConfig::read(configFile);
    useDriver(QStringLiteral("QPSQL"));
    QSqlDatabase db = database();
    db.setHostName(s.host);
    db.setPort(s.port > 0 ? s.port : -1);
    db.setDatabaseName(s.database);
    db.setUserName(s.user);
    db.setConnectOptions(s.connectOptions());
    if (!db.open()) throw AppError(ServerFaults::connectMessage(s.describe(), db.lastError().text()));
    server_ = true;
    lockTimeout_ = s.lockTimeout;
    // A server without the name index still searches: by scanning the names.
    store_ = std::make_shared<ServerStore>(ServerNameIndex::detect(db), ServerKeyOrder::detect(db));
}

bool Connection::dropIfLost() {
    if (!server_) return false;
    // The driver may already have marked a broken connection closed; otherwise it is asked. A
    // transaction that a failed statement aborted refuses the question, on a live connection.
    if (isOpen()) {
        QSqlQuery probe(database());
        if (probe.exec(QStringLiteral("select 1"))) return false;
        if (probe.lastError().nativeErrorCode() == QLatin1String("25P02")) return false;
    }
    close();
    return true;
}

void Connection::ensureOpen() {
    if (isOpen()) return;
    // The driver closed a server connection it found broken (freeing a statement, say): that is
    // told, once, rather than connecting again under a statement that belonged to a transaction.
    if (store_) {
        close();
        throw AppError(ServerFaults::lostMessage(database().lastError().text()));
    }
    if (const QString config = StoreConfig::fileOf(connectionString_); !config.isEmpty()) {
        openServer(config);
        return;
    }
    useDriver(QStringLiteral("QSQLITE"));
    const QString path = DatabasePath::dataSource(connectionString_);
    if (path.isEmpty()) throw AppError(QStringLiteral("连接字符串中没有指定数据源。"));
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) throw AppError(QStringLiteral("找不到数据库文件“%1”。").arg(path));
    // An empty file is no database; SQLite would quietly make one of it.
    if (info.size() == 0) throw AppError(QStringLiteral("无法识别的数据库格式：“%1”（空文件）。").arg(path));

    const QString file = info.absoluteFilePath();
    // A user who may not write the file reads it without creating anything beside it: a log or
    // index file made by this user would stop the owner's writes. The owner's live log is read
    // through its index when both are there; otherwise the file is read as one nobody changes.
    const bool writable = ::access(QFile::encodeName(file).constData(), W_OK) == 0;
    QString parameters = QStringLiteral("mode=rw"); // never creates a file
    if (!writable)
        parameters =
            QFileInfo::exists(file + QStringLiteral("-wal")) && QFileInfo::exists(file + QStringLiteral("-shm"))
                ? QStringLiteral("mode=ro")
                : QStringLiteral("mode=ro&immutable=1");
    // The first connection of the process checks a log left by a program that did not close.
    if (writable && openHere()[file] == 0) WalGuard::setAsideForeign(file);

    SearchIndex::registerTokenizer();
    QSqlDatabase db = database();
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    Opened opened = openAndProbe(db, file, parameters);
    if ((opened.primary() == SQLITE_READONLY || opened.primary() == SQLITE_CANTOPEN) &&
        !parameters.contains(QLatin1String("immutable"))) {
        // A database installed where this user may not write the folder (a WAL file needs its
        // -shm beside it) is still read: as a file nobody changes. Writes then fail clearly.
        parameters = QStringLiteral("mode=ro&immutable=1");
        opened = openAndProbe(db, file, parameters);
    }
    switch (opened.primary()) {
    case SQLITE_OK:
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw AppError(QStringLiteral("数据库“%1”正被其他程序使用（%2）。").arg(path, opened.reason));
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR:
        throw AppError(QStringLiteral("无法打开数据库“%1”：%2").arg(path, opened.reason));
    default:
        throw AppError(QStringLiteral("无法识别的数据库格式：“%1”（%2）。").arg(path, opened.reason));
    }
    // The journal mode is the file's: the builder writes WAL files, so several windows read while
    // one writes. A file in another mode is never switched: a lookup must not change the file.
    QSqlQuery probe(db);
    // No memory map: mapped pages of a large file count as the program's own memory, hundreds of
    // megabytes after a long result is browsed. Searches read their first screen from few pages,
    // and the kernel caches the file anyway; 16 MB of pages are kept here.
    probe.exec(QStringLiteral("pragma mmap_size=0"));
    probe.exec(QStringLiteral("pragma cache_size=-16384"));
    QSet<QString> nameIndexes;
    if (sqlite3 *handle = rawHandle(db)) {
        Dialect::install(handle);
        // A database built without the name index still searches: by scanning the names.
        nameIndexes = SearchIndex::detect(handle);
    }
    store_ = std::make_shared<FileStore>(std::move(nameIndexes));
    openFile_ = file;
    openedWith_ = parameters;
    ++openHere()[file];
}

QString Connection::readerAddress() const {
    if (openFile_.isEmpty()) return {};
    QUrl url = QUrl::fromLocalFile(openFile_);
    QString parameters = openedWith_;
    url.setQuery(parameters.replace(QLatin1String("mode=rw"), QLatin1String("mode=ro")));
    return url.toString(QUrl::FullyEncoded);
}

sqlite3 *Connection::handle() const { return rawHandle(database()); }

std::shared_ptr<const Store> Connection::store() {
    ensureOpen();
    return store_;
}

qint64 Connection::number(const Statement &statement) {
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!Statements::prepare(q, statement) || !q.exec() || !q.next() || q.value(0).isNull()) return -1;
    return q.value(0).toLongLong();
}

void Connection::close() {
    QSqlDatabase db = database();
    if (db.isOpen()) db.close();
    if (!openFile_.isEmpty() && --openHere()[openFile_] <= 0) openHere().remove(openFile_);
    openFile_.clear();
    store_.reset();
    server_ = false;
}
