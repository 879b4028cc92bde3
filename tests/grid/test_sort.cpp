// The result grids of the main window over a result larger than they hold: a jump to the end,
// sorting by a column title, and the counts beside the tabs, driven as the user does; with the
// cases stored as inserted, in code order (the name index then gives code order), in code order
// with later rows merged in, and on the database server (the window there shows the rows the
// file gives, in the same order).
#include "app/MainWindow.h"
#include "app/ResultTabs.h"
#include "chrome/PictureButton.h"
#include "data/CaseOrder.h"
#include "data/CodeCodec.h"
#include "data/StoreConfig.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/StoreFixture.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

constexpr int kCases = 3000;

// Case i has the plain code 10 digits long from a few hundred values, so many codes repeat (rows
// of equal codes must keep one order forwards and backwards), and scrambled order differs from
// plain order. Every name has 钢; every third has 管 as well.
QString plainCode(int i) { return QStringLiteral("%1").arg(1000000000LL + (i * 7919LL) % 397 * 1000003LL); }

enum class Stored { AsInserted, InCodeOrder, WithLaterRows, OnServer };

const char *storedName(Stored stored) {
    switch (stored) {
    case Stored::AsInserted:
        return "AsInserted";
    case Stored::InCodeOrder:
        return "InCodeOrder";
    case Stored::WithLaterRows:
        return "WithLaterRows";
    case Stored::OnServer:
        return "OnServer";
    }
    return "";
}
void PrintTo(Stored stored, std::ostream *os) { *os << storedName(stored); }

class GridSort : public ::testing::TestWithParam<Stored> {
protected:
    void SetUp() override {
        LookupFixture::writeStartupRows(db);
        if (GetParam() == Stored::OnServer) {
            // The same rows on the server as in the file, where the expected orders are read.
            server = std::make_unique<StoreFixture>(StoreKind::Server);
            SKIP_WITHOUT_STORE(*server);
            server->exec(LookupFixture::startupStatements());
            // A configuration beside the program sends the window to the server.
            ASSERT_TRUE(QFile::copy(StoreConfig::fileOf(server->connectionString()),
                                    db.dir() + QStringLiteral("zendrik.conf")));
        }
        // With later rows, the last thousand come after the table was put in code order.
        const int ordered = GetParam() == Stored::WithLaterRows ? kCases - 1000 : kCases;
        insertCases(1, ordered);
        if (GetParam() == Stored::InCodeOrder || GetParam() == Stored::WithLaterRows) {
            sqlite3 *h = nullptr;
            ASSERT_EQ(sqlite3_open_v2(db.file().toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
            CaseOrder::cluster(h);
            sqlite3_close(h);
        }
        insertCases(ordered + 1, kCases);
        form = std::make_unique<MainWindow>();
        form->show();
        ASSERT_TRUE(platform.boxes.isEmpty());
    }

    void insertCases(int first, int last) {
        QStringList rows;
        for (int i = first; i <= last; ++i)
            rows << QStringLiteral("(%1,'钢%2%3','%4','s%1','2024-01-01','2024-01-01',0,'')")
                        .arg(i)
                        .arg(i)
                        .arg(i % 3 == 0 ? QStringLiteral("管") : QString())
                        .arg(ScrambleCode(plainCode(i)));
        if (rows.isEmpty()) return;
        const QString insert = QStringLiteral("insert into case_hs values ") + rows.join(u',');
        db.exec(insert);
        if (server) server->exec({insert});
    }

    void search(const QString &name) {
        control<QLineEdit>(*form, "edtCode")->clear();
        control<QLineEdit>(*form, "edtName")->clear();
        for (QChar ch : name)
            QTest::sendKeyEvent(QTest::Click, control<QLineEdit>(*form, "edtName"), Qt::Key_unknown, QString(ch), {});
        QTest::keyClick(control<QLineEdit>(*form, "edtName"), Qt::Key_Return);
        QTest::mouseClick(control<PictureButton>(*form, "imgtab3"), Qt::LeftButton, {}, QPoint(40, 16));
    }

    // The ids of the case grid's rows [first, last], as it shows them.
    QList<int> ids(int first, int last) const {
        const int c = LookupFixture::columnOf(control<DataGrid>(*form, "dbgrd3"), QStringLiteral("id"));
        QList<int> out;
        for (int r = first; r <= last; ++r) out << control<DataGrid>(*form, "dbgrd3")->gridModel()->text(r, c).toInt();
        return out;
    }

    // The ids the statement gives, in its order.
    QList<int> expected(const QString &where, const QString &order) {
        QList<int> out;
        if (!QSqlDatabase::contains(QStringLiteral("gridsort"))) {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gridsort"));
            c.setDatabaseName(db.file());
        }
        QSqlDatabase c = QSqlDatabase::database(QStringLiteral("gridsort"));
        QSqlQuery q(c);
        EXPECT_TRUE(q.exec(QStringLiteral("select id from case_hs where %1 order by %2").arg(where, order)));
        while (q.next()) out << q.value(0).toInt();
        return out;
    }

    void clickTitle(const QString &field) {
        QHeaderView *h = control<DataGrid>(*form, "dbgrd3")->horizontalHeader();
        const int c = LookupFixture::columnOf(control<DataGrid>(*form, "dbgrd3"), field);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(c) + 5, h->height() / 2));
    }

