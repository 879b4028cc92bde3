#include "app/MainWindow.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "data/FileStore.h"
#include "data/ServerStore.h"
#include "grid/DataGrid.h"
#include "grid/FindDialog.h"
#include "platform/RecordingPlatform.h"
#include "search/SearchStatements.h"
#include "support/Controls.h"
#include "support/TestDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Row {
    const char *code;
    const char *name;
};
// Names and codes chosen so that prefixes, fragments, case and wildcards can be told apart.
const Row kRows[] = {
    {"7208510000", "热轧钢板"},     {"7208520000", "热轧钢板(厚)"}, {"7210490000", "镀锌钢板"},
    {"7304190000", "无缝钢管"},     {"5201000000", "未梳棉花"},     {"8501109101", "微电机"},
    {"8471300000", "便携式计算机"}, {"8471410000", "ABS Computer"}, {"2204210000", "Tom's wine"},
    {"3926909090", "塑料制品100%"}, {"0101210010", "改良种用马"},   {"720851001099", "热轧钢板长码"},
};

class SearchWindow : public ::testing::Test {
protected:
    void SetUp() override {
        int id = 0;
        for (const Row &r : kRows) {
            const QString code = ScrambleCode(QString::fromUtf8(r.code));
            const QString name = QString::fromUtf8(r.name).replace(u'\'', QStringLiteral("''"));
            ++id;
            db.exec(QStringLiteral("insert into official_hs (id,hs_code,name,spec,low_rate,lice,reg_rate) "
                                   "values (%1,'%2','%3','要素',6.5,'AB',13)")
                        .arg(id)
                        .arg(code, name));
            db.exec(QStringLiteral("insert into hs_classify values (%1,'%2','%3','说明')").arg(id).arg(code, name));
            db.exec(QStringLiteral("insert into case_hs values (%1,'%3','%2','要素','2024-01-01','2024-01-01',0,'')")
                        .arg(id)
                        .arg(code, name));
        }
        db.exec(QStringLiteral("insert into news values ('1','t')"));
        QDir(db.dir()).mkpath(QStringLiteral("images"));
        QImage(385, 65, QImage::Format_RGB888).save(db.dir() + QStringLiteral("images/banner.bmp"), "BMP");
        form = std::make_unique<MainWindow>();
        form->show();
        ASSERT_TRUE(platform.boxes.isEmpty());
    }

    // Types into the boxes as a user does and presses Enter in the name box.
    void search(const QString &code, const QString &name) {
        control<QLineEdit>(*form, "edtCode")->clear();
        control<QLineEdit>(*form, "edtName")->clear();
        type(control<QLineEdit>(*form, "edtCode"), code);
        type(control<QLineEdit>(*form, "edtName"), name);
        QTest::keyClick(control<QLineEdit>(*form, "edtName"), Qt::Key_Return);
    }

    // Key presses carrying each character as its text, as an input method delivers Chinese.
    static void type(QWidget *w, const QString &text) {
        for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }

    static QStringList column(DataGrid *grid, int col) {
        QStringList out;
        grid->gridModel()->fetchAll();
        for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->gridModel()->text(r, col);
        out.sort();
        return out;
    }

    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;
};

} // namespace

