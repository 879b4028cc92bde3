#include "chrome/PictureButton.h"

#include <QMouseEvent>
#include <QPainter>

PictureButton::PictureButton(QWidget *parent) : QWidget(parent) {}

PictureButton *PictureButton::withPictures(QWidget *parent, const QRect &geometry, const QString &base) {
    auto *b = new PictureButton(parent);
    b->setGeometry(geometry);
    b->setPicture(QPixmap(QStringLiteral(":/images/%1.bmp").arg(base)));
    b->setPicture1(QPixmap(QStringLiteral(":/images/%1_hot.bmp").arg(base)));
    return b;
}

void PictureButton::setPicture(const QPixmap &picture) {
    picture_ = picture;
    update();
}

void PictureButton::setCenter(bool center) {
    center_ = center;
    update();
}

void PictureButton::pointerEntered() {
    if (designMode_) return;
    saved_ = picture_;
    setPicture(picture1_);
}

void PictureButton::pointerLeft() {
    if (designMode_) return;
    setPicture(saved_);
}

void PictureButton::paintEvent(QPaintEvent *) {
    if (picture_.isNull()) return;
    QPainter p(this);
    QPoint at(0, 0);
    if (center_) at = QPoint((width() - picture_.width()) / 2, (height() - picture_.height()) / 2);
    p.drawPixmap(at, picture_);
}

void PictureButton::enterEvent(QEnterEvent *) { pointerEntered(); }

// After a release outside, the toolkit's own leave notice follows the one given on the way
// out; it shows the saved picture again, which is already shown.
void PictureButton::leaveEvent(QEvent *) { pointerLeft(); }

void PictureButton::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton) {
        pressed_ = true;
        pressedInside_ = true;
    }
}

// The control holds the mouse while a button is down, and the toolkit then sends it no leave
// or enter notice: it gets them here, as the pointer crosses its edge.
void PictureButton::mouseMoveEvent(QMouseEvent *e) {
    if (!pressed_) return;
    const bool inside = rect().contains(e->position().toPoint());
    if (inside == pressedInside_) return;
    pressedInside_ = inside;
    inside ? pointerEntered() : pointerLeft();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *e) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    pressedInside_ = false;
    // A click is a press and a release over the control, as with any button.
    if (wasPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}
