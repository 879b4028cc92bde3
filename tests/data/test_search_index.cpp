// The name index: the search through it selects exactly what the LIKE selects, stays in step
// with inserts and deletes, is optional, and steers SQLite to the plans it was made for.
#include "app/SearchStatements.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Dialect.h"
#include "data/Query.h"
#include "support/TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

const char *const kNames[] = {
    "钢管",       "不锈钢管件",      "钢",        "管钢",     "钢 管",     "Steel PIPE",
    "steel pipe", "STAINLESS steel", "Tom's bar", "100%纯棉", "50_50混纺", "5050混纺",
    "a\"b",       "钢管钢管",        "马铃薯",    "",         "ÉCLAIR",    "éclair",
};

struct Fixture {
    TestDatabase db;
    Connection con{QStringLiteral("index")};
    Fixture() {
        int id = 0;
        for (const char *name : kNames) {
            ++id;
            QString n = QString::fromUtf8(name);
            n.replace(u'\'', QStringLiteral("''"));
            db.exec(QStringLiteral("insert into case_hs values (%1,'%2','%3','s','2024-01-01','',0,'')")
                        .arg(id)
                        .arg(n, ScrambleCode(QStringLiteral("7208%1").arg(100 - id, 6, 10, QLatin1Char('0')))));
        }
        db.exec(QStringLiteral("insert into case_hs (id, code) values (99, '%1')")
                    .arg(ScrambleCode(QStringLiteral("7208"))));
        con.setConnectionString(DatabasePath::lookupConnectionString());
    }

    // The ids the window's case statement selects, through the connection's dialect.
    QStringList search(const QString &code, const QString &name) {
        Query q(QStringLiteral("qry3"));
        q.setConnection(&con);
        q.setSql(SearchStatements::build(SearchStatements::CaseHs, code, name));
        q.open();
        QStringList ids;
        for (; !q.eof(); q.next()) ids << q.value(QStringLiteral("id")).toString();
        return ids;
    }
    // The ids a plain LIKE selects, run as it stands, without the dialect.
    QStringList plain(const QString &name) {
        QString literal = name;
        literal.replace(u'\'', QStringLiteral("''"));
        QStringList ids;
        const QString sql = QStringLiteral("select id from case_hs where name like '%%1%' order by code").arg(literal);
        QSqlQuery run(QSqlDatabase::database(con.name()));
        EXPECT_TRUE(run.exec(sql)) << run.lastError().text().toStdString();
        while (run.next()) ids << run.value(0).toString();
        return ids;
    }
    QString plan(const QString &statement) {
        QSqlQuery q(QSqlDatabase::database(con.name()));
        EXPECT_TRUE(q.exec(QStringLiteral("explain query plan ") + statement)) << q.lastError().text().toStdString();
        QStringList lines;
        while (q.next()) lines << q.value(3).toString();
        return lines.join(u'\n');
    }
    Dialect::NameIndexes indexes(qint64 matches) {
        Dialect::NameIndexes i = con.nameIndexes();
        i.count = [matches](const QString &) { return matches; };
        return i;
    }
};

const char *const kFragments[] = {
    "钢", "钢管", "管钢",  "steel", "STEEL", "eL p", "Tom's", "'", "%",      "0%纯",
    "_",  "0_5",  "钢 管", " ",     "\"",    "a\"b", "é",     "É", "无此名", "钢管钢",
};

} // namespace

TEST(SearchIndex, SelectsExactlyWhatTheLikeSelects) {
    Fixture f;
    f.con.ensureOpen();
    ASSERT_TRUE(f.con.nameIndexes().tables.contains(QStringLiteral("case_hs")));
    for (const char *fragment : kFragments) {
        const QString name = QString::fromUtf8(fragment);
        const QStringList expected = f.plain(name);
        EXPECT_EQ(f.search(QString(), name), expected) << fragment;
        EXPECT_EQ(f.search(QStringLiteral("7208"), name), expected) << fragment;
        // The other plan, taken for fragments with many matches: the code index walked in order.
        const QString walk = Dialect::translate(SearchStatements::build(SearchStatements::CaseHs, QString(), name),
                                                f.indexes(Dialect::kWalkAbove + 1));
        QSqlQuery q(QSqlDatabase::database(f.con.name()));
        ASSERT_TRUE(q.exec(walk)) << walk.toStdString();
        QStringList ids;
        while (q.next()) ids << q.value(0).toString();
        EXPECT_EQ(ids, expected) << walk.toStdString();
    }
    // The index does the narrowing where the fragment has no wildcard.
    EXPECT_TRUE(Dialect::translate(SearchStatements::build(SearchStatements::CaseHs, QString(), QStringLiteral("钢")),
                                   f.indexes(1))
                    .contains(QStringLiteral("match")));
    EXPECT_FALSE(Dialect::translate(SearchStatements::build(SearchStatements::CaseHs, QString(), QStringLiteral("钢_")),
                                    f.indexes(1))
                     .contains(QStringLiteral("match")));
}

