// The real desktop seam's browser open, against stand-in openers: a failure is said, not
// swallowed.
#include "platform/DesktopPlatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// The real platform with its boxes recorded instead of shown.
class BoxRecorder : public DesktopPlatform {
public:
    BoxRecorder() { Platform::install(this); }
    ~BoxRecorder() override { Platform::install(nullptr); }
    void messageBox(QWidget *, const QString &caption, const QString &text, Icon icon) override {
        boxes.append({caption, text, icon == Icon::None});
    }
    struct Box {
        QString caption, text;
        bool plain;
    };
    QList<Box> boxes;
};

// Runs the event loop until no opener process is left (each is a child of the application).
bool openersDone(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (QCoreApplication::instance()->findChildren<QProcess *>().isEmpty()) return true;
    }
    return false;
}

TEST(DesktopBrowser, AFailedOpenIsSaidInAPlainBox) {
    struct Case {
        const char *what;
        const char *opener; // script body of a stand-in xdg-open; nullptr: there is none
        bool saysSo;
    } cases[] = {
        {"the opener hands it on", "echo \"$1\" > \"${0%/*}/opened\"; exit 0", false},
        {"no browser configured", "echo \"$1\" > \"${0%/*}/opened\"; exit 3", true},
        {"no opener installed", nullptr, true},
    };
    const QByteArray oldPath = qgetenv("PATH");
    const QString address = QStringLiteral("http://zendrik.cn/news/12.html?x=新闻");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir bin;
        if (c.opener) {
            QFile script(bin.filePath("xdg-open"));
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(QByteArray("#!/bin/sh\n") + c.opener + "\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        // Only the stand-in's folder (its script uses shell built-ins): no real opener is found.
        qputenv("PATH", QFile::encodeName(bin.path()));
        BoxRecorder platform;
        Platform::setApplicationTitle(QStringLiteral("Zendrik查"));
        platform.openAddress(address);
        EXPECT_TRUE(openersDone(10000));
        qputenv("PATH", oldPath);

        if (c.opener) {
            QFile opened(bin.filePath("opened"));
            ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
            EXPECT_EQ(QString::fromUtf8(opened.readAll()).trimmed(), QUrl(address).toString(QUrl::FullyEncoded));
        }
        ASSERT_EQ(platform.boxes.size(), c.saysSo ? 1 : 0);
        if (c.saysSo) {
            EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("Zendrik查"));
            EXPECT_TRUE(platform.boxes[0].plain);
            EXPECT_TRUE(platform.boxes[0].text.contains(address)) << platform.boxes[0].text.toStdString();
        }
    }
    Platform::setApplicationTitle(QString());
}

} // namespace
