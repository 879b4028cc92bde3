// The news and advertisement refresh at start-up, against a local vendor site on loopback: the
// real main window, a real database file, real feeds and real JPEG bytes.
#include "app/AdvertBanner.h"
#include "app/MainWindow.h"
#include "app/NewsTicker.h"
#include "chrome/ClickLabel.h"
#include "data/CodeCodec.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/TestDatabase.h"
#include "updates/JpegDecode.h"
#include "vendorsite/VendorSite.h"

#include "support/Jpeg.h"
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>
#include <iostream>

namespace {

using Fault = VendorSite::Fault;

// A database with one case, two news items from an earlier run and three advertisement rows:
// one of type "0", one of no type (both kept by a refresh) and one of type "1" (replaced).
struct Fixture {
    Fixture() {
        EXPECT_TRUE(site.listen());
        platform.root = site.root();
        platform.reachable = true;
        db.exec(QStringLiteral("insert into case_hs values (1,'案例','%1','要素','2024-05-20','',0,'')")
                    .arg(ScrambleCode(QStringLiteral("0101010101"))));
        db.exec(QStringLiteral("insert into news values ('1','旧新闻一')"));
        db.exec(QStringLiteral("insert into news values ('2','旧新闻二')"));
        db.exec(QStringLiteral("insert into news_ad values ('%1/keep0.jpg','%1/keep0.html','0')").arg(site.root()));
        db.exec(
            QStringLiteral("insert into news_ad values ('%1/keepnull.jpg','%1/keepnull.html',null)").arg(site.root()));
        db.exec(QStringLiteral("insert into news_ad values ('%1%2','%1/old.html','1')")
                    .arg(site.root(), QLatin1String(VendorSite::kPicturePath)));
        QDir(db.dir()).mkpath(QStringLiteral("images"));
        QImage banner(385, 65, QImage::Format_RGB32);
        banner.fill(Qt::darkCyan);
        EXPECT_TRUE(banner.save(db.dir() + QStringLiteral("images/banner.bmp"), "BMP"));
    }

    // The table's rows, in the order a plain select gives them, as "a|b|c"; Null shows as "∅".
    QStringList rows(const QString &table) {
        const QString columns =
            table == QLatin1String("news")
                ? QStringLiteral("coalesce(id,'∅')||'|'||coalesce(title,'∅')")
                : QStringLiteral("coalesce(imagename,'∅')||'|'||coalesce(imageurl,'∅')||'|'||coalesce(type,'∅')");
        const QString all =
            db.scalar(QStringLiteral("select group_concat(r, ';') from (select %1 as r from %2)").arg(columns, table))
                .toString();
        QStringList out = all.split(u';', Qt::SkipEmptyParts);
        for (QString &r : out) r.replace(site.root(), QStringLiteral("{root}"));
        return out;
    }

    QStringList boxes() const {
        QStringList out;
        for (const auto &b : platform.boxes) {
            EXPECT_EQ(b.caption, Platform::applicationTitle());
            out << QString(b.text).replace(site.root(), QStringLiteral("{root}"));
        }
        return out;
    }

    RecordingPlatform platform;
    TestDatabase db;
    VendorSite site;
};

const QStringList kOldNews{QStringLiteral("1|旧新闻一"), QStringLiteral("2|旧新闻二")};
const QStringList kOldAds{QStringLiteral("{root}/keep0.jpg|{root}/keep0.html|0"),
                          QStringLiteral("{root}/keepnull.jpg|{root}/keepnull.html|∅"),
                          QStringLiteral("{root}/ad/banner.jpg|{root}/old.html|1")};

} // namespace

