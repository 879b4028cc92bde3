// The published rates in the main window: duties per unit shown as published in the rate cells,
// and the window of every rate by origin, opened from the detail view and driven as a user does.
#include "app/DetailPanel.h"
#include "app/MainWindow.h"
#include "app/RatesByOrigin.h"
#include "chrome/ClickLabel.h"
#include "data/CodeCodec.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace LookupFixture;

namespace {

const QString kBeef = QStringLiteral("0201300090");
const QString kWings = QStringLiteral("0207142101");

void addRate(TestDatabase &db, const QString &code, const char *kind, const char *partner, const char *text,
             const char *percent) {
    db.exec(QStringLiteral("insert into tariff_rate values ('%1','%2',%3,'%4',%5)")
                .arg(ScrambleCode(code), QLatin1String(kind),
                     *partner ? u'\'' + QString::fromUtf8(partner) + u'\'' : QStringLiteral("null"),
                     QString::fromUtf8(text), QLatin1String(percent)));
}

// Beef with several agreements, and chicken wings with duties per kilogram, whose numeric rate
// columns are Null as the builder leaves them.
void fill(TestDatabase &db) {
    writeStartupRows(db);
    addTariff(db, 1, kBeef, QStringLiteral("去骨牛肉"), QStringLiteral("AB"));
    addTariff(db, 2, kWings, QStringLiteral("冻鸡翅"), QStringLiteral("AB"));
    db.exec(QStringLiteral("update official_hs set low_rate=null, high_rate=null where id=2"));
    addRate(db, kBeef, "mfn", "", "12%", "12");
    addRate(db, kBeef, "general", "", "70%", "70");
    addRate(db, kBeef, "agreement", "亚太", "10.5", "10.5");
    addRate(db, kBeef, "agreement", "韩国", "2.4", "2.4");
    addRate(db, kBeef, "agreement", "澳大利亚", "0", "0");
    addRate(db, kBeef, "agreement", "东盟", "0", "0");
    addRate(db, kWings, "mfn", "", "0.8元/千克", "null");
    addRate(db, kWings, "general", "", "8.1元/千克", "null");
    addRate(db, kWings, "agreement", "澳大利亚", "0元/千 克", "null");
    for (const char *country : {"美国", "韩国", "澳大利亚", "越南"})
        db.exec(QStringLiteral("insert into partner_country values ('1','%1')").arg(QString::fromUtf8(country)));
}

struct Window {
    QTemporaryDir settingsDir;
    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;

    explicit Window(const std::function<void(TestDatabase &)> &extra = {}) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        fill(db);
        if (extra) extra(db);
        open();
    }
    void open() {
        form = std::make_unique<MainWindow>();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void search(const QString &code) {
        control<QLineEdit>(*form, "edtCode")->setText(code);
        QTest::keyClick(control<QLineEdit>(*form, "edtCode"), Qt::Key_Return);
    }
    // Opens the detail view of a code from the tariff grid, then the rates by origin.
    RatesByOrigin *openRates(const QString &code) {
        search(code);
        clickCell(control<DataGrid>(*form, "dbgrd1"), rowOf(control<DataGrid>(*form, "dbgrd1"), "hs_code", code),
                  "hs_code");
        EXPECT_TRUE(control<ClickLabel>(*form, "lblRatesByOrigin")->isVisible());
        QTest::mouseClick(control<ClickLabel>(*form, "lblRatesByOrigin"), Qt::LeftButton);
        EXPECT_TRUE(form->detail()->ratesByOrigin() && form->detail()->ratesByOrigin()->isVisible());
        return form->detail()->ratesByOrigin();
    }
};

void pickOrigin(RatesByOrigin *view, const QString &country) {
    control<QComboBox>(*view, "origin")->lineEdit()->selectAll();
    // Typed as an input method would deliver it: one key event carrying the text.
    QTest::sendKeyEvent(QTest::Click, control<QComboBox>(*view, "origin")->lineEdit(), Qt::Key_unknown, country,
                        Qt::NoModifier);
    QTest::keyClick(control<QComboBox>(*view, "origin")->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(control<QComboBox>(*view, "origin")->currentText(), country);
}

QStringList tableRows(const QTableWidget *t) {
    QStringList out;
    for (int r = 0; r < t->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < t->columnCount(); ++c) cells << t->item(r, c)->text();
        out << cells.join(u'|');
    }
    return out;
}

} // namespace

TEST(PublishedRatesInGrids, DutyPerUnitShowsAsPublishedWhereTheNumberIsNull) {
    Window w;
    w.search(QStringLiteral("020"));
    EXPECT_EQ(column(control<DataGrid>(*w.form, "dbgrd1"), "low_rate"), (QStringList{"10", "0.8元/千克"}));
    clickCell(control<DataGrid>(*w.form, "dbgrd1"), rowOf(control<DataGrid>(*w.form, "dbgrd1"), "hs_code", kWings),
              "hs_code");
    ASSERT_EQ(column(control<DataGrid>(*w.form, "dbgrd4"), "low_rate"), QStringList{"0.8元/千克"});
    EXPECT_EQ(column(control<DataGrid>(*w.form, "dbgrd4"), "high_rate"), QStringList{"8.1元/千克"});
    EXPECT_TRUE(w.platform.boxes.isEmpty());
}

