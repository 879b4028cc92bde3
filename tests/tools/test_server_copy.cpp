// Moving a lookup database onto the server: every table, codes unchanged, the same search
// results in the same order, indexes built; a server that has the tables is not overwritten
// by accident.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "data/ServerSchema.h"
#include "data/StoreConfig.h"
#include "dbbuilder/Commands.h"
#include "dbbuilder/ServerCopy.h"
#include "search/SearchStatements.h"
#include "search/SearchTables.h"
#include "support/PgServer.h"
#include "tools/Generate.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every row of a search, every selected column, as text.
QStringList searchRows(const QString &connectionString, SearchStatements::Table table, const QString &name,
                       bool planned = false) {
    Connection con(QStringLiteral("copy"));
    con.setConnectionString(connectionString);
    Query q(QStringLiteral("qryCopy"));
    q.setConnection(&con);
    const SearchTerms terms = SearchStatements::terms(table, {}, name);
    q.setSource(std::make_shared<SearchQuery>(con.store(), terms,
                                              planned ? SearchPlan::choose(terms, con) : SearchPlan::Plan::AsWritten));
    q.open();
    QStringList out;
    for (; !q.eof(); q.next()) {
        const QSqlRecord r = q.model()->record(q.row());
        QStringList values;
        for (int c = 0; c < r.count(); ++c) values << (r.isNull(c) ? QStringLiteral("<null>") : r.value(c).toString());
        out << values.join(u'|');
    }
    return out;
}

qint64 count(const QString &connectionString, const QString &statement) {
    Connection con(QStringLiteral("count"));
    con.setConnectionString(connectionString);
    con.ensureOpen();
    QSqlQuery q(con.database());
    return q.exec(statement) && q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

TEST(ServerCopy, CopiesEveryTableSoSearchesReadTheSameOnBothStores) {
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/quorvel.mdb");
    ASSERT_TRUE(Builder::buildDemo(file, Builder::Existing::Refuse));
    const QString config = PgServer::writeConfig(dir.path(), PgServer::createDatabase());
    const QList<ServerCopy::TableCount> counts = ServerCopy::copy(file, config, false);
    const QString onFile = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
    const QString onServer = StoreConfig::connectionString(config);
    ASSERT_FALSE(counts.isEmpty());
    for (const ServerCopy::TableCount &c : counts) {
        const QString total = QStringLiteral("select count(*) from %1").arg(c.table);
        EXPECT_EQ(c.rows, count(onFile, total)) << c.table.toStdString();
        EXPECT_EQ(count(onServer, total), c.rows) << c.table.toStdString();
    }
    EXPECT_GT(count(onServer, QStringLiteral("select count(*) from case_hs")), 0);
    EXPECT_EQ(
        count(onServer, QStringLiteral("select count(*) from pg_indexes where indexname in "
                                       "('official_hs_code','hs_classify_code','case_hs_code','hs_dm_tax_code')")),
        4);
    // The name indexes, made after the rows and ready for use.
    EXPECT_EQ(count(onServer, QStringLiteral("select count(*) from pg_index i join pg_class c on c.oid = i.indexrelid "
                                             "where c.relname in ('case_hs_name_grams', 'official_hs_name_grams', "
                                             "'hs_classify_name_grams') and i.indisvalid and i.indisready")),
              3);
    for (const SearchStatements::Table table :
         {SearchStatements::OfficialHs, SearchStatements::HsClassify, SearchStatements::CaseHs})
        for (const QString &name : {QString(), QStringLiteral("牛"), QStringLiteral("a")}) {
            const QStringList expected = searchRows(onFile, table, name);
            EXPECT_EQ(searchRows(onServer, table, name), expected) << table << " " << name.toStdString();
            // As the window runs it, through the server's name index.
            EXPECT_EQ(searchRows(onServer, table, name, true), expected) << table << " " << name.toStdString();
        }

    // A second copy onto the same tables needs --force.
    try {
        ServerCopy::copy(file, config, false);
        ADD_FAILURE() << "copied over existing tables";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.message().contains(u"--force")) << e.message().toStdString();
    }
    ServerCopy::copy(file, config, true);
    EXPECT_EQ(count(onServer, QStringLiteral("select count(*) from case_hs")),
              count(onFile, QStringLiteral("select count(*) from case_hs")));
}

namespace {

// Every row of a table in written order, every column but the server's own rowid, as text.
QStringList tableRows(const QString &connectionString, const QString &table) {
    Connection con(QStringLiteral("rows"));
    con.setConnectionString(connectionString);
    con.ensureOpen();
    QSqlQuery q(con.database());
    // The server's tables that have no rowid column are written once and read whole.
    const bool ordered = !con.isServer() || ServerSchema::hasRowid(table);
    EXPECT_TRUE(q.exec(
        QStringLiteral("select * from %1%2").arg(table, ordered ? QStringLiteral(" order by rowid") : QString())))
        << table.toStdString();
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int c = 0; c < q.record().count(); ++c)
            if (q.record().fieldName(c) != QLatin1String("rowid"))
                values << (q.isNull(c) ? QStringLiteral("<null>") : q.value(c).toString());
        out << values.join(u'|');
    }
    return out;
}

} // namespace

