#include "app/Program.h"
#include "platform/RecordingPlatform.h"
#include "platform/SingleInstance.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {
// Whether the process holds a whole-file lock, as the kernel lists them.
bool holdsLock(qint64 pid) {
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return false;
    const QByteArray needle = " " + QByteArray::number(pid) + " ";
    for (const QByteArray &line : locks.readAll().split('\n'))
        if (line.contains("FLOCK") && line.contains(needle)) return true;
    return false;
}
} // namespace

TEST(SingleInstance, ASecondStartShowsTheNoticeOnceAndEnds) {
    TestDatabase db; // the first instance runs against an empty fixture folder
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    first.setProcessEnvironment(env);
    first.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik"), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    QElapsedTimer t;
    t.start();
    while (!holdsLock(first.processId()) && t.elapsed() < 10000) QThread::msleep(50);
    ASSERT_TRUE(holdsLock(first.processId())) << "the first instance never took the guard";

    {
        RecordingPlatform platform;
        runProgram(QStringLiteral("loOneCopy")); // returns at once: no window, no loop
        ASSERT_EQ(platform.boxes.size(), 1);
        EXPECT_EQ(platform.boxes[0].text, QStringLiteral("请先关闭已经开启的Zendrik查程序!"));
        EXPECT_EQ(platform.boxes[0].caption, QStringLiteral("app_test_single_instance"));
        EXPECT_EQ(platform.boxes[0].icon, Platform::Icon::None);
        EXPECT_EQ(first.state(), QProcess::Running) << "the running instance is unaffected";
    }

    // A crash releases the guard: the next start proceeds.
    first.kill();
    first.waitForFinished(5000);
    SingleInstance again(QStringLiteral("loOneCopy"));
    EXPECT_TRUE(again.acquire());
}

TEST(SingleInstance, TheNoticeIsCaptionedWithTheExecutablesName) {
    struct Case {
        const char *path, *title;
    } cases[] = {{"/opt/ZENDRIK.EXE", "Zendrik"},
                 {"/opt/zendrik", "zendrik"},
                 {"C:/x/Zendrik.Cha.exe", "Zendrik"},
                 {"/a/QuorvelTool", "Quorveltool"}};
    for (const Case &c : cases)
        EXPECT_EQ(Platform::defaultTitle(QString::fromUtf8(c.path)), QString::fromUtf8(c.title)) << c.path;
}
