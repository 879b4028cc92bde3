#pragma once
#include <QFrame>

// A panel of the main window below the tabs, where the results and the views that cover them
// stand: plain, filled with its own background.
inline QFrame *viewPanel(QWidget *client, const char *name, const QRect &geometry) {
    auto *panel = new QFrame(client);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    return panel;
}
