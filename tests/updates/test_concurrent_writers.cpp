// Several desks writing to one database server at once: update imports and feed refreshes take
// turns on the program's write lock, so no id is used twice and no record is lost or doubled;
// a writer that waits longer than the configured bound stops with a message and writes nothing.
// Real connections on threads of their own against the tests' throwaway server.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/StoreConfig.h"
#include "data/Transaction.h"
#include "support/PgServer.h"
#include "support/StoreFixture.h"
#include "support/UpdateFile.h"
#include "updates/FeedRefresh.h"
#include "updates/UpdateImport.h"
#include "updates/XmlDocument.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

const QString kSeed =
    QStringLiteral("insert into case_hs values (7,'旧记录','6E','规格','2023-12-31','2023-12-31',0,'x')");

// An update file of `count` records named prefix-N, dated from `firstDay` of January 2024 on,
// a few records a day.
QString writeFile(const QTemporaryDir &dir, const QString &prefix, int count, int firstDay) {
    QString body;
    for (int i = 0; i < count; ++i)
        body += recordXml({QString::number(84710000 + i), QStringLiteral("%1-%2").arg(prefix).arg(i), "规格",
                           QStringLiteral("2024-%1-%2")
                               .arg(1 + (firstDay + i / 40) / 28, 2, 10, QLatin1Char('0'))
                               .arg(1 + (firstDay + i / 40) % 28, 2, 10, QLatin1Char('0')),
                           "源"});
    const QString path = dir.filePath(prefix + QStringLiteral(".xml"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cases>\n%1</cases>\n").arg(body).toUtf8());
    return path;
}

// A fresh server database with one old case and one news item.
struct ServerDatabase {
    StoreFixture fixture{StoreKind::Server};
    ServerDatabase() {
        if (fixture.unavailable().isEmpty())
            fixture.exec({kSeed, QStringLiteral("insert into news values ('1','旧')")});
    }
    QString connectionString() const { return fixture.connectionString(); }
    // Writers give up after this many seconds of waiting.
    void setLockTimeout(int seconds) {
        QFile config(StoreConfig::fileOf(connectionString()));
        ASSERT_TRUE(config.open(QIODevice::Append));
        config.write(QStringLiteral("lock_timeout=%1\n").arg(seconds).toUtf8());
    }
    // The rows of a table, columns joined by '|', in the given order.
    QStringList rows(const QString &table, const QString &order) const {
        Connection reader(QStringLiteral("writers-reader"));
        reader.setConnectionString(connectionString());
        reader.ensureOpen();
        QSqlQuery q(reader.database());
        EXPECT_TRUE(q.exec(QStringLiteral("select * from %1 order by %2").arg(table, order)));
        QStringList out;
        while (q.next()) {
            QStringList columns;
            for (int c = 0; c < q.record().count(); ++c)
                if (q.record().fieldName(c) != QLatin1String("rowid")) columns << q.value(c).toString();
            out << columns.join(u'|');
        }
        return out;
    }
    QStringList cases() const { return rows(QStringLiteral("case_hs"), QStringLiteral("id")); }
    // How many connections wait for an advisory lock on this database.
    int waiting() const {
        Connection monitor(QStringLiteral("writers-monitor"));
        monitor.setConnectionString(connectionString());
        monitor.ensureOpen();
        QSqlQuery q(monitor.database());
        return q.exec(QStringLiteral("select count(*) from pg_locks where locktype = 'advisory' and not granted and "
                                     "database = (select oid from pg_database where datname = current_database())")) &&
                       q.next()
                   ? q.value(0).toInt()
                   : -1;
    }
    // Waits until that many connections wait for the write lock; false after 20 seconds.
    bool waitForWaiting(int count) const {
        QElapsedTimer clock;
        clock.start();
        while (waiting() != count) {
            if (clock.elapsed() > 20000) return false;
            QThread::msleep(20);
        }
        return true;
    }
};

// A writer on a thread of its own with its own connection: what it returned or the message
// it failed with, and how long it took.
struct Outcome {
    bool ok = false;
    QString message;
    int rows = 0; // imported or inserted
    qint64 ms = 0;
};

template <typename Write> std::future<Outcome> onThread(const QString &connectionString, Write write) {
    return std::async(std::launch::async, [connectionString, write] {
        Connection connection(QStringLiteral("writer"));
        connection.setConnectionString(connectionString);
        Outcome out;
        QElapsedTimer clock;
        clock.start();
        try {
            out.rows = write(connection);
            out.ok = true;
        } catch (const AppError &e) {
            out.message = e.message();
        }
        out.ms = clock.elapsed();
        return out;
    });
}

std::future<Outcome> importOnThread(const QString &connectionString, const QString &file,
                                    const UpdateImport::Progress &progress = {}) {
    return onThread(connectionString,
                    [file, progress](Connection &c) { return UpdateImport::run(c, file, progress).imported; });
}

// An import that stops after its first record, holding the write lock, until let go.
struct PausedImport {
    std::promise<void> holding, letGo;
    std::shared_future<void> released = letGo.get_future().share();
    std::future<Outcome> outcome;

    PausedImport(const QString &connectionString, const QString &file) {
        outcome = importOnThread(connectionString, file, [this](int done, int) {
            if (done != 1) return;
            holding.set_value();
            released.wait_for(std::chrono::seconds(30));
        });
    }
    bool waitUntilHolding() {
        return holding.get_future().wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    }
};

XmlDocument newsFeed() {
    return XmlDocument::fromBytes(QByteArrayLiteral("<n><i><id>9</id><t>新闻</t></i><i><id>10</id><t>二</t></i></n>"),
                                  QStringLiteral("feed"));
}

} // namespace

// Two desks import at the same moment. Each import must see the other's rows as a whole or not
// at all: the table ends as one import after the other leaves it, in either order.
TEST(ConcurrentWriters, TwoImportsAtOnceEndAsOneAfterTheOther) {
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir dir;
    // More records than one statement holds, so unguarded imports would interleave.
    const QString january = writeFile(dir, QStringLiteral("一月"), 1600, 0);
    const QString overlapping = writeFile(dir, QStringLiteral("二月"), 1600, 20);
    struct Case {
        const char *what;
        QString first, second;
    } cases[] = {{"the same file twice", january, january}, {"two files with overlapping dates", january, overlapping}};
    for (const Case &c : cases) {
        // What the two imports leave one after the other, in each order.
        QList<QStringList> serial;
        for (const auto &[a, b] : {std::pair{c.first, c.second}, std::pair{c.second, c.first}}) {
            ServerDatabase oracle;
            SKIP_WITHOUT_STORE(oracle.fixture);
            Connection connection(QStringLiteral("serial"));
            connection.setConnectionString(oracle.connectionString());
            UpdateImport::run(connection, a);
            UpdateImport::run(connection, b);
            serial << oracle.cases();
        }
        ASSERT_GT(serial[0].size(), 1600) << c.what;

        ServerDatabase db;
        std::optional<Connection> holder(std::in_place, QStringLiteral("holder"));
        holder->setConnectionString(db.connectionString());
        // Another desk's write holds the lock until both imports wait for it, so they start together.
        std::optional<Transaction> held(std::in_place, *holder);
        auto first = importOnThread(db.connectionString(), c.first);
        auto second = importOnThread(db.connectionString(), c.second);
        ASSERT_TRUE(db.waitForWaiting(2)) << c.what << ": the imports did not wait for the write lock";
        held->commit();

        const Outcome a = first.get(), b = second.get();
        EXPECT_TRUE(a.ok) << c.what << ": " << a.message.toStdString();
        EXPECT_TRUE(b.ok) << c.what << ": " << b.message.toStdString();
        const QStringList together = db.cases();
        EXPECT_TRUE(together == serial[0] || together == serial[1])
            << c.what << ": " << together.size() << " rows, one after the other " << serial[0].size() << " or "
            << serial[1].size();
        EXPECT_EQ(a.rows + b.rows, together.size() - 1) << c.what;
    }
}

// A feed refresh while an import writes waits for the import's commit, then writes.
TEST(ConcurrentWriters, AFeedRefreshDuringAnImportWaitsAndThenWrites) {
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir dir;
    ServerDatabase db;
    PausedImport import(db.connectionString(), writeFile(dir, QStringLiteral("更新"), 800, 0));
    ASSERT_TRUE(import.waitUntilHolding());
    const XmlDocument feed = newsFeed();
    auto refresh = onThread(db.connectionString(), [&feed](Connection &c) { return FeedRefresh::news(c, feed); });
    ASSERT_TRUE(db.waitForWaiting(1)) << "the refresh did not wait for the import";
    QThread::msleep(300);
    EXPECT_EQ(db.rows(QStringLiteral("news"), QStringLiteral("id")), QStringList{"1|旧"}) << "written while waiting";
    import.letGo.set_value();

    const Outcome imported = import.outcome.get(), refreshed = refresh.get();
    EXPECT_TRUE(imported.ok) << imported.message.toStdString();
    EXPECT_EQ(imported.rows, 800);
    EXPECT_TRUE(refreshed.ok) << refreshed.message.toStdString();
    EXPECT_GE(refreshed.ms, 300);
    EXPECT_EQ(db.rows(QStringLiteral("news"), QStringLiteral("id")), (QStringList{"10|二", "9|新闻"}));
    EXPECT_EQ(db.cases().size(), 801);
}

// A writer that waits past lock_timeout stops with a message and writes nothing; the write it
// waited for goes on.
TEST(ConcurrentWriters, AWriterThatWaitsPastTheBoundWritesNothing) {
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir dir;
    const QString holderFile = writeFile(dir, QStringLiteral("先"), 100, 0);
    const QString waiterFile = writeFile(dir, QStringLiteral("后"), 100, 40);
    const XmlDocument feed = newsFeed();
    enum Waiter { Import, Refresh };
    for (Waiter waiter : {Import, Refresh}) {
        ServerDatabase db;
        SKIP_WITHOUT_STORE(db.fixture);
        db.setLockTimeout(1);
        PausedImport holder(db.connectionString(), holderFile);
        ASSERT_TRUE(holder.waitUntilHolding());
        auto waiting = waiter == Import ? importOnThread(db.connectionString(), waiterFile)
                                        : onThread(db.connectionString(),
                                                   [&feed](Connection &c) { return FeedRefresh::news(c, feed); });
        const Outcome stopped = waiting.get();
        holder.letGo.set_value();
        const Outcome held = holder.outcome.get();

        EXPECT_FALSE(stopped.ok) << int(waiter);
        EXPECT_EQ(stopped.message, Transactions::serverBusyMessage(1)) << int(waiter);
        EXPECT_GE(stopped.ms, 1000) << int(waiter);
        EXPECT_LT(stopped.ms, 10000) << int(waiter);
        EXPECT_TRUE(held.ok) << held.message.toStdString();
        EXPECT_EQ(db.rows(QStringLiteral("news"), QStringLiteral("id")), QStringList{"1|旧"}) << int(waiter);
        const QStringList cases = db.cases();
        ASSERT_EQ(cases.size(), 101) << int(waiter);
        EXPECT_TRUE(cases.last().startsWith(QStringLiteral("107|先-99|"))) << cases.last().toStdString();
    }
}
