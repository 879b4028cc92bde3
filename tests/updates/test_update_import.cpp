// The update import's rules on a real database file, without a window.
#include "data/AppError.h"
#include "data/CaseOrder.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "search/SearchQuery.h"
#include "search/SearchStatements.h"
#include "support/TestDatabase.h"
#include "support/UpdateFile.h"
#include "updates/UpdateImport.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

QString scrambled(const char *code) { return ScrambleCode(QString::fromLatin1(code)); }

struct Import : ::testing::Test {
    TestDatabase db;
    QTemporaryDir files;
    Connection connection{QStringLiteral("import-core")};

    void SetUp() override { connection.setConnectionString(DatabasePath::lookupConnectionString()); }

    QString writeFile(const QString &body, const char *encoding = "UTF-8") {
        const QString text =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n<cases>\n").arg(QLatin1String(encoding)) + body +
            QStringLiteral("</cases>\n");
        QFile f(files.filePath(QStringLiteral("update.xml")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringEncoder(encoding).encode(text));
        return f.fileName();
    }
    QString writeRecords(const QList<Rec> &recs) {
        QString body;
        for (const Rec &r : recs) body += recordXml(r);
        return writeFile(body);
    }
    // Every row with each value quoted as SQL shows it, so a number and its text differ.
    QStringList rows(const QString &table = QStringLiteral("case_hs")) {
        const QString all =
            db.scalar(QStringLiteral("select group_concat(r, ';') from (select quote(id)||'|'||quote(name)||'|'||"
                                     "quote(code)||'|'||quote(spec)||'|'||quote(update_date)||'|'||"
                                     "quote(input_date)||'|'||quote(state)||'|'||quote(source) as r "
                                     "from %1 order by id)")
                          .arg(table))
                .toString();
        return all.split(u';', Qt::SkipEmptyParts);
    }
    QString errorOf(const QString &path) { return importError(connection, path); }
};

} // namespace

TEST_F(Import, InsertsTheNewerRecordsWithConsecutiveIdsAndCountsWhatHappened) {
    db.exec(kOldCase);
    const QString path = writeRecords(kMixedRecords);
    const UpdateImport::Outcome outcome = UpdateImport::run(connection, path);
    EXPECT_EQ(outcome.read, 6);
    EXPECT_EQ(outcome.imported, 4);
    EXPECT_EQ(outcome.skipped, 2);
    EXPECT_EQ(outcome.newestDate, QStringLiteral("2012"));
    EXPECT_EQ(rows().mid(1),
              (QStringList{
                  "8|'Tomslaptop'|'" + scrambled("84713010") + "'|'abc'|'2011-5-1'|'2011-5-1'|0|'海关总署'",
                  "9|'不锈钢管'|'" + scrambled("7208") + "'|'规格'|'2011-06-01'|'2011-06-01'|0|'src'",
                  "10|'不锈钢管'|'" + scrambled("7208") + "'|'规格'|'2011-06-01'|'2011-06-01'|0|'src'",
                  "11|'short'|'" + scrambled("9999") + "'|'s'|'2012'|'2012'|0|'extra'",
              }));

    // Nothing is newer the second time.
    const UpdateImport::Outcome again = UpdateImport::run(connection, path);
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.skipped, 6);
    EXPECT_EQ(rows().size(), 5);
}

// The bound values are stored exactly as the literal insert statement stored them, whatever
// the columns' declared types make of numbers written as text.
TEST_F(Import, StoresWhatTheLiteralStatementStored) {
    const char *columns = "(id integer, name numeric, code varchar(50), spec integer, update_date varchar(10), "
                          "input_date real, state integer, source)";
    db.exec({QStringLiteral("drop table case_hs"), QStringLiteral("create table case_hs ") + QLatin1String(columns),
             QStringLiteral("create table literal ") + QLatin1String(columns)});
    const QList<Rec> recs{{"0101", "12", "007", "2024-01-02", "3.5"}, {"8471", "名称", "1e3", "20240103", "文本"}};
    qint64 id = 1;
    for (const Rec &r : recs) {
        const QString code = ScrambleCode(r.code), date = r.date.left(10);
        db.exec(QStringLiteral("insert into literal values (%1,'%2','%3','%4','%5','%5',0,'%6')")
                    .arg(id++)
                    .arg(r.name, code, r.spec, date, r.source));
    }
    UpdateImport::run(connection, writeRecords(recs));
    EXPECT_EQ(rows(), rows(QStringLiteral("literal")));
    EXPECT_EQ(rows().size(), 2);
}

