#include "app/DetailPanel.h"
#include "app/MainWindow.h"
#include "app/ResultTabs.h"
#include "app/SpecialRatesPanel.h"
#include "app/SpecialRatesView.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace LookupFixture;

namespace {

// Tariff codes with their supervision conditions, rulings and cases pointing at some of them,
// five trade modes and the licence documents.
void fill(TestDatabase &db) {
    writeStartupRows(db);
    addTariff(db, 1, QStringLiteral("01012100"), QStringLiteral("马"), QStringLiteral("AB"));
    addTariff(db, 2, QStringLiteral("0102290010"), QStringLiteral("牛"), QVariant());
    addTariff(db, 3, QStringLiteral("03011100"), QStringLiteral("鱼"), QStringLiteral(""));
    addTariff(db, 4, QStringLiteral("04012000"), QStringLiteral("奶"), QStringLiteral("AA"));
    addTariff(db, 5, QStringLiteral("05010000"), QStringLiteral("发"), QStringLiteral("A'"));
    addTariff(db, 6, QStringLiteral("12345678.10"), QStringLiteral("带点"), QStringLiteral("B"));
    addTariff(db, 7, QStringLiteral("87654321"), QStringLiteral("八位"), QStringLiteral("C"));
    db.exec(QStringLiteral("insert into hs_classify values (1,'%1','归类马','说明')")
                .arg(ScrambleCode(QStringLiteral("01012100"))));
    db.exec(QStringLiteral("insert into hs_classify values (2,'%1','无税则','说明')")
                .arg(ScrambleCode(QStringLiteral("99999999"))));
    db.exec(QStringLiteral("insert into case_hs values (1,'案例点','%1','要素','2024-01-01','2024-01-01',0,'')")
                .arg(ScrambleCode(QStringLiteral("1234567810"))));
    db.exec(QStringLiteral("insert into case_hs values (2,'案例八','%1','要素','2024-01-01','2024-01-01',0,'')")
                .arg(ScrambleCode(QStringLiteral("8765432100"))));
    db.exec(QStringList{
        QStringLiteral("insert into hs_trade values ('一般贸易','AB')"),
        QStringLiteral("insert into hs_trade values ('来料加工','B')"),
        QStringLiteral("insert into hs_trade values ('进料加工','CD')"),
        QStringLiteral("insert into hs_trade values ('保税',null)"),
        QStringLiteral("insert into hs_trade values ('引号','''')"),
        QStringLiteral("insert into hs_licensed values ('A','许可证甲')"),
        QStringLiteral("insert into hs_licensed values ('B','许可证乙')"),
        QStringLiteral("insert into hs_licensed values ('AC','两证')"),
        QStringLiteral("insert into hs_licensed values ('C','证丙')"),
        QStringLiteral("insert into hs_licensed values ('a','小写')"),
        QStringLiteral("insert into hs_licensed values ('''','引号证')"),
    });
}

QStringList boxTexts(const RecordingPlatform &p) {
    QStringList out;
    for (const auto &b : p.boxes) out << b.caption + u'|' + b.text;
    return out;
}

// The main window, shown so that clicks land on real cells.
struct Window {
    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;

