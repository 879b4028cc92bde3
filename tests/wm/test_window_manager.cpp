// The main window under a real window manager: a private X server with openbox, real input
// through the X server (xdotool), the window manager's own record of the window (_NET_WM_STATE,
// the geometry X reports) and the pixels on the screen. The test runs its windows on that
// server itself, whatever platform the environment names.
#include "app/MainWindow.h"
#include "app/SpecialRatesView.h"
#include "chrome/AboutWindow.h"
#include "chrome/ClickLabel.h"
#include "chrome/PictureButton.h"
#include "chrome/SkinnedWindow.h"
#include "data/CodeCodec.h"
#include "grid/DataGrid.h"
#include "grid/FindDialog.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/TestDatabase.h"
#include "support/XSession.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using FrameGeometry::FramePicture;

namespace {

XSession *session = nullptr; // the X server the windows of this test run on (see main)

bool waitFor(const std::function<bool()> &condition, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(5);
    }
    return true;
}

// Real input: xdotool goes through the X server's test extension, like a physical mouse. The
// window keeps handling its events while the tool runs.
void xdotool(const QStringList &args, int settleMs = 150) {
    QProcess p;
    p.setProcessEnvironment(session->environment());
    p.start(QStringLiteral("xdotool"), args);
    EXPECT_TRUE(waitFor([&] { return p.state() == QProcess::NotRunning; }, 10000)) << args.join(u' ').toStdString();
    EXPECT_EQ(p.exitCode(), 0) << args.join(u' ').toStdString() << ": " << p.readAllStandardError().toStdString();
    QTest::qWait(settleMs);
}

QString num(int v) { return QString::number(v); }

void pointerTo(QPoint global) {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), num(global.x()), num(global.y())});
}

// The pointer moved in small steps with the button held, as a hand drags.
void dragBy(QPoint delta, int steps = 8) {
    for (int i = 0; i < steps; ++i) {
        const QPoint step = delta * (i + 1) / steps - delta * i / steps;
        xdotool({QStringLiteral("mousemove_relative"), QStringLiteral("--sync"), QStringLiteral("--"), num(step.x()),
                 num(step.y())},
                60);
    }
}

// The window manager's state atoms of a window.
QStringList netWmState(WId id) {
    const QString out =
        session->run(QStringLiteral("xprop"), {QStringLiteral("-id"), num(int(id)), QStringLiteral("_NET_WM_STATE")});
    const int eq = out.indexOf(u'=');
    QStringList atoms;
    if (eq < 0) return atoms;
    for (const QString &a : out.mid(eq + 1).split(u',')) atoms << a.trimmed();
    atoms.removeAll(QString());
    return atoms;
}

// Where X has the window: its absolute position and size.
QRect xGeometry(WId id) {
    const QString out = session->run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), num(int(id))});
    auto value = [&](const char *label) {
        const QRegularExpression re(QLatin1String(label) + QStringLiteral(":\\s*(-?\\d+)"));
        return re.match(out).captured(1).toInt();
    };
    return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")};
}

QImage screenShot() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// The screen shows a button cell (the top 29 rows, which every look draws) at a global position.
bool showsCell(const QImage &shot, QPoint at, FramePicture pic, int cellX) {
    const QImage &cells = SkinnedWindow::framePicture(pic);
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < FrameGeometry::kCellWidth; ++x)
            if (shot.pixel(at + QPoint(x, y)) != cells.pixel(cellX + x, y)) return false;
    return true;
}

// With ZENDRIK_SHOT_DIR set, the screen as the window manager shows it is saved there.
void saveShot(const char *name, const QRect &part = {}) {
    const QByteArray dir = qgetenv("ZENDRIK_SHOT_DIR");
    if (dir.isEmpty()) return;
    const QImage shot = screenShot();
    (part.isNull() ? shot : shot.copy(part)).save(QString::fromLocal8Bit(dir + "/" + name));
}

class MainWindowUnderWindowManager : public testing::Test {
protected:
    void SetUp() override {
        if (!session->ok())
            GTEST_SKIP() << "no X server with a window manager could start here: " << session->error().toStdString();
        LookupFixture::writeStartupRows(db);
        form = std::make_unique<MainWindow>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        ASSERT_TRUE(waitFor([&] { return form->isActiveWindow() && form->isFrameActive(); }));
        QTest::qWait(300);
        normal = form->geometry();
        room = form->screen()->availableGeometry();
        ASSERT_EQ(normal.size(), QSize(846, 595));
        ASSERT_EQ(xGeometry(form->winId()), normal);
    }

