// Full text where the grids cut it: a cell whose text its row or column cuts shows it whole in a
// tooltip, and the detail view shows the code's whole declaration elements.
#include "app/MainWindow.h"
#include "chrome/ClickLabel.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "search/DeclarationElements.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolTip>
#include <gtest/gtest.h>
#include <memory>

using namespace LookupFixture;

namespace {

// Sixteen numbered items, as the published tariff has for raw hides: far more than two lines.
const QString kLongElements = QStringLiteral(
    "1:品牌类型;2:出口享惠情况;3:状态（干、湿）;4:鞣制方法（植鞣、铬鞣、油鞣等）;5:鞣制后是否经进一步加工（是或否，如是"
    "请注明经何加工;6:种类（公牛、母牛、公母牛混合、奶牛、阉牛、马等）;7:是否源于野生动物;8:规格（厚度、平均尺寸及平均"
    "重量）;9:品种;10:用途;11:级别（头层皮TR1/2/3，二层皮A/B/C/"
    "D级）;12:部位（整张、半张、背皮、颈肩、颈、头颈等）;13:是"
    "否经修边或裁剪;14:生产商名称（英文全称）;15:签约日期;16:其他");
const QString kLongName = QStringLiteral("全粒面未剖层或粒面剖层蓝湿濒危野生动物牛皮及其他");

void setSpec(TestDatabase &db, const QString &code, const QVariant &spec) {
    db.exec(QStringLiteral("update official_hs set spec = %1 where hs_code = '%2'")
                .arg(spec.isNull() ? QStringLiteral("null") : u'\'' + spec.toString() + u'\'', ScrambleCode(code)));
}

struct Window {
    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;

    Window() {
        writeStartupRows(db);
        addTariff(db, 1, QStringLiteral("41041111"), kLongName, QStringLiteral("AB"));
        addTariff(db, 2, QStringLiteral("41041119"), QStringLiteral("牛皮"), QStringLiteral("A"));
        addTariff(db, 3, QStringLiteral("41041120"), QStringLiteral("马皮"), QVariant());
        setSpec(db, QStringLiteral("41041111"), kLongElements);
        setSpec(db, QStringLiteral("41041119"), QStringLiteral("1:品名;2:用途;"));
        setSpec(db, QStringLiteral("41041120"), QVariant());
        db.exec(QStringLiteral("insert into case_hs values (1,'案例','%1','%2','2024-01-01','2024-01-01',0,'')")
                    .arg(ScrambleCode(QStringLiteral("4104111100")), kLongElements));
        db.exec(QStringLiteral("insert into hs_classify values (1,'%1','无税则','说明')")
                    .arg(ScrambleCode(QStringLiteral("41999999"))));
        form = std::make_unique<MainWindow>();
        showActive(form.get());
        EXPECT_TRUE(platform.boxes.isEmpty());
        control<QLineEdit>(*form, "edtCode")->setText(QStringLiteral("41"));
        QTest::keyClick(control<QLineEdit>(*form, "edtCode"), Qt::Key_Return);
    }
};

QString plain(const QString &tip) {
    QTextDocument doc;
    doc.setHtml(tip);
    return doc.toPlainText();
}

// Rests the pointer on a cell: the tooltip's plain text, empty when none shows.
QString hover(DataGrid *grid, int row, const QString &field) {
    if (QToolTip::isVisible()) QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    const QRect r = grid->visualRect(grid->model()->index(row, columnOf(grid, field)));
    EXPECT_TRUE(grid->viewport()->rect().contains(r.center()));
    QHelpEvent help(QEvent::ToolTip, r.center(), grid->viewport()->mapToGlobal(r.center()));
    QApplication::sendEvent(grid->viewport(), &help);
    QTest::qWait(20);
    return QToolTip::isVisible() ? plain(QToolTip::text()) : QString();
}

} // namespace

