// The name index: the search through it selects exactly what the LIKE selects, stays in step
// with inserts and deletes, is optional, and steers SQLite to the plans it was made for.
#include "data/CaseOrder.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "data/SearchIndex.h"
#include "search/SearchQuery.h"
#include "search/SearchStatements.h"
#include "support/TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <functional>
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
        q.setSource(SearchStatements::search(SearchStatements::CaseHs, code, name, con));
        q.open();
        QStringList ids;
        for (; !q.eof(); q.next()) ids << q.value(QStringLiteral("id")).toString();
        return ids;
    }
    // The ids a plain LIKE selects, run as it stands, without the dialect.
    QStringList plain(const QString &name, const QString &code = QString()) {
        const Statement prefix =
            code.isEmpty() ? Statement() : Statement("code like ? and ", {ScrambleCode(code) + u'%'});
        return run(Statement("select id from case_hs where ") + prefix +
                   Statement("name like ? order by code", {u'%' + name + u'%'}));
    }
    QString plan(const Statement &statement) {
        QSqlQuery q(QSqlDatabase::database(con.name()));
        EXPECT_TRUE(Statements::prepare(q, Statement("explain query plan ") + statement) && q.exec())
            << q.lastError().text().toStdString();
        QStringList lines;
        while (q.next()) lines << q.value(3).toString();
        return lines.join(u'\n');
    }
    // The statement of a search as the connection would run it under the given plan.
    Statement planned(SearchStatements::Table table, const QString &code, const QString &name, SearchPlan::Plan plan) {
        return SearchQuery(con.store(), SearchStatements::terms(table, code, name), plan).rows();
    }
    SearchPlan::Plan chosen(const QString &code, const QString &name) {
        return SearchPlan::choose(SearchStatements::terms(SearchStatements::CaseHs, code, name), con);
    }
    // The ids of a statement.
    QStringList run(const Statement &sql) {
        QSqlQuery q(QSqlDatabase::database(con.name()));
        EXPECT_TRUE(Statements::prepare(q, sql) && q.exec())
            << sql.text.toStdString() << q.lastError().text().toStdString();
        QStringList ids;
        while (q.next()) ids << q.value(0).toString();
        return ids;
    }
};

// Every plan; the ordered one holds on any table (without a recorded order every row is tail).
const SearchPlan::Plan kPlans[] = {SearchPlan::Plan::AsWritten, SearchPlan::Plan::ScanNames,
                                   SearchPlan::Plan::IndexSorted, SearchPlan::Plan::IndexWalk,
                                   SearchPlan::Plan::IndexOrdered};

const char *const kFragments[] = {
    "钢", "钢管", "管钢",  "steel", "STEEL", "eL p", "Tom's", "'", "%",      "0%纯",
    "_",  "0_5",  "钢 管", " ",     "\"",    "a\"b", "é",     "É", "无此名", "钢管钢",
};

} // namespace

TEST(SearchIndex, SelectsExactlyWhatTheLikeSelects) {
    Fixture f;
    f.con.ensureOpen();
    ASSERT_TRUE(f.con.store()->hasNameIndex(QStringLiteral("case_hs")));
    for (const char *fragment : kFragments) {
        const QString name = QString::fromUtf8(fragment);
        const QStringList expected = f.plain(name);
        EXPECT_EQ(f.search(QString(), name), expected) << fragment;
        EXPECT_EQ(f.search(QStringLiteral("7208"), name), expected) << fragment;
        // Every plan, whichever the data would choose, with and without a code prefix.
        for (const SearchPlan::Plan plan : kPlans) {
            for (const QString &code : {QString(), QStringLiteral("7208")}) {
                const Statement sql = f.planned(SearchStatements::CaseHs, code, name, plan);
                EXPECT_EQ(f.run(sql), expected) << sql.text.toStdString();
            }
        }
    }
    // The index narrows by the literal pieces of a fragment; a fragment of wildcards alone has none.
    EXPECT_EQ(SearchIndex::query(QStringLiteral("钢")), QStringLiteral("\"钢\""));
    EXPECT_EQ(SearchIndex::query(QStringLiteral("钢%管_a\"b")), QStringLiteral("\"钢\" AND \"管\" AND \"a\"\"b\""));
    EXPECT_EQ(SearchIndex::query(QStringLiteral("%_%")), QString());
}

