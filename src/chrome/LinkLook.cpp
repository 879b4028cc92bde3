#include "chrome/LinkLook.h"

#include "chrome/ClickLabel.h"

namespace LinkLook {

void set(QLabel *label, const QColor &colour, bool underline) {
    QFont f = label->font();
    f.setUnderline(underline);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

void plain(QLabel *label) {
    set(label, Qt::blue, true);
    label->setCursor(Qt::PointingHandCursor);
}

void followHover(ClickLabel *label) {
    auto look = [label](bool hovered) { set(label, hovered ? QColor(Qt::black) : QColor(Qt::blue), !hovered); };
    look(false);
    label->setCursor(Qt::PointingHandCursor);
    QObject::connect(label, &ClickLabel::entered, label, [look] { look(true); });
    QObject::connect(label, &ClickLabel::left, label, [look] { look(false); });
}

} // namespace LinkLook
