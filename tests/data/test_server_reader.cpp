// A result reader on the database server stopped while the server is still working on its
// statement, as closing a query or starting a new search stops it: the stop comes back at once
// and the server drops the statement rather than running it to its end.
#include "data/Connection.h"
#include "data/ResultEngine.h"
#include "data/ResultReader.h"
#include "support/PgServer.h"
#include "support/StoreFixture.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Long enough that a statement left to run is still running when the test gives up on it.
constexpr int kSleepSeconds = 60;

// The sessions on one of the server's databases as another client sees them, through a
// connection of their own; other executables' sessions on the server are not counted.
class Sessions {
public:
    explicit Sessions(const QString &database) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), kName);
        db.setHostName(PgServer::socketDir());
        db.setUserName(PgServer::user());
        db.setDatabaseName(database);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    }
    ~Sessions() {
        QSqlDatabase::database(kName, false).close();
        QSqlDatabase::removeDatabase(kName);
    }
    // How many other clients' sessions are running a statement (a cursor's fetch shows as such,
    // not as the statement it runs).
    int busy() const { return count(QString()); }
    // How many of them are in the slow statements' pg_sleep: the statement itself is under way,
    // not the statements that set up the reader's connection, which a loaded machine shows too.
    int sleeping() const { return count(QStringLiteral("and wait_event = 'PgSleep'")); }

private:
    int count(const QString &condition) const {
        QSqlQuery q(QSqlDatabase::database(kName, false));
        const bool ok = q.exec(QStringLiteral("select count(*) from pg_stat_activity where pid <> pg_backend_pid() "
                                              "and datname = current_database() and state = 'active' "
                                              "and backend_type = 'client backend' ") +
                               condition);
        EXPECT_TRUE(ok && q.next()) << q.lastError().text().toStdString();
        return q.value(0).toInt();
    }

    static constexpr const char *kName = "sessions";
};

// The window's connection to the tests' server, and its sessions as another client sees them.
class ServerReader : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_STORE(fixture);
        con.setConnectionString(fixture.connectionString());
        con.ensureOpen();
        sessions.emplace(fixture.database());
    }

    StoreFixture fixture{StoreKind::Server};
    Connection con{QStringLiteral("window")};
    std::optional<Sessions> sessions;
};

} // namespace

TEST_F(ServerReader, StoppingAReaderEndsTheStatementOnTheServer) {
    const QString sleep = QStringLiteral("select pg_sleep(%1)").arg(kSleepSeconds);
    // The server busy counting the rows, or bringing the rows themselves.
    struct Case {
        const char *what;
        ResultReader::Statements statements;
    } cases[] = {
        {"count", {QStringLiteral("select 1"), 0, QString(), QStringLiteral("select count(*) from (%1) s").arg(sleep)}},
        {"rows", {sleep, 0, QString(), QStringLiteral("select 1"), 1}},
    };
    for (Case &c : cases) {
        auto reader = std::make_unique<ResultReader>(ResultEngine::of(con), c.statements, [] {});
        reader->hurry();
        reader->want(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return sessions->sleeping() == 1; }, 10000)) << c.what;

        QElapsedTimer stopping;
        stopping.start();
        reader.reset();
        EXPECT_LT(stopping.elapsed(), 3000) << c.what;
        EXPECT_TRUE(QTest::qWaitFor([&] { return sessions->busy() == 0; }, 5000)) << c.what;
    }
}

// A stop that comes while the reader connects, or just as its statement goes to the server, is
// never lost: the statement is not sent, or is cancelled once it arrives.
TEST_F(ServerReader, AStopHoweverEarlyEndsTheStatement) {
    const QString count = QStringLiteral("select count(*) from (select pg_sleep(%1)) s").arg(kSleepSeconds);
    for (int delayMs = 0; delayMs < 40; delayMs += 2) {
        auto reader = std::make_unique<ResultReader>(
            ResultEngine::of(con), ResultReader::Statements{QStringLiteral("select 1"), 0, QString(), count}, [] {});
        reader->hurry();
        QTest::qSleep(delayMs);
        QElapsedTimer stopping;
        stopping.start();
        reader.reset();
        EXPECT_LT(stopping.elapsed(), 3000) << "stopped after " << delayMs << " ms";
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return sessions->busy() == 0; }, 5000));
}

// The reader's connection dropped after the first rows: the rows read stay readable, and the
// reader says it failed rather than passing the rows it had for the whole result.
TEST_F(ServerReader, AConnectionDroppedAfterTheFirstRowsIsAFailureNotTheEnd) {
    // The first batch comes at once; the second stalls on its first row until the drop.
    const QString rows =
        QStringLiteral("select g, case when g > 1500 then pg_sleep(%1) end from generate_series(1, 3000) g")
            .arg(kSleepSeconds);
    ResultReader reader(ResultEngine::of(con), {rows, 0, QString(), QStringLiteral("select 3000"), 3000}, [] {});
    reader.want(2999);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader.has(999) && sessions->sleeping() == 1; }, 10000));
    QSqlQuery drop(QSqlDatabase::database(QStringLiteral("sessions"), false));
    ASSERT_TRUE(drop.exec(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where pid <> "
                                         "pg_backend_pid() and datname = current_database() and state = 'active' "
                                         "and backend_type = 'client backend'")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.failed(); }, 5000));
    EXPECT_TRUE(reader.has(999));
    EXPECT_FALSE(reader.has(2999));
    EXPECT_FALSE(reader.complete());
}