    WId id() const { return form->winId(); }
    QPoint global(QPoint windowPos) const { return form->geometry().topLeft() + windowPos; }
    QPoint minButton() const { return global(FrameGeometry::minButtonPos(form->width())); }
    QPoint maxButton() const { return global(FrameGeometry::maxButtonPos(form->width())); }
    QPoint closeButton() const { return global(FrameGeometry::closeButtonPos(form->width())); }
    QPoint caption() const { return global({300, 15}); }
    QPoint offTheWindow() const { return form->geometry().bottomRight() + QPoint(40, 40); }

    bool maximizedByWindowManager() const {
        const QStringList s = netWmState(id());
        return s.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")) &&
               s.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ"));
    }
    bool hiddenByWindowManager() const { return netWmState(id()).contains(QLatin1String("_NET_WM_STATE_HIDDEN")); }

    void doubleClickCaption() {
        pointerTo(caption());
        xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                 QStringLiteral("80"), QStringLiteral("1")});
    }

    // The three buttons as the screen shows them: 0 normal, 26 pressed, 52 hover, -1 not drawn.
    QList<int> buttonLooks() const {
        const QImage shot = screenShot();
        QList<int> looks;
        const std::pair<FramePicture, QPoint> buttons[] = {{FramePicture::imgmin, minButton()},
                                                           {FramePicture::imgMax, maxButton()},
                                                           {FramePicture::imgclose, closeButton()}};
        for (const auto &[pic, at] : buttons) {
            int look = -1;
            for (int cellX : {0, FrameGeometry::kPressedCellX, FrameGeometry::kHoverCellX})
                if (showsCell(shot, at, pic, cellX)) look = cellX;
            looks << look;
        }
        return looks;
    }

    // The result and detail panels fill the client area below the header down to the status
    // line, and the status line sits at the client area's bottom.
    void expectLayoutFills() const {
        const QSize c = control<QWidget>(*form, "client")->size();
        const int extraW = c.width() - MainWindow::kClientWidth, extraH = c.height() - MainWindow::kClientHeight;
        EXPECT_EQ(control<QFrame>(*form, "pnl1")->geometry(), QRect(0, 136, c.width(), 400 + extraH));
        for (DataGrid *g : {control<DataGrid>(*form, "dbgrd1"), control<DataGrid>(*form, "dbgrd2"),
                            control<DataGrid>(*form, "dbgrd3")})
            EXPECT_EQ(g->size(), control<QFrame>(*form, "pnl1")->size());
        EXPECT_EQ(control<QFrame>(*form, "pnl2")->geometry(), QRect(0, 136, 834 + extraW, 400 + extraH));
        EXPECT_EQ(control<DataGrid>(*form, "dbgrd5")->geometry().bottom(),
                  control<DataGrid>(*form, "dbgrd6")->geometry().bottom());
        EXPECT_EQ(control<DataGrid>(*form, "dbgrd6")->geometry().right(), 833 + extraW - 1);
        EXPECT_EQ(control<QFrame>(*form, "pnl3")->geometry(), QRect(0, 136, 801 + extraW, 400 + extraH));
        for (QWidget *w :
             std::initializer_list<QWidget *>{control<QLabel>(*form, "lbl7"), control<QLabel>(*form, "lbl8"),
                                              control<ClickLabel>(*form, "lbl9"), control<ClickLabel>(*form, "lbl13")})
            EXPECT_EQ(w->y(), c.height() - 20) << w->objectName().toStdString();
        EXPECT_EQ(control<ClickLabel>(*form, "lbl13")->geometry().right(), c.width() - 1);
    }

    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<MainWindow> form;
    QRect normal, room;
};