    explicit Window(const std::function<void(TestDatabase &)> &extra = {}) {
        fill(db);
        if (extra) extra(db);
        form = std::make_unique<MainWindow>();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_TRUE(platform.boxes.isEmpty()) << boxTexts(platform).join(u'\n').toStdString();
    }
    // Clicks the cell of a field in the row whose code cell shows a code.
    void click(DataGrid *grid, const QString &codeField, const QString &code, const QString &field) {
        const int row = rowOf(grid, codeField, code);
        ASSERT_GE(row, 0) << code.toStdString();
        clickCell(grid, row, field);
    }
};

enum class View { Results, Detail, SpecialRates };

// Panels and buttons of each state; the tariff grid stays behind the detail and special-rate
// panels, the other result grids do not.
void expectState(const MainWindow &f, View view, bool resultsBehind, const char *where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(control<QFrame>(f, "pnl1")->isVisible(), view == View::Results || resultsBehind);
    EXPECT_EQ(control<QFrame>(f, "pnl2")->isVisible(), view == View::Detail);
    EXPECT_EQ(control<QFrame>(f, "pnl3")->isVisible(), view == View::SpecialRates);
    for (PictureButton *b : {control<PictureButton>(f, "imgtab1"), control<PictureButton>(f, "imgtab2"),
                             control<PictureButton>(f, "imgtab3"), control<PictureButton>(f, "imgreturn")})
        EXPECT_EQ(b->isVisible(), view == View::Results);
    EXPECT_EQ(control<PictureButton>(f, "imgreturn1")->isVisible(), view != View::Results);
    EXPECT_EQ(control<PictureButton>(f, "imgreturn1")->geometry(), control<PictureButton>(f, "imgreturn")->geometry());
}

// Clicks the search tab of a result grid.
void showResultGrid(MainWindow &f, DataGrid *grid) {
    PictureButton *tab = grid == control<DataGrid>(f, "dbgrd1")   ? control<PictureButton>(f, "imgtab1")
                         : grid == control<DataGrid>(f, "dbgrd2") ? control<PictureButton>(f, "imgtab2")
                                                                  : control<PictureButton>(f, "imgtab3");
    QTest::mouseClick(tab, Qt::LeftButton);
    ASSERT_TRUE(grid->isVisible());
}

const QString kHorse = QStringLiteral("01012100|马|10|30|13|%1|17|千克|头|AB");
QString horseRow() { return kHorse.arg(QLocale().toString(QDate(2020, 3, 1), QLocale::ShortFormat)); }

} // namespace

TEST(Detail, CodeClickInEachResultGridOpensTheDetailViewAndBackReturnsToThatGrid) {
    struct Case {
        const char *grid;
        QString code; // as the grid shows it
        QString origin;
        QString tariffCode; // as the tariff row grid shows it; empty when not in official_hs
        QStringList trade; // the condition cells of the five trade modes
        QStringList licences;
    } cases[] = {
        {"dbgrd1", "01012100", "hs_code", "01012100", {"AB", "B", "", "", ""}, {"A", "B", "AC"}},
        {"dbgrd2", "01012100", "code_t", "01012100", {"AB", "B", "", "", ""}, {"A", "B", "AC"}},
        {"dbgrd2", "99999999", "code_t", "", {"", "", "", "", ""}, {}},
        // A case code with a dot is looked up with the dot; one shown as 8 digits by those 8.
        {"dbgrd3", "12345678.10", "code", "12345678.10", {"B", "B", "", "", ""}, {"B"}},
        {"dbgrd3", "87654321", "code", "87654321", {"", "", "C", "", ""}, {"AC", "C"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.grid) + " " + c.code.toStdString());
        Window w;
        MainWindow &f = *w.form;
        DataGrid *grid = f.findChild<DataGrid *>(QLatin1String(c.grid));
        showResultGrid(f, grid);
        control<QLabel>(f, "lbl6")->show();
        w.click(grid, c.origin, c.code, c.origin);

        EXPECT_TRUE(w.platform.boxes.isEmpty()) << boxTexts(w.platform).join(u'\n').toStdString();
        EXPECT_FALSE(control<QLabel>(f, "lbl6")->isVisible());
        expectState(f, View::Detail, grid == control<DataGrid>(f, "dbgrd1"), "detail");
        EXPECT_EQ(SearchTables::describe(f.openTab()).codeColumn, c.origin);
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd4"), QStringLiteral("hs_code")),
                  c.tariffCode.isEmpty() ? QStringList() : QStringList{c.tariffCode});
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd5"), QStringLiteral("abbr_trade")),
                  (QStringList{"一般贸易", "来料加工", "进料加工", "保税", "引号"}));
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd5"), QStringLiteral("lice")), c.trade);
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd6"), QStringLiteral("docu_code")), c.licences);
        EXPECT_EQ(control<DataGrid>(f, "dbgrd5")->model()->headerData(1, Qt::Horizontal).toString(),
                  QStringLiteral("监管条件"));
        EXPECT_EQ(control<DataGrid>(f, "dbgrd6")->model()->headerData(1, Qt::Horizontal).toString(),
                  QStringLiteral("名称"));

        control<QLabel>(f, "lbl6")->show();
        QTest::mouseClick(control<PictureButton>(f, "imgreturn1"), Qt::LeftButton);
        EXPECT_FALSE(control<QLabel>(f, "lbl6")->isVisible());
        expectState(f, View::Results, false, "back");
        EXPECT_TRUE(grid->isVisible());
        EXPECT_TRUE(control<QFrame>(f, "pnl1")->isVisible());
    }
}

