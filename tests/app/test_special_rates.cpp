#include "app/SpecialRatesView.h"
#include "data/CodeCodec.h"
#include "data/Schema.h"
#include "grid/DataGrid.h"
#include "grid/MultiLevelHeader.h"
#include "platform/RecordingPlatform.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace LookupFixture;

namespace {

const QStringList kRateColumns = {"low_tax",     "yatai_tax", "wl_tax",   "jpz_tax",         "yn_tax",
                                  "lw_tax",      "mlxy_tax",  "md_tax",   "flb_tax",         "xjp_tax",
                                  "tg_tax",      "yuen_tax",  "ecfa",     "EX_OFFICIAL_TAX", "EX_ZD_TAX",
                                  "EX_SPEC_TAX", "zhili_tax", "bjst_tax", "xinjiapo_tax",    "xxl_tax",
                                  "milu_tax",    "xg_tax",    "am_tax",   "tw_tax",          "IM_ZD_TAX"};

// A rate row whose every rate column holds its own name and the row number, so a column showing
// the wrong field is seen at once.
void addRateRow(TestDatabase &db, const QString &id, const QString &plainCode, int n) {
    QStringList values;
    for (const QString &c : kRateColumns) values << QStringLiteral("'%1%2'").arg(c).arg(n);
    db.exec(QStringLiteral("insert into hs_dm_tax (id,code,name,%1) values ('%2','%3','品名%4',%5)")
                .arg(kRateColumns.join(u','), id, ScrambleCode(plainCode))
                .arg(n)
                .arg(values.join(u',')));
}

struct View {
    RecordingPlatform platform;
    std::unique_ptr<SpecialRatesView> form;

