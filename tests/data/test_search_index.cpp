// The name index: the search through it selects exactly what the LIKE selects, stays in step
// with inserts and deletes, is optional, and steers SQLite to the plans it was made for.
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "data/SearchIndex.h"
#include "data/SearchPlan.h"
#include "search/SearchStatements.h"
#include "support/TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <sqlite3.h>

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
        q.setSql(SearchStatements::build(SearchStatements::CaseHs, code, name),
                 SearchStatements::intent(SearchStatements::CaseHs, code, name));
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
    // The statement of a search as the connection would run it under the given plan.
    static QString planned(SearchStatements::Table table, const QString &code, const QString &name,
                           SearchPlan::Plan plan) {
        return SearchPlan::apply(SearchStatements::build(table, code, name),
                                 SearchStatements::intent(table, code, name), plan);
    }
};

const SearchPlan::Plan kPlans[] = {SearchPlan::Plan::AsWritten, SearchPlan::Plan::ScanNames,
                                   SearchPlan::Plan::IndexSorted, SearchPlan::Plan::IndexWalk};

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
        // Every plan, whichever the data would choose, with and without a code prefix.
        for (const SearchPlan::Plan plan : kPlans) {
            for (const QString &code : {QString(), QStringLiteral("7208")}) {
                const QString sql = Fixture::planned(SearchStatements::CaseHs, code, name, plan);
                QSqlQuery q(QSqlDatabase::database(f.con.name()));
                ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
                QStringList ids;
                while (q.next()) ids << q.value(0).toString();
                EXPECT_EQ(ids, expected) << sql.toStdString();
            }
        }
    }
    // The index narrows by the literal pieces of a fragment; a fragment of wildcards alone has none.
    EXPECT_EQ(SearchPlan::indexQuery(QStringLiteral("钢")), QStringLiteral("\"钢\""));
    EXPECT_EQ(SearchPlan::indexQuery(QStringLiteral("钢%管_a\"b")), QStringLiteral("\"钢\" AND \"管\" AND \"a\"\"b\""));
    EXPECT_EQ(SearchPlan::indexQuery(QStringLiteral("%_%")), QString());
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

