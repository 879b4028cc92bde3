// The same statements on both stores: the SQLite file and a database server (the tests'
// throwaway PostgreSQL server). Every search, detail and write statement must give the same
// rows, values and order on both.
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "data/Transaction.h"
#include "search/SearchStatements.h"
#include "support/StoreFixture.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <algorithm>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <random>
#include <vector>

namespace {

struct CaseRow {
    int id;
    QString name;
    QString code; // plain; stored scrambled
};

// Names that tell the LIKE semantics apart: A-Z without case, other letters with case, the
// wildcards, an apostrophe, a Null name; codes that tie (written order must hold among them).
const QList<CaseRow> kCases{
    {1, QStringLiteral("无缝钢管"), QStringLiteral("7304190010")},
    {2, QStringLiteral("Steel pipe"), QStringLiteral("7304190020")},
    {3, QStringLiteral("STEEL wire"), QStringLiteral("7217100000")},
    {4, QStringLiteral("Éclair"), QStringLiteral("1905900000")},
    {5, QStringLiteral("éclair"), QStringLiteral("1905900000")},
    {6, QStringLiteral("O'Brien tool"), QStringLiteral("8205590000")},
    {7, QStringLiteral("100% cotton"), QStringLiteral("5208110000")},
    {8, QStringLiteral("钢_丝"), QStringLiteral("7217100000")},
    {9, QString(), QStringLiteral("0101210010")},
    {10, QStringLiteral("钢丝绳"), QStringLiteral("7217100000")},
};

QString literal(const QString &text) {
    if (text.isNull()) return QStringLiteral("null");
    QString t = text;
    return u'\'' + t.replace(u'\'', QStringLiteral("''")) + u'\'';
}

QStringList caseInserts() {
    QStringList out;
    // Written in an order unlike the ids' so that written order, not the id, must decide ties.
    for (int i : {10, 3, 8, 1, 2, 5, 4, 6, 7, 9}) {
        const CaseRow &r = kCases[i - 1];
        out << QStringLiteral("insert into case_hs values (%1,%2,'%3','spec','2020-01-0%4','2020-01-01',0,'s')")
                   .arg(r.id)
                   .arg(literal(r.name), ScrambleCode(r.code))
                   .arg(r.id % 10);
    }
    out << QStringLiteral("insert into official_hs (id, hs_code, name, lice) values (1, '%1', '活牛', 'AB'), "
                          "(2, '%2', '钢丝', 'C)'), (3, '%3', 'steel', null)")
               .arg(ScrambleCode(QStringLiteral("0102291000")), ScrambleCode(QStringLiteral("7217100000")),
                    ScrambleCode(QStringLiteral("7304190000")));
    out << QStringLiteral(
        "insert into hs_licensed values ('A', '许可证'), ('B', '通关单'), ('C)', '括号'), ('a', '小写')");
    out << QStringLiteral("insert into hs_dm_tax (id, code, name, low_tax) values ('1', '%1', '钢丝', '5%')")
               .arg(ScrambleCode(QStringLiteral("7217100000")));
    return out;
}

class Stores : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override {
        fixture = std::make_unique<StoreFixture>(GetParam());
        SKIP_WITHOUT_STORE(*fixture);
        fixture->exec(caseInserts());
        con.setConnectionString(fixture->connectionString());
        query.setConnection(&con);
    }

