// The skinned frame on a real window, driven by real mouse events on the offscreen platform.
#include "chrome/SkinnedWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using FrameGeometry::FramePicture;
using FrameGeometry::Hit;

namespace {

const QString kCaption = QStringLiteral("Zendrik查-商品编码查询工具");

// Records what the window system is asked for (the offscreen platform has no window manager to
// move or resize anything) and every close request.
class RecordingWindow : public SkinnedWindow {
public:
    QList<Qt::Edges> resizes;
    int moves = 0;
    int closeRequests = 0;

protected:
    void beginSystemMove() override {
        ++moves;
        SkinnedWindow::beginSystemMove();
    }
    void beginSystemResize(Qt::Edges edges) override {
        resizes.append(edges);
        SkinnedWindow::beginSystemResize(edges);
    }
    void closeEvent(QCloseEvent *e) override {
        ++closeRequests;
        SkinnedWindow::closeEvent(e);
    }
};

class SkinnedWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.setWindowTitle(kCaption);
        QPalette skyBlue = window.palette(); // the main window's background
        skyBlue.setColor(QPalette::Window, QColor(166, 202, 240));
        window.setPalette(skyBlue);
        window.setClientSize(QSize(838, 560));
        window.move(20, 20);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(window.isFrameActive());
    }

    int w() const { return window.width(); }
    QPoint minAt() const { return {w() - 90 + 13, 10}; }
    QPoint maxAt() const { return {w() - 64 + 13, 10}; }
    QPoint closeAt() const { return {w() - 38 + 13, 10}; }
    QPoint captionAt() const { return {300, 15}; }

    // The window's pixels against a button cell's: the whole 26 x 30 cell at the button.
    bool showsCell(const QImage &shot, QPoint buttonTopLeft, FramePicture pic, int cellX) const {
        const QImage &cells = SkinnedWindow::framePicture(pic);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 26; ++x)
                if (shot.pixel(buttonTopLeft + QPoint(x, y)) != cells.pixel(cellX + x, y)) return false;
        return true;
    }
    QImage shot() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // Which cell each button shows: 0 normal, 26 pressed, 52 hover, -1 none of them.
    QList<int> buttonLooks() {
        const QImage s = shot();
        QList<int> out;
        const struct {
            FramePicture pic;
            QPoint at;
        } buttons[] = {{FramePicture::imgmin, FrameGeometry::minButtonPos(w())},
                       {FramePicture::imgMax, FrameGeometry::maxButtonPos(w())},
                       {FramePicture::imgclose, FrameGeometry::closeButtonPos(w())}};
        for (const auto &b : buttons) {
            int look = -1;
            for (int cell : {0, 26, 52})
                if (showsCell(s, b.at, b.pic, cell)) look = cell;
            out.append(look);
        }
        return out;
    }
    void saveShot(const char *name) {
        const QByteArray dir = qgetenv("ZENDRIK_SHOT_DIR");
        if (!dir.isEmpty()) window.grab().save(QString::fromLocal8Bit(dir + "/" + name));
    }

    // Runs the application's loop around `act` and reports how it ended: the loop's return
    // code, or -1 when it was still running after `waitMs`.
    int runLoopAround(const std::function<void()> &act, int waitMs) {
        QTimer::singleShot(0, &window, act);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
        guard.start(waitMs);
        return QApplication::exec();
    }

    RecordingWindow window;
};

} // namespace

TEST_F(SkinnedWindowTest, ReservesTheFrameAroundTheClientArea) {
    EXPECT_EQ(window.size(), QSize(846, 595));
    EXPECT_EQ(window.clientArea()->geometry(), QRect(4, 31, 838, 560));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    window.resize(900, 700);
    EXPECT_EQ(window.clientArea()->geometry(), QRect(4, 31, 892, 665));
    saveShot("frame_resized.png");
}

// Windows smaller than the frame's pieces and captions too short for the plate still paint:
// what has no room is left out and the rest is clipped.
TEST_F(SkinnedWindowTest, PaintsTinyWindowsAndShortCaptions) {
    const struct {
        QSize size;
        QString caption;
    } cases[] = {{{846, 40}, kCaption},
                 {{60, 595}, kCaption},
                 {{1, 1}, kCaption},
                 {{846, 595}, QStringLiteral("Z")},
                 {{846, 595}, QString()}};
    for (const auto &c : cases) {
        window.setWindowTitle(c.caption);
        window.resize(c.size);
        const QImage s = shot();
        EXPECT_EQ(s.size(), c.size);
        EXPECT_EQ(QColor(s.pixel(0, 0)), SkinnedWindow::framePicture(FramePicture::img1).pixelColor(0, 0));
    }
}

