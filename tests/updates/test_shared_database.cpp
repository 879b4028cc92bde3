// A database file shared with other programs and other users, locked, replaced and only read:
// real processes (the system's sqlite3 shell, the command-line lookup) on real files.
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "support/TestDatabase.h"
#include "updates/FeedRefresh.h"
#include "updates/UpdateImport.h"
#include "updates/XmlDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString sqliteShell() { return QStandardPaths::findExecutable(QStringLiteral("sqlite3")); }

// True while another process holds the file's write lock.
bool writeLocked(const QString &file) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const bool locked = sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr) == SQLITE_BUSY;
    sqlite3_close(db); // rolls back the transaction when it began
    return locked;
}

QByteArray bytesOf(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesBeside(const TestDatabase &db) { return QDir(db.dir()).entryList(QDir::Files, QDir::Name); }

QString updateFile(const QString &dir) {
    const QString path = dir + QStringLiteral("update.xml");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><cases><case><code>8471</code><name>n</name><spec>s</spec>"
            "<date>2030-01-01</date><source>x</source></case></cases>");
    return path;
}

const QString kSeedCase = QStringLiteral("insert into case_hs values (1,'案例','%1','s','2024-01-01','',0,'')")
                              .arg(ScrambleCode(QStringLiteral("0101210010")));

} // namespace

// A write transaction takes the write lock at its start: while another program holds it, the
// import and the feed refresh wait (the busy timeout) instead of failing at once.
TEST(SharedDatabase, WritesWaitForAnotherProgramsWriteLock) {
    if (sqliteShell().isEmpty()) GTEST_SKIP() << "the sqlite3 shell is not installed";
    enum Writer { Import, Feed };
    for (Writer writer : {Import, Feed}) {
        TestDatabase db;
        db.exec(kSeedCase);
        QProcess holder;
        holder.start(sqliteShell(), {db.file()});
        ASSERT_TRUE(holder.waitForStarted());
        holder.write("begin immediate;\ninsert into news values ('held','by the shell');\n.shell sleep 1\ncommit;\n");
        holder.waitForBytesWritten();
        holder.closeWriteChannel();
        QElapsedTimer clock;
        clock.start();
        while (!writeLocked(db.file()) && clock.elapsed() < 5000) QThread::msleep(10);
        ASSERT_TRUE(writeLocked(db.file()))
            << "the shell never took the write lock: " << holder.readAllStandardError().toStdString();

        Connection connection(QStringLiteral("waiting-writer"));
        connection.setConnectionString(DatabasePath::lookupConnectionString());
        clock.restart();
        try {
            if (writer == Import) {
                EXPECT_EQ(UpdateImport::run(connection, updateFile(db.dir())).imported, 1);
            } else {
                const QByteArray feed = "<n><i><id>9</id><t>title</t></i></n>";
                EXPECT_EQ(FeedRefresh::news(connection, XmlDocument::fromBytes(feed)), 1);
            }
        } catch (const AppError &e) {
            ADD_FAILURE() << int(writer) << ": " << e.message().toStdString();
        }
        EXPECT_GT(clock.elapsed(), 300) << int(writer) << ": it did not wait for the lock";
        ASSERT_TRUE(holder.waitForFinished(10000));
        EXPECT_EQ(holder.exitCode(), 0) << holder.readAllStandardError().toStdString();
        // The shell's transaction committed first, the program's after it.
        EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from news where id='held'")).toInt(),
                  writer == Import ? 1 : 0);
        EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from case_hs")).toInt(), writer == Import ? 2 : 1);
    }
}

// A write lock held longer than the busy timeout ends the import with a message saying so; the
// table stays as it was.
TEST(SharedDatabase, AWriteLockHeldTooLongIsReportedAsTheDatabaseInUse) {
    TestDatabase db;
    db.exec(kSeedCase);
    db.exec(QStringLiteral("begin immediate"));
    Connection connection(QStringLiteral("blocked-writer"));
    connection.setConnectionString(DatabasePath::lookupConnectionString());
    try {
        UpdateImport::run(connection, updateFile(db.dir()));
        ADD_FAILURE() << "the import did not fail";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("数据库正被其他程序使用"))) << e.message().toStdString();
    }
    db.exec(QStringLiteral("rollback"));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from case_hs")).toInt(), 1);
}

// A lookup by a user who may not write the file leaves nothing beside it, so the owner's
// imports and refreshes keep working.
TEST(SharedDatabase, AnotherUsersLookupLeavesNoFileThatStopsTheOwner) {
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik-cli");
    const passwd *owner = getpwnam("daemon");
    if (geteuid() != 0 || !owner || sqliteShell().isEmpty())
        GTEST_SKIP() << "needs root (to act as the users daemon and nobody) and the sqlite3 shell";

    TestDatabase db;
    db.exec(kSeedCase);
    db.closeConnection();
    // The owner's folder, which others may write to, and the owner's file, which they may only read.
    ASSERT_EQ(::chown(QFile::encodeName(db.dir()).constData(), owner->pw_uid, owner->pw_gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(db.dir()).constData(), 0777), 0);
    ASSERT_EQ(::chown(QFile::encodeName(db.file()).constData(), owner->pw_uid, owner->pw_gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(db.file()).constData(), 0644), 0);

    auto runAs = [](const char *user, const QString &program, const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral("runuser"), QStringList{"-u", QLatin1String(user), "--", program} + args);
        EXPECT_TRUE(p.waitForFinished(20000));
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
    };
    const auto [searchCode, searchOut] = runAs("nobody", cli, {"search", "--code", "0101", "--db", db.dir()});
    if (searchCode != 0 && searchOut.contains(QLatin1String("Permission denied")))
        GTEST_SKIP() << "the user nobody cannot run " << cli.toStdString();
    EXPECT_EQ(searchCode, 0) << searchOut.toStdString();
    EXPECT_TRUE(searchOut.contains(QStringLiteral("case_hs (1 row)"))) << searchOut.toStdString();
    EXPECT_EQ(filesBeside(db), QStringList{"quorvel.mdb"}) << "the reader left files beside the database";

    // The owner writes, as the import and the refresh do.
    const auto [writeCode, writeOut] =
        runAs("daemon", sqliteShell(), {db.file(), "begin immediate; insert into news values ('1','t'); commit;"});
    EXPECT_EQ(writeCode, 0) << writeOut.toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from news")).toInt(), 1);
    ::chmod(QFile::encodeName(db.dir()).constData(), 0700);
}

