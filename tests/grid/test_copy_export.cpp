// Copying from the result grids and exporting whole results, driven as the user does: mouse
// and keys select, Ctrl+C and the context menu copy, the menu exports; the clipboard and the
// written files are read back and compared with the database.
#include "app/MainWindow.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "grid/DataGrid.h"
#include "grid/GridExport.h"
#include "platform/RecordingPlatform.h"
#include "support/CaseGrid.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/StoreFixture.h"
#include "support/TableFiles.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace LookupFixture;

namespace {

QString clipboardText() { return QApplication::clipboard()->text(); }

// A field of tab-separated text: quoted, quotes doubled, when it holds a quote.
QString tsv(const QString &s) { return s.contains(u'"') ? u'"' + QString(s).replace("\"", "\"\"") + u'"' : s; }

QList<QStringList> readCsvFile(const QString &path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    return TableFiles::parseCsv(QString::fromUtf8(bytes.mid(3)));
}

// The main window over a few tariff codes whose names need quoting or a formula guard.
class GridCopyExport : public ::testing::Test {
protected:
    void SetUp() override {
        writeStartupRows(db);
        addTariff(db, 1, QStringLiteral("0201300090"), QStringLiteral("鲜牛肉, 去骨"), QStringLiteral("AB"));
        addTariff(db, 2, QStringLiteral("0101210010"), QStringLiteral("改良种用\"马\""), QVariant());
        addTariff(db, 3, QStringLiteral("0304000000"), QStringLiteral("=1+1 鱼"), QStringLiteral(""));
        db.exec(QStringLiteral("insert into case_hs values (9,'种马','%1','要素','2024-01-01','2024-01-01',0,'')")
                    .arg(ScrambleCode(QStringLiteral("0101210010"))));
        form = std::make_unique<MainWindow>();
        form->show();
        control<QLineEdit>(*form, "edtCode")->setText(QStringLiteral("0"));
        QTest::keyClick(control<QLineEdit>(*form, "edtCode"), Qt::Key_Return);
        grid = control<DataGrid>(*form, "dbgrd1");
        ASSERT_EQ(grid->gridModel()->rowCount(), 3);
        grid->setFocus();
    }

    QPoint centre(int row, const QString &field) const {
        const QModelIndex i = grid->model()->index(row, columnOf(grid, field));
        return grid->visualRect(i).center();
    }
    // The tariff rows as the database holds them, with the plain code, in the grid's order.
    QList<QStringList> databaseRows() {
        QList<QStringList> out;
        for (const QString &code : column(grid, QStringLiteral("hs_code"))) {
            QSqlQuery q(QSqlDatabase::database(QSqlDatabase::connectionNames().first()));
            q.exec(QStringLiteral("select name,spec,low_rate,lice,reg_rate from official_hs where hs_code='%1'")
                       .arg(ScrambleCode(code)));
            EXPECT_TRUE(q.next());
            out << QStringList{code,
                               q.value(0).toString(),
                               q.value(1).toString(),
                               q.value(2).toString(),
                               q.value(3).toString(),
                               q.value(4).toString()};
        }
        return out;
    }
    QMenu *openMenu(int row, const QString &field) {
        const QPoint at = centre(row, field);
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, at);
        // The press chose the cell; the context menu event follows as from the window system.
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &event);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        EXPECT_NE(menu, nullptr);
        return menu;
    }
    static void trigger(QMenu *menu, const QString &text) {
        for (QAction *a : menu->actions())
            if (a->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                QApplication::processEvents(); // a command may run once the menu has closed
                return;
            }
        ADD_FAILURE() << "no menu item " << text.toStdString();
    }

    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;
    DataGrid *grid = nullptr;
};

} // namespace

