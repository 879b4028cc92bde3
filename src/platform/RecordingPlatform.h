#pragma once
#include "platform/Platform.h"

#include <QList>
#include <QStringList>

// A platform for tests: records message boxes and opened addresses, answers the file dialog
// and the reachability test with what the test set, and installs itself while it lives.
class RecordingPlatform : public Platform {
public:
    struct Box {
        QString caption;
        QString text;
        Icon icon;
    };

    RecordingPlatform() { Platform::install(this); }
    ~RecordingPlatform() override { Platform::install(nullptr); }

    void messageBox(QWidget *, const QString &caption, const QString &text, Icon icon) override {
        boxes.append({caption, text, icon});
    }
    void openAddress(const QString &address) override { opened.append(address); }
    QString openFileName(QWidget *) override { return nextFileName; }
    QString saveFileName(QWidget *, const QString &suggestedName) override {
        suggestedSaveNames.append(suggestedName);
        return nextSaveFileName;
    }
    bool isReachable(const QString &address) override {
        reachabilityTests.append(address);
        return reachable;
    }
    QString vendorRoot() const override { return root.isEmpty() ? Platform::vendorRoot() : root; }

    QList<Box> boxes;
    QStringList opened;
    QStringList reachabilityTests;
    QString nextFileName;
    QStringList suggestedSaveNames;
    QString nextSaveFileName;
    bool reachable = false;
    QString root;
};