TEST(PublishedRatesInGrids, DatabaseWithoutPublishedRatesShowsEmptyCellsQuietly) {
    Window w([](TestDatabase &db) { db.exec(QStringLiteral("drop table tariff_rate")); });
    w.search(QStringLiteral("020"));
    EXPECT_EQ(column(control<DataGrid>(*w.form, "dbgrd1"), "low_rate"), (QStringList{"10", ""}));
    EXPECT_TRUE(w.platform.boxes.isEmpty());
}

TEST(RatesByOrigin, EveryRateListedAndTheLowestForTheOriginMarked) {
    Window w;
    RatesByOrigin *view = w.openRates(kBeef);
    EXPECT_TRUE(control<QLabel>(*view, "title")->text().contains(kBeef + "  去骨牛肉"));
    // Nothing remembered yet: no origin, every rate listed, none marked.
    EXPECT_EQ(control<QComboBox>(*view, "origin")->currentIndex(), -1);
    EXPECT_EQ(control<QLabel>(*view, "summary")->text(), "请选择原产国（地区）；无协定时适用最惠国税率 12%。");
    EXPECT_EQ(control<QComboBox>(*view, "origin")->count(), 4);
    EXPECT_EQ(
        tableRows(control<QTableWidget>(*view, "rates")),
        (QStringList{
            "最惠国税率|12%|从价||所有国家或地区", "普通税率|70%|从价||无最惠国待遇的国家或地区",
            "协定税率（亚太）|10.5%|从价||孟加拉国、印度、老挝、韩国、斯里兰卡、蒙古",
            "协定税率（韩国）|2.4%|从价||韩国", "协定税率（澳大利亚）|0%|从价||澳大利亚",
            "协定税率（东盟）|0%|从价||文莱、柬埔寨、印度尼西亚、老挝、马来西亚、缅甸、菲律宾、新加坡、泰国、越南"}));

    struct Case {
        const char *origin;
        int marked; // table row
        const char *says;
    } cases[] = {
        {"韩国", 3, "原产于韩国：最低为协定税率（韩国） 2.4%（需符合原产地规则）；否则适用最惠国税率 12%。"},
        {"越南", 5, "原产于越南：最低为协定税率（东盟） 0%（需符合原产地规则）；否则适用最惠国税率 12%。"},
        {"美国", 0, "原产于美国：无适用的协定税率，适用最惠国税率 12%。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.origin);
        pickOrigin(view, QString::fromUtf8(c.origin));
        for (int r = 0; r < control<QTableWidget>(*view, "rates")->rowCount(); ++r)
            EXPECT_EQ(control<QTableWidget>(*view, "rates")->item(r, 3)->text(), r == c.marked ? "★" : "") << r;
        EXPECT_EQ(control<QLabel>(*view, "summary")->text(), QString::fromUtf8(c.says));
    }

    // The origin is remembered for the user: a new window starts with it.
    pickOrigin(view, "韩国");
    w.open();
    view = w.openRates(kBeef);
    EXPECT_EQ(control<QComboBox>(*view, "origin")->currentText(), "韩国");
    EXPECT_EQ(control<QTableWidget>(*view, "rates")->item(3, 3)->text(), "★");
}

TEST(RatesByOrigin, DutiesPerUnitShownAsSuch) {
    Window w;
    RatesByOrigin *view = w.openRates(kWings);
    pickOrigin(view, "澳大利亚");
    EXPECT_EQ(tableRows(control<QTableWidget>(*view, "rates")),
              (QStringList{"最惠国税率|0.8元/千克|从量（元/千克）||所有国家或地区",
                           "普通税率|8.1元/千克|从量（元/千克）||无最惠国待遇的国家或地区",
                           "协定税率（澳大利亚）|0元/千 克|从量（元/千克）|★|澳大利亚"}));
    EXPECT_TRUE(control<QLabel>(*view, "summary")->text().contains("否则适用最惠国税率 0.8元/千克"));
}

TEST(RatesByOrigin, DatabaseWithoutRateDataSaysSo) {
    Window w([](TestDatabase &db) { db.exec(QStringList{"drop table tariff_rate", "drop table partner_country"}); });
    RatesByOrigin *view = w.openRates(kBeef);
    EXPECT_FALSE(control<QTableWidget>(*view, "rates")->isVisible());
    EXPECT_EQ(control<QLabel>(*view, "summary")->text(), "此数据库未保存按原产地的税率数据。");
    // The origins offered are then the countries of the known agreements.
    EXPECT_GE(control<QComboBox>(*view, "origin")->findText("中国台湾"), 0);
    EXPECT_TRUE(w.platform.boxes.isEmpty());
}