TEST(Feed, RefreshReplacesTheNewsAndTheFeedsAdvertisementsAndShowsThePicture) {
    Fixture f;
    f.site.setNews({{QStringLiteral("7"), QStringLiteral("Tom's new list")},
                    {QStringLiteral("8"), QStringLiteral("关税 调整"), QStringLiteral("ignored")}});
    f.site.setAds({{QStringLiteral("{root}/ad/a.jpg"), QStringLiteral("{root}/ad/a.html")},
                   {QStringLiteral("{root}/ad/banner.jpg"), QStringLiteral("{root}/ad/customs.html")}});
    // Larger than the picture box: it is shown unscaled from its top-left corner and clipped.
    QImage picture(500, 100, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < 65; ++y)
        for (int x = 0; x < 385; ++x) picture.setPixel(x, y, qRgb(255, 0, 0));
    f.site.setPicture(jpegOf(picture));

    MainWindow form;
    EXPECT_TRUE(f.boxes().isEmpty()) << f.boxes().join(u'\n').toStdString();
    EXPECT_EQ(f.rows(QStringLiteral("news")), (QStringList{"7|Tom'snewlist", "8|关税调整"}));
    EXPECT_EQ(f.rows(QStringLiteral("news_ad")),
              (kOldAds.mid(0, 2) +
               QStringList{"{root}/ad/a.jpg|{root}/ad/a.html|1", "{root}/ad/banner.jpg|{root}/ad/customs.html|1"}));
    EXPECT_EQ(control<ClickLabel>(form, "lbl9")->text(), QStringLiteral("Tom'snewlist"));
    EXPECT_EQ(form.ticker()->shownId(), QStringLiteral("7"));
    EXPECT_EQ(control<QLabel>(form, "lbl8")->text(), QStringLiteral("数据更新时间:2024-05-20"));

    // The last row's picture and link.
    EXPECT_EQ(form.banner()->address(), f.site.root() + QStringLiteral("/ad/customs.html"));
    EXPECT_EQ(control<ClickLabel>(form, "imgLogo")->pixmap().toImage().convertToFormat(QImage::Format_RGB888),
              JpegDecode::decode(f.site.picture()));
    const QImage shown = control<ClickLabel>(form, "imgLogo")->grab().toImage();
    EXPECT_EQ(shown.size(), QSize(385, 65));
    for (QPoint p : {QPoint(0, 0), QPoint(370, 55), QPoint(200, 30)}) EXPECT_GT(qRed(shown.pixel(p)), 200) << p.x();

    EXPECT_EQ(f.site.hits(VendorSite::kNewsPath), 1);
    EXPECT_EQ(f.site.hits(VendorSite::kAdsPath), 1);
    EXPECT_EQ(f.site.hits(VendorSite::kPicturePath), 1);
    EXPECT_EQ(f.site.hits("/ad/a.jpg"), 0);
    EXPECT_EQ(f.site.requests().last().headers.value("user-agent"), "Mozilla/3.0 (compatible; Indy Library)");

    form.show();
    control<QLabel>(form, "lbl6")->show();
    click(control<ClickLabel>(form, "imgLogo"));
    EXPECT_TRUE(control<QLabel>(form, "lbl6")->isHidden());
    EXPECT_EQ(f.platform.opened, QStringList{f.site.root() + QStringLiteral("/ad/customs.html")});
}