TEST_F(SearchWindow, FindsRowsByPrefixFragmentOrBoth) {
    struct Case {
        QString code, name;
        QStringList codes; // plain codes found, the same in all three tables
    } cases[] = {
        {"7208", "", {"7208510000", "7208520000", "720851001099"}},
        {"  7208\t", "", {"7208510000", "7208520000", "720851001099"}},
        {"", "钢板", {"7208510000", "7208520000", "7210490000", "720851001099"}},
        {"73", "钢管", {"7304190000"}},
        {"7208", "镀锌", {}},
        {"", "computer", {"8471410000"}}, // Latin letters ignore case
        {"", "abs", {"8471410000"}},
        {"7208.", "", {}}, // a dot no code has there
        {"72_8", "", {}}, // '_' in the code box matches only itself
        {"", "热轧_板", {"7208510000", "7208520000", "720851001099"}}, // '_' is one character
        {"", "轧%(厚", {"7208520000"}}, // '%' is any run
        {"", "Tom's", {"2204210000"}}, // an apostrophe is searched for, not an error
        {"", "100%", {"3926909090"}},
    };
    for (const Case &c : cases) {
        search(c.code, c.name);
        EXPECT_TRUE(platform.boxes.isEmpty())
            << c.name.toStdString() << ": " << (platform.boxes.isEmpty() ? "" : platform.boxes[0].text.toStdString());
        QStringList expected = c.codes;
        expected.sort();
        EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd1"), 0), expected)
            << c.code.toStdString() << "|" << c.name.toStdString();
        EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd2"), 0), expected)
            << c.code.toStdString() << "|" << c.name.toStdString();
        EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd3"), 0).size(), expected.size());
        platform.boxes.clear();
    }
}

