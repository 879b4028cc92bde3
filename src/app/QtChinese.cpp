#include "app/QtChinese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtChinese() {
    static bool installed = false;
    if (installed) return true;
    // qt_zh_CN is the catalogue that pulls in qtbase_zh_CN and the other modules' files.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qt_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = true;
    return true;
}
