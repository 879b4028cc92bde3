// Choosing the store: the configuration file, where it is looked for, what it may say, and how a
// server that is down, refuses the login or drops the connection is reported.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "data/ResultEngine.h"
#include "data/StoreConfig.h"
#include "support/PgServer.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void write(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

QString openError(const QString &connectionString) {
    Connection con(QStringLiteral("config"));
    con.setConnectionString(connectionString);
    try {
        con.ensureOpen();
    } catch (const AppError &e) {
        return e.message();
    }
    return {};
}

// The user's configuration folder and the executable's folder, both temporary.
struct Places {
    QTemporaryDir config, exe;
    QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    Places() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        DatabasePath::setExecutableDir(exe.path());
    }
    ~Places() {
        if (saved.isNull()) qunsetenv("XDG_CONFIG_HOME");
        else qputenv("XDG_CONFIG_HOME", saved);
        DatabasePath::setExecutableDir(QString());
    }
    QString userFile() const { return config.path() + QStringLiteral("/zendrik/zendrik.conf"); }
    QString besideFile() const { return exe.path() + QStringLiteral("/zendrik.conf"); }
};

} // namespace

TEST(StoreConfig, TheUsersFileThenTheOneBesideTheExecutableElseTheSqliteFile) {
    Places places;
    EXPECT_EQ(DatabasePath::lookupConnectionString(), DatabasePath::connectionString(places.exe.path() + u'/'));
    EXPECT_TRUE(StoreConfig::inUse().startsWith(QStringLiteral("SQLite "))) << StoreConfig::inUse().toStdString();
    const QByteArray server = "[server]\nhost=db.office.lan\nport=5433\ndatabase=zendrik\nuser=wang\n";
    write(places.besideFile(), server);
    EXPECT_EQ(DatabasePath::lookupConnectionString(), StoreConfig::connectionString(places.besideFile()));
    write(places.userFile(), server);
    EXPECT_EQ(DatabasePath::lookupConnectionString(), StoreConfig::connectionString(places.userFile()));
    EXPECT_EQ(StoreConfig::inUse(), QStringLiteral("PostgreSQL zendrik on db.office.lan:5433 as wang"));
    const StoreConfig::Server s = StoreConfig::read(places.userFile());
    EXPECT_TRUE(s.connectOptions().startsWith(QStringLiteral("connect_timeout=5;application_name=zendrik;options=")));
}

TEST(StoreConfig, AFileThatCannotBeUsedSaysWhy) {
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/zendrik.conf");
    struct Case {
        QByteArray text;
        const char *says;
    };
    const QList<Case> cases{
        {"[server]\nhost=h\ndatabase=d\nuser=u\npassword=secret\n", "不能写密码"},
        {"[server]\nhost=h\nuser=u\n", "需要 host 和 database"},
        {"[other]\nhost=h\ndatabase=d\n", "需要 host 和 database"},
        {"[server]\nhost=h\ndatabase=d\nport=http\n", "端口无效"},
        {"[server]\nhost=h\ndatabase=d\nconnect_timeout=0\n", "连接超时无效"},
    };
    for (const Case &c : cases) {
        write(file, c.text);
        const QString error = openError(StoreConfig::connectionString(file));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.text.toStdString() << " -> " << error.toStdString();
    }
    write(file, "[server]\nservice=office\n");
    const StoreConfig::Server s = StoreConfig::read(file);
    EXPECT_TRUE(
        s.connectOptions().startsWith(QStringLiteral("connect_timeout=5;application_name=zendrik;service=office;")));
    EXPECT_TRUE(
        openError(StoreConfig::connectionString(dir.path() + QStringLiteral("/none.conf"))).contains(u"无法读取"));
}

TEST(ServerFaults, AServerThatIsDownIsReportedWithinTheTimeout) {
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/zendrik.conf");
    // A socket folder where no server listens, and an address that does not answer.
    write(file, "[server]\nhost=" + QFile::encodeName(dir.path()) + "\ndatabase=d\nuser=u\n");
    QString error = openError(StoreConfig::connectionString(file));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法连接数据库服务器"))) << error.toStdString();
    write(file, "[server]\nhost=10.255.255.1\ndatabase=d\nuser=u\nconnect_timeout=2\n");
    QElapsedTimer t;
    t.start();
    error = openError(StoreConfig::connectionString(file));
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_TRUE(error.contains(u"连接数据库服务器")) << error.toStdString();
}