    // The values of the named columns, row by row, as text ("<null>" for Null).
    QList<QStringList> rows(const Statement &statement, const QStringList &columns) {
        query.setSql(statement);
        return read(columns);
    }
    QList<QStringList> rows(std::shared_ptr<const ResultSource> source, const QStringList &columns) {
        query.setSource(std::move(source));
        return read(columns);
    }
    QList<QStringList> read(const QStringList &columns) {
        query.open();
        QList<QStringList> out;
        for (; !query.eof(); query.next()) {
            QStringList row;
            for (const QString &c : columns) {
                const QVariant v = query.value(c);
                row << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            out << row;
        }
        return out;
    }

    std::unique_ptr<StoreFixture> fixture;
    Connection con{QStringLiteral("stores")};
    Query query{QStringLiteral("qryStores")};
};

QList<int> ids(const QList<QStringList> &rows) {
    QList<int> out;
    for (const QStringList &r : rows) out << r.at(0).toInt();
    return out;
}

TEST_P(Stores, SearchesGiveTheSameRowsInCodeOrderWithTiesInWrittenOrder) {
    struct Case {
        const char *code;
        const char *name;
        QList<int> ids; // in the expected order
    };
    // The stored (scrambled) codes sort unlike the plain ones; ties keep the written order.
    const auto order = [&] {
        QList<QStringList> all =
            rows(SearchStatements::search(SearchStatements::CaseHs, {}, {}, con), {QStringLiteral("id")});
        return ids(all);
    }();
    ASSERT_EQ(order, (QList<int>{6, 2, 1, 10, 3, 8, 7, 9, 5, 4})) << "code order, ties in written order";
    const QList<Case> cases{
        {"7304", "", {2, 1}},    {"", "steel", {2, 3}}, // A-Z without case
        {"", "STEEL P", {2}}, // a space is a character like any other
        {"", "éclair", {5}}, // other letters keep their case
        {"", "ÉCLAIR", {4}},     {"", "éCLAIR", {5}},
        {"", "钢_", {1, 10, 8}}, // '_' is any one character
        {"", "钢", {1, 10, 8}},  {"", "100%", {7}}, // '%' is any run of characters
        {"", "O'B", {6}}, // an apostrophe finds itself
        {"", "\\", {}}, // a backslash escapes nothing
        {"7217", "丝", {10, 8}}, {"72171000", "", {10, 3, 8}},
        {"9", "", {}},
    };
    for (const Case &c : cases) {
        const QString code = QString::fromUtf8(c.code), name = QString::fromUtf8(c.name);
        const auto got =
            rows(SearchStatements::search(SearchStatements::CaseHs, code, name, con), {QStringLiteral("id")});
        EXPECT_EQ(ids(got), c.ids) << "code " << c.code << " name " << c.name << "\n"
                                   << query.executed().text.toStdString();
    }
}

// A pass over many rows holds few of them: on the server through a cursor, batch after batch.
// Every row comes once, in order, across the batches' edges; the connection's session is free
// again afterwards (a write commits), and a failed statement says why.
TEST_P(Stores, AStreamReadsEveryRowOnceAcrossBatches) {
    QStringList inserts{QStringLiteral("delete from news")};
    for (int i = 1; i <= 2100; ++i) inserts << QStringLiteral("insert into news values ('%1','n%1')").arg(i);
    fixture->exec(inserts);
    query.setConnection(&con);
    for (const int limit : {0, 64, 65, 1064, 1065}) {
        query.setSql(Statement("select cast(id as integer) as n from news order by 1") +
                     (limit ? Statement(" limit ") + bound(limit) : Statement()));
        QList<int> seen;
        for (RowStream r = query.stream(); r.isValid(); r.next()) seen << r.value(0).toInt();
        ASSERT_EQ(seen.size(), limit ? limit : 2100) << limit;
        for (int i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], i + 1) << limit;
    }
    query.execSql(con, Statement("insert into news values (?,?)", {QStringLiteral("x"), QStringLiteral("after")}));
    EXPECT_EQ(rows(QStringLiteral("select count(*) as c from news"), {QStringLiteral("c")}),
              (QList<QStringList>{{QStringLiteral("2101")}}));
    query.setSql(Statement("select no_such_column from news"));
    EXPECT_THROW(query.stream(), AppError);
    // The failed statement left nothing open: the connection still reads.
    EXPECT_EQ(rows(QStringLiteral("select count(*) as c from news"), {QStringLiteral("c")}).size(), 1);
}

