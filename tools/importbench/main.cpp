// Times the update-file import on generated files against a fresh lookup database in a
// temporary folder: the import core alone (with the name index's triggers and without them, to
// show what keeping the index costs) and through the real import window. With --server, the
// same on the database server a zendrik.conf names, after the file; that database is emptied
// and given the lookup tables before every run.
//
//   importbench [--server CONFIG] [records...]   (default: 100000 1000000)
//   xvfb-run -a importbench ...                  (the window under an X server)
#include "app/ImportWindow.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Schema.h"
#include "data/SearchIndex.h"
#include "data/ServerSchema.h"
#include "data/StoreConfig.h"
#include "platform/RecordingPlatform.h"
#include "updates/UpdateImport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// A fresh database as the builder leaves one (WAL), with one case older than every record.
bool makeDatabase(const QString &file, bool nameIndex) {
    for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(file + QLatin1String(suffix));
    bool ok = true;
    {
        SearchIndex::registerTokenizer();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(file);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString &s : Schema::createStatements())
            if (nameIndex || !SearchIndex::createStatements().contains(s)) ok = ok && q.exec(s);
        ok = ok && q.exec(QStringLiteral("pragma journal_mode=WAL")) &&
             q.exec(QStringLiteral("insert into case_hs values (1,'种子','6E','s','2023-01-01','2023-01-01',0,'x')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return ok;
}

// The server's database emptied and given the lookup tables, with the same one case.
bool makeServerDatabase(const QString &config) {
    Connection connection(QStringLiteral("bench-server"));
    connection.setConnectionString(StoreConfig::connectionString(config));
    connection.ensureOpen();
    QSqlQuery q(connection.database());
    QStringList statements{QStringLiteral("drop schema public cascade"), QStringLiteral("create schema public")};
    statements << ServerSchema::createStatements()
               << QStringLiteral("insert into case_hs values (1,'种子','6E','s','2023-01-01','2023-01-01',0,'x')");
    for (const QString &s : statements) {
        if (q.exec(s)) continue;
        std::fprintf(stderr, "%s: %s\n", qPrintable(s), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// Every record is newer than the seed row, so each one is inserted; names are Chinese and the
// file is GB2312, as downloaded update files usually are.
bool writeUpdateFile(const QString &path, int records) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QStringEncoder gb("GB2312");
    f.write(gb.encode(QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<cases>\n")));
    for (int i = 0; i < records; ++i) {
        const int day = 1 + i % 28, month = 1 + (i / 28) % 12;
        f.write(gb.encode(QStringLiteral("  <case><code>%1</code><name>不锈钢无缝钢管 %2</name>"
                                         "<spec>外径 %3mm，壁厚 2mm</spec><date>2024-%4-%5</date>"
                                         "<source>海关总署归类决定</source></case>\n")
                              .arg(8471000000LL + i)
                              .arg(i)
                              .arg(10 + i % 90)
                              .arg(month, 2, 10, QLatin1Char('0'))
                              .arg(day, 2, 10, QLatin1Char('0'))));
    }
    f.write(gb.encode(QStringLiteral("</cases>\n")));
    return true;
}

double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

void report(const char *what, int records, qint64 ms, double cpu, const QString &outcome) {
    std::printf("%9d records  %-26s %7lld ms wall  %6.2f s CPU  %s\n", records, what, ms, cpu, qPrintable(outcome));
    std::fflush(stdout);
}

void timeCore(const char *what, int records, const QString &connectionString, const QString &file) {
    Connection connection(QStringLiteral("bench"));
    connection.setConnectionString(connectionString);
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    const UpdateImport::Outcome outcome = UpdateImport::run(connection, file);
    report(what, records, timer.elapsed(), cpuSeconds() - cpu, QStringLiteral("%1 imported").arg(outcome.imported));
}

// The import window on the store the program finds (the file beside it, or a configured server).
void timeWindow(const char *what, int records, RecordingPlatform &platform, const QString &file) {
    ImportWindow window;
    window.show();
    platform.boxes.clear();
    platform.nextFileName = file;
    window.chooseFile();
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    window.importChosenFile();
    report(what, records, timer.elapsed(), cpuSeconds() - cpu,
           platform.boxes.isEmpty() ? QStringLiteral("(no message)") : platform.boxes.last().text);
}

} // namespace

int main(int argc, char **argv) {
    // The window runs on the display there is (xvfb-run importbench ...), offscreen without one.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    // The program's own configuration folder: the file store, unless a server run puts a
    // zendrik.conf there.
    const QString configHome = dir.filePath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    QApplication app(argc, argv);
    QList<int> sizes;
    QString server;
    for (int i = 1; i < argc; ++i) {
        if (QLatin1String(argv[i]) == QLatin1String("--server") && i + 1 < argc)
            server = QString::fromLocal8Bit(argv[++i]);
        else sizes << QString::fromLocal8Bit(argv[i]).toInt();
    }
    if (sizes.isEmpty()) sizes = {100000, 1000000};

    DatabasePath::setExecutableDir(dir.path() + u'/');
    const QString database = dir.filePath(QStringLiteral("quorvel.mdb"));
    RecordingPlatform platform;

    for (int records : sizes) {
        const QString file = dir.filePath(QStringLiteral("update%1.xml").arg(records));
        if (!writeUpdateFile(file, records)) return 1;
        std::printf("update file: %.1f MB\n", QFile(file).size() / 1e6);
        for (bool nameIndex : {true, false}) {
            if (!makeDatabase(database, nameIndex)) return 1;
            timeCore(nameIndex ? "core" : "core, no name index", records, DatabasePath::lookupConnectionString(), file);
        }
        if (!makeDatabase(database, true)) return 1;
        timeWindow("import window", records, platform, file);

        if (server.isEmpty()) continue;
        if (!makeServerDatabase(server)) return 1;
        timeCore("server core", records, StoreConfig::connectionString(server), file);
        if (!makeServerDatabase(server)) return 1;
        const QString configured = configHome + QStringLiteral("/zendrik/zendrik.conf");
        QDir().mkpath(QFileInfo(configured).path());
        QFile::remove(configured);
        if (!QFile::copy(server, configured)) return 1;
        timeWindow("server import window", records, platform, file);
        QFile::remove(configured);
    }
    return 0;
}