// A table without rows, or without update dates, takes every record: ids follow the highest id
// there is (1 in an empty table).
TEST_F(Import, AnEmptyTableOrOneWithoutDatesTakesEveryRecord) {
    struct Case {
        const char *what;
        QStringList prepare;
        QString firstNewId;
    } cases[] = {
        {"empty table", {}, "1"},
        {"no update date",
         {QStringLiteral("insert into case_hs values (41,'a','b','c',null,null,0,'')"),
          QStringLiteral("insert into case_hs values (3,'a','b','c',null,null,0,'')")},
         "42"},
    };
    for (const Case &c : cases) {
        db.exec(QStringLiteral("delete from case_hs"));
        db.exec(c.prepare);
        const QString path = writeRecords({{"0101", "a", "s", "2001-01-01", "x"}, {"0102", "b", "s", "0000", "y"}});
        const UpdateImport::Outcome outcome = UpdateImport::run(connection, path);
        EXPECT_EQ(outcome.imported, 2) << c.what;
        EXPECT_EQ(outcome.newestDate, QStringLiteral("2001-01-01")) << c.what;
        const QStringList all = rows();
        ASSERT_EQ(all.size(), c.prepare.size() + 2) << c.what;
        EXPECT_EQ(all.at(all.size() - 2).section(u'|', 0, 0), c.firstNewId) << c.what;
        EXPECT_EQ(all.last().section(u'|', 0, 0), QString::number(c.firstNewId.toInt() + 1)) << c.what;
    }
    db.exec(QStringLiteral("delete from case_hs"));
    EXPECT_EQ(UpdateImport::run(connection, writeFile(QString())).newestDate, std::nullopt);
}

// Every failure leaves the table exactly as it was, however far the import got.
TEST_F(Import, AFailedImportWritesNothing) {
    const QString newer = recordXml({"8471", "n", "s", "2020-01-01", "x"});
    struct Case {
        const char *what;
        QString body;
        QString message;
    } cases[] = {
        {"record with three fields after a good one", newer + "<case><code>1</code><name>n</name><spec>s</spec></case>",
         "List index out of bounds (3)"},
        {"newer record without a fifth field",
         newer + "<case><code>1</code><name>n</name><spec>s</spec><date>2021-01-01</date></case>",
         "List index out of bounds (4)"},
        {"comment among the records", newer + "<!-- stray -->", "List index out of bounds (0)"},
        {"malformed file", newer + "<case><code>1</code></wrong>\n",
         "Opening and ending tag mismatch: case line 4 and wrong\nLine: 4\n<case><code>1</code></wrong>"},
    };
    db.exec(kOldCase);
    for (const Case &c : cases) {
        const QStringList before = rows();
        EXPECT_EQ(errorOf(writeFile(c.body)), c.message) << c.what;
        EXPECT_EQ(rows(), before) << c.what;
    }
    // A table the statement does not fit.
    db.exec({"drop table case_hs",
             "create table case_hs (id integer, name text, code text, spec text, update_date text, "
             "input_date text, state integer)",
             "insert into case_hs values (7,'a','b','c','2011-05-03','2011-05-03',0)"});
    EXPECT_EQ(errorOf(writeFile(newer + newer)), "table case_hs has 7 columns but 8 values were supplied");
    EXPECT_EQ(db.scalar("select count(*) from case_hs").toInt(), 1);
}

// The import indexes its rows in one go rather than row by row: afterwards the name index
// answers for them as for rows written one at a time, and keeps following later writes.
TEST_F(Import, TheNameIndexFindsImportedRowsAndKeepsFollowingTheTable) {
    db.exec(kOldCase);
    const auto schema = [&] {
        return db
            .scalar("select group_concat(d, ';') from (select name||':'||sql as d from sqlite_master order by name)")
            .toString();
    };
    const QString before = schema();
    // Found through the index: the rows whose name holds the fragment, as their ids.
    const auto found = [&](const char *fragment) {
        return db
            .scalar(QStringLiteral("select group_concat(id) from (select id from case_hs where rowid in "
                                   "(select rowid from case_hs_name_index where case_hs_name_index "
                                   "match '\"%1\"') order by id)")
                        .arg(QString::fromUtf8(fragment)))
            .toString();
    };
    const auto indexAgrees = [&] {
        db.exec(QStringLiteral("insert into case_hs_name_index(case_hs_name_index) values ('integrity-check')"));
    };

    EXPECT_EQ(UpdateImport::run(connection, writeRecords(kMixedRecords)).imported, 4);
    EXPECT_EQ(found("不锈钢管"), QStringLiteral("9,10"));
    EXPECT_EQ(found("tomsl"), QStringLiteral("8"));
    EXPECT_EQ(found("旧记"), QStringLiteral("7"));
    EXPECT_EQ(schema(), before);
    indexAgrees();

    // A failed import leaves the index and its triggers as they were.
    EXPECT_EQ(errorOf(writeFile(recordXml({"8471", "新钢", "s", "2020-01-01", "x"}) + "<!-- stray -->")),
              QStringLiteral("List index out of bounds (0)"));
    EXPECT_EQ(found("新钢"), QString());
    EXPECT_EQ(schema(), before);
    indexAgrees();

    // Another writer's rows are indexed by the trigger again.
    db.exec(QStringLiteral("insert into case_hs values (50,'后来的钢管','x','s','2030-01-01','',0,'')"));
    EXPECT_EQ(found("钢管"), QStringLiteral("9,10,50"));
    indexAgrees();
}

