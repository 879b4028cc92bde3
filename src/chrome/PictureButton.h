#pragma once
#include <QPixmap>
#include <QWidget>

// A picture button: shows Picture1 while the pointer is over it. On enter the shown picture is
// saved and replaced by a copy of Picture1; on leave the saved picture comes back. It keeps no
// other state, so a picture assigned while the pointer is over it is replaced on leave.
class PictureButton : public QWidget {
    Q_OBJECT
public:
    explicit PictureButton(QWidget *parent = nullptr);
    // A picture button at its place showing ":/images/<base>.bmp", with "<base>_hot.bmp" as
    // its highlighted look.
    static PictureButton *withPictures(QWidget *parent, const QRect &geometry, const QString &base);

    const QPixmap &picture() const { return picture_; }
    void setPicture(const QPixmap &picture);
    const QPixmap &picture1() const { return picture1_; }
    void setPicture1(const QPixmap &picture) { picture1_ = picture; }
    const QPixmap &savedPicture() const { return saved_; }

    // Centre the picture in the control instead of drawing it at the top-left corner.
    void setCenter(bool center);
    // In design mode the control shows Picture only and never swaps.
    void setDesignMode(bool on) { designMode_ = on; }

    void pointerEntered();
    void pointerLeft();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    // A double-click's second press is no new click.
    void mouseDoubleClickEvent(QMouseEvent *) override {}

private:
    QPixmap picture_;
    QPixmap picture1_;
    QPixmap saved_;
    bool center_ = false;
    bool designMode_ = false;
    bool pressed_ = false;
    bool pressedInside_ = false; // while pressed: the pointer is over the control
};