TEST_F(SkinnedWindowTest, PaintsTheButtonsAtRestAndTheCaption) {
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 0}));
    saveShot("frame_normal.png");
    // The caption is drawn in the caption colour inside its rectangle, starting at x 20 (the thin
    // strokes of a Song face leave many pixels only partly covered: those count too).
    const QImage s = shot();
    int captionPixels = 0, leftmost = 10000;
    for (int y = 10; y < 26; ++y)
        for (int x = 4; x < 400; ++x) // right of the left edge, whose outline is a darker blue
            if (QColor(s.pixel(x, y)).blue() > 150 && QColor(s.pixel(x, y)).red() < 120) {
                ++captionPixels;
                leftmost = std::min(leftmost, x);
            }
    EXPECT_GT(captionPixels, 100);
    EXPECT_GE(leftmost, 20);
    EXPECT_LE(leftmost, 24);
}

TEST_F(SkinnedWindowTest, HoverLooksFollowThePointerOverTheFrame) {
    QTest::mouseMove(&window, minAt());
    EXPECT_EQ(buttonLooks(), (QList<int>{52, 0, 0}));
    QTest::mouseMove(&window, maxAt());
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 52, 0}));
    QTest::mouseMove(&window, closeAt());
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 52}));
    saveShot("frame_close_hover.png");
    // Into the client area: the hover look stays drawn.
    QTest::mouseMove(&window, QPoint(400, 300));
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 52}));
    // Anywhere else on the frame, including the caption band inside the client area.
    QTest::mouseMove(&window, QPoint(400, 50));
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 0}));
}

TEST_F(SkinnedWindowTest, NoHoverLooksWhileTheFrameIsInactive) {
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(window.isFrameActive());
    QTest::mouseMove(&window, minAt());
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 0}));
    // A press still shows the pressed look.
    QTest::mousePress(&window, Qt::LeftButton, {}, closeAt());
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 26}));
    QTest::mouseMove(&window, minAt() + QPoint(1, 0));
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 26}));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(400, 300));
}

TEST_F(SkinnedWindowTest, PressedLookOnPressAndMinimizeOnRelease) {
    QWidget other, hidden;
    other.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mousePress(&window, Qt::LeftButton, {}, minAt());
    EXPECT_EQ(buttonLooks(), (QList<int>{26, 0, 0}));
    saveShot("frame_min_pressed.png");
    EXPECT_FALSE(window.isMinimized());
    QTest::mouseRelease(&window, Qt::LeftButton, {}, minAt());
    // Every visible window of the application goes down; hidden ones stay hidden.
    EXPECT_TRUE(window.isMinimized());
    EXPECT_TRUE(other.isMinimized());
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_EQ(window.closeRequests, 0);
}

TEST_F(SkinnedWindowTest, ReleaseOverCloseEndsTheLoopWithoutACloseRequest) {
    struct Case {
        const char *name;
        QPoint press, release;
        bool ends;
    } cases[] = {
        {"close", closeAt(), closeAt(), true},
        {"pressed on minimize", minAt(), closeAt(), true},
        {"pressed on maximize", maxAt(), closeAt(), true},
        {"released in the client area", closeAt(), QPoint(400, 300), false},
        {"released on the caption", closeAt(), captionAt(), false},
        {"pressed on the caption", captionAt(), closeAt(), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int rc = runLoopAround(
            [&] {
                QTest::mousePress(&window, Qt::LeftButton, {}, c.press);
                QTest::mouseRelease(&window, Qt::LeftButton, {}, c.release);
            },
            c.ends ? 5000 : 300);
        EXPECT_EQ(rc, c.ends ? 0 : -1);
        EXPECT_EQ(window.closeRequests, 0);
        EXPECT_TRUE(window.isVisible());
    }
    // A press on close released elsewhere leaves the pressed look.
    QTest::mouseMove(&window, captionAt());
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 0}));
    QTest::mousePress(&window, Qt::LeftButton, {}, closeAt());
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 26}));
}

TEST_F(SkinnedWindowTest, CaptionDoubleClickTogglesMaximized) {
    const QRect normal = window.geometry();
    const QRect screen = window.screen()->availableGeometry();
    QTest::mouseDClick(&window, Qt::LeftButton, {}, captionAt());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMaximized() && window.geometry() == screen; }));
    QTest::qWait(50);
    // Not moved off the place maximizing gave it: a moved window is no longer maximized to a
    // window manager, and its right and bottom edges would lie off the screen.
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.geometry(), screen);
    saveShot("frame_maximized.png");

    // Maximized: the maximize button is not drawn, pressed or hovered, though its zone answers.
    EXPECT_EQ(window.hitAt(maxAt()), Hit::MaxButton);
    QTest::mouseMove(&window, maxAt());
    QTest::mousePress(&window, Qt::LeftButton, {}, maxAt());
    QTest::mouseRelease(&window, Qt::LeftButton, {}, maxAt());
    EXPECT_EQ(buttonLooks()[1], -1);
    EXPECT_TRUE(window.isMaximized());

    QTest::mouseDClick(&window, Qt::LeftButton, {}, captionAt());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isMaximized() && window.geometry() == normal; }));
    EXPECT_EQ(buttonLooks(), (QList<int>{0, 0, 0}));
}