TEST(Detail, TariffRowGridShowsTheWholeRow) {
    Window w;
    MainWindow &f = *w.form;
    w.click(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("01012100"),
            QStringLiteral("hs_code"));
    EXPECT_EQ(rows(control<DataGrid>(f, "dbgrd4")), QStringList{horseRow()});
    EXPECT_EQ(f.detail()->query(DetailPanel::TariffRow).sql(),
              Statement(QStringLiteral("select id,hs_code,name, low_rate,high_rate,reg_rate,reg_date,"
                                       "tax_rate,unit1,unit2,lice from official_hs where hs_code = ?"),
                        {ScrambleCode(QStringLiteral("01012100"))}));
    EXPECT_EQ(f.detail()->query(DetailPanel::TradeModes).sql(),
              Statement("select abbr_trade,ex_control as lice from hs_trade"));
}

TEST(Detail, ConditionCellsAndLicencesFollowTheCodeLoadedLast) {
    struct Case {
        QString code;
        QString statementTail; // of the licence statement, after "where "
        QVariantList values; // bound to it
        QStringList trade;
        QStringList licences;
    } cases[] = {
        {"01012100",
         "instr(1,docu_code,?,0) <> 0 or instr(1,docu_code,?,0) <> 0",
         {"A", "B"},
         {"AB", "B", "", "", ""},
         {"A", "B", "AC"}},
        // No conditions: nothing from the code before shows, only the empty document code matches.
        {"0102290010", "docu_code = ?", {""}, {"", "", "", "", ""}, {""}},
        {"01012100",
         "instr(1,docu_code,?,0) <> 0 or instr(1,docu_code,?,0) <> 0",
         {"A", "B"},
         {"AB", "B", "", "", ""},
         {"A", "B", "AC"}},
        {"03011100", "docu_code = ?", {""}, {"", "", "", "", ""}, {""}},
        // A repeated condition shows twice where it matches.
        {"04012000",
         "instr(1,docu_code,?,0) <> 0 or instr(1,docu_code,?,0) <> 0",
         {"A", "A"},
         {"AA", "", "", "", ""},
         {"A", "AC"}},
        // An apostrophe is a condition like any other: bound, it keeps the statement whole.
        {"05010000",
         "instr(1,docu_code,?,0) <> 0 or instr(1,docu_code,?,0) <> 0",
         {"A", "'"},
         {"A", "", "", "", "'"},
         {"A", "AC", "'"}},
    };
    Window w([](TestDatabase &db) { db.exec(QStringLiteral("insert into hs_licensed values ('','无证')")); });
    MainWindow &f = *w.form;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        w.click(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), c.code, QStringLiteral("hs_code"));
        EXPECT_TRUE(w.platform.boxes.isEmpty()) << boxTexts(w.platform).join(u'\n').toStdString();
        EXPECT_EQ(f.detail()->query(DetailPanel::Licences).sql(),
                  Statement(QStringLiteral("select docu_code,docu_name from hs_licensed where ") + c.statementTail,
                            c.values));
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd5"), QStringLiteral("lice")), c.trade);
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd6"), QStringLiteral("docu_code")), c.licences);
        click(control<PictureButton>(f, "imgreturn1"));
    }
}

TEST(Detail, ClicksOnOtherCellsOpenNothing) {
    struct Case {
        const char *grid;
        const char *codeField;
        const char *field;
    } cases[] = {
        {"dbgrd1", "hs_code", "name"}, {"dbgrd1", "hs_code", "spec"},  {"dbgrd1", "hs_code", "low_rate"},
        {"dbgrd1", "hs_code", "lice"}, {"dbgrd2", "code_t", "g_name"}, {"dbgrd2", "code_t", "class_spec"},
        {"dbgrd3", "code", "name"},    {"dbgrd3", "code", "spec"},
    };
    Window w;
    MainWindow &f = *w.form;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.grid) + "." + c.field);
        DataGrid *grid = f.findChild<DataGrid *>(QLatin1String(c.grid));
        showResultGrid(f, grid);
        control<QLabel>(f, "lbl6")->show();
        clickCell(grid, 0, QLatin1String(c.field));
        EXPECT_FALSE(control<QLabel>(f, "lbl6")->isVisible());
        EXPECT_EQ(grid->currentIndex().column(), columnOf(grid, QLatin1String(c.field)));
        expectState(f, View::Results, false, "after the click");
        EXPECT_FALSE(f.inView());
        EXPECT_EQ(f.specialRates()->view(), nullptr);
        EXPECT_EQ(f.detail()->query(DetailPanel::TariffRow).model()->columnCount(), 0) << "nothing was loaded";
    }
}

