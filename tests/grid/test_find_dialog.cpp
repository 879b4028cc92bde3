// The grid's find dialog as the user meets it: the row it finds shows as the current row while
// the dialog keeps the focus for the next search.
#include "app/MainWindow.h"
#include "grid/DataGrid.h"
#include "grid/FindDialog.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace LookupFixture;

namespace {

// The colour a cell is filled with, read from a spot above its text.
QColor cellFill(DataGrid *g, int row, int column) {
    const QRect cell = g->visualRect(g->model()->index(row, column));
    return g->viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(3, 2));
}

TEST(FindDialog, TheFoundRowIsHighlightedWhileTheDialogHasTheFocus) {
    RecordingPlatform platform;
    TestDatabase db;
    writeStartupRows(db);
    for (int i = 0; i < 5; ++i)
        addTariff(db, i, QStringLiteral("010%1000000").arg(i), QStringLiteral("品名%1").arg(i), "A");
    MainWindow form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    DataGrid *g = control<DataGrid>(form, "dbgrd1");
    g->setFocus();
    ASSERT_EQ(g->model()->rowCount(), 5);
    const QColor highlight = g->palette().color(QPalette::Active, QPalette::Highlight);

    QTest::keyClick(g, Qt::Key_F, Qt::ControlModifier);
    FindDialog *d = g->findDialog();
    // The dialog takes the focus once the window system has activated it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == d && !g->hasFocus(); }));
    d->text->setEditText(QStringLiteral("品名3"));
    QPushButton *next = nullptr;
    for (QPushButton *b : d->findChildren<QPushButton *>())
        if (b->text() == QStringLiteral("查找下一个")) next = b;
    ASSERT_NE(next, nullptr);
    QTest::mouseClick(next, Qt::LeftButton);
    ASSERT_EQ(g->currentIndex().row(), 3);
    EXPECT_TRUE(d->isActiveWindow());
    EXPECT_EQ(cellFill(g, 3, g->currentIndex().column()), highlight);
    EXPECT_NE(cellFill(g, 0, g->currentIndex().column()), highlight);

    // Closed, the dialog gives the highlight up with the focus; the grid shows it again once it
    // has the focus back.
    d->hide();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }));
    control<QLineEdit>(form, "edtCode")->setFocus();
    EXPECT_NE(cellFill(g, 3, g->currentIndex().column()), highlight);
    g->setFocus();
    EXPECT_EQ(cellFill(g, 3, g->currentIndex().column()), highlight);
}

} // namespace