TEST_F(MainWindowUnderWindowManager, CaptionDoubleClicksToggleMaximizedAndNormal) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        doubleClickCaption();
        ASSERT_TRUE(waitFor([&] { return maximizedByWindowManager(); })) << netWmState(id()).join(u' ').toStdString();
        QTest::qWait(600); // long enough for a window manager to take the state back
        EXPECT_TRUE(maximizedByWindowManager()) << "the window stays maximized";
        EXPECT_TRUE(form->isMaximized());
        EXPECT_EQ(form->geometry(), room);
        EXPECT_EQ(xGeometry(id()), room);
        expectLayoutFills();
        pointerTo(offTheWindow());
        EXPECT_EQ(buttonLooks(), QList<int>({0, -1, 0})) << "no maximize button while maximized";
        if (round == 0) saveShot("wm_maximized.png");

        doubleClickCaption();
        ASSERT_TRUE(waitFor([&] { return !maximizedByWindowManager() && form->geometry() == normal; }))
            << netWmState(id()).join(u' ').toStdString();
        EXPECT_FALSE(form->isMaximized());
        EXPECT_EQ(xGeometry(id()), normal);
        // Back at the designed size, every control stands where it did.
        EXPECT_EQ(control<QWidget>(*form, "client")->size(), QSize(838, 560));
        expectLayoutFills();
        EXPECT_EQ(control<DataGrid>(*form, "dbgrd5")->geometry(), QRect(0, 150, 427, 248));
        EXPECT_EQ(control<DataGrid>(*form, "dbgrd6")->geometry(), QRect(440, 150, 393, 248));
        EXPECT_EQ(control<ClickLabel>(*form, "lbl13")->pos(), QPoint(700, 540));
        pointerTo(offTheWindow());
        EXPECT_EQ(buttonLooks(), QList<int>({0, 0, 0})) << "the maximize button is back";
        if (round == 0) saveShot("wm_restored.png", normal.adjusted(-10, -10, 10, 10));
    }
}

TEST_F(MainWindowUnderWindowManager, MinimizeButtonAndRestoreRepaintTheButtons) {
    pointerTo(minButton() + QPoint(13, 10));
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(waitFor([&] { return hiddenByWindowManager(); })) << netWmState(id()).join(u' ').toStdString();
    EXPECT_TRUE(form->isMinimized());
    // Restored by the window manager, as a task bar does, with the pointer away from the buttons.
    pointerTo(offTheWindow());
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), num(int(id()))});
    ASSERT_TRUE(waitFor([&] { return !hiddenByWindowManager() && !form->isMinimized() && form->isActiveWindow(); }));
    QTest::qWait(400);
    EXPECT_EQ(xGeometry(id()), normal);
    EXPECT_EQ(buttonLooks(), QList<int>({0, 0, 0}));
    saveShot("wm_after_minimize.png", normal.adjusted(-10, -10, 10, 10));
}

TEST_F(MainWindowUnderWindowManager, ButtonsShowHoverAndPressedLooks) {
    pointerTo(maxButton() + QPoint(13, 10));
    EXPECT_EQ(buttonLooks(), QList<int>({0, 52, 0}));
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    EXPECT_EQ(buttonLooks(), QList<int>({0, 26, 0}));
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    // A release over the maximize button starts nothing of the window's own.
    QTest::qWait(300);
    EXPECT_FALSE(maximizedByWindowManager());
    EXPECT_EQ(form->geometry(), normal);
}

TEST_F(MainWindowUnderWindowManager, DraggingTheCaptionMovesTheWindow) {
    pointerTo(caption());
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    dragBy({120, 70}, 24);
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}, 400);
    const QPoint moved = form->pos() - normal.topLeft();
    // The window manager takes the move over once the pointer has travelled the drag distance
    // (so that a double-click still reaches the window); the window follows from there.
    const int lag = 2 * QApplication::startDragDistance();
    EXPECT_GE(moved.x(), 120 - lag);
    EXPECT_LE(moved.x(), 120);
    EXPECT_GE(moved.y(), 70 - lag);
    EXPECT_LE(moved.y(), 70);
    EXPECT_GT(moved.manhattanLength(), 150);
    EXPECT_EQ(form->size(), normal.size());
    EXPECT_EQ(xGeometry(id()), form->geometry());
    EXPECT_FALSE(maximizedByWindowManager());
}

// Where the user drags the window is where the next start opens it, as the window manager shows
// it; a place kept while maximized is the one the window returns to.
TEST_F(MainWindowUnderWindowManager, TheNextStartOpensTheWindowWhereItWasLeft) {
    pointerTo(caption());
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    dragBy({-150, -90}, 24);
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}, 400);
    const QRect left = xGeometry(id());
    ASSERT_NE(left.topLeft(), normal.topLeft());
    form->rememberPlace(); // as the program does when it ends

    // Maximized, then kept: the place it returns to is the one kept.
    doubleClickCaption();
    ASSERT_TRUE(waitFor([&] { return maximizedByWindowManager() && form->isMaximized(); }));
    form->rememberPlace();

    form.reset();
    form = std::make_unique<MainWindow>();
    // As the program starts it.
    form->fitToScreen();
    form->restorePlace();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_TRUE(waitFor([&] { return xGeometry(id()) == left; }))
        << "at " << xGeometry(id()).x() << "," << xGeometry(id()).y() << ", left at " << left.x() << "," << left.y();
    EXPECT_EQ(form->geometry(), left);
    saveShot("wm_place_restored.png");
}

