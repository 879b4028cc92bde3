// A grid over a result larger than what it keeps: rows past the query's first ones are read by a
// second run of the statement into a temporary file and held as values only around those shown.
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "grid/DataGrid.h"
#include "support/TestDatabase.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int kRows = 20000;

struct Grid {
    TestDatabase db;
    Connection con{QStringLiteral("window")};
    Query query{QStringLiteral("qry3")};
    DataGrid grid;

    Grid() {
        // Codes sort in the order of the numbers; every third spec is Null; `half` is a real.
        db.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
                               "insert into case_hs select i, 'n'||i, printf('%08d', i), "
                               "case when i%3=0 then null else 's'||i end, '', '', 0, '' from n")
                    .arg(kRows));
        con.setConnectionString(DatabasePath::lookupConnectionString());
        query.setConnection(&con);
        open(QStringLiteral("select id,name,spec,id*0.5 as half from case_hs where 1=1 and name like '%n%' "
                            "order by code"));
        grid.setDataSource(&query);
        grid.resize(400, 300);
        grid.show();
        QApplication::processEvents();
    }

    void open(const QString &statement) {
        query.close();
        query.setSql(statement);
        query.open();
    }

    GridModel *model() const { return grid.gridModel(); }
    qsizetype bound() const { return model()->rowCount() > 0 ? 256 + GridModel::kCachedBlocks * 64 : 0; }
};

QString cell(const GridModel *m, int row, int column) { return m->index(row, column).data().toString(); }

} // namespace

TEST(GridWindow, EveryRowReadsAsStoredWhileFewAreHeld) {
    Grid g;
    QAbstractItemModelTester tester(g.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    g.grid.setFocus();
    QTest::keyClick(&g.grid, Qt::Key_End, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.grid.currentIndex().row() == kRows - 1; }, 10000));
    ASSERT_EQ(g.model()->rowCount(), kRows);
    // The last row shows as soon as it is read.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return cell(g.model(), kRows - 1, 1) == QStringLiteral("n%1").arg(kRows); }, 10000));
    // Down to the end and back up, every value as the statement gives it, a bounded number held.
    auto check = [&](int r) {
        const int i = r + 1;
        ASSERT_EQ(cell(g.model(), r, 0), QString::number(i)) << r;
        ASSERT_EQ(cell(g.model(), r, 1), QStringLiteral("n%1").arg(i)) << r;
        ASSERT_EQ(cell(g.model(), r, 2), i % 3 == 0 ? QString() : QStringLiteral("s%1").arg(i)) << r;
        ASSERT_EQ(cell(g.model(), r, 3), QString::number(i * 0.5)) << r;
        ASSERT_LE(g.model()->rowsInMemory(), g.bound()) << r;
    };
    for (int r = 0; r < kRows; ++r) check(r);
    for (int r = kRows - 1; r >= 0; --r) check(r);
}

TEST(GridWindow, SpilledRowsLookLikeTheFirstOnes) {
    // Numbers align right, text and Null left, whichever part of the result the row comes from.
    Grid g;
    g.model()->fetchAll();
    for (int column = 0; column < 4; ++column)
        for (int r : {0, 1, 2, 3000, 3001, 3002}) {
            const int near = r % 3;
            EXPECT_EQ(g.model()->index(r, column).data(Qt::TextAlignmentRole),
                      g.model()->index(near, column).data(Qt::TextAlignmentRole))
                << r << "," << column;
            EXPECT_EQ(g.model()->storedText(r, column).isEmpty(), g.model()->storedText(near, column).isEmpty());
        }
}

TEST(GridWindow, TheWholeCountArrivesAfterTheFirstScreen) {
    Grid g;
    QAbstractItemModelTester tester(g.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_LT(g.model()->rowCount(), kRows);
    const int firstMaximum = g.grid.verticalScrollBar()->maximum();
    // Without any scrolling, the rest of the result is read in the background.
    EXPECT_TRUE(QTest::qWaitFor([&] { return g.model()->rowCount() == kRows; }, 10000));
    EXPECT_FALSE(g.model()->canFetchMore({}));
    QApplication::processEvents();
    EXPECT_GT(g.grid.verticalScrollBar()->maximum(), firstMaximum);
    EXPECT_LE(g.model()->rowsInMemory(), g.bound());
}

TEST(GridWindow, ScrollingTheBarThroughTheResultShowsItsRows) {
    Grid g;
    QAbstractItemModelTester tester(g.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    g.model()->fetchAll();
    QApplication::processEvents();
    QScrollBar *bar = g.grid.verticalScrollBar();
    for (int step : {bar->maximum() / 2, bar->maximum(), bar->maximum() / 3, 0}) {
        bar->setValue(step);
        QApplication::processEvents();
        const int top = g.grid.rowAt(1);
        ASSERT_GE(top, 0);
        EXPECT_EQ(cell(g.model(), top, 1), QStringLiteral("n%1").arg(top + 1));
        g.grid.viewport()->repaint(); // paints from the rows it reads
        EXPECT_LE(g.model()->rowsInMemory(), g.bound());
    }
}

TEST(GridWindow, ANewResultReplacesTheOldOne) {
    struct Case {
        QString statement;
        int rows;
        QString last;
    } cases[] = {
        {QStringLiteral("select id,name,spec,id*0.5 as half from case_hs where name like '%n1%' order by code"), 11111,
         QStringLiteral("n19999")},
        {QStringLiteral("select id,name,spec,id*0.5 as half from case_hs where name like 'n12%' order by code"), 1111,
         QStringLiteral("n12999")},
        {QStringLiteral("select id,name,spec,id*0.5 as half from case_hs where name like 'x%' order by code"), 0, {}},
    };
    Grid g;
    g.model()->fetchAll();
    for (const Case &c : cases) {
        g.open(c.statement);
        g.model()->fetchAll();
        ASSERT_EQ(g.model()->rowCount(), c.rows) << c.statement.toStdString();
        if (c.rows > 0) {
            EXPECT_EQ(cell(g.model(), c.rows - 1, 1), c.last);
        }
    }
}
