#include "chrome/Image1.h"

#include <QMouseEvent>
#include <QPainter>

TMyImage::TMyImage(QWidget *parent) : QWidget(parent) {}

TMyImage *TMyImage::withPictures(QWidget *parent, const QRect &geometry, const QString &base) {
    auto *b = new TMyImage(parent);
    b->setGeometry(geometry);
    b->setPicture(QPixmap(QStringLiteral(":/images/%1.bmp").arg(base)));
    b->setPicture1(QPixmap(QStringLiteral(":/images/%1_hot.bmp").arg(base)));
    return b;
}

void TMyImage::setPicture(const QPixmap &picture) {
    picture_ = picture;
    update();
}

void TMyImage::setCenter(bool center) {
    center_ = center;
    update();
}

void TMyImage::pointerEntered() {
    if (designMode_) return;
    saved_ = picture_;
    setPicture(picture1_);
}

void TMyImage::pointerLeft() {
    if (designMode_) return;
    setPicture(saved_);
}

void TMyImage::paintEvent(QPaintEvent *) {
    if (picture_.isNull()) return;
    QPainter p(this);
    QPoint at(0, 0);
    if (center_) at = QPoint((width() - picture_.width()) / 2, (height() - picture_.height()) / 2);
    p.drawPixmap(at, picture_);
}

void TMyImage::enterEvent(QEnterEvent *) { pointerEntered(); }

// After a release outside, the toolkit's own leave notice follows the one given on the way
// out; it shows the saved picture again, which is already shown.
void TMyImage::leaveEvent(QEvent *) { pointerLeft(); }

void TMyImage::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton) {
        pressed_ = true;
        pressedInside_ = true;
    }
}

// The control holds the mouse while a button is down, and the toolkit then sends it no leave
// or enter notice: it gets them here, as the pointer crosses its edge.
void TMyImage::mouseMoveEvent(QMouseEvent *e) {
    if (!pressed_) return;
    const bool inside = rect().contains(e->position().toPoint());
    if (inside == pressedInside_) return;
    pressedInside_ = inside;
    inside ? pointerEntered() : pointerLeft();
}

void TMyImage::mouseReleaseEvent(QMouseEvent *e) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    pressedInside_ = false;
    // A click is a press and a release over the control, as with any button.
    if (wasPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}
