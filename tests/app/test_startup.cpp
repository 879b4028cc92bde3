#include "app/AdvertBanner.h"
#include "app/MainWindow.h"
#include "app/NewsTicker.h"
#include "app/ResultTabs.h"
#include "chrome/ClickLabel.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/TestDatabase.h"
#include <QFrame>
#include <QSqlRecord>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A fixture database with n rows in each result table, one update date and the given news.
void fill(TestDatabase &db, int rows, const QStringList &newsTitles, bool withDate = true) {
    for (int i = 0; i < rows; ++i) {
        const QString code = ScrambleCode(QStringLiteral("01%1").arg(i, 8, 10, QLatin1Char('0')));
        db.exec(QStringLiteral("insert into official_hs (id,hs_code,name,spec,low_rate,lice,reg_rate) "
                               "values (%1,'%2','商品%1','规格',10,'AB',13)")
                    .arg(i)
                    .arg(code));
        db.exec(QStringLiteral("insert into hs_classify values (%1,'%2','归类%1','说明')").arg(i).arg(code));
        db.exec(QStringLiteral("insert into case_hs values (%1,'案例%1','%2','要素',%3,'2024-01-01',0,'')")
                    .arg(i)
                    .arg(code, withDate ? QStringLiteral("'2024-05-%1'").arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                                        : QStringLiteral("null")));
    }
    for (int i = 0; i < newsTitles.size(); ++i)
        db.exec(QStringLiteral("insert into news values ('%1','%2')").arg(100 + i).arg(newsTitles[i]));
}

void writeBanner(const TestDatabase &db) {
    QDir(db.dir()).mkpath(QStringLiteral("images"));
    QImage banner(385, 65, QImage::Format_RGB888);
    banner.fill(Qt::darkCyan);
    ASSERT_TRUE(banner.save(db.dir() + QStringLiteral("images/banner.bmp"), "BMP"));
}

// An offline start against a fixture with the given rows and news, the vendor root set so
// opened addresses can be checked.
struct OfflineStart {
    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;
    OfflineStart(int rows, const QStringList &news) {
        platform.root = QStringLiteral("http://vendor.test");
        fill(db, rows, news);
        writeBanner(db);
        form = std::make_unique<MainWindow>();
    }
};

QStringList boxTexts(const RecordingPlatform &p) {
    QStringList out;
    for (const auto &b : p.boxes) out << b.caption + u'|' + b.text;
    return out;
}

} // namespace

TEST(Startup, LoadsDateNewsAndTheFirstTwentyRowsOfEachTable) {
    struct Case {
        int rows;
        int shown;
    } cases[] = {{0, 0}, {3, 3}, {20, 20}, {25, 20}};
    for (const Case &c : cases) {
        RecordingPlatform platform;
        TestDatabase db;
        fill(db, c.rows, {QStringLiteral("第一条"), QStringLiteral("第二条")});
        if (c.rows == 0)
            db.exec(QStringLiteral("insert into case_hs values (1,'x','%1','y','2023-01-01','',0,'')")
                        .arg(ScrambleCode(QStringLiteral("9999"))));
        writeBanner(db);
        MainWindow form;
        EXPECT_TRUE(platform.boxes.isEmpty()) << boxTexts(platform).join(u'\n').toStdString();
        EXPECT_EQ(control<DataGrid>(form, "dbgrd1")->model()->rowCount(), c.shown) << c.rows;
        EXPECT_EQ(control<DataGrid>(form, "dbgrd2")->model()->rowCount(), c.shown) << c.rows;
        EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->model()->rowCount(), c.rows == 0 ? 1 : c.shown) << c.rows;
        EXPECT_EQ(control<QLabel>(form, "lbl8")->text(),
                  c.rows == 0
                      ? QStringLiteral("数据更新时间:2023-01-01")
                      : QStringLiteral("数据更新时间:2024-05-%1").arg(std::min(c.rows, 28), 2, 10, QLatin1Char('0')));
        EXPECT_EQ(control<ClickLabel>(form, "lbl9")->text(), QStringLiteral("第一条"));
        EXPECT_EQ(form.ticker()->shownId(), QStringLiteral("100"));
    }
}