// A failing feed leaves its table as it was: the delete and the inserts commit together.
TEST(Feed, AFailingFeedLeavesItsTableAsItWas) {
    const QStringList freshNews{"101|海关总署公告：2024年进出口商品归类调整", "102|申报要素填报常见问题解答",
                                "103|O'Neil报关行：协定税率使用指南"};
    const QStringList freshAds = kOldAds.mid(0, 2) + QStringList{"{root}/ad/banner.jpg|{root}/ad/customs.html|1"};
    enum Feed { News, Ads };
    struct Case {
        const char *what;
        Feed feed;
        Fault fault;
        QList<QStringList> items; // used when fault is None
        QString message;
        int newsHits, adsHits;
        QStringList news, ads;
    } cases[] = {
        {"news 404", News, Fault::NotFound, {}, "HTTP/1.1 404 Not Found", 2, 0, kOldNews, kOldAds},
        {"news malformed", News, Fault::MalformedXml, {}, "", 2, 0, kOldNews, kOldAds},
        // followed, to the home page, which is no feed: a parse error
        {"news redirect", News, Fault::Redirect, {}, "", 2, 0, kOldNews, kOldAds},
        {"news item of one field",
         News,
         Fault::None,
         {{"5", "ok"}, {"6"}, {"7", "never"}},
         "List index out of bounds (1)",
         1,
         0,
         kOldNews,
         kOldAds},
        {"news item without fields", News, Fault::None, {{}}, "List index out of bounds (0)", 1, 0, kOldNews, kOldAds},
        {"ads 404", Ads, Fault::NotFound, {}, "HTTP/1.1 404 Not Found", 1, 1, freshNews, kOldAds},
        {"ads malformed", Ads, Fault::MalformedXml, {}, "", 1, 1, freshNews, kOldAds},
        {"ad item of one field",
         Ads,
         Fault::None,
         {{"{root}/ad/banner.jpg", "{root}/x.html"}, {"{root}/y.jpg"}},
         "List index out of bounds (1)",
         1,
         1,
         freshNews,
         kOldAds},
    };
    for (const Case &c : cases) {
        Fixture f;
        const QByteArray path = c.feed == News ? VendorSite::kNewsPath : VendorSite::kAdsPath;
        f.site.setFault(path, c.fault);
        if (c.fault == Fault::None) (c.feed == News ? f.site.setNews(c.items) : f.site.setAds(c.items));
        MainWindow form;
        const QStringList boxes = f.boxes();
        ASSERT_EQ(boxes.size(), 1) << c.what << ": " << boxes.join(u'\n').toStdString();
        if (!QString(c.message).isEmpty()) EXPECT_EQ(boxes[0], c.message) << c.what;
        else EXPECT_FALSE(boxes[0].isEmpty()) << c.what;
        EXPECT_EQ(f.site.hits(VendorSite::kNewsPath), c.newsHits) << c.what;
        EXPECT_EQ(f.site.hits(VendorSite::kAdsPath), c.adsHits) << c.what;
        EXPECT_EQ(f.rows(QStringLiteral("news")), c.news) << c.what;
        EXPECT_EQ(f.rows(QStringLiteral("news_ad")), c.ads) << c.what;
        // The refresh's own box does not stop start-up: the picture of the stored last row is
        // shown and the rest of the sequence runs.
        EXPECT_FALSE(control<ClickLabel>(form, "imgLogo")->pixmap().isNull()) << c.what;
        EXPECT_EQ(control<QLabel>(form, "lbl8")->text(), QStringLiteral("数据更新时间:2024-05-20")) << c.what;
        EXPECT_FALSE(control<ClickLabel>(form, "lbl9")->text().isEmpty()) << c.what;
    }
}

// A feed that moved is loaded from its new address; the picture's redirect is never followed
// (see PictureFailuresStopStartUp).
TEST(Feed, FeedsThatMovedAreFollowed) {
    Fixture f;
    f.site.setFault(VendorSite::kNewsPath, Fault::Moved);
    f.site.setFault(VendorSite::kAdsPath, Fault::Moved);
    MainWindow form;
    EXPECT_EQ(f.boxes(), QStringList());
    EXPECT_EQ(f.site.hits(VendorSite::kNewsPath), 1);
    EXPECT_EQ(f.site.hits(QByteArray(VendorSite::kMovedPrefix) + VendorSite::kNewsPath), 1);
    EXPECT_EQ(f.rows(QStringLiteral("news")).size(), 3);
    EXPECT_EQ(f.rows(QStringLiteral("news_ad")).size(), 3);
    EXPECT_FALSE(control<ClickLabel>(form, "imgLogo")->pixmap().isNull());
}

TEST(Feed, AnEmptyNewsFeedEmptiesTheNewsAndTheAdvertisementsAreStillRead) {
    Fixture f;
    f.site.setNews({});
    MainWindow form;
    EXPECT_EQ(f.rows(QStringLiteral("news")), QStringList());
    EXPECT_EQ(f.site.hits(VendorSite::kAdsPath), 1);
    EXPECT_EQ(f.rows(QStringLiteral("news_ad")).size(), 3);
    // With no news the ticker stays idle and start-up goes on.
    EXPECT_EQ(f.boxes(), QStringList());
    form.ticker()->advance();
}