TEST_P(Stores, TariffSearchAndFirstRowsReadTheSameValues) {
    const QStringList columns{QStringLiteral("id"), QStringLiteral("hs_code"), QStringLiteral("name"),
                              QStringLiteral("lice"), QStringLiteral("b")};
    const QString steel = QStringLiteral("钢");
    const auto all = rows(SearchStatements::search(SearchStatements::OfficialHs, {}, steel, con), columns);
    ASSERT_EQ(all.size(), 1);
    for (const auto table : {SearchStatements::OfficialHs, SearchStatements::HsClassify})
        EXPECT_EQ(ids(rows(SearchStatements::search(table, {}, steel, con), {QStringLiteral("id")})),
                  table == SearchStatements::OfficialHs ? QList<int>{2} : QList<int>{})
            << query.executed().text.toStdString();
    // The tariff's first rows as written, the others' in code order.
    EXPECT_EQ(ids(rows(SearchStatements::firstRows(SearchStatements::OfficialHs, con), columns)),
              (QList<int>{1, 2, 3}));
    EXPECT_EQ(ids(rows(SearchStatements::firstRows(SearchStatements::CaseHs, con), {QStringLiteral("id")})),
              (QList<int>{6, 2, 1, 10, 3, 8, 7, 9, 5, 4}));
}

TEST_P(Stores, DetailStatementsMatchCodesWithoutCaseAndLicencesByInstr) {
    // The special-rate view looks a code up by equality; code columns ignore case.
    const QString lower = ScrambleCode(QStringLiteral("7217100000")).toLower();
    EXPECT_EQ(rows(Statement("select * from hs_dm_tax where ") + con.store()->codeEquals(QStringLiteral("code"), lower),
                   {QStringLiteral("low_tax")}),
              (QList<QStringList>{{QStringLiteral("5%")}}));
    // The detail view finds the licence documents of a code's conditions with instr(), mode 0.
    const auto licences =
        rows(Statement("select docu_code,docu_name from hs_licensed where instr(1,docu_code,?,0) <> 0 "
                       "or instr(1,docu_code,?,0) <> 0",
                       {QStringLiteral("A"), QStringLiteral(")")}),
             {QStringLiteral("docu_code")});
    EXPECT_EQ(licences, (QList<QStringList>{{QStringLiteral("A")}, {QStringLiteral("C)")}}));
    const auto positions =
        rows(QStringLiteral("select instr(1,'abcABC','C',0) as a, instr(1,'abcABC','C',1) as b, "
                            "instr(4,'abcABC','a',1) as c, instr(8,'abc','a',0) as d, instr(2,'abc','',0) as e, "
                            "instr(1,null,'a',0) as f, instr(1,'钢丝绳','绳',0) as g"),
             {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e"),
              QStringLiteral("f"), QStringLiteral("g")});
    EXPECT_EQ(positions, (QList<QStringList>{{"6", "3", "4", "0", "2", "<null>", "3"}}));
    query.setSql(QStringLiteral("select instr(0,'abc','a',0) as x"));
    EXPECT_THROW(query.open(), AppError);
}

TEST_P(Stores, PositionalInsertsAndTransactionsKeepAllOrNothing) {
    EXPECT_EQ(rows(QStringLiteral("select max(imagename) as m from news_ad"), {QStringLiteral("m")}),
              (QList<QStringList>{{QStringLiteral("<null>")}}));
    {
        Transaction t(con);
        query.execSql(con, Statement("insert into news values (?,?)", {QStringLiteral("1"), QStringLiteral("第一条")}));
        // Not committed: rolled back when the scope ends.
    }
    EXPECT_TRUE(rows(QStringLiteral("select * from news"), {QStringLiteral("id")}).isEmpty());
    {
        Transaction t(con);
        query.execSql(con, Statement("insert into news values (?,?)", {QStringLiteral("1"), QStringLiteral("第一条")}));
        query.execSql(con, Statement("insert into case_hs values (11,'新',?,'s','2021-01-01','2021-01-01',0,'x')",
                                     {ScrambleCode(QStringLiteral("0101210010"))}));
        t.commit();
    }
    EXPECT_EQ(rows(QStringLiteral("select * from news"), {QStringLiteral("id"), QStringLiteral("title")}),
              (QList<QStringList>{{QStringLiteral("1"), QStringLiteral("第一条")}}));
    EXPECT_EQ(rows(QStringLiteral("select max(id) as m, max(update_date) as d from case_hs"),
                   {QStringLiteral("m"), QStringLiteral("d")}),
              (QList<QStringList>{{QStringLiteral("11"), QStringLiteral("2021-01-01")}}));
    // The new row ties with case 9 and comes after it.
    EXPECT_EQ(ids(rows(SearchStatements::search(SearchStatements::CaseHs, QStringLiteral("0101210010"), {}, con),
                       {QStringLiteral("id")})),
              (QList<int>{9, 11}));
}