TEST(SearchIndex, FollowsInsertsAndDeletesThroughAConnection) {
    Fixture f;
    Query work(QStringLiteral("qry8"));
    work.setConnection(&f.con);
    work.setSql(QStringLiteral("insert into case_hs values (200,'新到钢材','%1','s','2024-02-01','2024-02-01',0,'x')")
                    .arg(ScrambleCode(QStringLiteral("7208000001"))));
    work.execSql();
    EXPECT_TRUE(f.search(QString(), QStringLiteral("钢材")).contains(QStringLiteral("200")));
    EXPECT_EQ(f.search(QString(), QStringLiteral("新到")), QStringList{"200"});
    work.setSql(QStringLiteral("delete from case_hs where id=200"));
    work.execSql();
    EXPECT_TRUE(f.search(QString(), QStringLiteral("新到")).isEmpty());
    // The index agrees with its table: FTS5's own check.
    QSqlQuery check(QSqlDatabase::database(f.con.name()));
    EXPECT_TRUE(
        check.exec(QStringLiteral("insert into case_hs_name_index(case_hs_name_index) values ('integrity-check')")))
        << check.lastError().text().toStdString();
}

TEST(SearchIndex, ADatabaseWithoutTheIndexSearchesByScanning) {
    Fixture f;
    f.db.exec({QStringLiteral("drop trigger case_hs_name_index_insert"),
               QStringLiteral("drop trigger case_hs_name_index_delete"),
               QStringLiteral("drop trigger case_hs_name_index_update"),
               QStringLiteral("drop table case_hs_name_index")});
    f.con.ensureOpen();
    EXPECT_TRUE(f.con.nameIndexes().tables.isEmpty());
    for (const char *fragment : kFragments) {
        const QString name = QString::fromUtf8(fragment);
        EXPECT_EQ(f.search(QString(), name), f.plain(name)) << fragment;
    }
    const QString sql = Dialect::translate(
        SearchStatements::build(SearchStatements::CaseHs, QString(), QStringLiteral("钢")), f.con.nameIndexes());
    EXPECT_FALSE(sql.contains(QStringLiteral("match")));
    EXPECT_TRUE(sql.endsWith(QStringLiteral(" order by +code"))) << sql.toStdString();
}

TEST(SearchIndex, PlansOfEverySearchShape) {
    Fixture f;
    f.con.ensureOpen();
    f.db.exec(QStringLiteral("analyze"));
    using SearchStatements::build;
    const auto table = SearchStatements::CaseHs;
    const QString codeWalk = QStringLiteral("SCAN case_hs USING INDEX case_hs_code");
    // A code prefix: a range of the code index, in order.
    const QString code = f.plan(Dialect::translate(build(table, QStringLiteral("7208"), QString()), f.indexes(1)));
    EXPECT_TRUE(code.contains(QStringLiteral("SEARCH case_hs USING INDEX case_hs_code (code>? AND code<?)")))
        << code.toStdString();
    // Both: the same range; the name is checked on its rows.
    const QString both =
        f.plan(Dialect::translate(build(table, QStringLiteral("7208"), QStringLiteral("钢")), f.indexes(1)));
    EXPECT_TRUE(both.contains(QStringLiteral("SEARCH case_hs USING INDEX case_hs_code (code>? AND code<?)")))
        << both.toStdString();
    // A name with few matches: the index's set, the matches sorted; the code index is not walked.
    // (On a large table the set drives the loop: SEARCH case_hs USING INTEGER PRIMARY KEY.)
    const QString few = f.plan(Dialect::translate(build(table, QString(), QStringLiteral("钢")), f.indexes(1)));
    EXPECT_TRUE(few.contains(QStringLiteral("LIST SUBQUERY"))) << few.toStdString();
    EXPECT_TRUE(few.contains(QStringLiteral("USE TEMP B-TREE FOR ORDER BY"))) << few.toStdString();
    EXPECT_FALSE(few.contains(codeWalk)) << few.toStdString();
    // With many: the code index walked in order, fetching only the rows in the index's set.
    const QString many =
        f.plan(Dialect::translate(build(table, QString(), QStringLiteral("钢")), f.indexes(Dialect::kWalkAbove + 1)));
    EXPECT_TRUE(many.contains(codeWalk)) << many.toStdString();
    EXPECT_TRUE(many.contains(QStringLiteral("LIST SUBQUERY"))) << many.toStdString();
    // A wildcard, or no index: the names scanned and the matches sorted.
    for (const QString &sql : {Dialect::translate(build(table, QString(), QStringLiteral("钢_")), f.indexes(1)),
                               Dialect::translate(build(table, QString(), QStringLiteral("钢")))}) {
        const QString p = f.plan(sql);
        EXPECT_FALSE(p.contains(codeWalk)) << p.toStdString();
        EXPECT_TRUE(p.contains(QStringLiteral("USE TEMP B-TREE FOR ORDER BY"))) << p.toStdString();
    }
    // The tariff and rulings tables have no name index: their name searches scan and sort.
    for (auto other : {SearchStatements::OfficialHs, SearchStatements::HsClassify}) {
        const QString p = f.plan(Dialect::translate(build(other, QString(), QStringLiteral("钢")), f.indexes(1)));
        EXPECT_FALSE(p.contains(QStringLiteral("USING INDEX"))) << p.toStdString();
    }
}