TEST_F(GridCopyExport, CtrlCCopiesOneCellAsTextAndSeveralAsATableWithTitles) {
    // One cell: its text alone, to paste into a form field.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(0, QStringLiteral("name")));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), column(grid, QStringLiteral("name"))[0]);

    // Shift+Right and Shift+Down widen the selection to two rows of name and spec.
    QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QStringList names = column(grid, QStringLiteral("name"));
    EXPECT_EQ(clipboardText(),
              QStringLiteral("商品名称\t申报要素\n%1\t规格\n%2\t规格\n").arg(tsv(names[0]), tsv(names[1])));

    // A Shift+click on a code cell extends the selection over the codes rather than opening
    // the code; the HTML copy marks code cells as text so a spreadsheet keeps their zeros.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2, QStringLiteral("hs_code")));
    EXPECT_FALSE(control<QFrame>(*form, "pnl2")->isVisible());
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = clipboardText().split(u'\n');
    EXPECT_EQ(lines[0], QStringLiteral("商品编码\t商品名称"));
    EXPECT_EQ(lines[3], column(grid, QStringLiteral("hs_code"))[2] + u'\t' + tsv(names[2]));
    const QString html = QApplication::clipboard()->mimeData()->html();
    for (const QString &code : column(grid, QStringLiteral("hs_code")))
        EXPECT_TRUE(html.contains(QStringLiteral("mso-number-format:'\\@'\">%1</td>").arg(code))) << html.toStdString();

    // Ctrl+clicked cells of one column: rows between stay out.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(0, QStringLiteral("lice")));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, centre(2, QStringLiteral("lice")));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboardText().count(u'\n'), 3);
}

TEST_F(GridCopyExport, ContextMenuCopiesRowsAndPlainCodes) {
    QMenu *menu = openMenu(1, QStringLiteral("spec"));
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction *a : menu->actions())
        if (!a->isSeparator()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"复制单元格", "复制整行", "复制商品编码", "导出全部结果…"}));
    EXPECT_FALSE(control<QFrame>(*form, "pnl2")->isVisible()); // a right click opens no code

    trigger(menu, QStringLiteral("复制整行"));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    const QStringList row = databaseRows()[1];
    // Every data column, without the special-rate link column.
    const QStringList fields{row[0], tsv(row[1]), row[2], row[3], row[4], row[5]};
    EXPECT_EQ(clipboardText(), QStringLiteral("商品编码\t商品名称\t申报要素\t最惠国税率\t监管条件\t退税率\n") +
                                   fields.join(u'\t') + u'\n');

    // Two rows selected with Shift+click on their names: their plain codes, one a line.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(0, QStringLiteral("name")));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2, QStringLiteral("name")));
    trigger(openMenu(2, QStringLiteral("name")), QStringLiteral("复制商品编码"));
    EXPECT_EQ(clipboardText(), column(grid, QStringLiteral("hs_code")).join(u'\n'));

    // A case code shows with its dot; the plain code has none.
    QTest::mouseClick(control<PictureButton>(*form, "imgtab3"), Qt::LeftButton, {}, QPoint(20, 10));
    grid = control<DataGrid>(*form, "dbgrd3");
    const int horse = rowOf(grid, QStringLiteral("code"), QStringLiteral("01012100.10"));
    ASSERT_GE(horse, 0);
    trigger(openMenu(horse, QStringLiteral("name")), QStringLiteral("复制商品编码"));
    EXPECT_EQ(clipboardText(), QStringLiteral("0101210010"));
    trigger(openMenu(horse, QStringLiteral("code")), QStringLiteral("复制单元格"));
    EXPECT_EQ(clipboardText(), QStringLiteral("01012100.10"));
}

