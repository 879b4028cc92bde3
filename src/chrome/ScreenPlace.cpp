#include "chrome/ScreenPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenPlace {

QRect within(QRect window, const QRect &room) {
    window.moveLeft(std::max(room.left(), std::min(window.left(), room.right() + 1 - window.width())));
    window.moveTop(std::max(room.top(), std::min(window.top(), room.bottom() + 1 - window.height())));
    return window;
}

void restore(QWidget &window, QPoint saved) {
    const QRect wanted(saved, window.size());
    const QScreen *best = nullptr;
    qint64 bestArea = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(wanted);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (!best) best = QGuiApplication::primaryScreen();
    if (!best) return;
    window.move(within(wanted, best->availableGeometry()).topLeft());
}

} // namespace ScreenPlace