// A lookup never changes the file: a database in rollback-journal mode (made by another tool)
// stays byte for byte what it was, with nothing left beside it; the program's own writes keep
// its journal mode.
TEST(SharedDatabase, ALookupLeavesARollbackJournalFileUnchanged) {
    TestDatabase db;
    db.exec(kSeedCase);
    db.exec(QStringLiteral("pragma journal_mode=delete"));
    db.closeConnection();
    const QByteArray before = bytesOf(db.file());
    ASSERT_EQ(before.at(18), 1) << "not in rollback-journal mode";

    QProcess cli;
    cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik-cli"),
              {"search", "--code", "0101", "--name", "案", "--db", db.dir()});
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    {
        // The windows' way: a connection and a query, opened and closed.
        Connection connection(QStringLiteral("reader"));
        connection.setConnectionString(DatabasePath::lookupConnectionString());
        Query query(QStringLiteral("qry3"));
        query.open(connection, QStringLiteral("select id,code,name,spec from case_hs order by code"));
        EXPECT_FALSE(query.eof());
    }
    EXPECT_EQ(bytesOf(db.file()), before);
    EXPECT_EQ(filesBeside(db), QStringList{"quorvel.mdb"});

    Connection writer(QStringLiteral("writer"));
    writer.setConnectionString(DatabasePath::lookupConnectionString());
    EXPECT_EQ(UpdateImport::run(writer, updateFile(db.dir())).imported, 1);
    writer.close();
    EXPECT_EQ(bytesOf(db.file()).at(18), 1) << "the import switched the journal mode";
    EXPECT_EQ(filesBeside(db), (QStringList{"quorvel.mdb", "update.xml"}));
}

// A log left by a program that was killed is replayed into its own file, but set aside when
// another database was copied over the file meanwhile.
TEST(SharedDatabase, ALogLeftBesideAReplacedFileIsSetAside) {
    if (sqliteShell().isEmpty()) GTEST_SKIP() << "the sqlite3 shell is not installed";
    for (bool replaced : {false, true}) {
        TestDatabase db;
        db.exec(QStringLiteral("insert into news values ('mine','a')"));
        db.closeConnection();
        // A writer that commits and is killed before it closes: its log stays.
        QProcess writer;
        writer.start(sqliteShell(), {db.file()});
        ASSERT_TRUE(writer.waitForStarted());
        writer.write("insert into news values ('committed','before the kill');\n");
        writer.waitForBytesWritten();
        QElapsedTimer clock;
        clock.start();
        auto committed = [&] {
            sqlite3 *h = nullptr;
            sqlite3_open_v2(db.file().toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(h, "select count(*) from news where id='committed'", -1, &s, nullptr);
            const bool found = s && sqlite3_step(s) == SQLITE_ROW && sqlite3_column_int(s, 0) == 1;
            sqlite3_finalize(s);
            sqlite3_close(h);
            return found;
        };
        while (!committed() && clock.elapsed() < 5000) QThread::msleep(10);
        writer.kill();
        writer.waitForFinished();
        ASSERT_GT(QFileInfo(db.file() + QStringLiteral("-wal")).size(), 0) << "no log was left";

        if (replaced) {
            TestDatabase other;
            other.exec(QStringLiteral("insert into news values ('other','b')"));
            other.closeConnection();
            QThread::msleep(20);
            // cp -p: the copy even keeps the other file's older modification time.
            ASSERT_EQ(QProcess::execute(QStringLiteral("cp"), {"-p", other.file(), db.file()}), 0);
        }
        DatabasePath::setExecutableDir(db.dir()); // the other fixture's end reset it
        Connection connection(QStringLiteral("after-crash"));
        connection.setConnectionString(DatabasePath::lookupConnectionString());
        Query query(QStringLiteral("qry9"));
        QStringList ids;
        for (query.open(connection, QStringLiteral("select * from news order by id")); !query.eof(); query.next())
            ids << query.asString(QStringLiteral("id"));
        query.open(connection, QStringLiteral("pragma integrity_check"));
        EXPECT_EQ(query.value(QStringLiteral("integrity_check")).toString(), QStringLiteral("ok")) << replaced;
        const QStringList aside = QDir(db.dir()).entryList({QStringLiteral("quorvel.mdb-wal.foreign-*")});
        if (replaced) {
            EXPECT_EQ(ids, QStringList{"other"});
            EXPECT_EQ(aside.size(), 1);
        } else {
            EXPECT_EQ(ids, (QStringList{"committed", "mine"}));
            EXPECT_TRUE(aside.isEmpty());
        }
    }
}