TEST(FullText, ACellShowsItsWholeTextInATooltipOnlyWhenItIsCut) {
    Window w;
    MainWindow &f = *w.form;
    const int longRow = rowOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("41041111"));
    const int shortRow = rowOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("41041119"));
    ASSERT_GE(longRow, 0);
    ASSERT_GE(shortRow, 0);
    struct Case {
        const char *what;
        DataGrid *grid;
        int row;
        QString field;
        QString tip; // empty: none shows
    } cases[] = {
        {"elements wrapped past two lines", control<DataGrid>(f, "dbgrd1"), longRow, "spec", kLongElements},
        {"elements that fit", control<DataGrid>(f, "dbgrd1"), shortRow, "spec", ""},
        {"a name wider than its column", control<DataGrid>(f, "dbgrd1"), longRow, "name", kLongName},
        {"a name that fits", control<DataGrid>(f, "dbgrd1"), shortRow, "name", ""},
        {"a code", control<DataGrid>(f, "dbgrd1"), longRow, "hs_code", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(hover(c.grid, c.row, c.field), c.tip);
    }

    // Wide enough for the whole name, the cell no longer cuts it.
    control<DataGrid>(f, "dbgrd1")
        ->setColumnWidth(columnOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("name")), 600);
    EXPECT_EQ(hover(control<DataGrid>(f, "dbgrd1"), longRow, QStringLiteral("name")), QString());

    // The case grid fits its rows to two lines: elements of more lines are cut there too.
    QTest::mouseClick(control<PictureButton>(f, "imgtab3"), Qt::LeftButton);
    const int caseRow = rowOf(control<DataGrid>(f, "dbgrd3"), QStringLiteral("code"), QStringLiteral("41041111"));
    ASSERT_GE(caseRow, 0);
    EXPECT_EQ(hover(control<DataGrid>(f, "dbgrd3"), caseRow, QStringLiteral("spec")), kLongElements);

    // The detail view's one-line row cuts a long name.
    QTest::mouseClick(control<PictureButton>(f, "imgtab1"), Qt::LeftButton);
    clickCell(control<DataGrid>(f, "dbgrd1"), longRow, QStringLiteral("hs_code"));
    ASSERT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
    EXPECT_EQ(hover(control<DataGrid>(f, "dbgrd4"), 0, QStringLiteral("name")), kLongName);
    EXPECT_EQ(hover(control<DataGrid>(f, "dbgrd4"), 0, QStringLiteral("hs_code")), QString());
}