TEST_F(GridCopyExport, ExportWritesTheResultAsCsvAndXlsx) {
    QTemporaryDir dir;
    const QList<QStringList> expected = databaseRows();
    const QStringList titles{"商品编码", "商品名称", "申报要素", "最惠国税率", "监管条件", "退税率"};

    platform.nextSaveFileName = dir.filePath(QStringLiteral("税则.csv"));
    trigger(openMenu(0, QStringLiteral("name")), QStringLiteral("导出全部结果…"));
    EXPECT_TRUE(platform.suggestedSaveNames.last().endsWith(QStringLiteral("/通关要素.xlsx")));
    const QList<QStringList> csv = readCsvFile(platform.nextSaveFileName);
    ASSERT_EQ(csv.size(), expected.size() + 1);
    EXPECT_EQ(csv[0], titles);
    for (qsizetype r = 0; r < expected.size(); ++r) {
        QStringList want = expected[r];
        want[0] = QStringLiteral("=\"%1\"").arg(want[0]); // codes as text formulas
        if (want[1].startsWith(u'=')) want[1].prepend(u'\''); // a formula-like name guarded
        EXPECT_EQ(csv[r + 1], want) << r;
    }

    platform.nextSaveFileName = dir.filePath(QStringLiteral("税则.xlsx"));
    trigger(openMenu(0, QStringLiteral("name")), QStringLiteral("导出全部结果…"));
    // The next export offers the folder and type used last.
    EXPECT_EQ(platform.suggestedSaveNames.last(), dir.filePath(QStringLiteral("通关要素.csv")));
    const auto sheets = TableFiles::readXlsx(platform.nextSaveFileName);
    ASSERT_EQ(sheets.size(), 1);
    ASSERT_EQ(sheets[0].size(), expected.size() + 1);
    EXPECT_EQ(sheets[0][0], titles);
    for (qsizetype r = 0; r < expected.size(); ++r) {
        QStringList want = expected[r];
        for (int c : {3, 5}) want[c] = u'#' + want[c]; // rates as numbers
        EXPECT_EQ(sheets[0][r + 1], want) << r;
    }
    EXPECT_TRUE(platform.boxes.isEmpty());

    // A file that cannot be written: an error box naming it, nothing else changes.
    platform.nextSaveFileName = dir.filePath(QStringLiteral("no/such/folder/x.csv"));
    trigger(openMenu(0, QStringLiteral("name")), QStringLiteral("导出全部结果…"));
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].caption, Platform::applicationTitle());
    EXPECT_TRUE(platform.boxes[0].text.contains(platform.nextSaveFileName));
    // Cancelling the dialog writes nothing.
    platform.nextSaveFileName.clear();
    trigger(openMenu(0, QStringLiteral("name")), QStringLiteral("导出全部结果…"));
    EXPECT_EQ(platform.boxes.size(), 1);
}

namespace {

constexpr int kLarge = 20000;

// A bare grid over a large result of cases on either store, every row's values derived from its
// number, some specs needing quotes in a CSV file.
struct LargeResult : CaseGrid {
    LargeResult(StoreKind s, int rows)
        : CaseGrid(s, rows, QStringLiteral("名称"),
                   QStringLiteral("case when i%5=0 then '含,逗号'||i else '要素'||i end")) {
        grid.setCodeField(QStringLiteral("code"));
        grid.setExportName(QStringLiteral("历史申报"));
        grid.resize(500, 300);
        grid.show();
    }
    static QStringList row(int i) {
        return {QString::number(i), QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')),
                QStringLiteral("名称%1").arg(i),
                i % 5 == 0 ? QStringLiteral("含,逗号%1").arg(i) : QStringLiteral("要素%1").arg(i)};
    }
};

class GridExportLarge : public ::testing::TestWithParam<StoreKind> {};

} // namespace