// Picture failures reach start-up's handler: the rest of start-up does not run.
TEST(Feed, PictureFailuresStopStartUp) {
    struct Case {
        Fault fault;
        QString message;
    } cases[] = {
        {Fault::NotFound, "HTTP/1.1 404 Not Found"},
        {Fault::Redirect, "HTTP/1.1 302 Found"},
        {Fault::NotJpeg, "图片不是可读取的 JPEG 图像：Not a JPEG file: starts with 0x3c 0x21"},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.site.setFault(VendorSite::kPicturePath, c.fault);
        MainWindow form;
        EXPECT_EQ(f.boxes(), QStringList{c.message});
        EXPECT_TRUE(control<ClickLabel>(form, "imgLogo")->pixmap().isNull());
        EXPECT_TRUE(form.banner()->address().isEmpty());
        EXPECT_TRUE(control<QLabel>(form, "lbl8")->text().isEmpty());
        EXPECT_EQ(f.rows(QStringLiteral("news")).size(), 3) << "the refresh itself stays done";
    }
}

TEST(Feed, AnEmptyPictureShowsNothingAndKeepsTheLink) {
    Fixture f;
    f.site.setFault(VendorSite::kPicturePath, Fault::Empty);
    MainWindow form;
    EXPECT_TRUE(f.boxes().isEmpty());
    EXPECT_TRUE(control<ClickLabel>(form, "imgLogo")->pixmap().isNull());
    EXPECT_EQ(form.banner()->address(), f.site.root() + QStringLiteral("/ad/customs.html"));
    EXPECT_FALSE(control<QLabel>(form, "lbl8")->text().isEmpty());
}

TEST(Feed, TheStoredLastAdvertisementRowDecides) {
    // No advertisement in the feed: the kept rows remain and the last of them is used.
    struct Case {
        const char *what;
        QString keptRows;
        QString message;
        QString link; // when no message
    } cases[] = {
        {"null link", "('{root}/ad/banner.jpg',null,'0')",
         "Could not convert variant of type (Null) into type (String)", ""},
        {"null picture", "(null,'{root}/a.html','0')", "Could not convert variant of type (Null) into type (String)",
         ""},
        {"earlier null row", "(null,null,'0'),('{root}/ad/banner.jpg','{root}/b.html','0')", "", "{root}/b.html"},
        {"no rows: the local banner", "", "", "{root}/ad/customs.html"},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.db.exec(QStringLiteral("delete from news_ad"));
        if (!QString(c.keptRows).isEmpty())
            f.db.exec(QStringLiteral("insert into news_ad values ") +
                      QString(c.keptRows).replace("{root}", f.site.root()));
        f.site.setAds({});
        MainWindow form;
        if (QString(c.message).isEmpty()) {
            EXPECT_TRUE(f.boxes().isEmpty()) << c.what << ": " << f.boxes().join(u'\n').toStdString();
            EXPECT_EQ(form.banner()->address(), QString(c.link).replace("{root}", f.site.root())) << c.what;
            EXPECT_EQ(control<ClickLabel>(form, "imgLogo")->pixmap().size(), QSize(385, 65)) << c.what;
        } else {
            EXPECT_EQ(f.boxes(), QStringList{c.message}) << c.what;
            EXPECT_EQ(f.site.hits(VendorSite::kPicturePath), 0) << c.what;
        }
    }
}

// A site that accepts connections and never answers holds up start-up for a bounded time only.
TEST(Feed, ASilentSiteDelaysStartUpBySecondsOnly) {
    Fixture f;
    for (const char *path : {VendorSite::kNewsPath, VendorSite::kAdsPath, VendorSite::kPicturePath})
        f.site.setFault(path, Fault::Hang);
    QElapsedTimer clock;
    clock.start();
    MainWindow form;
    const qint64 elapsed = clock.elapsed();
    std::cout << "start-up against a silent site took " << elapsed << " ms\n";
    EXPECT_LT(elapsed, 15000);
    EXPECT_EQ(f.site.hits(VendorSite::kNewsPath), 2);
    EXPECT_EQ(f.site.hits(VendorSite::kAdsPath), 0);
    EXPECT_EQ(f.rows(QStringLiteral("news")), kOldNews);
    EXPECT_EQ(f.rows(QStringLiteral("news_ad")), kOldAds);
    const QStringList boxes = f.boxes();
    ASSERT_EQ(boxes.size(), 2) << boxes.join(u'\n').toStdString();
    EXPECT_EQ(boxes[0], QStringLiteral("{root}/download/secretSecurityDownload-0529.html 在 3 秒内没有应答。"));
    EXPECT_EQ(boxes[1], QStringLiteral("{root}/ad/banner.jpg 在 3 秒内没有应答。"));
}
