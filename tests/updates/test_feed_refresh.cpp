// The feed refresh's rules on both stores, a real database file and a database on the tests'
// server, without a window or a network.
#include "data/AppError.h"
#include "data/Connection.h"
#include "support/StoreFixture.h"
#include "updates/FeedRefresh.h"
#include "updates/XmlDocument.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

XmlDocument feed(const QList<QStringList> &items) {
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed>");
    for (const QStringList &item : items) {
        text += QStringLiteral("<item>");
        for (const QString &field : item) text += QStringLiteral("<f>%1</f>").arg(field);
        text += QStringLiteral("</item>");
    }
    return XmlDocument::fromBytes((text + QStringLiteral("</feed>")).toUtf8(), QStringLiteral("feed"));
}

struct Refresh : ::testing::TestWithParam<StoreKind> {
    std::unique_ptr<StoreFixture> fixture;
    Connection connection{QStringLiteral("feed-core")};

    void SetUp() override {
        fixture = std::make_unique<StoreFixture>(GetParam());
        SKIP_WITHOUT_STORE(*fixture);
        connection.setConnectionString(fixture->connectionString());
        fixture->exec({"insert into news values ('1','old')", "insert into news_ad values ('k0.jpg','k0.html','0')",
                       "insert into news_ad values ('kn.jpg','kn.html',null)",
                       "insert into news_ad values ('old.jpg','old.html','1')",
                       "insert into news_ad values ('other.jpg','other.html','2')",
                       "insert into case_hs values (1,'案例','c','要素','2024-05-20','2024-05-20',0,'')"});
    }

    // The table's rows as "a|b|c" ("∅" for Null), read through a connection of the test's own,
    // sorted: the server keeps no order for these tables.
    QStringList rows(const char *table) {
        Connection reader(QStringLiteral("feed-reader"));
        reader.setConnectionString(fixture->connectionString());
        reader.ensureOpen();
        QSqlQuery q(reader.database());
        EXPECT_TRUE(q.exec(QStringLiteral("select * from %1").arg(QLatin1String(table))));
        QStringList out;
        while (q.next()) {
            QStringList columns;
            for (int c = 0; c < q.record().count(); ++c)
                if (q.record().fieldName(c) != QLatin1String("rowid"))
                    columns << (q.isNull(c) ? QStringLiteral("∅") : q.value(c).toString());
            out << columns.join(u'|');
        }
        out.sort();
        return out;
    }
};

} // namespace

TEST_P(Refresh, ReplacesTheNewsAndTheFeedsAdvertisements) {
    EXPECT_EQ(FeedRefresh::news(connection, feed({{"7", "Tom's new list"}, {"8", "关税 调整", "ignored"}})), 2);
    EXPECT_EQ(rows("news"), (QStringList{"7|Tom'snewlist", "8|关税调整"}));
    EXPECT_EQ(FeedRefresh::advertisements(connection, feed({{"a.jpg", "a'.html"}})), 1);
    EXPECT_EQ(rows("news_ad"), (QStringList{"a.jpg|a'.html|1", "k0.jpg|k0.html|0", "kn.jpg|kn.html|∅"}));
    EXPECT_EQ(FeedRefresh::news(connection, feed({})), 0);
    EXPECT_EQ(rows("news"), QStringList());
}

// A failing record leaves its table as it was: the delete and the inserts commit together.
TEST_P(Refresh, AFailingRecordLeavesTheTableAsItWas) {
    struct Case {
        const char *what;
        QList<QStringList> items;
        QString message;
    } cases[] = {
        {"a record of one field", {{"5", "ok"}, {"6"}}, "List index out of bounds (1)"},
        {"a record without fields", {{"5", "ok"}, {}}, "List index out of bounds (0)"},
    };
    for (const Case &c : cases) {
        for (auto refresh : {&FeedRefresh::news, &FeedRefresh::advertisements}) {
            const QStringList news = rows("news"), ads = rows("news_ad");
            try {
                refresh(connection, feed(c.items));
                ADD_FAILURE() << c.what << ": no error";
            } catch (const AppError &e) {
                EXPECT_EQ(e.message(), c.message) << c.what;
            }
            EXPECT_EQ(rows("news"), news) << c.what;
            EXPECT_EQ(rows("news_ad"), ads) << c.what;
        }
    }
}

// The feed comes over plain HTTP: whatever its fields hold is stored as it is and runs nothing,
// also on a server session that reads a backslash in a string literal as an escape (as older
// servers do by default).
TEST_P(Refresh, FieldsThatLookLikeStatementsAreStoredAsTheyAreAndRunNothing) {
    const QStringList hostile[] = {
        {"1'", "O'Neil"},
        {"2\\", "a\\'b\\"},
        {"3;", "x');update/**/case_hs/**/set/**/name='PWN'/**/where/**/id=1;--"},
        {"4\\'", "\\');delete/**/from/**/case_hs;--"},
        {"5", "';drop/**/table/**/case_hs;/*"},
    };
    QStringList items;
    for (const QStringList &h : hostile) items << h.join(u'|');
    items.sort();

    for (const bool escapingSession : {false, true}) {
        const char *what = escapingSession ? "backslash escapes in the session" : "standard strings";
        if (escapingSession) {
            if (GetParam() == StoreKind::File) continue;
            connection.ensureOpen();
            QSqlQuery set(connection.database());
            ASSERT_TRUE(set.exec(QStringLiteral("set standard_conforming_strings = off")));
            ASSERT_TRUE(set.exec(QStringLiteral("show standard_conforming_strings")) && set.next());
            ASSERT_EQ(set.value(0).toString(), QStringLiteral("off"));
        }
        const QList<QStringList> records(std::begin(hostile), std::end(hostile));
        EXPECT_EQ(FeedRefresh::news(connection, feed(records)), 5) << what;
        EXPECT_EQ(rows("news"), items) << what;
        EXPECT_EQ(FeedRefresh::advertisements(connection, feed(records)), 5) << what;
        QStringList ads{"k0.jpg|k0.html|0", "kn.jpg|kn.html|∅"};
        for (const QString &item : items) ads << item + QStringLiteral("|1");
        ads.sort();
        EXPECT_EQ(rows("news_ad"), ads) << what;
        EXPECT_EQ(rows("case_hs"), QStringList{"1|案例|c|要素|2024-05-20|2024-05-20|0|"}) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(BothStores, Refresh, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return std::string(storeName(test.param)); });