TEST_F(SearchWindow, BothBoxesEmptyShowsTheWarningAndKeepsTheRows) {
    search(QStringLiteral("7208"), QString());
    const int rows = control<DataGrid>(*form, "dbgrd1")->model()->rowCount();
    search(QStringLiteral("   "), QStringLiteral(" "));
    EXPECT_TRUE(control<QLabel>(*form, "lbl6")->isVisible());
    EXPECT_EQ(control<QLabel>(*form, "lbl6")->text(), QStringLiteral("商品编码和品名不能都为空！"));
    EXPECT_EQ(control<DataGrid>(*form, "dbgrd1")->model()->rowCount(), rows);
    // Enter in the code box runs the search too; a tab click hides the warning.
    control<QLineEdit>(*form, "edtName")->clear();
    QTest::keyClick(control<QLineEdit>(*form, "edtCode"), Qt::Key_Return);
    EXPECT_TRUE(control<QLabel>(*form, "lbl6")->isVisible());
    QTest::mouseClick(control<PictureButton>(*form, "imgtab3"), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_FALSE(control<QLabel>(*form, "lbl6")->isVisible());
    EXPECT_TRUE(control<DataGrid>(*form, "dbgrd3")->isVisible());
    EXPECT_FALSE(control<DataGrid>(*form, "dbgrd1")->isVisible());
}

TEST_F(SearchWindow, SearchKeepsTheVisibleGridAndTheButtonRunsIt) {
    QTest::mouseClick(control<PictureButton>(*form, "imgtab2"), Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_TRUE(control<DataGrid>(*form, "dbgrd2")->isVisible());
    type(control<QLineEdit>(*form, "edtCode"), QStringLiteral("5201"));
    QTest::mouseClick(control<PictureButton>(*form, "imgQuery"), Qt::LeftButton, {}, QPoint(36, 16));
    EXPECT_TRUE(control<DataGrid>(*form, "dbgrd2")->isVisible());
    EXPECT_FALSE(control<DataGrid>(*form, "dbgrd1")->isVisible());
    EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd1"), 0), QStringList{"5201000000"});
    EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd3"), 1), QStringList{"未梳棉花"});
}

TEST_F(SearchWindow, CaseCodesShowTheirDotAndOtherCodesShowPlain) {
    search(QStringLiteral("72085"), QString());
    // 7208510000 ends in 00: no dot; 720851001099 has 10 at characters 9-10 and loses the rest.
    EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd3"), 0), (QStringList{"72085100", "72085100.10", "72085200"}));
    EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd1"), 0), (QStringList{"7208510000", "720851001099", "7208520000"}));
}

TEST_F(SearchWindow, AFailingStatementKeepsEarlierResultsAndLeavesLaterOnes) {
    search(QStringLiteral("7208"), QString());
    db.exec(QStringLiteral("drop table hs_classify"));
    Platform::setApplicationTitle(QStringLiteral("Zendrik查")); // as the program sets it
    search(QStringLiteral("5201"), QString());
    Platform::setApplicationTitle(QString());
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("Zendrik查"));
    EXPECT_EQ(platform.boxes[0].icon, Platform::Icon::Stop);
    EXPECT_TRUE(platform.boxes[0].text.contains(QStringLiteral("hs_classify")));
    EXPECT_EQ(column(control<DataGrid>(*form, "dbgrd1"), 0), QStringList{"5201000000"}); // ran before the failure
    EXPECT_EQ(control<DataGrid>(*form, "dbgrd2")->model()->rowCount(), 0); // the failing one is closed
    EXPECT_EQ(control<DataGrid>(*form, "dbgrd3")->model()->rowCount(), 3); // still the previous result
}

TEST_F(SearchWindow, RowsAreColouredByRecordNumberAndTheWheelMovesOneRow) {
    search(QString(), QStringLiteral("钢"));
    DataGrid *g = control<DataGrid>(*form, "dbgrd1");
    ASSERT_GE(g->model()->rowCount(), 3);
    EXPECT_EQ(g->model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(g->model()->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(247, 248, 251));
    EXPECT_EQ(g->model()->index(2, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    g->setFocus();
    g->setCurrentIndex(g->model()->index(0, 1));
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(50, 50), g->mapToGlobal(QPointF(50, 50)), {}, {0, delta}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(g->viewport(), &e);
    };
    QApplication::setActiveWindow(form.get());
    g->setFocus();
    ASSERT_TRUE(g->hasFocus());
    wheel(-120);
    EXPECT_EQ(g->currentIndex().row(), 1);
    wheel(-360); // a big step is still one row
    EXPECT_EQ(g->currentIndex().row(), 2);
    wheel(120);
    EXPECT_EQ(g->currentIndex().row(), 1);
}

TEST(SearchStatementsText, AreBuiltFromTheFixedFragmentsWithEveryValueBound) {
    using namespace SearchStatements;
    const auto file = std::make_shared<FileStore>(QSet<QString>{});
    const auto server = std::make_shared<ServerStore>(QSet<QString>{}, QSet<QString>{});
    const auto text = [](const std::shared_ptr<const Store> &store, Table table, const char *code, const char *name) {
        return SearchQuery(store, terms(table, QString::fromUtf8(code), QString::fromUtf8(name)),
                           SearchPlan::Plan::AsWritten)
            .rows();
    };
    const QString scrambled = ScrambleCode(QStringLiteral("0101"));
    EXPECT_EQ(text(file, CaseHs, "0101", ""),
              Statement("select id,code,name,spec from case_hs where code like ? order by code", {scrambled + u'%'}));
    EXPECT_EQ(text(file, OfficialHs, "01", "马"),
              Statement("select id,hs_code,name,spec,low_rate,lice,reg_rate,'查看详情' as b from official_hs "
                        "where hs_code like ? and name like ? order by hs_code",
                        {QStringLiteral("6EF2%"), QStringLiteral("%马%")}));
    // An apostrophe is a value like any other.
    EXPECT_EQ(text(file, HsClassify, "", "a'b"),
              Statement("select id,code_t,g_name,class_spec from hs_classify where g_name like ? order by code_t",
                        {QStringLiteral("%a'b%")}));
    // The server compares A-Z folded on both sides and orders equal codes as written.
    EXPECT_EQ(text(server, CaseHs, "0101", "AbC"),
              Statement("select id,code,name,spec from case_hs where zendrik_nocase(code) like ? escape '' and "
                        "zendrik_nocase(name) like ? escape '' order by zendrik_nocase(code), rowid",
                        {scrambled.toLower() + u'%', QStringLiteral("%abc%")}));
    EXPECT_EQ(trimmed(QStringLiteral("\t 12 3\n")), QStringLiteral("12 3"));
    EXPECT_EQ(trimmed(QStringLiteral("\u300012\u3000")), QStringLiteral("\u300012\u3000")); // full-width space stays
}

TEST_F(SearchWindow, CtrlFFindsRowsByTheirDisplayedText) {
    search(QString(), QStringLiteral("%")); // every row
    DataGrid *g = control<DataGrid>(*form, "dbgrd1");
    g->setFocus();
    QTest::keyClick(g, Qt::Key_F, Qt::ControlModifier);
    FindDialog *d = g->findDialog();
    ASSERT_TRUE(d->isVisible());
    EXPECT_TRUE(d->displayedText->isChecked());
    struct Case {
        QString text;
        bool displayed, whole, beginning, matchCase;
        QString foundCode; // empty: nothing found
    } cases[] = {
        {"7304190000", true, false, false, false, "7304190000"},
        {"7304190000", false, false, false, false, ""}, // stored codes are scrambled
        {"04190", true, false, false, false, "7304190000"},
        {"04190", true, true, false, false, ""},
        {"04190", true, false, true, false, ""},
        {"7304", true, false, true, false, "7304190000"},
        {"abs computer", true, false, false, false, "8471410000"},
        {"abs computer", true, false, false, true, ""},
        {"便携", true, false, false, false, "8471300000"},
    };
    for (const Case &c : cases) {
        g->setCurrentIndex(g->model()->index(0, 0));
        d->text->setEditText(c.text);
        d->displayedText->setChecked(c.displayed);
        (c.whole ? d->wholeValue : c.beginning ? d->beginning : d->anywhere)->setChecked(true);
        d->matchCase->setChecked(c.matchCase);
        const bool found = d->findNext();
        EXPECT_EQ(found, !c.foundCode.isEmpty()) << c.text.toStdString();
        if (found) {
            EXPECT_EQ(g->gridModel()->text(g->currentIndex().row(), 0), c.foundCode) << c.text.toStdString();
        }
    }
    EXPECT_GE(d->text->count(), 3) << "texts searched before are offered again";
}

TEST_F(SearchWindow, AStoredCodeThatIsNotScrambledTextShowsAsStored) {
    db.exec(QStringLiteral("insert into official_hs (id,hs_code,name) values (99,'ZZ12','坏编码')"));
    search(QString(), QStringLiteral("坏编码"));
    ASSERT_EQ(control<DataGrid>(*form, "dbgrd1")->model()->rowCount(), 1);
    EXPECT_EQ(control<DataGrid>(*form, "dbgrd1")->gridModel()->text(0, 0), QStringLiteral("ZZ12"));
    control<DataGrid>(*form, "dbgrd1")->grab(); // painting it raises nothing
    EXPECT_TRUE(platform.boxes.isEmpty());
}

TEST_F(SearchWindow, AResultStandsOnItsFirstRowSoTheFirstWheelTurnMovesToTheSecond) {
    search(QString(), QStringLiteral("钢"));
    DataGrid *g = control<DataGrid>(*form, "dbgrd1");
    ASSERT_GE(g->model()->rowCount(), 2);
    EXPECT_EQ(g->currentIndex().row(), 0);
    QApplication::setActiveWindow(form.get());
    g->setFocus();
    QWheelEvent e(QPointF(50, 50), g->mapToGlobal(QPointF(50, 50)), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(g->viewport(), &e);
    EXPECT_EQ(g->currentIndex().row(), 1);
}

TEST(SearchAfterFailedStart, ShowsItsRows) {
    // Start-up ends early (a news item without a title), before the grids are linked; a search
    // still shows rows.
    RecordingPlatform platform;
    TestDatabase db;
    db.exec(QStringLiteral("insert into news values ('1', null)"));
    db.exec(QStringLiteral("insert into case_hs values (1,'热轧钢板','%1','s','2024-01-01','',0,'')")
                .arg(ScrambleCode(QStringLiteral("7208510000"))));
    QDir(db.dir()).mkpath(QStringLiteral("images"));
    QImage(385, 65, QImage::Format_RGB888).save(db.dir() + QStringLiteral("images/banner.bmp"), "BMP");
    MainWindow form;
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    control<QLineEdit>(form, "edtCode")->setText(QStringLiteral("7208"));
    click(control<PictureButton>(form, "imgQuery"));
    EXPECT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->model()->rowCount(), 1);
    EXPECT_EQ(control<DataGrid>(form, "dbgrd3")->gridModel()->text(0, 0), QStringLiteral("72085100"));
}