TEST(Startup, RulingAndCaseGridsListTheirFirstRowsInScrambledCodeOrder) {
    RecordingPlatform platform;
    TestDatabase db;
    fill(db, 25, {QStringLiteral("n")});
    writeBanner(db);
    MainWindow form;
    QStringList expected;
    for (int i = 0; i < 25; ++i) expected << ScrambleCode(QStringLiteral("01%1").arg(i, 8, 10, QLatin1Char('0')));
    std::sort(expected.begin(), expected.end());
    expected = expected.mid(0, 20);
    QStringList shown;
    for (int r = 0; r < form.results()->query(SearchTables::CaseHs).model()->rowCount(); ++r)
        shown
            << form.results()->query(SearchTables::CaseHs).model()->record(r).value(QStringLiteral("code")).toString();
    EXPECT_EQ(shown, expected);
}

TEST(Startup, GridLooksSetAtCreation) {
    RecordingPlatform platform;
    TestDatabase db;
    fill(db, 5, {QStringLiteral("n")});
    writeBanner(db);
    MainWindow form;
    EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->columnWidth(0), 70);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->columnWidth(1), 180);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->columnWidth(2), 300);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd1")->rowHeight(), 26);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd2")->rowHeight(), 28);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->rowHeight(), 28);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd4")->rowHeight(), 16);
    for (DataGrid *g :
         {control<DataGrid>(form, "dbgrd1"), control<DataGrid>(form, "dbgrd2"), control<DataGrid>(form, "dbgrd3"),
          control<DataGrid>(form, "dbgrd4"), control<DataGrid>(form, "dbgrd5"), control<DataGrid>(form, "dbgrd6")})
        EXPECT_EQ(g->gridModel()->evenRowColor(), QColor(247, 248, 251));
    EXPECT_FALSE(control<DataGrid>(form, "dbgrd1")->isHidden());
    EXPECT_TRUE(control<DataGrid>(form, "dbgrd2")->isHidden());
    EXPECT_TRUE(control<DataGrid>(form, "dbgrd3")->isHidden());
    EXPECT_TRUE(control<QFrame>(form, "pnl2")->isHidden());
    EXPECT_TRUE(control<QFrame>(form, "pnl3")->isHidden());
    EXPECT_TRUE(control<PictureButton>(form, "imgreturn1")->isHidden());
    EXPECT_EQ(control<QWidget>(form, "client")->size(), QSize(838, 560));
}

TEST(Startup, FailuresStopTheSequenceAtTheirStep) {
    enum Setup { MissingFile, NullNewsTitle, MissingBanner };
    struct Case {
        Setup setup;
        QString message;
        bool dateSet;
        bool newsSet;
    } cases[] = {
        {NullNewsTitle, QStringLiteral("Could not convert variant of type (Null) into type (String)"), true, false},
        {MissingBanner, QString(), false, false},
        {MissingFile, QString(), false, false},
    };
    for (const Case &c : cases) {
        RecordingPlatform platform;
        TestDatabase db(c.setup != MissingFile);
        if (c.setup == NullNewsTitle) {
            fill(db, 3, {});
            db.exec(QStringLiteral("insert into news values ('1', null)"));
        }
        if (c.setup != MissingBanner) writeBanner(db);
        MainWindow form;
        ASSERT_EQ(platform.boxes.size(), 1) << int(c.setup);
        EXPECT_EQ(platform.boxes[0].caption, Platform::applicationTitle());
        EXPECT_EQ(platform.boxes[0].icon, Platform::Icon::Stop);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(platform.boxes[0].text, c.message) << int(c.setup);
        }
        if (c.setup == MissingBanner) {
            EXPECT_EQ(
                platform.boxes[0].text,
                QStringLiteral("Cannot open file \"%1images/banner.bmp\". No such file or directory").arg(db.dir()));
        }
        if (c.setup == MissingFile) {
            EXPECT_TRUE(platform.boxes[0].text.contains(QStringLiteral("quorvel.mdb")));
            EXPECT_FALSE(QFile::exists(db.file())) << "the database file must never be created";
        }
        EXPECT_EQ(control<QLabel>(form, "lbl8")->text().isEmpty(), !c.dateSet) << int(c.setup);
        EXPECT_EQ(control<ClickLabel>(form, "lbl9")->text().isEmpty(), !c.newsSet) << int(c.setup);
        EXPECT_EQ(control<DataGrid>(form, "dbgrd1")->model()->rowCount(), 0);
        EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->model()->rowCount(), 0);
        // The ticker never fails, with or without news lists.
        form.ticker()->advance();
    }
}

