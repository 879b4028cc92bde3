#include "app/WheelRows.h"

#include "grid/DataGrid.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>

WheelRows::WheelRows(QList<DataGrid *> grids, QObject *parent) : QObject(parent), grids_(std::move(grids)) {
    QCoreApplication::instance()->installEventFilter(this);
}

WheelRows::~WheelRows() { QCoreApplication::instance()->removeEventFilter(this); }

bool WheelRows::eventFilter(QObject *, QEvent *event) {
    if (event->type() != QEvent::Wheel) return false;
    const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
    if (delta == 0) return false; // a touchpad's begin or end of a scroll carries no turn
    for (DataGrid *g : grids_) {
        if (!g->hasFocus()) continue;
        QKeyEvent key(QEvent::KeyPress, delta > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(g, &key);
        return true;
    }
    return false;
}