// Cases in code order, then runs appended in code order as imports append them, then rows added
// after (the tail): codes before, between, equal to and after the others, equal under the column's
// nocase collation, null codes, names in all of them. The ordered plan, with and without a code
// prefix, forwards and backwards, selects exactly the plain statement's rows in its order, also
// after the guards moved the order's end (a delete of the highest rows, a changed code).
TEST(SearchIndex, OrderedRunsAndATailSelectExactlyWhatTheLikeSelects) {
    Fixture f;
    const auto add = [&](int id, const char *name, const QString &code) {
        f.db.exec(QStringLiteral("insert into case_hs (id, name, code) values (%1, '%2', %3)")
                      .arg(id)
                      .arg(QString::fromUtf8(name), code.isNull() ? QStringLiteral("null") : u'\'' + code + u'\''));
    };
    const auto code = [](const char *plain) { return ScrambleCode(QString::fromLatin1(plain)); };
    const auto withDatabase = [&](const std::function<void(sqlite3 *)> &work) {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(f.db.file().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        work(db);
        sqlite3_close(db);
    };
    struct Row {
        int id;
        const char *name;
        QString code;
    };
    // Rows appended sorted by code, equal codes in the order given, and recorded as a run.
    const auto appendRun = [&](QList<Row> rows) {
        std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
            return CaseOrder::folded(a.code.toUtf8()) < CaseOrder::folded(b.code.toUtf8());
        });
        const qint64 first =
            f.db.scalar(QStringLiteral("select coalesce(max(rowid), 0) + 1 from case_hs")).toLongLong();
        for (const Row &r : rows) add(r.id, r.name, r.code);
        withDatabase([&](sqlite3 *db) { CaseOrder::extend(db, first, first + rows.size() - 1); });
    };
    const auto orderedTo = [&] {
        return f.db.scalar(QStringLiteral("select clustered_to from case_hs_order")).toInt();
    };

    add(50, "钢管甲", QString()); // ordered, null code
    add(51, "钢板", code("7208000090"));
    const int clustered = f.db.scalar(QStringLiteral("select count(*) from case_hs")).toInt();
    withDatabase([](sqlite3 *db) { CaseOrder::cluster(db); });
    EXPECT_EQ(orderedTo(), clustered);
    appendRun({{40, "钢管", code("7208000090")},
               {41, "钢", code("0100000000")},
               {42, "steel 钢", code("7208000090").toLower()},
               {43, "钢管钢", code("9999999999")},
               {44, "不锈钢管", code("7208000050")}});
    appendRun({{45, "钢", code("7208000050")}, {46, "钢管", code("0000000001")}, {47, "钢%管", code("7208")}});
    const int runs = clustered + 8;
    EXPECT_EQ(orderedTo(), runs);
    // The tail: inserted after the order was recorded.
    add(60, "钢管乙", QString());
    add(61, "钢", code("7208000090").toLower());
    add(62, "钢管", code("0100000000"));
    add(63, "不锈钢管", code("7208000050"));
    add(64, "钢管", code("9999999999"));
    add(65, "钢", code("7208000050")); // equal to a tail code, later rowid
    add(66, "钢%", code("7208000090")); // equal to ordered codes
    // A run appended over a tail stays tail: the order no longer reaches the row before it.
    appendRun({{67, "钢板", code("7208000010")}});
    EXPECT_EQ(orderedTo(), runs);
    f.con.ensureOpen();
    using SearchPlan::Plan;
    const char *const fragments[] = {"钢", "钢管", "管钢", "steel", "钢%管", "钢_", "无此名", "'"};
    const char *const prefixes[] = {"", "7208", "720800009", "0100", "9", "5", "7208_", "0"};
    const auto check = [&](const char *when) {
        for (const char *fragment : fragments) {
            const QString name = QString::fromUtf8(fragment);
            for (const char *prefix : prefixes) {
                const QString c = QString::fromLatin1(prefix);
                const QStringList expected = f.plain(name, c);
                const auto terms = SearchStatements::terms(SearchStatements::CaseHs, c, name);
                EXPECT_EQ(SearchPlan::choose(terms, f.con), Plan::IndexOrdered)
                    << when << " " << fragment << " " << prefix;
                EXPECT_EQ(f.search(c, name), expected) << when << " " << fragment << " " << prefix;
                const SearchQuery query(f.con.store(), terms, Plan::IndexOrdered);
                QStringList backwards = expected;
                std::reverse(backwards.begin(), backwards.end());
                EXPECT_EQ(f.run(query.reversed()), backwards) << when << " " << fragment << " " << prefix;
                EXPECT_EQ(f.run(query.count()).value(0).toInt(), expected.size()) << when << " " << fragment;
            }
        }
    };
    check("runs and a tail");
    // The highest ordered rows deleted while the tail stays: no rowid can be taken again.
    f.db.exec(QStringLiteral("delete from case_hs where rowid >= %1 and rowid <= %2").arg(runs - 1).arg(runs));
    EXPECT_EQ(orderedTo(), runs);
    check("after a delete below the tail");
    // The tail deleted too: the next inserts take those rowids again, so the end moves below them.
    f.db.exec(QStringLiteral("delete from case_hs where rowid > %1").arg(runs - 2));
    EXPECT_EQ(orderedTo(), runs - 2);
    add(68, "钢管", code("0000000000"));
    add(69, "钢板", code("7208000090"));
    check("after the highest rows were deleted");
    // A changed code in a run ends the order before its row: the runs above it become tail.
    f.db.exec(
        QStringLiteral("update case_hs set code = '%1' where rowid = %2").arg(code("0000000000")).arg(clustered + 3));
    EXPECT_EQ(orderedTo(), clustered + 2);
    check("after an update in a run");
    f.db.exec(QStringLiteral("update case_hs set code = '%1' where rowid = 5").arg(code("9000000000")));
    EXPECT_EQ(orderedTo(), 4);
    check("after an update in the clustered rows");
}