// `generate` and `load` take a server's configuration where a database file goes: the same rows
// in the same order as in a file, the indexes built; a later load replaces only its own tables.
TEST(ServerBuild, GenerateAndLoadWriteTheSameRowsToAServerAsToAFile) {
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("quorvel.mdb"));
    const QString config = PgServer::writeConfig(dir.path(), PgServer::createDatabase());
    ASSERT_TRUE(generateNew(file, 300, 200, 2000, 7));
    ASSERT_TRUE(generateNew(config, 300, 200, 2000, 7));
    const QString onFile = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
    const QString onServer = StoreConfig::connectionString(config);
    for (const char *table : {"official_hs", "hs_dm_tax", "hs_classify", "case_hs", "hs_licensed", "hs_trade", "news",
                              "news_ad", "tariff_rate", "partner_country"}) {
        const QStringList rows = tableRows(onFile, QLatin1String(table));
        EXPECT_EQ(tableRows(onServer, QLatin1String(table)), rows) << table;
    }
    EXPECT_EQ(tableRows(onServer, QStringLiteral("case_hs")).size(), 2000);
    EXPECT_EQ(
        count(onServer, QStringLiteral("select count(*) from pg_indexes where indexname in "
                                       "('official_hs_code','hs_classify_code','case_hs_code','hs_dm_tax_code')")),
        4);
    EXPECT_EQ(searchRows(onServer, SearchStatements::CaseHs, QStringLiteral("钢")),
              searchRows(onFile, SearchStatements::CaseHs, QStringLiteral("钢")));
    EXPECT_THROW(generateNew(config, 300, 200, 2000, 7), AppError)
        << "generated over a server's tables without --force";

    // A load onto the server in use: its licences replaced, the cases and the tariff kept.
    QTemporaryDir licences;
    ASSERT_TRUE(QFile::copy(Builder::demoDataDir() + QStringLiteral("/licences.csv"),
                            licences.filePath(QStringLiteral("licences.csv"))));
    const QStringList cases = tableRows(onServer, QStringLiteral("case_hs"));
    const QStringList tariff = tableRows(onServer, QStringLiteral("official_hs"));
    Builder::loadDatabase(file, licences.path());
    const LoadSummary summary = Builder::loadDatabase(config, licences.path());
    EXPECT_EQ(summary.tables, QStringList{"hs_licensed"});
    EXPECT_EQ(tableRows(onServer, QStringLiteral("hs_licensed")), tableRows(onFile, QStringLiteral("hs_licensed")));
    EXPECT_EQ(tableRows(onServer, QStringLiteral("case_hs")), cases);
    EXPECT_EQ(tableRows(onServer, QStringLiteral("official_hs")), tariff);
}

// Values that would end a string literal or run a statement of their own, numbers at the ends of
// their ranges and Null are copied exactly, onto a database set to read backslashes in literals
// as escapes; a zero character, which the server's text cannot hold, is left out.
TEST(ServerCopy, EveryValueArrivesAsItIs) {
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/quorvel.mdb");
    ASSERT_TRUE(Builder::buildDemo(file, Builder::Existing::Refuse));
    const QString onFile = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
    {
        Connection con(QStringLiteral("hostile"));
        con.setConnectionString(onFile);
        con.ensureOpen();
        QSqlQuery q(con.database());
        for (const char *statement : {
                 "delete from news",
                 "insert into news values ('1''', 'O''Neil\\')",
                 "insert into news values ('2\\''', '\\'');delete from official_hs;--')",
                 "insert into news values ('3', 'x'');update case_hs set name=''PWN'';--')",
                 "insert into news values ('4', null)",
                 "insert into news values ('5', 'a' || char(0) || 'b')",
                 "insert into official_hs (id, hs_code, low_rate, high_rate, tax_rate) values "
                 "(9223372036854775807, '''9', 0.1, 1e308, -4.9e-324)",
             })
            ASSERT_TRUE(q.exec(QString::fromUtf8(statement))) << statement << q.lastError().text().toStdString();
    }
    const QString database = PgServer::createDatabase();
    ASSERT_EQ(PgServer::exec(database,
                             {QStringLiteral("alter database %1 set standard_conforming_strings = off").arg(database)}),
              QString());
    const QString config = PgServer::writeConfig(dir.path(), database);
    ServerCopy::copy(file, config, false);
    const QString onServer = StoreConfig::connectionString(config);
    QStringList news = tableRows(onFile, QStringLiteral("news"));
    news.replaceInStrings(QString(QChar(0)), QString());
    EXPECT_EQ(tableRows(onServer, QStringLiteral("news")), news);
    EXPECT_EQ(news.size(), 5);
    EXPECT_TRUE(news.contains(QStringLiteral("5|ab")));
    for (const char *table : {"official_hs", "case_hs"})
        EXPECT_EQ(tableRows(onServer, QLatin1String(table)), tableRows(onFile, QLatin1String(table))) << table;
}

// A user who is not the server's superuser copies onto a database of their own: the tool says
// what it copied and nothing else (no word of the system tables it may not analyse).
TEST(ServerCopy, AnOrdinaryUsersCopyIsQuiet) {
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/quorvel.mdb");
    ASSERT_TRUE(Builder::buildDemo(file, Builder::Existing::Refuse));
    const QString database = PgServer::createDatabase();
    const QString user = QStringLiteral("owner_") + database;
    ASSERT_EQ(PgServer::exec(QStringLiteral("postgres"),
                             {QStringLiteral("create role %1 login").arg(user),
                              QStringLiteral("alter database %1 owner to %2").arg(database, user)}),
              QString());
    ASSERT_EQ(PgServer::exec(database, {QStringLiteral("alter schema public owner to %1").arg(user)}), QString());
    const QString config = PgServer::writeConfig(dir.path(), database, user);
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik-dbbuilder"),
            {QStringLiteral("toserver"), file, config});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString &line : lines.mid(0, lines.size() - 1))
        EXPECT_TRUE(line.contains(QStringLiteral(" 行"))) << line.toStdString();
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("已复制到服务器"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("WARNING"))) << out.toStdString();
    EXPECT_GT(count(StoreConfig::connectionString(config), QStringLiteral("select count(*) from case_hs")), 0);
}
