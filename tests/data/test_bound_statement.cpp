// Statements whose values are bound rather than written into them, on both stores: every value
// comes back as it went in, Null stays apart from the empty text, and the marks inside quotes
// and comments are left alone.
#include "data/AppError.h"
#include "data/BoundStatement.h"
#include "data/Connection.h"
#include "support/StoreFixture.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

TEST(BoundStatement, NumbersTheMarksOutsideQuotesAndComments) {
    struct Case {
        const char *statement, *numbered;
    } cases[] = {
        {"insert into t values (?, ?, '1')", "insert into t values ($1, $2, '1')"},
        {"select '?', \"a?\" from t where a = ? -- b = ?\n and c = ?",
         "select '?', \"a?\" from t where a = $1 -- b = ?\n and c = $2"},
        {"select 'it''s ?', /* ? */ ?", "select 'it''s ?', /* ? */ $1"},
        {"select ? || '", "select $1 || '"},
        {"select '中文？', ?", "select '中文？', $1"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(BoundStatement::numbered(QString::fromUtf8(c.statement)), QByteArray(c.numbered)) << c.statement;
}

namespace {

class BoundValues : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override {
        fixture = std::make_unique<StoreFixture>(GetParam());
        SKIP_WITHOUT_STORE(*fixture);
        connection.setConnectionString(fixture->connectionString());
    }

    // news's rows as "id|title", "<null>" for Null, in id order.
    QStringList news() {
        QSqlQuery q(connection.database());
        EXPECT_TRUE(q.exec(QStringLiteral("select id, title from news order by id")));
        QStringList out;
        while (q.next())
            out << (q.isNull(0) ? QStringLiteral("<null>") : q.value(0).toString()) + u'|' +
                       (q.isNull(1) ? QStringLiteral("<null>") : q.value(1).toString());
        return out;
    }

    std::unique_ptr<StoreFixture> fixture;
    Connection connection{QStringLiteral("bound")};
};

} // namespace

TEST_P(BoundValues, ComeBackAsTheyWentIn) {
    BoundStatement insert(connection, QStringLiteral("insert into news values (?, ?)"));
    insert.exec({QByteArray("1"), std::nullopt});
    insert.exec({QByteArray("2"), QByteArray("")});
    insert.exec({QByteArray("3"), QByteArray("'\\\"$1?%1;--")});
    insert.exec({QByteArray("4"), QStringLiteral("关税\u00e9𠀀").toUtf8()});
    // The server's text cannot hold a zero character; the file keeps it.
    insert.exec({QByteArray("5"), QByteArray("a\0b", 3)});
    const QString zero = GetParam() == StoreKind::File ? QStringLiteral("a%1b").arg(QChar(0)) : QStringLiteral("ab");
    EXPECT_EQ(news(), (QStringList{"1|<null>", "2|", "3|'\\\"$1?%1;--", QStringLiteral("4|关税\u00e9𠀀"),
                                   QStringLiteral("5|") + zero}));
}

TEST_P(BoundValues, AFailureIsTheEnginesTextAndTheStatementRunsAgain) {
    BoundStatement insert(connection, QStringLiteral("insert into case_hs (id, name) values (?, ?)"));
    try {
        insert.exec({QByteArray("x"), QByteArray("n")});
        if (GetParam() == StoreKind::Server) ADD_FAILURE() << "the server took a text for an integer";
    } catch (const AppError &e) {
        EXPECT_EQ(GetParam(), StoreKind::Server) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("invalid input syntax for type bigint")))
            << e.message().toStdString();
    }
    insert.exec({QByteArray("8"), QByteArray("n")});
    QSqlQuery q(connection.database());
    ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from case_hs where id = 8")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
    EXPECT_THROW(BoundStatement(connection, QStringLiteral("insert into nowhere values (?)")).exec({QByteArray("1")}),
                 AppError);
}

INSTANTIATE_TEST_SUITE_P(BothStores, BoundValues, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return std::string(storeName(test.param)); });