TEST(FullText, TheDetailViewShowsTheWholeDeclarationElementsWithoutMovingItsGrids) {
    Window w;
    MainWindow &f = *w.form;
    const QRect grids[] = {control<DataGrid>(f, "dbgrd4")->geometry(), control<DataGrid>(f, "dbgrd5")->geometry(),
                           control<DataGrid>(f, "dbgrd6")->geometry(),
                           control<ClickLabel>(f, "lblRatesByOrigin")->geometry()};
    const QStringList items = DeclarationElements::items(kLongElements);
    ASSERT_EQ(items.size(), 16);

    clickCell(control<DataGrid>(f, "dbgrd1"),
              rowOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("41041111")),
              QStringLiteral("hs_code"));
    ASSERT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
    // Two lines of the strip show the beginning, cut with an ellipsis; hovering shows them all.
    EXPECT_TRUE(control<QLabel>(f, "lblElements")->isVisible());
    EXPECT_TRUE(
        control<QLabel>(f, "lblElements")->text().startsWith(QStringLiteral("申报要素：1:品牌类型;2:出口享惠情况;")))
        << control<QLabel>(f, "lblElements")->text().toStdString();
    EXPECT_TRUE(control<QLabel>(f, "lblElements")->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(control<QLabel>(f, "lblElements")->toolTip(), items.join(u'\n'));
    EXPECT_FALSE(control<QTextEdit>(f, "pnlElements")->isVisible());

    // The link opens the list, one item a line, below the strip and over the lower grids only.
    QTest::mouseClick(control<ClickLabel>(f, "lblElementsMore"), Qt::LeftButton);
    ASSERT_TRUE(control<QTextEdit>(f, "pnlElements")->isVisible());
    EXPECT_EQ(control<QTextEdit>(f, "pnlElements")->toPlainText(), items.join(u'\n'));
    EXPECT_EQ(control<ClickLabel>(f, "lblElementsMore")->text(), QStringLiteral("收起 ▲"));
    const QRect list = control<QTextEdit>(f, "pnlElements")->geometry();
    EXPECT_TRUE(control<QFrame>(f, "pnl2")->rect().contains(list));
    EXPECT_FALSE(list.intersects(control<DataGrid>(f, "dbgrd4")->geometry()));
    EXPECT_FALSE(list.intersects(control<ClickLabel>(f, "lblRatesByOrigin")->geometry()));
    EXPECT_FALSE(control<QLabel>(f, "lblElements")
                     ->geometry()
                     .intersects(control<ClickLabel>(f, "lblRatesByOrigin")->geometry()));
    EXPECT_FALSE(control<QLabel>(f, "lblElements")->geometry().intersects(control<DataGrid>(f, "dbgrd4")->geometry()));
    // Every item shows without scrolling.
    EXPECT_EQ(control<QTextEdit>(f, "pnlElements")->verticalScrollBar()->maximum(), 0);

    // Esc closes the list first, then goes back.
    ASSERT_TRUE(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(control<QTextEdit>(f, "pnlElements")->isVisible());
    EXPECT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
    EXPECT_EQ(control<ClickLabel>(f, "lblElementsMore")->text(), QStringLiteral("展开全部 ▼"));

    // A short list shows whole in the strip, without a tooltip; the next load closes an open list.
    QTest::mouseClick(control<ClickLabel>(f, "lblElementsMore"), Qt::LeftButton);
    click(control<PictureButton>(f, "imgreturn1"));
    clickCell(control<DataGrid>(f, "dbgrd1"),
              rowOf(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code"), QStringLiteral("41041119")),
              QStringLiteral("hs_code"));
    EXPECT_EQ(control<QLabel>(f, "lblElements")->text(), QStringLiteral("申报要素：1:品名;2:用途"));
    EXPECT_EQ(control<QLabel>(f, "lblElements")->toolTip(), QString());
    EXPECT_FALSE(control<QTextEdit>(f, "pnlElements")->isVisible());

    // A code without elements, or without a tariff row, shows neither the strip nor the link.
    struct Case {
        DataGrid *grid;
        QString field, code;
    } without[] = {{control<DataGrid>(f, "dbgrd1"), "hs_code", "41041120"},
                   {control<DataGrid>(f, "dbgrd2"), "code_t", "41999999"}};
    for (const Case &c : without) {
        SCOPED_TRACE(c.code.toStdString());
        click(control<PictureButton>(f, "imgreturn1"));
        QTest::mouseClick(c.grid == control<DataGrid>(f, "dbgrd1") ? control<PictureButton>(f, "imgtab1")
                                                                   : control<PictureButton>(f, "imgtab2"),
                          Qt::LeftButton);
        clickCell(c.grid, rowOf(c.grid, c.field, c.code), c.field);
        ASSERT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
        EXPECT_FALSE(control<QLabel>(f, "lblElements")->isVisible());
        EXPECT_FALSE(control<ClickLabel>(f, "lblElementsMore")->isVisible());
    }
    EXPECT_EQ(control<DataGrid>(f, "dbgrd4")->geometry(), grids[0]);
    EXPECT_EQ(control<DataGrid>(f, "dbgrd5")->geometry(), grids[1]);
    EXPECT_EQ(control<DataGrid>(f, "dbgrd6")->geometry(), grids[2]);
    EXPECT_EQ(control<ClickLabel>(f, "lblRatesByOrigin")->geometry(), grids[3]);
    EXPECT_TRUE(w.platform.boxes.isEmpty());
}

TEST(FullText, DeclarationElementsSplitIntoTheirNumberedItems) {
    struct Case {
        QString text;
        QStringList items;
    } cases[] = {
        {"1:品名;2:用途;", {"1:品名", "2:用途"}},
        {"1：品名；2：用途；3：成分", {"1：品名", "2：用途", "3：成分"}},
        // A semicolon inside an item's text is not a boundary.
        {"1:规格(10;20mm);2:牌", {"1:规格(10;20mm)", "2:牌"}},
        {" 1:a ; 12:b ;", {"1:a", "12:b"}},
        {"品名;用途", {"品名;用途"}},
        {"", {}},
    };
    for (const Case &c : cases) EXPECT_EQ(DeclarationElements::items(c.text), c.items) << c.text.toStdString();
}
