// A large result in a grid: opening reads only the first chunk and paints it whole, a jump to
// the end reads the rest, and a row not read yet paints as pending until it comes, on either
// store. What the grid painted is read from the screen, not painted again for the test.
#include "support/CaseGrid.h"

#include <QAbstractItemModelTester>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int kRows = 3000;

// Names n1, n2, ...: every case is found.
struct Grid : CaseGrid {
    explicit Grid(StoreKind s) : CaseGrid(s, kRows, QStringLiteral("n"), QStringLiteral("'s'")) {
        grid.resize(400, 300);
        grid.show();
        QApplication::processEvents();
    }
};

class GridFetch : public ::testing::TestWithParam<StoreKind> {};

// The grid as it was last painted on the screen.
QImage onScreen(const DataGrid &grid) { return grid.screen()->grabWindow(grid.winId()).toImage(); }

// How a cell looks on the screen, by its darkest pixel inside its lines: black text, the light
// grey mark of a row being read, or nothing at all.
enum class Look { Blank, Pending, Text };
Look look(const DataGrid &grid, const QImage &screen, int row, int column) {
    QRect cell = grid.visualRect(grid.model()->index(row, column)).adjusted(2, 2, -2, -2);
    cell.moveTopLeft(grid.viewport()->mapTo(&grid, cell.topLeft()));
    int darkest = 255;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) darkest = std::min(darkest, qGray(screen.pixel(x, y)));
    return darkest < 100 ? Look::Text : darkest < 240 ? Look::Pending : Look::Blank;
}

// The rows the grid shows whole.
QList<int> shownRows(const DataGrid &grid) {
    QList<int> rows;
    for (int r = grid.rowAt(0); r >= 0 && grid.rowViewportPosition(r) + grid.rowHeight() <= grid.viewport()->height();
         ++r)
        rows << r;
    return rows;
}

} // namespace

TEST_P(GridFetch, OpensWithTheFirstChunkOnlyAndPaintsItWhole) {
    CaseGrid g(GetParam(), kRows, QStringLiteral("n"), QStringLiteral("'s'"));
    SKIP_WITHOUT_STORE(g.store);
    QAbstractItemModelTester tester(g.grid.gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_GT(g.grid.gridModel()->rowCount(), 0);
    EXPECT_LT(g.query.model()->rowCount(), kRows);
    EXPECT_TRUE(g.grid.gridModel()->canFetchMore({}));
    // A first screen that painted a row as pending would show it so, or have repainted it as it
    // came.
    QSignalSpy repainted(g.grid.gridModel(), &QAbstractItemModel::dataChanged);
    g.grid.resize(400, 600);
    g.grid.show();
    QApplication::processEvents();
    const QImage screen = onScreen(g.grid);
    const QList<int> rows = shownRows(g.grid);
    ASSERT_GT(rows.size(), 30);
    for (const int r : rows) EXPECT_EQ(look(g.grid, screen, r, 2), Look::Text) << r;
    for (const QList<QVariant> &changed : repainted) {
        const int first = changed[0].toModelIndex().row(), last = changed[1].toModelIndex().row();
        EXPECT_TRUE(last < rows.first() || first > rows.last()) << first << "-" << last;
    }
}

TEST_P(GridFetch, CtrlEndFetchesTheRestAndGoesToTheLastRow) {
    Grid g(GetParam());
    SKIP_WITHOUT_STORE(g.store);
    QAbstractItemModelTester tester(g.grid.gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    g.grid.setFocus();
    // Also right after a search, before any cell is current.
    for (bool current : {false, true}) {
        g.grid.setCurrentIndex(current ? g.grid.gridModel()->index(0, 0) : QModelIndex());
        QTest::keyClick(&g.grid, Qt::Key_End, Qt::ControlModifier);
        // While the result is still being counted the grid goes to the end when the count comes.
        ASSERT_TRUE(QTest::qWaitFor([&] { return g.grid.currentIndex().row() == kRows - 1; }, 10000)) << current;
        EXPECT_EQ(g.grid.gridModel()->rowCount(), kRows);
        QApplication::processEvents();
        EXPECT_EQ(g.grid.verticalScrollBar()->value(), g.grid.verticalScrollBar()->maximum()) << current;
    }
    // The last row shows as soon as it is read, the grid repainting it by itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return look(g.grid, onScreen(g.grid), kRows - 1, 2) == Look::Text; }, 10000));
    EXPECT_EQ(g.grid.gridModel()->index(kRows - 1, 2).data().toString(), QStringLiteral("n3000"));
    // The query still walks its rows from the first (on the server it holds only its first ones).
    int n = 0;
    for (g.query.first(); !g.query.eof(); g.query.next()) ++n;
    EXPECT_EQ(n, GetParam() == StoreKind::File ? kRows : Query::kHeadRows + 1);
}

TEST_P(GridFetch, TheScrollBarTakenToTheBottomShowsTheEnd) {
    Grid g(GetParam());
    SKIP_WITHOUT_STORE(g.store);
    g.grid.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.grid.gridModel()->rowCount() == kRows; }, 10000));
    QApplication::processEvents();
    EXPECT_EQ(g.grid.verticalScrollBar()->value(), g.grid.verticalScrollBar()->maximum());
    EXPECT_EQ(g.grid.rowAt(g.grid.viewport()->height() - g.grid.rowHeight() / 2 - 1), kRows - 1);
}

TEST_P(GridFetch, ARowNotReadYetPaintsAsPendingAndFillsInWhenItComes) {
    Grid g(GetParam());
    SKIP_WITHOUT_STORE(g.store);
    GridModel *m = g.grid.gridModel();
    // Counted in the background; a row past the first ones is read only once it is shown.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->rowCount() == kRows; }, 10000));
    QApplication::processEvents();
    QScrollBar *bar = g.grid.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    // Painted at once: the top row, the first the paint asks for, paints as pending; the rows
    // below it as pending too, or with their values where the reader was quicker than the paint.
    g.grid.viewport()->repaint();
    const QList<int> rows = shownRows(g.grid);
    ASSERT_FALSE(rows.isEmpty());
    ASSERT_GT(rows.first(), Query::kHeadRows + 1);
    const QImage pending = onScreen(g.grid);
    for (int c = 0; c < m->columnCount(); ++c) {
        EXPECT_EQ(look(g.grid, pending, rows.first(), c), Look::Pending) << c;
        EXPECT_EQ(m->index(rows.first(), c).data().toString(), QStringLiteral("…")) << c;
    }
    for (const int r : rows) EXPECT_NE(look(g.grid, pending, r, 2), Look::Blank) << r;
    // The rows come on the reader's thread, and the grid repaints them by itself.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage screen = onScreen(g.grid);
            return std::all_of(rows.begin(), rows.end(),
                               [&](int r) { return look(g.grid, screen, r, 2) == Look::Text; });
        },
        10000));
    for (const int r : rows) EXPECT_EQ(m->index(r, 2).data().toString(), QStringLiteral("n%1").arg(r + 1));
}

INSTANTIATE_TEST_SUITE_P(Stores, GridFetch, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return storeName(test.param); });