TEST(SearchIndex, FollowsInsertsAndDeletesThroughAConnection) {
    Fixture f;
    Query work(QStringLiteral("qry8"));
    work.setConnection(&f.con);
    work.setSql(Statement("insert into case_hs values (200,'新到钢材',?,'s','2024-02-01','2024-02-01',0,'x')",
                          {ScrambleCode(QStringLiteral("7208000001"))}));
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
        EXPECT_EQ(f.chosen(code, name), c.plan) << c.code << " " << c.name;
        if (code.isEmpty()) {
            EXPECT_EQ(f.search(code, name), f.plain(name)) << c.name;
        }
    }
}

TEST(SearchIndex, ADatabaseWithoutTheIndexSearchesByScanning) {
    Fixture f;
    f.db.exec({QStringLiteral("drop trigger case_hs_name_index_insert"),
               QStringLiteral("drop trigger case_hs_name_index_delete"),
               QStringLiteral("drop trigger case_hs_name_index_update"),
               QStringLiteral("drop table case_hs_name_index")});
    f.con.ensureOpen();
    EXPECT_FALSE(f.con.store()->hasNameIndex(QStringLiteral("case_hs")));
    for (const char *fragment : kFragments) {
        const QString name = QString::fromUtf8(fragment);
        EXPECT_EQ(f.search(QString(), name), f.plain(name)) << fragment;
    }
    const auto name = QStringLiteral("钢");
    // A name alone is scanned and its matches sorted.
    EXPECT_EQ(f.chosen(QString(), name), SearchPlan::Plan::ScanNames);
    const QString sql = SearchStatements::search(SearchStatements::CaseHs, QString(), name, f.con)->rows().text;
    EXPECT_FALSE(sql.contains(QStringLiteral("match")));
    EXPECT_TRUE(sql.endsWith(QStringLiteral(" order by +code"))) << sql.toStdString();
}

TEST(SearchIndex, PlansOfEverySearchShape) {
    Fixture f;
    f.con.ensureOpen();
    f.db.exec(QStringLiteral("analyze"));
    using SearchPlan::Plan;
    const auto table = SearchStatements::CaseHs;
    const auto plan = [&](const char *code, const char *name, SearchPlan::Plan p) {
        return f.plan(f.planned(table, QString::fromUtf8(code), QString::fromUtf8(name), p));
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
    // Cases in code order: the index's runs merged in code order drive the loop, each row fetched
    // by its rowid, nothing sorted; with a code prefix too.
    for (const char *prefix : {"", "7208"}) {
        const QString ordered = plan(prefix, "钢", Plan::IndexOrdered);
        EXPECT_TRUE(ordered.startsWith(QStringLiteral("SCAN zm VIRTUAL TABLE"))) << ordered.toStdString();
        EXPECT_TRUE(ordered.contains(QStringLiteral("SEARCH case_hs USING INTEGER PRIMARY KEY")))
            << ordered.toStdString();
        EXPECT_FALSE(ordered.contains(QStringLiteral("TEMP B-TREE"))) << ordered.toStdString();
    }
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
        const QString p = f.plan(SearchStatements::search(other, QString(), n, f.con)->rows());
        EXPECT_FALSE(p.contains(QStringLiteral("USING INDEX"))) << p.toStdString();
    }
}
