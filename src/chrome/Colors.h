#pragma once
#include <QColor>

// The colours the windows share.
namespace Colors {
// Sky blue: the main window's background and the title row of every grid.
inline constexpr QColor skyBlue{166, 202, 240};
} // namespace Colors
