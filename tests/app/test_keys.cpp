// The main window from the keyboard, with real key events on the focused widget: Enter on a
// result cell, Esc and Alt+Left back, Alt+1/2/3 for the tabs, Ctrl+L for the code box, and the
// tab order code box, name box, grid.
#include "app/MainWindow.h"
#include "app/SpecialRatesPanel.h"
#include "app/SpecialRatesView.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace LookupFixture;

namespace {

struct Window {
    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;

    Window() {
        writeStartupRows(db);
        addTariff(db, 1, QStringLiteral("01012100"), QStringLiteral("马"), QStringLiteral("AB"));
        addTariff(db, 2, QStringLiteral("02013000"), QStringLiteral("牛肉"), QStringLiteral("A"));
        db.exec(QStringLiteral("insert into hs_classify values (1,'%1','归类牛肉','说明')")
                    .arg(ScrambleCode(QStringLiteral("02013000"))));
        db.exec(QStringLiteral("insert into case_hs values (1,'案例','%1','要素','2024-01-01','2024-01-01',0,'')")
                    .arg(ScrambleCode(QStringLiteral("0201300010"))));
        form = std::make_unique<MainWindow>();
        showActive(form.get());
        EXPECT_TRUE(platform.boxes.isEmpty());
    }

    // A key as the user presses it: it goes to the widget that has the focus.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus) << "nothing has the focus";
        QTest::keyClick(focus, key, modifiers);
    }
    // Tab from the code box until a grid has the focus, then arrows to a row and field.
    void moveTo(DataGrid *grid, int row, const QString &field) {
        control<QLineEdit>(*form, "edtCode")->setFocus();
        for (int i = 0; i < 4 && QApplication::focusWidget() != grid; ++i) press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), grid);
        ASSERT_EQ(grid->currentIndex().row(), 0);
        for (int i = 0; i < row; ++i) press(Qt::Key_Down);
        const int target = grid->horizontalHeader()->visualIndex(columnOf(grid, field));
        while (grid->horizontalHeader()->visualIndex(grid->currentIndex().column()) < target) press(Qt::Key_Right);
        ASSERT_EQ(grid->currentIndex(), grid->model()->index(row, columnOf(grid, field)));
    }
};

} // namespace

TEST(Keys, EnterOnACodeCellOpensItsDetailAndEscOrAltLeftGoesBackToThatGrid) {
    struct Case {
        const char *grid;
        Qt::Key tab; // Alt+digit
        QString field, code, tariffCode;
        Qt::Key back;
        Qt::KeyboardModifiers backModifiers;
    } cases[] = {
        {"dbgrd1", Qt::Key_1, "hs_code", "02013000", "02013000", Qt::Key_Escape, Qt::NoModifier},
        {"dbgrd2", Qt::Key_2, "code_t", "02013000", "02013000", Qt::Key_Left, Qt::AltModifier},
        {"dbgrd3", Qt::Key_3, "code", "02013000.10", "", Qt::Key_Escape, Qt::NoModifier},
        {"dbgrd3", Qt::Key_3, "code", "02013000.10", "", Qt::Key_Left, Qt::AltModifier},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.grid) + (c.back == Qt::Key_Escape ? " Esc" : " Alt+Left"));
        Window w;
        MainWindow &f = *w.form;
        DataGrid *grid = f.findChild<DataGrid *>(QLatin1String(c.grid));
        control<QLineEdit>(f, "edtCode")->setFocus();
        Window::press(c.tab, Qt::AltModifier);
        ASSERT_TRUE(grid->isVisible());
        w.moveTo(grid, rowOf(grid, c.field, c.code), c.field);
        Window::press(Qt::Key_Return);

        EXPECT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
        EXPECT_TRUE(control<PictureButton>(f, "imgreturn1")->isVisible());
        EXPECT_EQ(SearchTables::describe(f.openTab()).codeColumn, c.field);
        EXPECT_EQ(column(control<DataGrid>(f, "dbgrd4"), QStringLiteral("hs_code")),
                  c.tariffCode.isEmpty() ? QStringList() : QStringList{c.tariffCode});
        // The detail view takes the keys, not the grid behind it.
        EXPECT_EQ(QApplication::focusWidget(), control<DataGrid>(f, "dbgrd4"));

        Window::press(c.back, c.backModifiers);
        EXPECT_FALSE(control<QFrame>(f, "pnl2")->isVisible());
        EXPECT_TRUE(control<PictureButton>(f, "imgtab1")->isVisible());
        EXPECT_TRUE(grid->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), grid);
        EXPECT_EQ(grid->currentIndex().column(), columnOf(grid, c.field));
        EXPECT_TRUE(w.platform.boxes.isEmpty());
    }
}