    // Waits until the grid shows its first row, as the user waits for the screen.
    void waitForRows() {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QString shown = control<DataGrid>(*form, "dbgrd3")->gridModel()->index(0, 0).data().toString();
                return !shown.isEmpty() && shown != CellLook::kPendingText;
            },
            10000));
    }

    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<StoreFixture> server;
    std::unique_ptr<MainWindow> form;

    void TearDown() override {
        if (!QSqlDatabase::contains(QStringLiteral("gridsort"))) return;
        QSqlDatabase::database(QStringLiteral("gridsort"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("gridsort"));
    }
};

} // namespace

TEST_P(GridSort, CtrlEndShowsTheLastRowsInTheStatementsOrder) {
    for (const QString &name : {QStringLiteral("钢"), QStringLiteral("管")}) {
        search(name);
        DataGrid *g = control<DataGrid>(*form, "dbgrd3");
        const QList<int> all = expected(QStringLiteral("name like '%") + name + QStringLiteral("%'"), "code");
        // The cases in code order are read in the order the name index's runs give.
        EXPECT_EQ(form->results()->query(SearchTables::CaseHs).executed().text.contains(QStringLiteral("zm.seq")),
                  GetParam() == Stored::InCodeOrder || GetParam() == Stored::WithLaterRows);
        g->setFocus();
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return g->currentIndex().row() == all.size() - 1; }, 10000));
        ASSERT_EQ(g->gridModel()->rowCount(), all.size());
        // The last rows come from the end of the result: rows of equal codes in the same order
        // as the whole statement gives them; then back to the top.
        EXPECT_EQ(ids(all.size() - 300, all.size() - 1), all.mid(all.size() - 300));
        QTest::keyClick(g, Qt::Key_Home, Qt::ControlModifier);
        EXPECT_EQ(ids(0, all.size() - 1), all);
        EXPECT_LE(g->gridModel()->rowsInMemory(), 256 + GridModel::kCachedBlocks * 64 + 1);
    }
}

TEST_P(GridSort, AClickOnATitleSortsByTheShownValueAndASecondReverses) {
    search(QStringLiteral("钢"));
    DataGrid *g = control<DataGrid>(*form, "dbgrd3");
    QHeaderView *h = g->horizontalHeader();
    // Codes in the numeric order of their plain form, equal codes by record; names as text.
    QList<std::pair<QString, int>> byCode;
    for (int i = 1; i <= kCases; ++i) byCode.append({plainCode(i), i});
    std::sort(byCode.begin(), byCode.end());
    QList<int> ascending;
    for (const auto &p : byCode) ascending << p.second;
    struct Case {
        QString field;
        QList<int> order;
    } cases[] = {
        {QStringLiteral("code"), ascending},
        {QStringLiteral("name"), expected(QStringLiteral("name like '%钢%'"), QStringLiteral("name, rowid"))},
    };
    for (const Case &c : cases) {
        const int column = LookupFixture::columnOf(g, c.field);
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            clickTitle(c.field);
            waitForRows();
            EXPECT_TRUE(h->isSortIndicatorShown());
            EXPECT_EQ(h->sortIndicatorSection(), column);
            EXPECT_EQ(h->sortIndicatorOrder(), order);
            QList<int> want = c.order;
            if (order == Qt::DescendingOrder) std::reverse(want.begin(), want.end());
            ASSERT_EQ(g->gridModel()->rowCount(), kCases);
            EXPECT_EQ(g->currentIndex().row(), 0); // the sorted result stands on its first row
            EXPECT_EQ(ids(0, kCases - 1), want) << c.field.toStdString() << order;
            // The end of the sorted result, read from its end.
            g->setFocus();
            QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
            ASSERT_TRUE(QTest::qWaitFor([&] { return g->currentIndex().row() == kCases - 1; }, 10000));
            EXPECT_EQ(ids(kCases - 5, kCases - 1), want.mid(kCases - 5));
            EXPECT_LE(g->gridModel()->rowsInMemory(), GridModel::kCachedBlocks * 64 + 1);
        }
    }
    // A new search comes in the system's own order, without the mark.
    search(QStringLiteral("管"));
    EXPECT_EQ(h->sortIndicatorSection(), -1);
    EXPECT_EQ(g->gridModel()->sortColumn(), -1);
    EXPECT_EQ(ids(0, 9), expected(QStringLiteral("name like '%管%'"), QStringLiteral("code")).mid(0, 10));
}

TEST_P(GridSort, TheCountsBesideTheTabsSayHowManyRowsEachFound) {
    EXPECT_FALSE(control<QLabel>(*form, "lblCounts")->isVisible()); // no search yet
    struct Case {
        QString name, text;
    } cases[] = {
        {QStringLiteral("钢"), QStringLiteral("海关税则 没有找到 · 归类决定 没有找到 · 历史申报 3,000")},
        {QStringLiteral("管"), QStringLiteral("海关税则 没有找到 · 归类决定 没有找到 · 历史申报 1,000")},
        {QStringLiteral("铁"), QStringLiteral("海关税则 没有找到 · 归类决定 没有找到 · 历史申报 没有找到")},
    };
    for (const Case &c : cases) {
        search(c.name);
        EXPECT_TRUE(QTest::qWaitFor([&] { return control<QLabel>(*form, "lblCounts")->text() == c.text; }, 10000))
            << control<QLabel>(*form, "lblCounts")->text().toStdString() << " for " << c.name.toStdString();
        EXPECT_TRUE(control<QLabel>(*form, "lblCounts")->isVisible()) << c.name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Stored, GridSort,
                         ::testing::Values(Stored::AsInserted, Stored::InCodeOrder, Stored::WithLaterRows,
                                           Stored::OnServer),
                         [](const ::testing::TestParamInfo<Stored> &test) { return storedName(test.param); });