// Ids of a case search on a connection, in the order it gives them; the statement as it ran.
QList<int> caseSearch(Connection &con, const QString &code, const QString &name, QString *executed = nullptr) {
    Query q(QStringLiteral("qryNames"));
    q.setConnection(&con);
    q.setSource(SearchStatements::search(SearchStatements::CaseHs, code, name, con));
    q.open();
    QList<int> out;
    for (; !q.eof(); q.next()) out << int(q.asInteger(QStringLiteral("id")));
    if (executed) *executed = q.executed().text;
    return out;
}

// The same search's statement read backwards (the grid's way to its last rows).
QList<int> caseSearchBackwards(Connection &con, const QString &code, const QString &name) {
    Query q(QStringLiteral("qryNamesBack"));
    q.open(con, SearchStatements::search(SearchStatements::CaseHs, code, name, con)->reversed());
    QList<int> out;
    for (; !q.eof(); q.next()) out << int(q.asInteger(QStringLiteral("id")));
    return out;
}

// The server's name index narrows a name search; the LIKE still decides. Names drawn from a small
// alphabet (so that the keys of a fragment often occur apart, in other pairs or apart in the
// name: "钢丝 丝绳" holds both pairs of 钢丝绳 but not the fragment), with A-Z in both cases,
// other letters whose case counts, the wildcards, an apostrophe and a character beyond 16 bits.
TEST(ServerNameIndex, NameSearchesGiveTheFileRowsInTheFileOrder) {
    StoreFixture file(StoreKind::File), server(StoreKind::Server);
    SKIP_WITHOUT_STORE(server);
    const QStringList alphabet{QStringLiteral("钢"), QStringLiteral("丝"), QStringLiteral("绳"), QStringLiteral("管"),
                               QStringLiteral("牌"), QStringLiteral(" "),  QStringLiteral("a"),  QStringLiteral("B"),
                               QStringLiteral("b"),  QStringLiteral("é"),  QStringLiteral("É"),  QStringLiteral("%"),
                               QStringLiteral("_"),  QStringLiteral("'"),  QStringLiteral("𠀀")};
    std::mt19937 random(17);
    QStringList inserts;
    for (int id = 1; id <= 1500; ++id) {
        QString name;
        for (int n = int(random() % 9); n > 0; --n) name += alphabet[int(random() % alphabet.size())];
        if (id % 97 == 0) name = QString(); // Null
        if (id == 5) name = QStringLiteral("钢丝 丝绳");
        // Few codes, so ties are many and the written order must decide among them.
        const QString code = QStringLiteral("7%1%2").arg(random() % 3).arg(random() % 4, 8, 10, QChar(u'0'));
        inserts << QStringLiteral("insert into case_hs values (%1,%2,'%3','s','2020-01-01','2020-01-01',0,'s')")
                       .arg(id)
                       .arg(literal(name), ScrambleCode(code));
    }
    file.exec(inserts);
    server.exec(inserts);
    Connection onFile(QStringLiteral("names-file")), onServer(QStringLiteral("names-server"));
    onFile.setConnectionString(file.connectionString());
    onServer.setConnectionString(server.connectionString());

    struct Case {
        const char *code, *name;
        bool keyed; // the fragment has a literal piece: the server's keys narrow
    };
    const Case cases[] = {
        {"", "钢", true},     {"", "牌", true},
        {"", "𠀀", true}, // one character
        {"", "钢丝", true},   {"", "丝钢", true},
        {"", "a𠀀", true}, // two
        {"", "钢丝绳", true}, {"", "钢丝 丝绳", true},
        {"", "abab", true}, // three and more
        {"", "B", true},      {"", "bB", true},
        {"", "Ab", true}, // A-Z without case
        {"", "é", true},      {"", "É", true},
        {"", "éÉ", true}, // other letters with case
        {"", "钢%管", true},  {"", "钢_管", true},
        {"", "%丝", true}, // wildcards inside
        {"", "_", false},     {"", "%", false},
        {"", "%_%", false}, // wildcards alone
        {"", "'", true},      {"", "a'", true}, // an apostrophe
        {"", "无", true},     {"", "绳绳绳绳绳绳", true}, // matches nothing
        {"", "% ", true},     {"", "\\", true}, // a space, a backslash
        {"71", "丝", true},   {"7200000001", "b", true},
        {"70", "%", false}, // code prefix and name
    };
    // On the server a case search reads the keys of the fragment in code order, forwards and
    // backwards; the file's rows in the file's order either way.
    const auto compare = [&](const char *when) {
        for (const Case &c : cases) {
            const QString code = QString::fromUtf8(c.code), name = QString::fromUtf8(c.name);
            QString executed;
            const QList<int> expected = caseSearch(onFile, code, name);
            EXPECT_EQ(caseSearch(onServer, code, name, &executed), expected)
                << when << " code " << c.code << " name " << c.name << "\n"
                << executed.toStdString();
            EXPECT_EQ(executed.contains(QStringLiteral("case_hs_keys")), c.keyed) << executed.toStdString();
            QList<int> backwards = expected;
            std::reverse(backwards.begin(), backwards.end());
            EXPECT_EQ(caseSearchBackwards(onServer, code, name), backwards) << when << " " << c.name;
        }
    };
    compare("as written");
    // The table is rich enough that the fragments find rows, and keys alone are not the answer.
    EXPECT_GT(caseSearch(onFile, {}, QStringLiteral("钢丝")).size(), 20);
    EXPECT_EQ(caseSearch(onFile, {}, QStringLiteral("钢丝绳")).contains(5), false);
    // The keys follow changed names and codes, deleted and added rows.
    QStringList changes;
    for (int id = 3; id <= 1500; id += 7)
        changes << QStringLiteral("update case_hs set name = %1 where id = %2")
                       .arg(literal(alphabet[id % 5] + alphabet[id % 7]), QString::number(id));
    for (int id = 4; id <= 1500; id += 11)
        changes << QStringLiteral("update case_hs set code = '%1' where id = %2")
                       .arg(ScrambleCode(QStringLiteral("7%1").arg(id % 3, 9, 10, QChar(u'0'))), QString::number(id));
    changes << QStringLiteral("delete from case_hs where id % 13 = 0")
            << QStringLiteral("insert into case_hs values (2000,'钢丝绳','%1','s','2020-01-02','2020-01-02',0,'s')")
                   .arg(ScrambleCode(QStringLiteral("7000000000")));
    file.exec(changes);
    server.exec(changes);
    compare("after changes");
    const QString keysOf = QStringLiteral(
        "(select k, zendrik_nocase(code), rowid from case_hs cross join lateral zendrik_keys(name) as k)");
    const QString kept = QStringLiteral("(select key, code, rowid from case_hs_keys)");
    for (const QString &difference :
         {keysOf + QStringLiteral(" except all ") + kept, kept + QStringLiteral(" except all ") + keysOf}) {
        Query q(QStringLiteral("qryKeys"));
        q.open(onServer,
               Statement(QStringLiteral("select count(*) as n from (") + difference + QStringLiteral(") as d")));
        EXPECT_EQ(q.asInteger(QStringLiteral("n")), 0) << difference.toStdString();
    }
    // And the counts by key, which choose the rarest key and count a short fragment's rows.
    Query counts(QStringLiteral("qryCounts"));
    counts.open(onServer, Statement("select count(*) as n from (select key, count(*) as n from case_hs_keys group by "
                                    "key) as a full join case_hs_key_counts as c using (key) where coalesce(a.n, 0) "
                                    "<> coalesce(c.n, 0)"));
    EXPECT_EQ(counts.asInteger(QStringLiteral("n")), 0);
}