TEST_F(SkinnedWindowTest, DoubleClicksElsewhereChangeNothing) {
    const QRect normal = window.geometry();
    for (QPoint p : {minAt(), maxAt(), closeAt(), QPoint(2, 300), QPoint(400, 2), QPoint(400, 300)}) {
        QTest::mouseDClick(&window, Qt::LeftButton, {}, p);
        QTest::qWait(20);
        EXPECT_FALSE(window.isMaximized()) << p.x() << "," << p.y();
        EXPECT_EQ(window.geometry(), normal);
    }
    window.showMinimized();
    QTest::mouseDClick(&window, Qt::LeftButton, {}, captionAt());
    QTest::qWait(20);
    EXPECT_TRUE(window.isMinimized());
    EXPECT_FALSE(window.isMaximized());
}

TEST_F(SkinnedWindowTest, BordersAskForTheMatchingResize) {
    const int w = window.width(), h = window.height();
    const struct {
        QPoint at;
        Qt::Edges edges;
        Qt::CursorShape cursor;
    } cases[] = {
        {{2, 2}, Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor},
        {{w - 2, 2}, Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor},
        {{w - 2, h - 2}, Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor},
        {{2, h - 2}, Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor},
        {{2, 300}, Qt::LeftEdge, Qt::SizeHorCursor},
        {{4, 301}, Qt::LeftEdge, Qt::SizeHorCursor}, // the client area's first column
        {{400, 2}, Qt::TopEdge, Qt::SizeVerCursor},
        {{w - 6, 300}, Qt::RightEdge, Qt::SizeHorCursor},
        {{400, h - 3}, Qt::BottomEdge, Qt::SizeVerCursor},
    };
    for (const auto &c : cases) {
        window.resizes.clear();
        QTest::mouseMove(&window, c.at);
        EXPECT_EQ(window.cursor().shape(), c.cursor) << c.at.x() << "," << c.at.y();
        QTest::mousePress(&window, Qt::LeftButton, {}, c.at);
        QTest::mouseRelease(&window, Qt::LeftButton, {}, c.at);
        EXPECT_EQ(window.resizes, QList<Qt::Edges>{c.edges}) << c.at.x() << "," << c.at.y();
    }
    QTest::mouseMove(&window, QPoint(400, 300));
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window.moves, 0);

    window.showMaximized(); // a maximized window keeps its size
    window.resizes.clear();
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(2, 300));
    EXPECT_TRUE(window.resizes.isEmpty());
}

TEST_F(SkinnedWindowTest, DraggingTheCaptionAsksForAMove) {
    QTest::mousePress(&window, Qt::LeftButton, {}, captionAt());
    EXPECT_EQ(window.moves, 0); // not before the pointer travels: a double-click must get through
    QTest::mouseMove(&window, captionAt() + QPoint(1, 0));
    EXPECT_EQ(window.moves, 0);
    QTest::mouseMove(&window, captionAt() + QPoint(20, 0));
    EXPECT_EQ(window.moves, 1);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, captionAt() + QPoint(20, 0));
    EXPECT_TRUE(window.resizes.isEmpty());
}

// The caption zone reaches 31 rows into the client area: a press on a picture there moves the
// window and is not the picture's; a control with input of its own keeps its press.
TEST_F(SkinnedWindowTest, CaptionBandInsideTheClientArea) {
    auto *picture = new QLabel(window.clientArea());
    picture->setGeometry(0, 0, 838, 136);
    auto *edit = new QLineEdit(window.clientArea());
    edit->setGeometry(440, 10, 121, 16);
    picture->show();
    edit->show();

    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(picture, QPoint(130, 10));
    EXPECT_EQ(window.moves, 1);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(130, 10));

    // Below the band the picture is the client's.
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(100, 40));
    QTest::mouseMove(picture, QPoint(130, 40));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(130, 40));
    EXPECT_EQ(window.moves, 1);

    // A double-click on the picture in the band maximizes.
    QTest::mouseDClick(picture, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isMaximized(); }));
    window.showNormal();

    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(edit->hasFocus());
    QTest::mousePress(edit, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(edit, QPoint(40, 5));
    QTest::mouseRelease(edit, Qt::LeftButton, {}, QPoint(40, 5));
    EXPECT_EQ(window.moves, 1);
    EXPECT_FALSE(window.isMaximized());
}
