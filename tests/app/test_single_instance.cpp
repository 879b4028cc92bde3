#include "app/MainWindow.h"
#include "app/Program.h"
#include "platform/RecordingPlatform.h"
#include "platform/SingleInstance.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
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

// A private runtime folder for the single-instance guard, for this process and the programs it
// starts: no instance the user runs, nor another test run on the machine, holds the guard there.
struct PrivateRuntime {
    QTemporaryDir dir;
    const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
    PrivateRuntime() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path())); }
    ~PrivateRuntime() {
        if (old.isNull()) qunsetenv("XDG_RUNTIME_DIR");
        else qputenv("XDG_RUNTIME_DIR", old);
    }
};
} // namespace

TEST(SingleInstance, ASecondStartShowsTheNoticeOnceAndEnds) {
    PrivateRuntime runtime;
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

// Two real processes: this one runs the program (its window minimised), then the real executable
// starts a second time and knocks; the running window comes back to the front.
TEST(SingleInstance, ASecondStartBringsTheRunningWindowToTheFront) {
    PrivateRuntime runtime;
    TestDatabase db; // empty tables: the start shows its error box, which the platform records
    RecordingPlatform platform;
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);

    bool minimised = false, cameToFront = false;
    QTimer poll;
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        MainWindow *form = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<MainWindow *>(w)) form = f;
        if (!form) return QApplication::quit();
        form->showMinimized();
        minimised = form->isMinimized();
        second.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik"), {});
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, [&, form] {
            cameToFront = !form->isMinimized() && form->isVisible();
            if (cameToFront || clock.elapsed() > 20000) QApplication::quit();
        });
        poll.start(50);
    });
    runProgram(QStringLiteral("loOneCopy"));
    poll.stop();

    EXPECT_TRUE(minimised);
    EXPECT_TRUE(cameToFront) << "the second start did not reach the running window";
    // The second start goes on to its notice (a real box, here never answered) and then ends.
    EXPECT_EQ(second.state(), QProcess::Running);
    second.kill();
    second.waitForFinished(5000);
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
