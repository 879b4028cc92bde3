// The feed refresh's rules on a real database file, without a window or a network.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "support/TestDatabase.h"
#include "updates/FeedRefresh.h"
#include "updates/XmlDocument.h"

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

struct Refresh : ::testing::Test {
    TestDatabase db;
    Connection connection{QStringLiteral("feed-core")};

    void SetUp() override {
        connection.setConnectionString(DatabasePath::lookupConnectionString());
        db.exec({"insert into news values ('1','old')", "insert into news_ad values ('k0.jpg','k0.html','0')",
                 "insert into news_ad values ('kn.jpg','kn.html',null)",
                 "insert into news_ad values ('old.jpg','old.html','1')",
                 "insert into news_ad values ('other.jpg','other.html','2')"});
    }
    QStringList rows(const char *table) {
        return db
            .scalar(QStringLiteral("select group_concat(r, ';') from (select %1 as r from %2)")
                        .arg(QLatin1String(table) == QLatin1String("news")
                                 ? QStringLiteral("id||'|'||title")
                                 : QStringLiteral("imagename||'|'||imageurl||'|'||coalesce(type,'∅')"),
                             QLatin1String(table)))
            .toString()
            .split(u';', Qt::SkipEmptyParts);
    }
};

} // namespace

TEST_F(Refresh, ReplacesTheNewsAndTheFeedsAdvertisements) {
    EXPECT_EQ(FeedRefresh::news(connection, feed({{"7", "Tom's new list"}, {"8", "关税 调整", "ignored"}})), 2);
    EXPECT_EQ(rows("news"), (QStringList{"7|Tomsnewlist", "8|关税调整"}));
    EXPECT_EQ(FeedRefresh::advertisements(connection, feed({{"a.jpg", "a'.html"}})), 1);
    EXPECT_EQ(rows("news_ad"), (QStringList{"k0.jpg|k0.html|0", "kn.jpg|kn.html|∅", "a.jpg|a.html|1"}));
    EXPECT_EQ(FeedRefresh::news(connection, feed({})), 0);
    EXPECT_EQ(rows("news"), QStringList());
}

// A failing record leaves its table as it was: the delete and the inserts commit together.
TEST_F(Refresh, AFailingRecordLeavesTheTableAsItWas) {
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