TEST(Detail, ClickInAnEmptyGridOnlyHidesTheWarning) {
    RecordingPlatform platform;
    TestDatabase db;
    writeStartupRows(db);
    MainWindow f;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    ASSERT_EQ(control<DataGrid>(f, "dbgrd1")->model()->rowCount(), 0);
    // An empty grid has no cell: the handler is called as for a click on its code column.
    control<QLabel>(f, "lbl6")->show();
    f.results()->chooseCell(SearchTables::OfficialHs, 0);
    EXPECT_FALSE(control<QLabel>(f, "lbl6")->isVisible());
    control<QLabel>(f, "lbl6")->show();
    f.results()->chooseCell(SearchTables::OfficialHs, columnOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("b")));
    EXPECT_FALSE(control<QLabel>(f, "lbl6")->isVisible());
    expectState(f, View::Results, false, "empty grid");
    EXPECT_TRUE(platform.boxes.isEmpty());
}

TEST(Detail, SpecialRateClickHandsOverTheClickedRowsCodeAfterColumnsMoved) {
    struct Case {
        QString code;
        QString handedOver;
    } cases[] = {{"01012100", "01012100"}, {"0102290010", "01022900"}, {"12345678.10", "12345678"}};
    Window w([](TestDatabase &db) {
        for (const QString code : {"01012100", "01022900", "12345678"})
            db.exec(QStringLiteral("insert into hs_dm_tax (id,code,name,low_tax) values ('1','%1','税率%2','5')")
                        .arg(ScrambleCode(code), code));
    });
    MainWindow &f = *w.form;
    // The user drags the link column to the front and the code column to the far right.
    QHeaderView *h = control<DataGrid>(f, "dbgrd1")->horizontalHeader();
    h->moveSection(h->visualIndex(columnOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("b"))), 0);
    h->moveSection(h->visualIndex(columnOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"))), 6);
    QPointer<SpecialRatesView> earlier;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        w.click(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), c.code, QStringLiteral("b"));
        EXPECT_TRUE(w.platform.boxes.isEmpty()) << boxTexts(w.platform).join(u'\n').toStdString();
        EXPECT_EQ(f.specialRates()->view()->code(), c.handedOver);
        expectState(f, View::SpecialRates, true, "special rates");
        EXPECT_EQ(f.openTab(), SearchTables::OfficialHs);
        const QList<SpecialRatesView *> views =
            control<QFrame>(f, "pnl3")->findChildren<SpecialRatesView *>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(views.size(), 1) << "earlier views are released";
        SpecialRatesView *view = views.first();
        EXPECT_TRUE(earlier.isNull());
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(view->geometry(), control<QFrame>(f, "pnl3")->rect());
        EXPECT_EQ(column(view->grid(), QStringLiteral("name")), QStringList{QStringLiteral("税率") + c.handedOver});
        earlier = view;

        click(control<PictureButton>(f, "imgreturn1"));
        expectState(f, View::Results, false, "back");
        EXPECT_TRUE(control<DataGrid>(f, "dbgrd1")->isVisible());
    }
    // The moved code column still opens the detail view of its own row.
    w.click(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("01012100"),
            QStringLiteral("hs_code"));
    expectState(f, View::Detail, true, "detail after moving columns");
    EXPECT_EQ(rows(control<DataGrid>(f, "dbgrd4")), QStringList{horseRow()});
}

