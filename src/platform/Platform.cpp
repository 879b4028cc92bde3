#include "platform/Platform.h"

#include "data/AppError.h"
#include "platform/DesktopPlatform.h"

#include <QCoreApplication>

#include <QFileInfo>

namespace {
Platform *installed = nullptr;
QString title;
} // namespace

QString Platform::defaultTitle(const QString &executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    if (name.size() > 1) name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString Platform::applicationTitle() {
    if (!title.isEmpty()) return title;
    return defaultTitle(QCoreApplication::applicationFilePath());
}

void Platform::setApplicationTitle(const QString &t) { title = t; }

QString Platform::vendorRoot() const { return QString::fromLatin1(kVendorRoot); }

Platform &Platform::instance() {
    static DesktopPlatform desktop;
    return installed ? *installed : desktop;
}

void Platform::install(Platform *platform) { installed = platform; }

namespace Notify {

void error(QWidget *parent, const QString &text) {
    Platform::instance().messageBox(parent, Platform::applicationTitle(), text, Platform::Icon::Stop);
}

void report(QWidget *parent, const QString &text) {
    Platform::instance().messageBox(parent, Platform::applicationTitle(), Messages::withFullStop(text),
                                    Platform::Icon::Stop);
}

void plain(QWidget *parent, const QString &text) {
    Platform::instance().messageBox(parent, Platform::applicationTitle(), text, Platform::Icon::None);
}

} // namespace Notify