    void open(const QString &code) {
        Platform::setApplicationTitle(QStringLiteral("Zendrik查"));
        form = std::make_unique<SpecialRatesView>(code);
        form->resize(SpecialRatesView::kClientWidth, SpecialRatesView::kClientHeight);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    MultiLevelHeader *header() const { return static_cast<MultiLevelHeader *>(form->grid()->horizontalHeader()); }
};

// The header's cells as "text:first-last@top-bottom", columns by logical index, levels 0-2.
QStringList headerLayout(const MultiLevelHeader *h) {
    QStringList out;
    for (const MultiLevelHeader::Cell &c : h->cells()) {
        const int first = h->logicalIndexAt(c.rect.left());
        const int last = h->logicalIndexAt(c.rect.right());
        const int top = c.rect.top() / h->levelHeight();
        const int bottom = (c.rect.bottom()) / h->levelHeight();
        out << QStringLiteral("%1:%2-%3@%4-%5").arg(c.text).arg(first).arg(last).arg(top).arg(bottom);
    }
    return out;
}

const QStringList kDeclaredHeader = {
    "税则号码:0-0@0-2",     "商品名称:1-1@0-2", "最惠国税率(%):2-2@0-2", "反倾销税率(%):3-3@0-2", "消费税(%):4-4@0-2",
    "协定税率(%):5-16@0-0", "出口:17-19@0-0",   "亚太:5-5@1-2",          "东盟:6-15@1-1",         "ECFA:16-16@1-2",
    "关税:17-17@1-2",       "暂定:18-18@1-2",   "特别:19-19@1-2",        "文莱:6-6@2-2",          "柬埔寨:7-7@2-2",
    "印尼:8-8@2-2",         "老挝:9-9@2-2",     "马来西亚:10-10@2-2",    "缅甸:11-11@2-2",        "菲律宾:12-12@2-2",
    "新加坡:13-13@2-2",     "泰国:14-14@2-2",   "越南:15-15@2-2"};

} // namespace

TEST(SpecialRates, ShowsEveryRowOfTheCodeInAlternatingColours) {
    TestDatabase db;
    addRateRow(db, QStringLiteral("r1"), QStringLiteral("01012100"), 1);
    addRateRow(db, QStringLiteral("r2"), QStringLiteral("01012100"), 2);
    addRateRow(db, QStringLiteral("r3"), QStringLiteral("0101210090"), 3); // another code
    addRateRow(db, QStringLiteral("r4"), QStringLiteral("01012100"), 4);
    View v;
    v.open(QStringLiteral("01012100"));
    EXPECT_TRUE(v.platform.boxes.isEmpty());
    const DataGrid *g = v.form->grid();
    EXPECT_EQ(v.form->query().sql(),
              Statement("select * from hs_dm_tax where code = ?", {ScrambleCode(QStringLiteral("01012100"))}));
    ASSERT_EQ(g->gridModel()->rowCount(), 3);
    ASSERT_EQ(g->gridModel()->columnCount(), 21);
    const QStringList shown = {"low_tax",  "yatai_tax",       "wl_tax",    "jpz_tax",    "yn_tax", "lw_tax",
                               "mlxy_tax", "md_tax",          "flb_tax",   "xjp_tax",    "tg_tax", "yuen_tax",
                               "ecfa",     "EX_OFFICIAL_TAX", "EX_ZD_TAX", "EX_SPEC_TAX"};
    const int rowNumbers[] = {1, 2, 4};
    for (int r = 0; r < 3; ++r) {
        const int n = rowNumbers[r];
        QStringList expected{QStringLiteral("01012100"), QStringLiteral("品名%1").arg(n),
                             QStringLiteral("low_tax%1").arg(n), QString(), QString()};
        for (const QString &c : shown.mid(1)) expected << c + QString::number(n);
        EXPECT_EQ(rows(g)[r], expected.join(u'|'));
        const QColor colour = r % 2 == 0 ? QColor(255, 255, 255) : QColor(247, 248, 251);
        for (int c = 0; c < 20; ++c)
            EXPECT_EQ(g->model()->index(r, c).data(Qt::BackgroundRole).value<QColor>(), colour) << r << "," << c;
    }
    // The id is read but hidden; the further rate columns are read but have no column.
    EXPECT_EQ(g->gridModel()->fieldAt(20), QStringLiteral("id"));
    EXPECT_TRUE(g->isColumnHidden(20));
    EXPECT_EQ(g->gridModel()->text(2, 20), QStringLiteral("r4"));
    for (const QString &hidden : kRateColumns.mid(16)) EXPECT_EQ(columnOf(g, hidden), -1) << hidden.toStdString();
    EXPECT_EQ(g->rowHeight(), 18);
    EXPECT_EQ(g->font().pixelSize(), 11);
    EXPECT_EQ(v.header()->font().pixelSize(), 11);
    const int widths[] = {70, 250, 120, 100, 64, 40, 40, 40, 40, 40, 60, 40, 50, 50, 40, 40, 40, 40, 40, 40};
    for (int c = 0; c < 20; ++c) EXPECT_EQ(g->columnWidth(c), widths[c]) << c;
}

TEST(SpecialRates, HeaderHasThreeLevelsThatSpanNeighbouringColumns) {
    TestDatabase db;
    View v;
    v.open(QStringLiteral("01012100"));
    MultiLevelHeader *h = v.header();
    EXPECT_EQ(h->levels(), 3);
    EXPECT_EQ(h->height(), 3 * h->levelHeight());
    QStringList expected = kDeclaredHeader;
    QStringList actual = headerLayout(h);
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    EXPECT_EQ(actual, expected);

    // A member moved out of its group gets cells of its own; the group closes up behind it.
    h->moveSection(h->visualIndex(6), h->count() - 1);
    // A resized column widens the cells above it.
    h->resizeSection(10, 90);
    actual = headerLayout(h);
    for (const QString cell : {"协定税率(%):5-16@0-0", "东盟:7-15@1-1", "出口:17-19@0-0", "协定税率(%):6-6@0-0",
                               "东盟:6-6@1-1", "文莱:6-6@2-2", "马来西亚:10-10@2-2"})
        EXPECT_TRUE(actual.contains(QString(cell))) << cell.toStdString() << "\n" << actual.join(u'\n').toStdString();
    for (const MultiLevelHeader::Cell &c : h->cells())
        if (c.text == QStringLiteral("东盟") && c.rect.width() > 100) {
            EXPECT_EQ(c.rect.width(), 40 * 6 + 90 + 50 * 2) << "spans 柬埔寨 to 越南";
        }
    // Moving it back restores the declared layout.
    h->moveSection(h->count() - 1, 6);
    actual = headerLayout(h);
    std::sort(actual.begin(), actual.end());
    EXPECT_EQ(actual, expected);
}

namespace {

// The header's pixels as the window shows them: what the paints so far left in the window's
// backing store, not a fresh rendering.
QImage shownPixels(QWidget *w) {
    QWidget *top = w->window();
    const QPoint at = w->mapTo(top, QPoint(0, 0));
    return top->screen()
        ->grabWindow(top->winId(), at.x(), at.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(SpecialRates, HeaderScrolledSidewaysShowsWhatAWholeRepaintShows) {
    TestDatabase db;
    addRateRow(db, QStringLiteral("1"), QStringLiteral("01012100"), 1);
    View v;
    v.open(QStringLiteral("01012100"));
    v.form->resize(420, 200); // narrow: the wide spanning cells are partly in view
    QTest::qWait(50);
    MultiLevelHeader *h = v.header();
    QScrollBar *bar = v.form->grid()->horizontalScrollBar();
    ASSERT_GE(bar->maximum(), 8); // the grid scrolls a column at a time
    // Single steps and jumps, forwards and back, as a user scrolls.
    for (const int to : {1, 2, 3, 5, 6, 7, bar->maximum(), 6, 4, 3, 0}) {
        SCOPED_TRACE(to);
        bar->setValue(std::min(to, bar->maximum()));
        QTest::qWait(30);
        const QImage scrolled = shownPixels(h);
        h->viewport()->repaint();
        const QImage whole = shownPixels(h);
        EXPECT_EQ(scrolled, whole);
        // Cells wholly out of view leave nothing at the header's left end.
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) EXPECT_NE(whole.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    }
}

TEST(SpecialRates, CreationFailuresGoToTheDefaultReportAndTheHeaderStays) {
    struct Case {
        const char *what;
        QString schemaChange; // replaces hs_dm_tax; empty: no change
        bool file;
        QString message; // a pattern
    } cases[] = {
        {"missing column",
         "create table hs_dm_tax as select id,code,name,low_tax,yatai_tax,wl_tax,jpz_tax,yn_tax,"
         "lw_tax,mlxy_tax,md_tax,flb_tax,xjp_tax,tg_tax,yuen_tax,EX_OFFICIAL_TAX,EX_ZD_TAX,"
         "EX_SPEC_TAX,zhili_tax,bjst_tax,xinjiapo_tax,xxl_tax,milu_tax,xg_tax,am_tax,tw_tax,"
         "IM_ZD_TAX from t",
         true, "^qry1: Field 'ecfa' not found\\.$"},
        {"memo of another kind",
         "create table hs_dm_tax (id varchar(50), code varchar(30), name integer, "
         "low_tax varchar(50), yatai_tax varchar(50), wl_tax varchar(50), jpz_tax varchar(50), "
         "yn_tax varchar(50), lw_tax varchar(50), mlxy_tax varchar(50), md_tax varchar(50), "
         "flb_tax varchar(50), xjp_tax varchar(50), tg_tax varchar(50), yuen_tax varchar(50), "
         "ecfa varchar(50), EX_OFFICIAL_TAX varchar(50), EX_ZD_TAX varchar(200), "
         "EX_SPEC_TAX varchar(50), zhili_tax varchar(50), bjst_tax varchar(50), "
         "xinjiapo_tax varchar(50), xxl_tax varchar(50), milu_tax varchar(50), "
         "xg_tax varchar(50), am_tax varchar(50), tw_tax varchar(50), IM_ZD_TAX varchar(100))",
         true, "^Type mismatch for field 'name', expecting: Memo actual: Integer\\.$"},
        {"missing table", "create table t2 (x)", true, "^no such table: hs_dm_tax\\.$"},
        {"missing file", "", false, "quorvel\\.mdb"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TestDatabase db(c.file);
        if (!c.schemaChange.isEmpty()) {
            db.exec(QStringLiteral("alter table hs_dm_tax rename to t"));
            db.exec(c.schemaChange);
        }
        View v;
        v.open(QStringLiteral("01012100"));
        ASSERT_EQ(v.platform.boxes.size(), 1);
        EXPECT_EQ(v.platform.boxes[0].caption, QStringLiteral("Zendrik查"));
        EXPECT_EQ(v.platform.boxes[0].icon, Platform::Icon::Stop);
        EXPECT_TRUE(v.platform.boxes[0].text.contains(QRegularExpression(c.message)))
            << v.platform.boxes[0].text.toStdString();
        EXPECT_EQ(v.form->grid()->model()->rowCount(), 0);
        EXPECT_EQ(v.header()->height(), 3 * v.header()->levelHeight());
        QStringList expected = kDeclaredHeader;
        QStringList actual = headerLayout(v.header());
        std::sort(expected.begin(), expected.end());
        std::sort(actual.begin(), actual.end());
        EXPECT_EQ(actual, expected);
    }
}

TEST(SpecialRates, NoRowsForAnEmptyOrUnknownCodeAndNoMessage) {
    for (const QString code : {"", "99999999"}) {
        TestDatabase db;
        addRateRow(db, QStringLiteral("r1"), QStringLiteral("01012100"), 1);
        View v;
        v.open(code);
        EXPECT_TRUE(v.platform.boxes.isEmpty());
        EXPECT_EQ(v.form->grid()->model()->rowCount(), 0) << code.toStdString();
        EXPECT_EQ(v.form->query().sql(), Statement("select * from hs_dm_tax where code = ?", {ScrambleCode(code)}));
    }
}