TEST(SearchIndex, AnotherSqliteToolWritesCasesWithTheTokenizerExtensionLoaded) {
    Fixture f;
    // Another tool's connection through the system SQLite library: none of this program's
    // registrations, only the extension it loads.
    sqlite3_reset_auto_extension();
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(f.db.file().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const QByteArray insert =
        QStringLiteral("insert into case_hs values (300,'外来钢丝','%1','s','2024-03-01','',0,'')")
            .arg(ScrambleCode(QStringLiteral("7217100000")))
            .toUtf8();
    char *error = nullptr;
    EXPECT_NE(sqlite3_exec(db, insert.constData(), nullptr, nullptr, &error), SQLITE_OK);
    EXPECT_TRUE(QString::fromUtf8(error).contains(QStringLiteral("tokenizer"))) << error;
    sqlite3_free(error);
    sqlite3_enable_load_extension(db, 1);
    ASSERT_EQ(sqlite3_load_extension(db, ZENDRIK_CHARS_EXTENSION, nullptr, &error), SQLITE_OK) << error;
    EXPECT_EQ(sqlite3_exec(db, insert.constData(), nullptr, nullptr, &error), SQLITE_OK) << error;
    sqlite3_close(db);
    SearchIndex::registerTokenizer();

    // The program's name search finds the row through the index, and the index agrees with its table.
    EXPECT_EQ(f.search(QString(), QStringLiteral("外来")), QStringList{"300"});
    EXPECT_EQ(f.search(QString(), QStringLiteral("钢丝")), f.plain(QStringLiteral("钢丝")));
    QSqlQuery check(QSqlDatabase::database(f.con.name()));
    EXPECT_TRUE(
        check.exec(QStringLiteral("insert into case_hs_name_index(case_hs_name_index) values ('integrity-check')")))
        << check.lastError().text().toStdString();
}

TEST(SearchIndex, ThePlanFollowsWhereAndHowManyMatchesLie) {
    Fixture f;
    // A screen and more of "螺栓" cases at the start of the code order.
    QStringList early{QStringLiteral("begin")};
    for (int i = 0; i < SearchPlan::kScreen + 10; ++i)
        early << QStringLiteral("insert into case_hs (id, name, code) values (%1, '螺栓%1', '%2')")
                     .arg(1000 + i)
                     .arg(ScrambleCode(QStringLiteral("0100%1").arg(i, 6, 10, QLatin1Char('0'))));
    f.db.exec(early << QStringLiteral("commit"));
    f.con.ensureOpen();
    using SearchPlan::Plan;
    const struct {
        const char *code, *name;
        Plan plan;
    } cases[] = {
        {"", "螺栓", Plan::IndexSorted}, // few for the index, wherever they lie
        {"", "%", Plan::AsWritten}, // every row matches: the first rows in code order hold a screen
        {"", "_", Plan::AsWritten},
        {"", "钢", Plan::IndexSorted}, // few matches: the index's set sorted
        {"", "钢%管", Plan::IndexSorted}, // the pieces around a wildcard narrow
        {"", "0_5", Plan::IndexSorted},
        {"7208", "钢", Plan::IndexSorted}, // a code and a rare name: the prefix checked on few matches
        {"", "无此名", Plan::IndexSorted},
    };
    for (const auto &c : cases) {
        const QString code = QString::fromUtf8(c.code), name = QString::fromUtf8(c.name);
        EXPECT_EQ(
            SearchPlan::choose(SearchStatements::intent(SearchStatements::CaseHs, code, name), f.con.nameIndexes()),
            c.plan)
            << c.code << " " << c.name;
        if (code.isEmpty()) {
            EXPECT_EQ(f.search(code, name), f.plain(name)) << c.name;
        }
    }
    // Without the index, a name alone is scanned.
    SearchPlan::NameIndexes none = f.con.nameIndexes();
    none.tables.clear();
    EXPECT_EQ(
        SearchPlan::choose(SearchStatements::intent(SearchStatements::CaseHs, QString(), QStringLiteral("钢")), none),
        Plan::ScanNames);
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
    const auto name = QStringLiteral("钢");
    const QString sql =
        SearchPlan::steer(SearchStatements::build(SearchStatements::CaseHs, QString(), name),
                          SearchStatements::intent(SearchStatements::CaseHs, QString(), name), f.con.nameIndexes());
    EXPECT_FALSE(sql.contains(QStringLiteral("match")));
    EXPECT_TRUE(sql.endsWith(QStringLiteral(" order by +code"))) << sql.toStdString();
}

TEST(SearchIndex, PlansOfEverySearchShape) {
    Fixture f;
    f.con.ensureOpen();
    f.db.exec(QStringLiteral("analyze"));
    using SearchPlan::Plan;
    const auto table = SearchStatements::CaseHs;
    const auto plan = [&](const char *code, const char *name, Plan p) {
        return f.plan(Fixture::planned(table, QString::fromUtf8(code), QString::fromUtf8(name), p));
    };
    const QString codeWalk = QStringLiteral("SCAN case_hs USING INDEX case_hs_code");
    // A code prefix: a range of the code index, in order.
    const QString code = plan("7208", "", Plan::AsWritten);
    EXPECT_TRUE(code.contains(QStringLiteral("SEARCH case_hs USING INDEX case_hs_code (code>? AND code<?)")))
        << code.toStdString();
    // Both: the same range; the name is checked on its rows.
    const QString both = plan("7208", "钢", Plan::AsWritten);
    EXPECT_TRUE(both.contains(QStringLiteral("SEARCH case_hs USING INDEX case_hs_code (code>? AND code<?)")))
        << both.toStdString();
    // A name with few matches: the index's set, the matches sorted; the code index is not walked.
    // (On a large table the set drives the loop: SEARCH case_hs USING INTEGER PRIMARY KEY.)
    const QString few = plan("", "钢", Plan::IndexSorted);
    EXPECT_TRUE(few.contains(QStringLiteral("LIST SUBQUERY"))) << few.toStdString();
    EXPECT_TRUE(few.contains(QStringLiteral("USE TEMP B-TREE FOR ORDER BY"))) << few.toStdString();
    EXPECT_FALSE(few.contains(codeWalk)) << few.toStdString();
    // With many: the code index walked in order, fetching only the rows in the index's set.
    const QString many = plan("", "钢", Plan::IndexWalk);
    EXPECT_TRUE(many.contains(codeWalk)) << many.toStdString();
    EXPECT_TRUE(many.contains(QStringLiteral("LIST SUBQUERY"))) << many.toStdString();
    // The names scanned and the matches sorted; a plan that needs the index falls back to it
    // for a fragment of wildcards alone.
    for (const QString &p : {plan("", "钢_", Plan::ScanNames), plan("", "%", Plan::IndexSorted)}) {
        EXPECT_FALSE(p.contains(codeWalk)) << p.toStdString();
        EXPECT_FALSE(p.contains(QStringLiteral("LIST SUBQUERY"))) << p.toStdString();
        EXPECT_TRUE(p.contains(QStringLiteral("USE TEMP B-TREE FOR ORDER BY"))) << p.toStdString();
    }
    // The tariff and rulings tables have no name index: their name searches scan and sort.
    for (auto other : {SearchStatements::OfficialHs, SearchStatements::HsClassify}) {
        const auto n = QStringLiteral("钢");
        const QString p = f.plan(SearchPlan::steer(SearchStatements::build(other, QString(), n),
                                                   SearchStatements::intent(other, QString(), n), f.con.nameIndexes()));
        EXPECT_FALSE(p.contains(QStringLiteral("USING INDEX"))) << p.toStdString();
    }
}
