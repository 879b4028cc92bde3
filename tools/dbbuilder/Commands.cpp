#include "dbbuilder/Commands.h"

#include "data/AppError.h"
#include "data/CaseOrder.h"
#include "data/Transaction.h"
#include "dbbuilder/BuilderDatabase.h"

#include <QFile>
#include <QFileInfo>
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

} // namespace

QString demoDataDir() { return QStringLiteral(":/demo"); }

bool createDatabase(const QString &path, Existing existing) {
    if (!mayWrite(path, existing)) return false;
    buildFresh(path, [](BuilderDatabase &) {});
    return true;
}

bool buildDemo(const QString &path, Existing existing, const QString &sourceDir) {
    if (!mayWrite(path, existing)) return false;
    buildFresh(path, [&](BuilderDatabase &db) { loadReferenceFiles(db, sourceDir); });
    return true;
}

bool generateDatabase(const QString &path, const GeneratorOptions &options, Existing existing) {
    if (!mayWrite(path, existing)) return false;
    buildFresh(path, [&](BuilderDatabase &db) {
        // The small tables come from the demo set: real licence documents and trade modes.
        loadReferenceFiles(db, demoDataDir(), {"licences.csv", "trade-modes.csv", "news.csv", "ads.csv"});
        generateRows(db, options);
    });
    return true;
}

LoadSummary loadDatabase(const QString &path, const QString &dir) {
    LoadSummary summary;
    if (!QFileInfo::exists(path)) {
        buildFresh(path, [&](BuilderDatabase &db) { summary = loadReferenceFiles(db, dir); });
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
