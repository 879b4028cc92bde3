// The About window: its look, where it opens and what closing it does.
#include "chrome/AboutWindow.h"
#include "support/Controls.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The main window stand-in: a top-level of the main window's client size somewhere on the screen.
struct MainWindow : QWidget {
    explicit MainWindow(QRect geometry) {
        setGeometry(geometry);
        show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(this));
    }
};

} // namespace

TEST(AboutWindow, IsAFixedToolWindowWithCaptionAndCloseButtonOnly) {
    AboutWindow about;
    EXPECT_EQ(about.windowTitle(), QString("关于我们"));
    const Qt::WindowFlags f = about.windowFlags();
    EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(f & Qt::WindowTitleHint);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(about.size(), QSize(400, 210));
    EXPECT_EQ(about.minimumSize(), QSize(400, 210)); // not resizable
    EXPECT_EQ(about.maximumSize(), QSize(400, 210));
    EXPECT_EQ(about.palette().color(about.backgroundRole()), QApplication::palette().color(QPalette::Window));
    EXPECT_FALSE(about.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(about.parentWidget(), nullptr);
    EXPECT_TRUE(about.isHidden()); // created hidden
}

TEST(AboutWindow, ShowsTheAboutPictureUnscaledWithItsBottomRowsCut) {
    AboutWindow about;
    const QImage picture(":/images/about_picture.bmp");
    ASSERT_EQ(picture.size(), QSize(400, 217));
    EXPECT_EQ(control<QLabel>(about, "img1")->objectName(), QString("img1"));
    EXPECT_EQ(control<QLabel>(about, "img1")->geometry(), QRect(0, 0, 400, 210));
    // What the window draws is the picture's top 210 rows, pixel for pixel.
    const QImage drawn = about.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(drawn.size(), QSize(400, 210));
    EXPECT_EQ(drawn, picture.copy(0, 0, 400, 210).convertToFormat(QImage::Format_RGB32));
}

TEST(AboutWindow, OpensCentredOverTheGivenMainWindow) {
    for (const QRect at : {QRect(40, 30, 838, 560), QRect(200, 120, 600, 400)}) {
        MainWindow main(at);
        AboutWindow about;
        about.showCentredOver(&main);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        const QPoint offset = about.frameGeometry().center() - main.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 1) << "main window at " << at.x() << "," << at.y();
        EXPECT_TRUE(about.isVisible());
    }
}

TEST(AboutWindow, EveryNewInstanceOpensCentredAndInFront) {
    MainWindow main(QRect(40, 30, 838, 560));
    AboutWindow first, second;
    first.showCentredOver(&main);
    second.showCentredOver(&main);
    EXPECT_EQ(first.geometry(), second.geometry());
    EXPECT_TRUE(first.isVisible());
    EXPECT_TRUE(second.isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&second));
}

TEST(AboutWindow, ClosingHidesWithoutDestroying) {
    MainWindow main(QRect(40, 30, 838, 560));
    QPointer<AboutWindow> about = new AboutWindow;
    about->showCentredOver(&main);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    EXPECT_TRUE(about->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    ASSERT_FALSE(about.isNull());
    EXPECT_TRUE(about->isHidden());
    // It can be shown again, as it was.
    about->showCentredOver(&main);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(control<QLabel>(*about, "img1")->pixmap().isNull());
    delete about;
}

TEST(AboutWindow, EscapeClosesIt) {
    MainWindow main(QRect(40, 30, 838, 560));
    AboutWindow about;
    about.showCentredOver(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    QTest::keyClick(&about, Qt::Key_A); // other keys do nothing
    EXPECT_TRUE(about.isVisible());
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutWindow, NamesTheDatabaseServerOnlyWhenOneIsConfigured) {
    QTemporaryDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    {
        AboutWindow onFile;
        EXPECT_EQ(onFile.findChild<QLabel *>("lblStore"), nullptr);
        EXPECT_EQ(onFile.findChildren<QLabel *>().size(), 1); // the picture alone
    }
    QDir().mkpath(config.path() + QStringLiteral("/zendrik"));
    QFile file(config.path() + QStringLiteral("/zendrik/zendrik.conf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[server]\nhost=db.office.lan\ndatabase=zendrik\nuser=wang\n");
    file.close();
    {
        AboutWindow onServer;
        ASSERT_NE(onServer.findChild<QLabel *>("lblStore"), nullptr);
        EXPECT_EQ(control<QLabel>(onServer, "lblStore")->toolTip(),
                  QStringLiteral("数据库：PostgreSQL zendrik on db.office.lan as wang"));
        EXPECT_EQ(control<QLabel>(onServer, "lblStore")->geometry().bottom(), AboutWindow::ClientHeight - 1);
    }
    if (saved.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", saved);
}