// Reference data alone is enough: without cases, without update dates or without news the
// window starts completely, with an empty update-date label or an idle ticker.
TEST(Startup, StartsCompletelyWithoutCasesDatesOrNews) {
    enum Setup { NoCases, NoDates, NoNews };
    for (Setup setup : {NoCases, NoDates, NoNews}) {
        RecordingPlatform platform;
        TestDatabase db;
        fill(db, 3, setup == NoNews ? QStringList() : QStringList{QStringLiteral("n")}, setup != NoDates);
        if (setup == NoCases) db.exec(QStringLiteral("delete from case_hs"));
        writeBanner(db);
        MainWindow form;
        EXPECT_EQ(boxTexts(platform), QStringList()) << int(setup);
        EXPECT_EQ(control<DataGrid>(form, "dbgrd1")->model()->rowCount(), 3) << int(setup);
        EXPECT_EQ(control<DataGrid>(form, "dbgrd2")->model()->rowCount(), 3) << int(setup);
        EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->model()->rowCount(), setup == NoCases ? 0 : 3) << int(setup);
        EXPECT_EQ(control<QLabel>(form, "lbl8")->text().isEmpty(), setup != NoNews) << int(setup);
        EXPECT_EQ(control<ClickLabel>(form, "lbl9")->text().isEmpty(), setup == NoNews) << int(setup);
        EXPECT_EQ(control<ClickLabel>(form, "imgLogo")->pixmap().size(), QSize(385, 65)) << int(setup);
        form.ticker()->advance(); // idle without titles
        EXPECT_EQ(control<ClickLabel>(form, "lbl9")->text().isEmpty(), setup == NoNews) << int(setup);
    }
}

TEST(Startup, OfflineShowsTheBannerAndTheFallbackLink) {
    OfflineStart start(2, {QStringLiteral("n")});
    RecordingPlatform &platform = start.platform;
    MainWindow &form = *start.form;
    EXPECT_EQ(platform.reachabilityTests, QStringList{QStringLiteral("http://vendor.test")});
    EXPECT_EQ(control<ClickLabel>(form, "imgLogo")->pixmap().size(), QSize(385, 65));
    EXPECT_EQ(form.banner()->address(), QStringLiteral("http://vendor.test/ad/customs.html"));
    EXPECT_EQ(control<ClickLabel>(form, "lbl13")->text(), QStringLiteral("Zendrik网  vendor.test"));
    click(control<ClickLabel>(form, "imgLogo"));
    click(control<ClickLabel>(form, "lbl13"));
    EXPECT_EQ(platform.opened, (QStringList{QStringLiteral("http://vendor.test/ad/customs.html"),
                                            QStringLiteral("http://vendor.test")}));
}

TEST(Startup, TickerShowsTheFirstTitleForTwoPeriodsThenEachInTurn) {
    OfflineStart start(1, {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    RecordingPlatform &platform = start.platform;
    MainWindow &form = *start.form;
    QStringList seen{control<ClickLabel>(form, "lbl9")->text()};
    for (int i = 0; i < 5; ++i) {
        form.ticker()->advance();
        seen << control<ClickLabel>(form, "lbl9")->text();
        click(control<ClickLabel>(form, "lbl9"));
    }
    EXPECT_EQ(seen, (QStringList{"甲", "甲", "乙", "丙", "甲", "乙"}));
    EXPECT_EQ(platform.opened.first(), QStringLiteral("http://vendor.test//news/viewNews-100.html"));
    EXPECT_EQ(platform.opened.last(), QStringLiteral("http://vendor.test//news/viewNews-101.html"));
}

TEST(Startup, ToolBarButtonsOpenWindowsAndEndTheProgram) {
    OfflineStart start(2, {QStringLiteral("n")});
    RecordingPlatform &platform = start.platform;
    MainWindow &form = *start.form;
    form.show();
    auto click = [](QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(40, 40)); };
    auto visible = [](const char *className) {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->inherits(className) && w->isVisible()) ++n;
        return n;
    };
    click(control<PictureButton>(form, "imgabout"));
    click(control<PictureButton>(form, "imgabout"));
    EXPECT_EQ(visible("AboutWindow"), 2);
    click(control<PictureButton>(form, "imgupdate"));
    click(control<PictureButton>(form, "imgupdate"));
    EXPECT_EQ(visible("ImportWindow"), 2);
    EXPECT_EQ(platform.opened, (QStringList{"http://vendor.test/download/toDownloadSoftware-2.html",
                                            "http://vendor.test/download/toDownloadSoftware-2.html"}));
    // The exit button ends the message loop; the ticker keeps its news (no close request).
    QTimer::singleShot(0, &form, [&] { click(control<PictureButton>(form, "imgreturn")); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(form.ticker()->titles().isEmpty());
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != &form && (w->inherits("AboutWindow") || w->inherits("ImportWindow"))) delete w;
}
