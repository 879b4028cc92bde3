#pragma once
#include "platform/Platform.h"

// The real desktop: Qt message boxes and file dialog, the desktop's URL handler, and a TCP
// connection attempt with a timeout as the reachability test.
class DesktopPlatform : public Platform {
public:
    void messageBox(QWidget *parent, const QString &caption, const QString &text, Icon icon) override;
    void openAddress(const QString &address) override;
    QString openFileName(QWidget *parent) override;
    bool isReachable(const QString &address) override;

    static constexpr int kReachTimeoutMs = 3000;
};