TEST_P(GridExportLarge, TheWholeResultIsWrittenNotOnlyTheRowsRead) {
    RecordingPlatform platform;
    LargeResult large(GetParam(), kLarge);
    SKIP_WITHOUT_STORE(large.store);
    QTemporaryDir dir;
    for (const QString name : {"cases.csv", "cases.xlsx"}) {
        large.grid.setDataSource(nullptr);
        large.query.open();
        large.grid.setDataSource(&large.query);
        ASSERT_LT(large.grid.gridModel()->rowCount(), kLarge);
        EXPECT_EQ(large.query.cut(), GetParam() == StoreKind::Server);
        platform.nextSaveFileName = dir.filePath(name);
        // The menu key opens the menu at the current cell.
        large.grid.setFocus();
        QContextMenuEvent key(QContextMenuEvent::Keyboard, {}, large.grid.viewport()->mapToGlobal(QPoint()));
        QApplication::sendEvent(large.grid.viewport(), &key);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction *exportAction = menu->actions().last();
        ASSERT_EQ(exportAction->text(), QStringLiteral("导出全部结果…"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exportAction).center());
        QApplication::processEvents();
        ASSERT_TRUE(platform.boxes.isEmpty());

        QList<QStringList> rows;
        if (name.endsWith(QStringLiteral(".csv"))) {
            rows = readCsvFile(platform.nextSaveFileName);
        } else {
            const auto sheets = TableFiles::readXlsx(platform.nextSaveFileName);
            ASSERT_EQ(sheets.size(), 1);
            rows = sheets[0];
        }
        ASSERT_EQ(rows.size(), kLarge + 1) << name.toStdString();
        EXPECT_EQ(rows[0], (QStringList{"id", "code", "name", "spec"}));
        for (int i = 1; i <= kLarge; ++i) {
            QStringList want = LargeResult::row(i);
            if (name.endsWith(QStringLiteral(".csv"))) want[1] = QStringLiteral("=\"%1\"").arg(want[1]);
            else want[0].prepend(u'#');
            ASSERT_EQ(rows[i], want) << name.toStdString() << " row " << i;
        }
    }
}

TEST(GridExportCancel, CancelLeavesNoFile) {
    RecordingPlatform platform;
    LargeResult large(StoreKind::File, 100000);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cancelled.xlsx"));
    // Cancel as soon as the progress dialog shows.
    bool cancelled = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *progress = large.grid.findChild<QProgressDialog *>(QStringLiteral("exportProgress"));
        if (!progress || !progress->isVisible()) return;
        QPushButton *cancel = progress->findChild<QPushButton *>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        cancelled = true;
        poll.stop();
    });
    poll.start(10);
    EXPECT_FALSE(GridExport::write(large.grid, path));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// Another desk holds the case table while the grid's reader starts, so nothing past the first
// rows can be read or counted until it lets go. The export waits for every row rather than
// writing empty cells; a reader whose connection is dropped meanwhile stops it with a message
// and no file.
TEST(GridExportServer, RowsTheServerIsSlowToGiveAreWaitedFor) {
    constexpr int kRows = 3000;
    for (const bool dropped : {false, true}) {
        SCOPED_TRACE(dropped ? "reader dropped" : "table let go");
        RecordingPlatform platform;
        LargeResult large(StoreKind::Server, kRows);
        SKIP_WITHOUT_STORE(large.store);
        Connection other(QStringLiteral("otherDesk"));
        other.setConnectionString(large.store.connectionString());
        other.ensureOpen();
        QSqlQuery hold(other.database());
        large.grid.setDataSource(nullptr);
        ASSERT_TRUE(hold.exec(QStringLiteral("begin")));
        ASSERT_TRUE(hold.exec(QStringLiteral("lock table case_hs in access exclusive mode")));
        large.grid.setDataSource(&large.query);
        QTimer::singleShot(700, [&] {
            if (dropped)
                QSqlQuery(other.database())
                    .exec(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where "
                                         "wait_event_type = 'Lock' and datname = current_database() and "
                                         "pid <> pg_backend_pid()"));
            hold.exec(QStringLiteral("commit"));
        });
        QTemporaryDir dir;
        platform.nextSaveFileName = dir.filePath(QStringLiteral("cases.csv"));
        GridExport::run(large.grid);
        if (dropped) {
            ASSERT_EQ(platform.boxes.size(), 1);
            EXPECT_TRUE(platform.boxes[0].text.contains(QStringLiteral("没有写出文件")))
                << platform.boxes[0].text.toStdString();
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
            continue;
        }
        ASSERT_TRUE(platform.boxes.isEmpty()) << platform.boxes[0].text.toStdString();
        const QList<QStringList> rows = readCsvFile(platform.nextSaveFileName);
        ASSERT_EQ(rows.size(), kRows + 1);
        for (int i = 1; i <= kRows; ++i) {
            QStringList want = LargeResult::row(i);
            want[1] = QStringLiteral("=\"%1\"").arg(want[1]);
            ASSERT_EQ(rows[i], want) << "row " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, GridExportLarge, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return storeName(test.param); });
