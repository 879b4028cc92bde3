#include "app/Program.h"

#include "app/MainWindow.h"
#include "app/QtChinese.h"
#include "chrome/AboutWindow.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"

#include <QApplication>

namespace {
// A later start asked for the window: un-minimise it and bring it to the front. The window
// manager may still only flash its task-bar entry, as it does for any program's request.
void bringToFront(QWidget &window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}
} // namespace

void runProgram(const QString &guardName) {
    installQtChinese();
    SingleInstance guard(guardName);
    if (!guard.acquire()) {
        guard.knock(); // the running window comes to the front behind the notice
        // Shown before the title is set: the box carries the executable's own name.
        Platform::instance().messageBox(nullptr, Platform::defaultTitle(QCoreApplication::applicationFilePath()),
                                        QStringLiteral("请先关闭已经开启的Zendrik查程序!"), Platform::Icon::None);
        return;
    }
    Platform::setApplicationTitle(QStringLiteral("Zendrik查"));
    MainWindow form;
    AboutWindow about; // created hidden after the main window, as the program's About window
    form.fitToScreen();
    form.restorePlace();
    form.show();
    guard.listen([&form] { bringToFront(form); });
    QApplication::exec();
    form.rememberPlace();
}