TEST(Detail, ALoadFailureIsShownAndTheClickStillOpensTheDetailView) {
    struct Case {
        const char *dropped;
        bool tariffRowShown; // the new code's row
        bool tradeModesShown; // the earlier load's trade modes when the failure came first
        bool licencesFromBefore;
    } cases[] = {
        {"official_hs", false, true, true},
        {"hs_trade", true, false, true},
        {"hs_licensed", true, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dropped);
        Window w;
        MainWindow &f = *w.form;
        w.click(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("01012100"),
                QStringLiteral("hs_code"));
        click(control<PictureButton>(f, "imgreturn1"));
        w.db.exec(QStringLiteral("drop table %1").arg(QLatin1String(c.dropped)));
        w.click(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("87654321"),
                QStringLiteral("hs_code"));

        ASSERT_EQ(w.platform.boxes.size(), 1);
        EXPECT_EQ(w.platform.boxes[0].caption, Platform::applicationTitle());
        EXPECT_EQ(w.platform.boxes[0].icon, Platform::Icon::Stop);
        EXPECT_EQ(w.platform.boxes[0].text, QStringLiteral("no such table: %1").arg(QLatin1String(c.dropped)));
        expectState(f, View::Detail, true, "detail despite the failure");
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd4"), QStringLiteral("hs_code")),
                  c.tariffRowShown ? QStringList{QStringLiteral("87654321")} : QStringList());
        EXPECT_EQ(control<DataGrid>(f, "dbgrd5")->model()->rowCount(), c.tradeModesShown ? 5 : 0);
        // The trade modes show the conditions of the code whose condition step ran last.
        if (c.tradeModesShown) {
            EXPECT_EQ(column(control<DataGrid>(f, "dbgrd5"), QStringLiteral("lice")),
                      c.tariffRowShown ? QStringList({"", "", "C", "", ""}) : QStringList({"AB", "B", "", "", ""}));
        }
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd6"), QStringLiteral("docu_code")),
                  c.licencesFromBefore ? QStringList({"A", "B", "AC"}) : QStringList());
    }
}

TEST(Detail, ASpecialRateViewThatFailsReportsItselfAndIsStillShown) {
    Window w;
    MainWindow &f = *w.form;
    Platform::setApplicationTitle(QStringLiteral("Zendrik查"));
    w.db.exec(QStringLiteral("drop table hs_dm_tax"));
    w.click(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("01012100"), QStringLiteral("b"));
    ASSERT_EQ(w.platform.boxes.size(), 1);
    EXPECT_EQ(w.platform.boxes[0].caption, QStringLiteral("Zendrik查"));
    EXPECT_EQ(w.platform.boxes[0].text, QStringLiteral("no such table: hs_dm_tax."));
    expectState(f, View::SpecialRates, true, "special rates after the report");
    const QList<SpecialRatesView *> views =
        control<QFrame>(f, "pnl3")->findChildren<SpecialRatesView *>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(views.size(), 1);
    EXPECT_TRUE(views[0]->isVisible());
    EXPECT_EQ(views[0]->grid()->model()->rowCount(), 0);
    EXPECT_EQ(views[0]->grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("税则号码"));
}

TEST(Detail, ASearchWhileTheDetailViewShowsLeavesItInFrontAndBackShowsTheNewResults) {
    Window w;
    MainWindow &f = *w.form;
    showResultGrid(f, control<DataGrid>(f, "dbgrd3"));
    w.click(control<DataGrid>(f, "dbgrd3"), QStringLiteral("code"), QStringLiteral("87654321"), QStringLiteral("code"));
    control<QLineEdit>(f, "edtCode")->setText(QStringLiteral("0101"));
    click(control<PictureButton>(f, "imgQuery"));
    EXPECT_TRUE(w.platform.boxes.isEmpty()) << boxTexts(w.platform).join(u'\n').toStdString();
    expectState(f, View::Detail, false, "after the search");
    EXPECT_EQ(column(control<DataGrid>(f, "dbgrd4"), QStringLiteral("hs_code")),
              QStringList{QStringLiteral("87654321")});
    QTest::mouseClick(control<PictureButton>(f, "imgreturn1"), Qt::LeftButton);
    expectState(f, View::Results, false, "back");
    EXPECT_TRUE(control<DataGrid>(f, "dbgrd3")->isVisible());
    EXPECT_EQ(column(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code")),
              QStringList{QStringLiteral("01012100")});
}
