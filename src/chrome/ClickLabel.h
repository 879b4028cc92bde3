#pragma once
#include <QLabel>

// A label that reports clicks and the pointer entering and leaving it: the news ticker, the
// vendor link and the advertisement picture.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void entered();
    void left();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *) override { emit entered(); }
    void leaveEvent(QEvent *) override { emit left(); }
};
