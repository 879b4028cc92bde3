#include "app/Program.h"

#include "app/Unit2.h"
#include "chrome/UnitAboutUs.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"

#include <QApplication>

void runProgram(const QString &guardName) {
    SingleInstance guard(guardName);
    if (!guard.acquire()) {
        // Shown before the title is set: the box carries the executable's own name.
        Platform::instance().messageBox(nullptr, Platform::defaultTitle(QCoreApplication::applicationFilePath()),
                                        QStringLiteral("请先关闭已经开启的Zendrik查程序!"), Platform::Icon::None);
        return;
    }
    Platform::setApplicationTitle(QStringLiteral("Zendrik查"));
    TForm2 form;
    TForm1 about; // created hidden after the main window, as the program's About window
    form.fitToScreen();
    form.show();
    QApplication::exec();
}