TEST_F(MainWindowUnderWindowManager, DraggingTheFrameZonesResizesTheWindow) {
    const struct {
        const char *zone;
        QPoint at; // window position
        QPoint drag;
        QMargins grown; // how far each edge moves outwards
    } cases[] = {
        {"bottom-right", {846 - 3, 595 - 2}, {60, 40}, {0, 0, 60, 40}},
        {"left", {1, 300}, {-50, 0}, {50, 0, 0, 0}},
        {"top", {20, 1}, {0, -30}, {0, 30, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.zone);
        const QRect before = form->geometry();
        pointerTo(global(c.at));
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        dragBy(c.drag);
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}, 400);
        const QRect expected = before.marginsAdded(c.grown);
        EXPECT_TRUE(waitFor([&] { return form->geometry() == expected; }))
            << "got " << form->geometry().x() << "," << form->geometry().y() << " " << form->width() << "x"
            << form->height();
        EXPECT_EQ(xGeometry(id()), form->geometry());
        expectLayoutFills();
    }
}

TEST_F(MainWindowUnderWindowManager, PictureButtonDraggedOffShowsItsNormalPicture) {
    PictureButton *button = control<PictureButton>(*form, "imgabout");
    const QImage normalPicture = button->picture().toImage();
    const QImage hot = button->picture1().toImage();
    ASSERT_NE(normalPicture, hot);
    pointerTo(button->mapToGlobal(QPoint(40, 60)));
    ASSERT_TRUE(waitFor([&] { return button->picture().toImage() == hot; }));
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    dragBy({230, 0}, 4); // onto the header picture, away from any button
    EXPECT_TRUE(waitFor([&] { return button->picture().toImage() == normalPicture; })) << "still highlighted";
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}, 300);
    EXPECT_EQ(button->picture().toImage(), normalPicture);
    // Released elsewhere: no click.
    for (QWidget *w : QApplication::topLevelWidgets()) EXPECT_FALSE(qobject_cast<AboutWindow *>(w) && w->isVisible());
}

TEST_F(MainWindowUnderWindowManager, RateHeaderScrolledSidewaysShowsWhatAWholeRepaintShows) {
    db.exec(QStringLiteral("insert into hs_dm_tax (id,code,name,low_tax,yatai_tax,wl_tax,ecfa) "
                           "values ('1','%1','品名','5','4','0','3')")
                .arg(ScrambleCode(QStringLiteral("01012100"))));
    form->showSpecialRates(QStringLiteral("01012100"));
    auto *view = control<QFrame>(*form, "pnl3")->findChild<SpecialRatesView *>();
    ASSERT_NE(view, nullptr);
    DataGrid *grid = view->grid();
    QHeaderView *header = grid->horizontalHeader();
    QTest::qWait(300);
    // The keyboard walks the current cell to the right; the grid scrolls a column at a time.
    const QRect firstCell = grid->visualRect(grid->model()->index(0, 2));
    pointerTo(grid->viewport()->mapToGlobal(firstCell.center()));
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(waitFor([&] { return grid->hasFocus(); }));
    const QRect onScreen(header->viewport()->mapToGlobal(QPoint(0, 0)), header->viewport()->size());
    int scrolled = 0;
    for (int step = 0; step < 36; ++step) {
        const int before = grid->horizontalScrollBar()->value();
        xdotool({QStringLiteral("key"), step < 18 ? QStringLiteral("Right") : QStringLiteral("Left")}, 120);
        if (grid->horizontalScrollBar()->value() == before) continue;
        ++scrolled;
        const QImage shown = screenShot().copy(onScreen);
        header->viewport()->repaint();
        QTest::qWait(100);
        const QImage whole = screenShot().copy(onScreen);
        EXPECT_EQ(shown, whole) << "after " << step + 1 << " keys";
        if (scrolled == 3) saveShot("wm_rates_scrolled.png", form->geometry());
    }
    EXPECT_GE(scrolled, 4);
}

