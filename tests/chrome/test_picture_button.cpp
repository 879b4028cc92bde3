// PictureButton driven by real pointer input: QTest's QWindow overloads feed moves, presses and
// releases through the window system of the offscreen platform, so Qt itself finds the control
// under the pointer, derives the enter and leave events, and holds the implicit mouse grab.
#include "chrome/PictureButton.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << s.toStdString(); }

namespace {

QPixmap solid(QColor c, QSize size = {80, 81}) {
    QPixmap p(size);
    p.fill(c);
    return p;
}

// The colour of the shown picture, or "none" when it is empty.
QString shown(const PictureButton &img) {
    if (img.picture().isNull()) return "none";
    return img.picture().toImage().pixelColor(0, 0).name();
}

const QString red = QColor(Qt::red).name(), green = QColor(Qt::green).name(), blue = QColor(Qt::blue).name();

// A shown top-level window holding one picture button at 50, 50, normal picture red, Picture1
// green; the pointer starts outside the button.
struct Host {
    QWidget window;
    PictureButton *img = new PictureButton(&window);
    const QPoint inside{60, 60}, outside{250, 180};

    Host() {
        window.resize(300, 200);
        img->setGeometry(50, 50, 80, 81);
        img->setPicture(solid(Qt::red));
        img->setPicture1(solid(Qt::green));
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        moveTo(outside);
    }
    void moveTo(QPoint p) {
        QTest::mouseMove(window.windowHandle(), p);
        QCoreApplication::processEvents();
    }
    void press(Qt::MouseButton b, QPoint p) { QTest::mousePress(window.windowHandle(), b, {}, p); }
    void release(Qt::MouseButton b, QPoint p) {
        QTest::mouseRelease(window.windowHandle(), b, {}, p);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(PictureButton, PointerOverShowsPicture1AndLeavingRestoresThePicture) {
    Host h;
    ASSERT_EQ(shown(*h.img), red);
    h.moveTo(h.inside);
    EXPECT_EQ(shown(*h.img), green);
    EXPECT_EQ(h.img->grab().toImage().pixelColor(5, 5), QColor(Qt::green));
    h.moveTo(h.inside + QPoint(10, 10)); // moving within the button changes nothing
    EXPECT_EQ(shown(*h.img), green);
    h.moveTo(h.outside);
    EXPECT_EQ(shown(*h.img), red);
    EXPECT_EQ(h.img->grab().toImage().pixelColor(5, 5), QColor(Qt::red));
}

namespace {

struct HoverCase {
    const char *name;
    void (*prepare)(PictureButton &); // before the pointer arrives
    void (*whileOver)(PictureButton &); // while the pointer is over the button
    QString duringHover, afterLeave;
};

void nothing(PictureButton &) {}
void emptyPicture1(PictureButton &img) { img.setPicture1(QPixmap()); }
void designMode(PictureButton &img) { img.setDesignMode(true); }
void hide(PictureButton &img) { img.hide(); }
void assignBlue(PictureButton &img) { img.setPicture(solid(Qt::blue)); }

class Hover : public testing::TestWithParam<HoverCase> {};

} // namespace

TEST_P(Hover, PictureWhileOverAndAfterLeaving) {
    const HoverCase &c = GetParam();
    Host h;
    c.prepare(*h.img);
    h.moveTo(h.inside);
    c.whileOver(*h.img);
    EXPECT_EQ(shown(*h.img), c.duringHover);
    h.moveTo(h.outside);
    EXPECT_EQ(shown(*h.img), c.afterLeave);
}

INSTANTIATE_TEST_SUITE_P(
    PictureButton, Hover,
    testing::Values(HoverCase{"plain", nothing, nothing, green, red},
                    HoverCase{"emptyPicture1ShowsNothing", emptyPicture1, nothing, "none", red},
                    // The control keeps no state but the saved picture, so the saved one wins on leave.
                    HoverCase{"pictureAssignedWhileOverIsReplaced", nothing, assignBlue, blue, red},
                    HoverCase{"designModeNeverSwaps", designMode, nothing, red, red},
                    HoverCase{"designModeKeepsAnAssignedPicture", designMode, assignBlue, blue, blue},
                    HoverCase{"hiddenNeverSwaps", hide, nothing, red, red}),
    [](const auto &test) { return std::string(test.param.name); });

TEST(PictureButton, DraggingOffWhilePressedGivesTheLeaveNotice) {
    Host h;
    QSignalSpy clicks(h.img, &PictureButton::clicked);
    h.moveTo(h.inside);
    h.press(Qt::LeftButton, h.inside);
    // The button holds the mouse while pressed, and still gets its leave and enter notices.
    h.moveTo(h.outside);
    EXPECT_EQ(shown(*h.img), red);
    h.moveTo(h.inside);
    EXPECT_EQ(shown(*h.img), green);
    h.moveTo(h.outside);
    EXPECT_EQ(shown(*h.img), red);
    h.release(Qt::LeftButton, h.outside);
    EXPECT_EQ(shown(*h.img), red);
    EXPECT_EQ(clicks.count(), 0);
}

namespace {

struct ClickCase {
    const char *name;
    Qt::MouseButton button;
    QPoint press, release; // in the host window
    int clicks;
};

class Click : public testing::TestWithParam<ClickCase> {};

} // namespace

TEST_P(Click, EmittedOnlyForALeftPressAndReleaseInside) {
    const ClickCase &c = GetParam();
    Host h;
    QSignalSpy clicks(h.img, &PictureButton::clicked);
    h.moveTo(c.press);
    h.press(c.button, c.press);
    h.moveTo(c.release);
    h.release(c.button, c.release);
    EXPECT_EQ(clicks.count(), c.clicks);
}

INSTANTIATE_TEST_SUITE_P(PictureButton, Click,
                         testing::Values(ClickCase{"insideInside", Qt::LeftButton, {60, 60}, {100, 120}, 1},
                                         ClickCase{"releasedOutside", Qt::LeftButton, {60, 60}, {250, 180}, 0},
                                         ClickCase{
                                             "pressedOutsideReleasedInside", Qt::LeftButton, {250, 180}, {60, 60}, 0},
                                         ClickCase{"rightButton", Qt::RightButton, {60, 60}, {60, 60}, 0}),
                         [](const auto &test) { return std::string(test.param.name); });

TEST(PictureButton, ADoubleClickIsOneClick) {
    Host h;
    QSignalSpy clicks(h.img, &PictureButton::clicked);
    h.moveTo({60, 60});
    QTest::mouseDClick(h.window.windowHandle(), Qt::LeftButton, {}, {60, 60});
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PictureButton, CentredPictureSitsInTheMiddleOfTheControl) {
    // The search button: a 64 x 23 picture in a 72 x 33 control.
    PictureButton img;
    img.resize(72, 33);
    img.setPicture(solid(Qt::red, {64, 23}));
    img.setCenter(true);
    const QImage drawn = img.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(4, 5), QColor(Qt::red));
    EXPECT_EQ(drawn.pixelColor(67, 27), QColor(Qt::red));
    EXPECT_NE(drawn.pixelColor(3, 5), QColor(Qt::red));
    EXPECT_NE(drawn.pixelColor(68, 28), QColor(Qt::red));
}

TEST(PictureButton, WhereTabsOverlapTheLaterOneIsUnderThePointer) {
    // The tab controls are 105 wide, 88 apart: 17 pixels of each lie under the next one.
    Host h;
    h.img->setGeometry(0, 0, 105, 33);
    PictureButton *next = new PictureButton(&h.window);
    next->setGeometry(88, 0, 105, 33);
    next->setPicture(solid(Qt::red));
    next->setPicture1(solid(Qt::green));
    next->show();
    h.moveTo({95, 10});
    EXPECT_EQ(shown(*h.img), red);
    EXPECT_EQ(shown(*next), green);
    h.moveTo({40, 10});
    EXPECT_EQ(shown(*h.img), green);
    EXPECT_EQ(shown(*next), red);
}

namespace {

// Qt reads the platform cursor when a widget is shown or hidden under it, but the offscreen
// cursor does not follow QTest's moves: this puts it at a point and back where it was afterwards,
// so later windows do not open under it.
struct PlatformCursorAt {
    const QPoint before = QCursor::pos();
    explicit PlatformCursorAt(QPoint global) {
        QCursor::setPos(global);
        QCoreApplication::processEvents();
    }
    ~PlatformCursorAt() {
        QCursor::setPos(before);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(PictureButton, ButtonsSwappedUnderThePointerHandOverTheHighlight) {
    // The exit and back buttons share one place; a click on one hides it and shows the other.
    Host h;
    PictureButton *other = new PictureButton(&h.window);
    other->setGeometry(h.img->geometry());
    other->setPicture(solid(Qt::blue));
    other->setPicture1(solid(Qt::yellow));
    other->hide();
    QObject::connect(h.img, &PictureButton::clicked, [&] {
        h.img->hide();
        other->show();
    });
    const PlatformCursorAt cursor(h.window.mapToGlobal(h.inside));
    h.moveTo(h.inside);
    ASSERT_EQ(shown(*h.img), green);
    h.press(Qt::LeftButton, h.inside);
    h.release(Qt::LeftButton, h.inside);
    ASSERT_TRUE(other->isVisible());
    EXPECT_EQ(shown(*h.img), red);
    EXPECT_EQ(shown(*other), QColor(Qt::yellow).name());
    h.moveTo(h.outside);
    EXPECT_EQ(shown(*other), blue);
}
