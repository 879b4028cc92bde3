// A large result in a grid: opening reads only the first chunk, a jump to the end reads the rest,
// on either store.
#include "support/CaseGrid.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
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

} // namespace

TEST_P(GridFetch, OpensWithTheFirstChunkOnly) {
    Grid g(GetParam());
    SKIP_WITHOUT_STORE(g.store);
    QAbstractItemModelTester tester(g.grid.gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_GT(g.grid.gridModel()->rowCount(), 0);
    EXPECT_LT(g.query.model()->rowCount(), kRows);
    EXPECT_TRUE(g.grid.gridModel()->canFetchMore({}));
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
    // The last row shows as soon as it is read.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return g.grid.gridModel()->text(kRows - 1, 2) == QStringLiteral("n3000"); }, 10000));
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

INSTANTIATE_TEST_SUITE_P(Stores, GridFetch, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return storeName(test.param); });
