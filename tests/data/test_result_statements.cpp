// The statements a result grid runs beside a search (its count, its rows backwards, its rows in
// another order) give the same rows in the same order on both stores.
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/PlainCodeFunction.h"
#include "data/Query.h"
#include "search/SearchStatements.h"
#include "support/StoreFixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct Row {
    int id;
    QString code; // stored
    const char *spec; // null: Null
    const char *state; // null: Null
};

QString quoted(const char *text) {
    return text ? QStringLiteral("'%1'").arg(QLatin1String(text)) : QStringLiteral("null");
}

// Plain codes that order as numbers (leading zeros, ties), beside ones that are text: too long
// for a number, with letters, not scrambled at all, a trailing odd digit, and a Null code.
const QList<Row> kRows{
    {1, ScrambleCode(QStringLiteral("0101")), "b", "2"},
    {2, ScrambleCode(QStringLiteral("101")), nullptr, "10"},
    {3, ScrambleCode(QStringLiteral("9")), "a", "9"},
    {4, ScrambleCode(QStringLiteral("10")), "B", nullptr},
    {5, ScrambleCode(QStringLiteral("A1")), "b", "1"},
    {6, QStringLiteral("ZZ"), "c", "3"},
    {7, ScrambleCode(QStringLiteral("1234567890123456789")), "a", "2"},
    {8, QString(), "d", "0"},
    {9, ScrambleCode(QStringLiteral("101")), "b", "10"},
    {10, ScrambleCode(QStringLiteral("7")) + u'Q', nullptr, "-1"},
};

class ResultStatementsOnStores : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override {
        store = std::make_unique<StoreFixture>(GetParam());
        SKIP_WITHOUT_STORE(*store);
        QStringList inserts;
        // Written in an order unlike the ids': rows of equal keys come in written order.
        for (int id : {9, 1, 5, 2, 6, 3, 8, 4, 10, 7}) {
            const Row &r = kRows[id - 1];
            inserts << QStringLiteral("insert into case_hs values (%1, 'x%1', %2, %3, '', '', %4, '')")
                           .arg(r.id)
                           .arg(r.code.isNull() ? QStringLiteral("null") : u'\'' + r.code + u'\'', quoted(r.spec),
                                r.state ? QString::fromLatin1(r.state) : QStringLiteral("null"));
        }
        store->exec(inserts);
        con.setConnectionString(store->connectionString());
        query.setConnection(&con);
        const QString name = QStringLiteral("x");
        query.setSource(SearchStatements::search(SearchStatements::CaseHs, {}, name, con));
        query.open();
        // The file's window connection leaves the function to the reader's connection.
        if (con.handle()) {
            ASSERT_TRUE(PlainCodeFunction::install(con.handle()));
        }
    }

    // The first column of every row the statement gives.
    QList<qint64> column(const Statement &statement) {
        QSqlQuery q(con.database());
        EXPECT_TRUE(Statements::prepare(q, statement) && q.exec())
            << statement.text.toStdString() << ": " << q.lastError().text().toStdString();
        QList<qint64> out;
        while (q.next()) out << q.value(0).toLongLong();
        return out;
    }

    std::unique_ptr<StoreFixture> store;
    Connection con{QStringLiteral("statements")};
    Query query{QStringLiteral("qry3")};
};

} // namespace

TEST_P(ResultStatementsOnStores, CountAndReverseMatchTheSearch) {
    const ResultSource &search = *query.source();
    EXPECT_EQ(column(search.count()), QList<qint64>{10});
    QList<qint64> forward = column(query.executed());
    ASSERT_EQ(forward.size(), 10);
    std::reverse(forward.begin(), forward.end());
    EXPECT_EQ(column(search.reversed()), forward) << search.reversed().text.toStdString();
}

TEST_P(ResultStatementsOnStores, SortsOrderAsTheFileDoes) {
    // Null first; plain codes as numbers before the texts, texts byte by byte; ties as written.
    const QList<qint64> byCode{8, 10, 3, 4, 9, 1, 2, 7, 5, 6};
    struct Case {
        SortKey key;
        QList<qint64> ascending;
    } cases[] = {
        {{QStringLiteral("code"), SortKey::PlainCode}, byCode},
        {{QStringLiteral("spec"), SortKey::Stored}, {2, 10, 4, 3, 7, 9, 1, 5, 6, 8}},
        {{QStringLiteral("state"), SortKey::Number}, {4, 10, 8, 5, 1, 7, 6, 3, 9, 2}},
    };
    for (const Case &c : cases)
        for (const bool descending : {false, true}) {
            QList<qint64> want = c.ascending;
            if (descending) std::reverse(want.begin(), want.end());
            const Statement statement = query.source()->sorted(c.key, descending);
            EXPECT_EQ(column(statement), want) << statement.text.toStdString();
        }
}

INSTANTIATE_TEST_SUITE_P(Stores, ResultStatementsOnStores, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return storeName(test.param); });
