// Moving a lookup database onto the server: every table, codes unchanged, the same search
// results in the same order, indexes built; a server that has the tables is not overwritten
// by accident.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "data/StoreConfig.h"
#include "dbbuilder/Commands.h"
#include "dbbuilder/ServerCopy.h"
#include "search/SearchStatements.h"
#include "search/SearchTables.h"
#include "support/PgServer.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every row of a search, every selected column, as text.
QStringList searchRows(const QString &connectionString, SearchStatements::Table table, const QString &name,
                       bool withIntent = false) {
    Connection con(QStringLiteral("copy"));
    con.setConnectionString(connectionString);
    Query q(QStringLiteral("qryCopy"));
    q.setConnection(&con);
    q.setSql(SearchStatements::build(table, {}, name),
             withIntent ? SearchStatements::intent(table, {}, name) : SearchIntent{});
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
