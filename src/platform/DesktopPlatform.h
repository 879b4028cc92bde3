#pragma once
#include "platform/Platform.h"

#include <memory>

class QFileDialog;

// The real desktop: Qt message boxes and file dialog, the desktop's opener (xdg-open) for
// addresses, and a TCP connection attempt with a timeout as the reachability test.
class DesktopPlatform : public Platform {
public:
    void messageBox(QWidget *parent, const QString &caption, const QString &text, Icon icon) override;
    // Starts the opener and returns; when it cannot be started or reports a failure (no browser
    // configured, say), a plain box says so, a moment later.
    void openAddress(const QString &address) override;
    QString openFileName(QWidget *parent) override;
    QString saveFileName(QWidget *parent, const QString &suggestedName) override;
    bool isReachable(const QString &address) override;

    // The open-file dialog as openFileName shows it: Qt's own dialog, which speaks the
    // program's language whatever the desktop's file chooser would.
    static std::unique_ptr<QFileDialog> fileDialog(QWidget *parent);

    static constexpr int kReachTimeoutMs = 3000;
};

// What a failed browser open says.
QString browserFailedText(const QString &address);
