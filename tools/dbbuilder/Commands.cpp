#include "dbbuilder/Commands.h"

#include "data/AppError.h"
#include "data/CaseOrder.h"
#include "data/Transaction.h"
#include "dbbuilder/BuilderDatabase.h"
#include "dbbuilder/ServerCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

namespace Builder {

namespace {

// A database file and the journal files SQLite keeps beside it.
void removeDatabaseFiles(const QString &path) {
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + suffix);
}

// Decides whether a command writing a new file at `path` goes ahead.
bool mayWrite(const QString &path, Existing existing) {
    if (!QFileInfo::exists(path)) return true;
    switch (existing) {
    case Existing::Keep:
        return false;
    case Existing::Replace:
        return true;
    case Existing::Refuse:
        break;
    }
    throw AppError(QStringLiteral("%1 已经存在；要替换它请加 --force").arg(path));
}

// Builds a new database in a temporary file beside `path` and moves it into place only when
// every step succeeded, so a failure never leaves a half-built file under the real name. The
// old file's WAL and shared-memory files go with it: SQLite would replay a stale WAL into the
// new file.
void buildFresh(const QString &path, const std::function<void(BuilderDatabase &)> &build) {
    const QString temp = path + QStringLiteral(".building");
    removeDatabaseFiles(temp);
    try {
        BuilderDatabase db(temp);
        // Only the temporary file is at risk while it is built, so no journal is kept.
        db.exec(QStringLiteral("pragma journal_mode=off"));
        db.exec(QStringLiteral("pragma synchronous=off"));
        db.createTables();
        Transaction rows(db.handle());
        build(db);
        rows.commit();
        db.createIndexes();
        db.exec(QStringLiteral("pragma synchronous=full"));
        db.finish();
    } catch (...) {
        removeDatabaseFiles(temp);
        throw;
    }
    removeDatabaseFiles(path);
    if (!QFile::rename(temp, path)) {
        removeDatabaseFiles(temp);
        throw AppError(QStringLiteral("%1：无法把新数据库移到位").arg(path));
    }
}

// A database built as a file in a temporary folder of its own, removed afterwards; its path
// goes to `then`.
void buildTemporary(const std::function<void(BuilderDatabase &)> &build,
                    const std::function<void(const QString &)> &then) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zendrik-build-XXXXXX"));
    if (!dir.isValid()) throw AppError(QStringLiteral("无法创建临时文件夹"));
    const QString file = dir.filePath(QStringLiteral("quorvel.mdb"));
    buildFresh(file, build);
    then(file);
}

// Builds a new database at `path`: a file, or the server a configuration names. On a server the
// rows are built once as a file and copied over (the tables made there, the rows written, the
// indexes built after them), so both stores get the same rows in the same order.
bool buildAt(const QString &path, Existing existing, const std::function<void(BuilderDatabase &)> &build) {
    if (namesServer(path)) {
        if (existing == Existing::Keep && ServerCopy::hasTables(path)) return false;
        buildTemporary(build,
                       [&](const QString &file) { ServerCopy::copy(file, path, existing == Existing::Replace); });
        return true;
    }
    if (!mayWrite(path, existing)) return false;
    buildFresh(path, build);
    return true;
}

} // namespace

bool namesServer(const QString &path) { return path.endsWith(QStringLiteral(".conf")); }

QString demoDataDir() { return QStringLiteral(":/demo"); }

bool createDatabase(const QString &path, Existing existing) {
    return buildAt(path, existing, [](BuilderDatabase &) {});
}

bool buildDemo(const QString &path, Existing existing, const QString &sourceDir) {
    return buildAt(path, existing, [&](BuilderDatabase &db) { loadReferenceFiles(db, sourceDir); });
}

bool generateDatabase(const QString &path, const GeneratorOptions &options, Existing existing) {
    return buildAt(path, existing, [&](BuilderDatabase &db) {
        // The small tables come from the demo set: real licence documents and trade modes.
        loadReferenceFiles(db, demoDataDir(), {"licences.csv", "trade-modes.csv", "news.csv", "ads.csv"});
        generateRows(db, options);
    });
}

LoadSummary loadDatabase(const QString &path, const QString &dir) {
    LoadSummary summary;
    const auto load = [&](BuilderDatabase &db) { summary = loadReferenceFiles(db, dir); };
    if (namesServer(path)) {
        if (!ServerCopy::hasTables(path)) {
            buildAt(path, Existing::Refuse, load);
            return summary;
        }
        // A server in use keeps its other tables (the cases declarants imported among them).
        buildTemporary(load, [&](const QString &file) { ServerCopy::replaceRows(file, path, summary.tables); });
        return summary;
    }
    if (!QFileInfo::exists(path)) {
        buildFresh(path, load);
        return summary;
    }
    BuilderDatabase db(path);
    {
        Transaction rows(db.handle());
        summary = loadReferenceFiles(db, dir);
        rows.commit();
    }
    db.finish();
    return summary;
}

void clusterDatabase(const QString &path) {
    if (!QFileInfo::exists(path)) throw AppError(QStringLiteral("%1：文件不存在").arg(path));
    BuilderDatabase db(path);
    {
        Transaction rows(db.handle());
        CaseOrder::cluster(db.handle());
        rows.commit();
    }
    db.finish();
}

} // namespace Builder
