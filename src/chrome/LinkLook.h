#pragma once
#include <QColor>

class ClickLabel;
class QLabel;

// How the windows' text links look: a colour, underlined or not.
namespace LinkLook {
void set(QLabel *label, const QColor &colour, bool underline);
// Blue and underlined: a link that stays so.
void plain(QLabel *label);
// Blue and underlined, black without the line while the pointer is over it.
void followHover(ClickLabel *label);
} // namespace LinkLook
