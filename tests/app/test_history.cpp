// What the main window remembers for its user: the last 50 searches of each box, offered as the
// user types, and the window's place and open tab from one start of the program to the next.
// The settings are a temporary folder's (the test main sees to that), emptied before each test.
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/SearchHistory.h"
#include "app/UserSettings.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace LookupFixture;

namespace {

void fill(TestDatabase &db) {
    writeStartupRows(db);
    addTariff(db, 1, QStringLiteral("84713000"), QStringLiteral("便携式计算机"), QStringLiteral("A"));
    addTariff(db, 2, QStringLiteral("84714100"), QStringLiteral("其他计算机"), QStringLiteral("A"));
    addTariff(db, 3, QStringLiteral("72085100"), QStringLiteral("热轧钢板"), QStringLiteral("A"));
    db.exec(QStringLiteral("insert into hs_classify values (1,'%1','钢板','说明')")
                .arg(ScrambleCode(QStringLiteral("72085100"))));
}

struct Window {
    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;

    Window() {
        fill(db);
        open();
    }
    void open() {
        form = std::make_unique<MainWindow>();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Types into a box as the user does and presses Enter there.
    static void search(QLineEdit *box, const QString &text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    // What the box offers for what is typed into it.
    static QStringList offered(QLineEdit *box, const QString &typed) {
        QApplication::processEvents(); // as the event loop runs between key presses
        box->setFocus();
        box->clear();
        for (QChar ch : typed) QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QStringList out;
        QCompleter *c = box->completer();
        if (!c->popup()->isVisible()) return out;
        for (int r = 0; r < c->completionModel()->rowCount(); ++r)
            out << c->completionModel()->index(r, 0).data().toString();
        return out;
    }
};

} // namespace

TEST(History, EachBoxOffersItsLastSearchesAsTheUserTypesAndKeepsThemForTheNextStart) {
    Window w;
    MainWindow &f = *w.form;
    // Nothing is offered before anything was searched.
    EXPECT_EQ(Window::offered(control<QLineEdit>(f, "edtCode"), QStringLiteral("8")), QStringList());

    Window::search(control<QLineEdit>(f, "edtCode"), QStringLiteral("8471"));
    Window::search(control<QLineEdit>(f, "edtCode"), QStringLiteral("  7208 ")); // kept trimmed, as searched
    Window::search(control<QLineEdit>(f, "edtCode"), QStringLiteral("847141"));
    control<QLineEdit>(f, "edtCode")->clear();
    Window::search(control<QLineEdit>(f, "edtName"), QStringLiteral("热轧钢板"));
    Window::search(control<QLineEdit>(f, "edtName"), QStringLiteral("计算机"));
    // Both boxes empty: no search ran, nothing is kept.
    control<QLineEdit>(f, "edtName")->clear();
    QTest::keyClick(control<QLineEdit>(f, "edtName"), Qt::Key_Return);
    ASSERT_TRUE(control<QLabel>(f, "lbl6")->isVisible());

    EXPECT_EQ(control<SearchHistory>(f, "codeHistory")->entries(), (QStringList{"847141", "7208", "8471"}));
    EXPECT_EQ(control<SearchHistory>(f, "nameHistory")->entries(), (QStringList{"计算机", "热轧钢板"}));
    struct Offer {
        QLineEdit *box;
        QString typed;
        QStringList offered; // newest first
    } offers[] = {
        {control<QLineEdit>(f, "edtCode"), "84", {"847141", "8471"}},
        {control<QLineEdit>(f, "edtCode"), "72", {"7208"}},
        {control<QLineEdit>(f, "edtCode"), "9", {}},
        // A name fragment is offered wherever it stands in a remembered name.
        {control<QLineEdit>(f, "edtName"), "钢", {"热轧钢板"}},
        {control<QLineEdit>(f, "edtName"), "计", {"计算机"}},
    };
    for (const Offer &o : offers) EXPECT_EQ(Window::offered(o.box, o.typed), o.offered) << o.typed.toStdString();

    // Down and Enter take an offered search and run it.
    control<QLineEdit>(f, "edtName")->clear();
    EXPECT_EQ(Window::offered(control<QLineEdit>(f, "edtCode"), QStringLiteral("84")), (QStringList{"847141", "8471"}));
    QTest::keyClick(control<QLineEdit>(f, "edtCode")->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(control<QLineEdit>(f, "edtCode")->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(control<QLineEdit>(f, "edtCode")->completer()->popup(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(control<QLineEdit>(f, "edtCode")->text(), QStringLiteral("8471"));
    EXPECT_EQ(column(control<DataGrid>(f, "dbgrd1"), QStringLiteral("hs_code")), (QStringList{"84713000", "84714100"}));
    // A search made again moves to the front, once.
    EXPECT_EQ(control<SearchHistory>(f, "codeHistory")->entries(), (QStringList{"8471", "847141", "7208"}));

    // The next start offers the same.
    w.form.reset();
    w.open();
    EXPECT_EQ(control<SearchHistory>(*w.form, "codeHistory")->entries(), (QStringList{"8471", "847141", "7208"}));
    EXPECT_EQ(Window::offered(control<QLineEdit>(*w.form, "edtName"), QStringLiteral("钢")), QStringList{"热轧钢板"});
}

TEST(History, KeepsTheLast50SearchesNewestFirst) {
    Window w;
    for (int i = 1; i <= 60; ++i) control<SearchHistory>(*w.form, "codeHistory")->add(QString::number(1000 + i));
    QStringList expected;
    for (int i = 60; i > 10; --i) expected << QString::number(1000 + i);
    EXPECT_EQ(control<SearchHistory>(*w.form, "codeHistory")->entries(), expected);
    // As kept for the next start, too, and read back no longer than 50 even when the file says more.
    EXPECT_EQ(userSettings().value(QStringLiteral("history/code")).toStringList(), expected);
    userSettings().setValue(QStringLiteral("history/code"), expected + QStringList{"1", "2", ""});
    w.form.reset();
    w.open();
    EXPECT_EQ(control<SearchHistory>(*w.form, "codeHistory")->entries(), expected);
}

namespace {
// Runs the program as its executable does, with `during` called once its window is up; the window
// is then closed as the user closes it.
void runOnce(const std::function<void(MainWindow &)> &during) {
    QTimer::singleShot(0, [&] {
        MainWindow *form = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<MainWindow *>(w)) form = f;
        if (!form) return QApplication::quit();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        during(*form);
        form->close();
    });
    runProgram(QStringLiteral("zendrikPlaceTest"));
}
} // namespace

TEST(History, TheWindowOpensWhereItWasLeftWithTheTabThatWasOpen) {
    QTemporaryDir runtime; // a private single-instance lock
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    RecordingPlatform platform;
    TestDatabase db;
    fill(db);
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();

    QRect first;
    runOnce([&](MainWindow &f) {
        first = f.frameGeometry();
        // The first start opens centred, on the tariff grid.
        EXPECT_LE(std::abs(first.center().x() - room.center().x()), 1);
        EXPECT_TRUE(control<DataGrid>(f, "dbgrd1")->isVisible());
        f.move(room.topLeft() + QPoint(0, 3));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_3, Qt::AltModifier);
        ASSERT_TRUE(control<DataGrid>(f, "dbgrd3")->isVisible());
    });
    runOnce([&](MainWindow &f) {
        EXPECT_EQ(f.pos(), room.topLeft() + QPoint(0, 3));
        EXPECT_TRUE(control<DataGrid>(f, "dbgrd3")->isVisible());
        EXPECT_FALSE(control<DataGrid>(f, "dbgrd1")->isVisible());
        // Closed in a detail view opened from the rulings grid: that grid is the one to return to.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::AltModifier);
        clickCell(control<DataGrid>(f, "dbgrd2"), 0, QStringLiteral("code_t"));
        ASSERT_TRUE(control<QFrame>(f, "pnl2")->isVisible());
    });
    runOnce([&](MainWindow &f) {
        EXPECT_TRUE(control<DataGrid>(f, "dbgrd2")->isVisible());
        EXPECT_FALSE(control<QFrame>(f, "pnl2")->isVisible());
        EXPECT_TRUE(control<PictureButton>(f, "imgtab1")->isVisible());
    });

    // A place no screen shows any more (a screen taken away): the window comes wholly onto one.
    for (const QPoint far : {QPoint(5000, 4000), QPoint(-3000, -40), QPoint(room.right() - 10, room.top() + 2)}) {
        userSettings().setValue(QStringLiteral("mainWindow/position"), far);
        runOnce([&](MainWindow &f) {
            SCOPED_TRACE(QStringLiteral("%1,%2").arg(far.x()).arg(far.y()).toStdString());
            EXPECT_TRUE(room.contains(f.frameGeometry())) << f.frameGeometry().x() << "," << f.frameGeometry().y();
        });
    }
    EXPECT_TRUE(platform.boxes.isEmpty());
    if (oldRuntime.isNull()) qunsetenv("XDG_RUNTIME_DIR");
    else qputenv("XDG_RUNTIME_DIR", oldRuntime);
}
