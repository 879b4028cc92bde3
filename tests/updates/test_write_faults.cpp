// Writes the server refuses, told in Chinese by what went wrong, with the server's own text
// after it: an account that may only read, and a table another program keeps locked.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/StoreConfig.h"
#include "support/PgServer.h"
#include "support/StoreFixture.h"
#include "support/UpdateFile.h"
#include "updates/FeedRefresh.h"
#include "updates/XmlDocument.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

XmlDocument feed() { return XmlDocument::fromBytes("<n><i><id>9</id><t>标题</t></i></n>"); }

QString failure(const std::function<void()> &write) {
    try {
        write();
    } catch (const AppError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

qint64 count(StoreFixture &fixture, const QString &table) {
    Connection reader(QStringLiteral("write-faults-count"));
    reader.setConnectionString(fixture.connectionString());
    reader.ensureOpen();
    QSqlQuery q(reader.database());
    return q.exec(QStringLiteral("select count(*) from %1").arg(table)) && q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

// A desk whose account may read the tables but not change them: its update import and its feed
// refresh stop with the permission message, naming the table in the server's text.
TEST(WriteFaults, AnAccountThatMayOnlyReadIsToldToAskTheAdministrator) {
    StoreFixture fixture(StoreKind::Server);
    SKIP_WITHOUT_STORE(fixture);
    fixture.exec({kOldCase, QStringLiteral("insert into news values ('1','旧')")});
    const QString role = QStringLiteral("reader_") + fixture.database();
    ASSERT_EQ(PgServer::exec(fixture.database(),
                             {QStringLiteral("create role %1 login").arg(role),
                              QStringLiteral("grant select on all tables in schema public to %1").arg(role)}),
              QString());
    QTemporaryDir dir;
    Connection connection(QStringLiteral("read-only"));
    connection.setConnectionString(
        StoreConfig::connectionString(PgServer::writeConfig(dir.path(), fixture.database(), role)));
    QFile update(dir.filePath(QStringLiteral("update.xml")));
    ASSERT_TRUE(update.open(QIODevice::WriteOnly));
    update.write(("<cases>" + recordXml({"8471", "名称", "规格", "2020-01-01", "x"}) + "</cases>").toUtf8());
    update.close();

    struct Case {
        const char *what;
        std::function<void()> write;
        const char *table;
    } cases[] = {
        {"update import", [&] { UpdateImport::run(connection, update.fileName()); }, "case_hs"},
        {"news", [&] { FeedRefresh::news(connection, feed()); }, "news"},
        {"advertisements", [&] { FeedRefresh::advertisements(connection, feed()); }, "news_ad"},
    };
    for (const Case &c : cases) {
        const QString message = failure(c.write);
        EXPECT_TRUE(message.startsWith(QStringLiteral("数据库账户没有读取或修改这些数据的权限")) &&
                    message.contains(QStringLiteral("请联系数据库管理员")))
            << c.what << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(
            QStringLiteral("\nERROR:  permission denied for table %1 (42501)").arg(QLatin1String(c.table))))
            << c.what << ": " << message.toStdString();
    }
    EXPECT_EQ(count(fixture, QStringLiteral("case_hs")), 1);
    EXPECT_EQ(count(fixture, QStringLiteral("news")), 1);
}

// Another program holds a lock on the news table longer than the configuration's lock_timeout:
// the refresh stops with the lock message and leaves the news as they were.
TEST(WriteFaults, ATableLockedPastTheWaitIsToldAsLocked) {
    StoreFixture fixture(StoreKind::Server);
    SKIP_WITHOUT_STORE(fixture);
    fixture.exec({QStringLiteral("insert into news values ('1','旧')")});
    QTemporaryDir dir;
    const QString config = PgServer::writeConfig(dir.path(), fixture.database());
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("lock_timeout=1\n");
    file.close();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("locker"));
        other.setHostName(PgServer::socketDir());
        other.setUserName(PgServer::user());
        other.setDatabaseName(fixture.database());
        ASSERT_TRUE(other.open()) << other.lastError().text().toStdString();
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec(QStringLiteral("begin")) &&
                    lock.exec(QStringLiteral("lock table news in access exclusive mode")));

        Connection connection(QStringLiteral("locked-out"));
        connection.setConnectionString(StoreConfig::connectionString(config));
        const QString message = failure([&] { FeedRefresh::news(connection, feed()); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("数据正被其他用户或程序锁定，等待超时")) &&
                    message.contains(QStringLiteral("(55P03)")))
            << message.toStdString();
        lock.exec(QStringLiteral("rollback"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    EXPECT_EQ(count(fixture, QStringLiteral("news")), 1);
}
