#pragma once
#include <QPoint>
#include <QRect>

class QWidget;

// Where a top-level window stands on the screens that are there now.
namespace ScreenPlace {

// A window's place moved wholly into a screen's room, the caption (top left) first when the
// window is larger than the room.
QRect within(QRect window, const QRect &room);
// Moves a window to a place saved at an earlier start: wholly on the screen that holds most of
// it, or on the primary screen when none does (a screen that was there may be gone).
void restore(QWidget &window, QPoint saved);

} // namespace ScreenPlace
