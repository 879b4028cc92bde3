// The description search in the main window, driven as a declarant drives it: a description in
// the name box and its mark (or Ctrl+D), a new description typed in the view and Enter, a click
// on a ranked code opening its detail, and 返回 back to the ranking and then to the results.
#include "app/MainWindow.h"
#include "app/SuggestModel.h"
#include "app/SuggestPanel.h"
#include "chrome/PictureButton.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QFrame>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace LookupFixture;

namespace {

// Chinese text arrives from the input method as a committed string.
void typeChinese(QWidget *box, const QString &text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

struct Window {
    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;

    Window() {
        writeStartupRows(db);
        const std::pair<const char *, const char *> lines[] = {
            {"0202200090", "其他冻藏的带骨牛肉"}, {"0201300090", "其他鲜或冷藏的去骨牛肉"},
            {"8507600090", "其他锂离子蓄电池"},   {"8507200000", "其他铅酸蓄电池"},
            {"8517130000", "智能手机"},
        };
        int id = 0;
        for (const auto &[code, name] : lines)
            addTariff(db, ++id, QString::fromLatin1(code), QString::fromUtf8(name), QStringLiteral("AB"));
        form = std::make_unique<MainWindow>();
        showActive(form.get());
    }

    // The codes of the ranked lines, best first.
    QStringList ranked() const {
        QStringList out;
        for (const Suggestion &s : form->suggestions()->model().suggestions()) out << s.code;
        return out;
    }
};

} // namespace

TEST(SuggestWindow, DescribeRankOpenAndGoBack) {
    Window w;
    MainWindow &f = *w.form;
    QLineEdit *nameBox = control<QLineEdit>(f, "edtName");
    QFrame *view = control<QFrame>(f, "pnlSuggest");
    EXPECT_FALSE(view->isVisible());

    // The name box's mark takes its text as the description.
    nameBox->setFocus();
    typeChinese(nameBox, QStringLiteral("冷凍帶骨牛肉 10kg/箱"));
    QToolButton *mark = nullptr;
    for (QToolButton *b : nameBox->findChildren<QToolButton *>())
        if (b->defaultAction() && b->defaultAction()->objectName() == QLatin1String("actDescribe")) mark = b;
    ASSERT_NE(mark, nullptr);
    QTest::mouseClick(mark, Qt::LeftButton);
    ASSERT_TRUE(view->isVisible());
    EXPECT_EQ(control<QLineEdit>(f, "edtDescribe")->text(), QStringLiteral("冷凍帶骨牛肉 10kg/箱"));
    ASSERT_FALSE(w.ranked().isEmpty());
    EXPECT_EQ(w.ranked().first(), QStringLiteral("0202200090"));
    EXPECT_TRUE(control<PictureButton>(f, "imgreturn1")->isVisible());
    EXPECT_FALSE(control<PictureButton>(f, "imgtab1")->isVisible());

    // A new description typed in the view, then Enter.
    QLineEdit *describe = control<QLineEdit>(f, "edtDescribe");
    describe->selectAll();
    typeChinese(describe, QStringLiteral("锂电池"));
    QTest::keyClick(describe, Qt::Key_Return);
    ASSERT_FALSE(w.ranked().isEmpty());
    EXPECT_EQ(w.ranked().first(), QStringLiteral("8507600090"));
    EXPECT_EQ(control<QLabel>(f, "lblSuggestHint")->text(),
              QStringLiteral("前 %1 条，按相符程度排列").arg(w.ranked().size()));

    // A click on the first line's code opens its detail over the ranking.
    QTableView *grid = control<QTableView>(f, "dbgrdSuggest");
    const QRect cell = grid->visualRect(grid->model()->index(0, SuggestModel::Code));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
    EXPECT_EQ(column(control<DataGrid>(f, "dbgrd4"), QStringLiteral("hs_code")), QStringList{"8507600090"});

    // 返回 goes back to the ranking, then Esc to the results.
    click(control<PictureButton>(f, "imgreturn1"));
    EXPECT_FALSE(control<QFrame>(f, "pnl2")->isVisible());
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(w.ranked().first(), QStringLiteral("8507600090"));
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    EXPECT_TRUE(control<PictureButton>(f, "imgtab1")->isVisible());
    EXPECT_TRUE(w.platform.boxes.isEmpty());
}

TEST(SuggestWindow, CtrlDOpensTheViewAndNothingFoundIsSaid) {
    Window w;
    MainWindow &f = *w.form;
    QLineEdit *nameBox = control<QLineEdit>(f, "edtName");
    nameBox->setFocus();
    typeChinese(nameBox, QStringLiteral("完全无关词语"));
    QTest::keyClick(nameBox, Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(control<QFrame>(f, "pnlSuggest")->isVisible());
    EXPECT_TRUE(w.ranked().isEmpty());
    EXPECT_EQ(control<QLabel>(f, "lblSuggestHint")->text(), QStringLiteral("没有找到与描述相符的税则号列"));
    // An empty description asks for one.
    QLineEdit *describe = control<QLineEdit>(f, "edtDescribe");
    describe->clear();
    QTest::keyClick(describe, Qt::Key_Return);
    EXPECT_EQ(control<QLabel>(f, "lblSuggestHint")->text(), QStringLiteral("请输入货物描述"));
}