// On cases kept in code order, an import's rows go in sorted by code (equal codes, and the ids, in
// the file's order) and extend the order as a run of their own; the ordered search then selects
// what the plain LIKE selects, in its order.
TEST_F(Import, OnOrderedCasesEachImportAppendsARunInCodeOrder) {
    db.exec(kOldCase);
    {
        sqlite3 *raw = nullptr;
        ASSERT_EQ(sqlite3_open_v2(db.file().toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        CaseOrder::cluster(raw);
        sqlite3_close(raw);
    }
    // The ids of rows from..to in rowid order and in (code, id) order, which is the file's order
    // for equal codes.
    const auto ids = [&](int from, int to, const char *order) {
        return db
            .scalar(QStringLiteral("select group_concat(id) from (select id from case_hs where rowid between %1 and %2 "
                                   "order by %3)")
                        .arg(from)
                        .arg(to)
                        .arg(QLatin1String(order)))
            .toString();
    };
    const auto orderedTo = [&] { return db.scalar("select clustered_to from case_hs_order").toInt(); };
    UpdateImport::run(connection, writeRecords({{"9999", "钢丝", "s", "2020-01-01", "x"},
                                                {"0101", "钢材", "s", "2020-01-01", "x"},
                                                {"7208", "钢管", "s", "2020-01-01", "x"},
                                                {"0101", "钢板", "s", "2020-01-01", "x"}}));
    EXPECT_EQ(ids(2, 5, "rowid"), ids(2, 5, "code, id"));
    EXPECT_EQ(ids(2, 5, "id"), QStringLiteral("8,9,10,11"));
    EXPECT_NE(ids(2, 5, "rowid"), ids(2, 5, "id")); // the file's order is not the codes'
    EXPECT_EQ(orderedTo(), 5);
    UpdateImport::run(connection, writeRecords({{"8471", "钢笔", "s", "2021-01-01", "x"},
                                                {"0100", "不锈钢", "s", "2021-01-01", "x"}}));
    EXPECT_EQ(ids(6, 7, "rowid"), ids(6, 7, "code, id"));
    EXPECT_EQ(ids(6, 7, "id"), QStringLiteral("12,13"));
    EXPECT_EQ(orderedTo(), 7);
    EXPECT_EQ(db.scalar("select group_concat(first_rowid) from case_hs_runs").toString(), QStringLiteral("2,6"));

    connection.ensureOpen();
    for (const char *code : {"", "01", "8"}) {
        const auto terms =
            SearchStatements::terms(SearchStatements::CaseHs, QString::fromLatin1(code), QStringLiteral("钢"));
        ASSERT_EQ(SearchPlan::choose(terms, connection), SearchPlan::Plan::IndexOrdered);
        const Statement plain = Statement("select id from case_hs where code like ? and name like '%钢%' order by code",
                                          {ScrambleCode(QString::fromLatin1(code)) + u'%'});
        const SearchQuery ordered(connection.store(), terms, SearchPlan::Plan::IndexOrdered);
        const auto found = [&](const Statement &statement) {
            QSqlQuery q(connection.database());
            EXPECT_TRUE(Statements::prepare(q, statement) && q.exec()) << q.lastError().text().toStdString();
            QStringList out;
            while (q.next()) out << q.value(0).toString();
            return out;
        };
        EXPECT_EQ(found(ordered.rows()), found(plain)) << code;
        EXPECT_EQ(found(plain).size(), std::strlen(code) == 0 ? 6 : std::strlen(code) == 2 ? 3 : 1) << code;
    }
}

TEST_F(Import, ReportsProgressFromZeroToTheTotal) {
    db.exec(kOldCase);
    QString body;
    for (int i = 0; i < 30; ++i) body += recordXml({QString::number(84710000 + i), "n", "s", "2020-01-01", "x"});
    QList<int> seen;
    UpdateImport::run(connection, writeFile(body), [&](int done, int total) {
        EXPECT_EQ(total, 30);
        seen << done;
    });
    QList<int> expected;
    for (int i = 0; i <= 30; ++i) expected << i;
    EXPECT_EQ(seen, expected);
}

TEST(ImportFileName, OnlyNamesEndingInXmlAreUpdateFiles) {
    struct Case {
        const char *name;
        bool accepted;
    } cases[] = {{"UPDATE.XML", true},  {"update.xmlx", false}, {"myxml", true},
                 {"update.txt", false}, {"xm", false},          {"", false}};
    for (const Case &c : cases) EXPECT_EQ(UpdateImport::hasXmlEnding(QString::fromUtf8(c.name)), c.accepted) << c.name;
}
