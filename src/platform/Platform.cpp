#include "platform/Platform.h"

#include "platform/DesktopPlatform.h"

#include <QApplication>

namespace {
Platform *installed = nullptr;
} // namespace

QString Platform::vendorRoot() const { return QString::fromLatin1(kVendorRoot); }

Platform &Platform::instance() {
    static DesktopPlatform desktop;
    return installed ? *installed : desktop;
}

void Platform::install(Platform *platform) { installed = platform; }

namespace Notify {

void error(QWidget *parent, const QString &text) {
    Platform::instance().messageBox(parent, QStringLiteral("Error"), text, Platform::Icon::Stop);
}

void report(QWidget *parent, const QString &text) {
    QString shown = text;
    if (!shown.isEmpty() && shown.back().unicode() > u'.') shown += u'.';
    Platform::instance().messageBox(parent, QApplication::applicationDisplayName(), shown,
                                    Platform::Icon::Stop);
}

void plain(QWidget *parent, const QString &text) {
    Platform::instance().messageBox(parent, QApplication::applicationDisplayName(), text,
                                    Platform::Icon::None);
}

} // namespace Notify