TEST_F(MainWindowUnderWindowManager, FindDialogLeavesTheFoundRowHighlighted) {
    for (int i = 0; i < 5; ++i)
        LookupFixture::addTariff(db, 10 + i, QStringLiteral("020%1000000").arg(i), QStringLiteral("品名%1").arg(i),
                                 QStringLiteral("A"));
    control<QLineEdit>(*form, "edtCode")->setText(QStringLiteral("020"));
    click(control<PictureButton>(*form, "imgQuery"));
    DataGrid *grid = control<DataGrid>(*form, "dbgrd1");
    ASSERT_EQ(grid->model()->rowCount(), 5);
    // A click on a names cell gives the grid the focus (a code cell would open the detail view).
    const int nameColumn = LookupFixture::columnOf(grid, QStringLiteral("name"));
    pointerTo(grid->viewport()->mapToGlobal(grid->visualRect(grid->model()->index(0, nameColumn)).center()));
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(waitFor([&] { return grid->hasFocus(); }));
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+f")});
    FindDialog *find = grid->findDialog();
    ASSERT_TRUE(waitFor([&] { return find->isActiveWindow(); }));
    find->text->setEditText(QStringLiteral("品名3"));
    xdotool({QStringLiteral("key"), QStringLiteral("Return")}, 400); // the find-next button is the default
    ASSERT_EQ(grid->currentIndex().row(), 3);
    EXPECT_TRUE(find->isActiveWindow());
    const QRect cell = grid->visualRect(grid->currentIndex());
    const QImage shot = screenShot();
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(shot.pixelColor(grid->viewport()->mapToGlobal(cell.topLeft() + QPoint(3, 2))), highlight);
    saveShot("wm_find.png", form->geometry().united(find->frameGeometry()));
}

TEST_F(MainWindowUnderWindowManager, AboutWindowClosesOnEscape) {
    pointerTo(control<PictureButton>(*form, "imgabout")->mapToGlobal(QPoint(40, 60)));
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    AboutWindow *about = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *a = qobject_cast<AboutWindow *>(w); a && a->isActiveWindow()) about = a;
        return about != nullptr;
    }));
    QTest::qWait(200);
    saveShot("wm_about.png", about->frameGeometry().adjusted(-10, -10, 10, 10));
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(waitFor([&] { return !about->isVisible(); }));
}

TEST_F(MainWindowUnderWindowManager, CloseButtonEndsTheProgramLoop) {
    pointerTo(closeButton() + QPoint(13, 10));
    QProcess click;
    click.setProcessEnvironment(session->environment());
    QTimer::singleShot(200, &click, [&] {
        click.start(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(15000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    guard.stop();
    click.waitForFinished(5000);
}

// The program itself on a screen that is smaller than its window at the screen's scale: a
// 1920 x 1080 screen at 200% has room for 960 x 540.
TEST(ProgramUnderWindowManager, OpensWhollyOnASmallScreen) {
    if (!session->ok())
        GTEST_SKIP() << "no X server with a window manager could start here: " << session->error().toStdString();
    XSession small(QStringLiteral("1920x1080x24"));
    ASSERT_TRUE(small.ok()) << small.error().toStdString();
    TestDatabase db;
    LookupFixture::writeStartupRows(db);
    db.closeConnection();
    // The program reads its database beside itself: a copy of it goes into the fixture's folder.
    const QString program = db.dir() + QStringLiteral("zendrik-demo");
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik-demo"), program));
    QProcess run;
    QProcessEnvironment env = small.environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), db.dir()); // its own single-instance lock
    run.setProcessEnvironment(env);
    // A vendor site that refuses at once: the program starts offline.
    run.start(program, {QStringLiteral("http://127.0.0.1:9")});
    ASSERT_TRUE(run.waitForStarted());
    bool found = false;
    QString window;
    for (int i = 0; i < 100 && !found; ++i) {
        window = small
                     .run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                      QStringLiteral("--classname"), QStringLiteral("zendrik-demo")})
                     .section(u'\n', 0, 0)
                     .trimmed();
        found = !window.isEmpty();
        if (!found) QTest::qWait(100);
    }
    ASSERT_TRUE(found) << "the program showed no window";
    QTest::qWait(500);
    const QString info = small.run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    auto value = [&](const char *label) {
        return QRegularExpression(QLatin1String(label) + QStringLiteral(":\\s*(-?\\d+)"))
            .match(info)
            .captured(1)
            .toInt();
    };
    const QRect at(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"));
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(at))
        << "window at " << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
    EXPECT_GE(at.height(), 1000) << "it uses the room it has";
    run.kill();
    run.waitForFinished(5000);
}

} // namespace

// Starts the private X server before the application object, so that the windows open there.
int main(int argc, char **argv) {
    XSession x;
    session = &x;
    if (x.ok()) {
        qputenv("DISPLAY", x.display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // every test skips with the reason
    }
    qunsetenv("QT_SCALE_FACTOR");
    // The windows and the programs started here keep what they remember in a temporary folder.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    return rc;
}