TEST(Keys, EnterOnOtherCellsDoesWhatAClickDoes) {
    Window w;
    MainWindow &f = *w.form;
    const int row = rowOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("01012100"));
    // On a name: nothing opens, but the warning goes, as on a click.
    control<QLabel>(f, "lbl6")->show();
    w.moveTo(control<DataGrid>(f, "dbgrd1"), row, QStringLiteral("name"));
    Window::press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(control<QLabel>(f, "lbl6")->isVisible());
    EXPECT_FALSE(control<QFrame>(f, "pnl2")->isVisible());
    EXPECT_TRUE(control<PictureButton>(f, "imgreturn")->isVisible());
    // Esc and Alt+Left without a view to go back from change nothing.
    Window::press(Qt::Key_Escape);
    Window::press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(control<PictureButton>(f, "imgreturn")->isVisible());
    EXPECT_TRUE(control<DataGrid>(f, "dbgrd1")->isVisible());

    // On "查看详情": the special tariff rates of the row's code, and back again.
    w.moveTo(control<DataGrid>(f, "dbgrd1"), row, QStringLiteral("b"));
    Window::press(Qt::Key_Return);
    ASSERT_TRUE(control<QFrame>(f, "pnl3")->isVisible());
    EXPECT_EQ(f.specialRates()->view()->code(), QStringLiteral("01012100"));
    Window::press(Qt::Key_Escape);
    EXPECT_FALSE(control<QFrame>(f, "pnl3")->isVisible());
    EXPECT_TRUE(control<DataGrid>(f, "dbgrd1")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), control<DataGrid>(f, "dbgrd1"));
}

TEST(Keys, AltDigitsChooseTheTabsCtrlLGoesToTheCodeBoxAndTabRunsCodeNameGrid) {
    Window w;
    MainWindow &f = *w.form;
    control<QLineEdit>(f, "edtName")->setFocus();
    struct Step {
        Qt::Key key;
        DataGrid *shown;
    } steps[] = {{Qt::Key_3, control<DataGrid>(f, "dbgrd3")},
                 {Qt::Key_2, control<DataGrid>(f, "dbgrd2")},
                 {Qt::Key_1, control<DataGrid>(f, "dbgrd1")},
                 {Qt::Key_3, control<DataGrid>(f, "dbgrd3")}};
    for (const Step &s : steps) {
        control<QLabel>(f, "lbl6")->show();
        Window::press(s.key, Qt::AltModifier);
        for (DataGrid *g :
             {control<DataGrid>(f, "dbgrd1"), control<DataGrid>(f, "dbgrd2"), control<DataGrid>(f, "dbgrd3")})
            EXPECT_EQ(g->isVisible(), g == s.shown);
        EXPECT_FALSE(control<QLabel>(f, "lbl6")->isVisible()) << "as a click on the tab";
        // Typing a search stays in the box; the digit is not typed into it.
        EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>(f, "edtName"));
        EXPECT_EQ(control<QLineEdit>(f, "edtName")->text(), QString());
    }

    // Tab order: code box, name box, the visible grid, and round again.
    control<QLineEdit>(f, "edtCode")->setFocus();
    const QWidget *order[] = {control<QLineEdit>(f, "edtName"), control<DataGrid>(f, "dbgrd3"),
                              control<QLineEdit>(f, "edtCode")};
    for (const QWidget *next : order) {
        Window::press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    // In a grid, Alt+digit takes the focus along to the grid chosen.
    control<DataGrid>(f, "dbgrd3")->setFocus();
    Window::press(Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<DataGrid>(f, "dbgrd1"));

    // Ctrl+L: the code box, its text selected so that a new code replaces it.
    control<QLineEdit>(f, "edtCode")->setText(QStringLiteral("0101"));
    Window::press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>(f, "edtCode"));
    QTest::keyClicks(control<QLineEdit>(f, "edtCode"), QStringLiteral("0201"));
    EXPECT_EQ(control<QLineEdit>(f, "edtCode")->text(), QStringLiteral("0201"));
    Window::press(Qt::Key_Return);
    EXPECT_EQ(column(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code")), QStringList{"02013000"});

    // While a detail view shows, the tabs are hidden: Alt+digit changes nothing, Tab passes over
    // the tariff grid behind the view, and Ctrl+L still reaches the code box.
    w.moveTo(control<DataGrid>(f, "dbgrd1"), 0, QStringLiteral("hs_code"));
    Window::press(Qt::Key_Return);
    ASSERT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
    Window::press(Qt::Key_2, Qt::AltModifier);
    EXPECT_FALSE(control<DataGrid>(f, "dbgrd2")->isVisibleTo(control<QFrame>(f, "pnl1")));
    EXPECT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
    Window::press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>(f, "edtCode"));
    Window::press(Qt::Key_Tab);
    Window::press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control<DataGrid>(f, "dbgrd4"));
    Window::press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>(f, "edtName"));
    // Esc goes back from the search boxes too.
    Window::press(Qt::Key_Escape);
    EXPECT_FALSE(control<QFrame>(f, "pnl2")->isVisible());
    EXPECT_TRUE(control<DataGrid>(f, "dbgrd1")->isVisible());
}