TEST(ServerFaults, TheLoginTakesThePasswordFromPgpassAndAWrongOneIsRefused) {
    SKIP_WITHOUT_POSTGRES();
    const QString user = PgServer::passwordUser(QStringLiteral("right"));
    ASSERT_FALSE(user.isEmpty());
    const QString database = PgServer::createDatabase();
    QTemporaryDir dir;
    const QString config = PgServer::writeConfig(dir.path(), database, user);
    const QString pgpass = dir.path() + QStringLiteral("/pgpass");
    const QByteArray saved = qgetenv("PGPASSFILE");
    qputenv("PGPASSFILE", QFile::encodeName(pgpass));
    for (const char *password : {"wrong", "right"}) {
        write(pgpass, "*:*:*:" + user.toUtf8() + ":" + password + "\n");
        QFile::setPermissions(pgpass, QFile::ReadOwner | QFile::WriteOwner);
        const QString error = openError(StoreConfig::connectionString(config));
        if (qstrcmp(password, "right") == 0) EXPECT_EQ(error, QString());
        else EXPECT_TRUE(error.startsWith(QStringLiteral("数据库服务器拒绝登录"))) << error.toStdString();
    }
    if (saved.isNull()) qunsetenv("PGPASSFILE");
    else qputenv("PGPASSFILE", saved);
    write(config, "[server]\nhost=" + QFile::encodeName(PgServer::socketDir()) + "\ndatabase=nosuch\nuser=zendrik\n");
    EXPECT_TRUE(openError(StoreConfig::connectionString(config)).startsWith(QStringLiteral("数据库服务器上没有")));
}

TEST(ServerFaults, AConnectionDroppedMidSearchSaysSoAndTheNextSearchConnectsAgain) {
    StoreFixture fixture(StoreKind::Server);
    SKIP_WITHOUT_STORE(fixture);
    fixture.exec({QStringLiteral("insert into news values ('1','标题')")});
    Connection con(QStringLiteral("dropped"));
    con.setConnectionString(fixture.connectionString());
    Query query(QStringLiteral("qry9"));
    query.open(con, QStringLiteral("select * from news"));
    // The server ends the program's sessions on this database, as a restart or a broken network does.
    fixture.exec({QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where "
                                 "application_name = 'zendrik' and datname = current_database()")});
    try {
        query.open(con, QStringLiteral("select * from news"));
        ADD_FAILURE() << "a dropped connection went unnoticed";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("与数据库服务器的连接已断开"))) << e.message().toStdString();
    }
    query.open(con, QStringLiteral("select * from news"));
    EXPECT_EQ(query.asString(QStringLiteral("title")), QStringLiteral("标题"));
}

// A database set to read backslashes in string literals as escapes (as older servers are by
// default): the program's connections, the window's and a result reader's, read them as plain
// characters all the same, while another client gets the database's setting.
TEST(StoreConfig, TheProgramsConnectionsReadBackslashesAsPlainCharacters) {
    StoreFixture fixture(StoreKind::Server);
    SKIP_WITHOUT_STORE(fixture);
    fixture.exec({QStringLiteral("do $$ begin execute format('alter database %I set standard_conforming_strings = "
                                 "off', current_database()); end $$")});
    const QString length = QStringLiteral("select length('\\\\')"); // '\\': two characters, or one escaped
    Connection con(QStringLiteral("window"));
    con.setConnectionString(fixture.connectionString());
    con.ensureOpen();
    QSqlQuery q(con.database());
    ASSERT_TRUE(q.exec(QStringLiteral("show standard_conforming_strings")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("on"));
    ASSERT_TRUE(q.exec(length) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    const std::unique_ptr<ResultEngine> reader = ResultEngine::of(con);
    reader->open();
    EXPECT_EQ(reader->count(length), 2);
    reader->close();

    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("other-client"));
        other.setHostName(PgServer::socketDir());
        other.setUserName(PgServer::user());
        other.setDatabaseName(con.database().databaseName());
        ASSERT_TRUE(other.open());
        QSqlQuery o(other);
        ASSERT_TRUE(o.exec(QStringLiteral("show standard_conforming_strings")) && o.next());
        EXPECT_EQ(o.value(0).toString(), QStringLiteral("off"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other-client"));
}