// The server's plan of a statement, its values bound ("explain" cannot be prepared by the driver).
QString explained(Connection &con, const Statement &statement) {
    const QVariant handle = con.database().driver()->handle();
    PGconn *pg = *static_cast<PGconn *const *>(handle.data());
    PGresult *result = Statements::execOnServer(pg, Statements::numbered(QStringLiteral("explain ") + statement.text),
                                                Statements::serverValues(statement.values));
    QString plan;
    if (PQresultStatus(result) == PGRES_TUPLES_OK)
        for (int r = 0; r < PQntuples(result); ++r) plan += QString::fromUtf8(PQgetvalue(result, r, 0)) + u'\n';
    PQclear(result);
    return plan;
}

// The server uses its name indexes for one- and two-character fragments, in every searched table,
// the cases' keys in code order for the cases (told to avoid a scan, as it would on a large table;
// these are small).
TEST(ServerNameIndex, ServerPlansNameSearchesThroughTheIndex) {
    StoreFixture server(StoreKind::Server);
    SKIP_WITHOUT_STORE(server);
    server.exec(caseInserts());
    Connection con(QStringLiteral("plans"));
    con.setConnectionString(server.connectionString());
    Query search(QStringLiteral("qryPlans"));
    search.setConnection(&con);
    const struct {
        SearchStatements::Table table;
        const char *name, *index;
    } cases[] = {
        {SearchStatements::CaseHs, "钢", "case_hs_keys_order"},
        {SearchStatements::CaseHs, "钢丝", "case_hs_keys_order"},
        {SearchStatements::CaseHs, "STEEL", "case_hs_keys_order"},
        {SearchStatements::OfficialHs, "钢丝", "official_hs_name_grams"},
        {SearchStatements::HsClassify, "钢", "hs_classify_name_grams"},
    };
    for (const auto &c : cases) {
        const QString name = QString::fromUtf8(c.name);
        search.setSource(SearchStatements::search(c.table, {}, name, con));
        search.open();
        const Statement executed = search.executed();
        search.close();
        QSqlQuery q(con.database());
        ASSERT_TRUE(q.exec(QStringLiteral("set enable_seqscan = off")));
        const QString plan = explained(con, executed);
        ASSERT_FALSE(plan.isEmpty()) << executed.text.toStdString();
        EXPECT_TRUE(plan.contains(QString::fromUtf8(c.index))) << c.name << "\n" << plan.toStdString();
        q.exec(QStringLiteral("reset enable_seqscan"));
    }
}

// A lookup's connection neither compiles statements nor starts parallel workers: both cost more
// than a first screen, and the options reach the server only if the driver passes them on whole.
TEST(ServerConnection, LookupsRunWithoutCompilingOrParallelWorkers) {
    StoreFixture server(StoreKind::Server);
    SKIP_WITHOUT_STORE(server);
    Connection con(QStringLiteral("settings"));
    con.setConnectionString(server.connectionString());
    con.ensureOpen();
    QSqlQuery q(con.database());
    for (const auto &[setting, value] : {std::pair{"jit", "off"}, std::pair{"max_parallel_workers_per_gather", "0"}}) {
        ASSERT_TRUE(q.exec(QStringLiteral("show %1").arg(QLatin1String(setting))));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), QLatin1String(value)) << setting;
    }
}

INSTANTIATE_TEST_SUITE_P(BothStores, Stores, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return std::string(storeName(test.param)); });

} // namespace
