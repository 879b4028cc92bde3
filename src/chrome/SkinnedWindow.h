#pragma once
#include "chrome/FrameGeometry.h"

#include <QEvent>
#include <QImage>
#include <QWidget>
#include <array>

// A frameless top-level window that paints its own frame (title strip, caption plate and text,
// edges, three caption buttons) from the frame pictures and handles the frame's zones itself:
// caption buttons, caption double-click, and moves and resizes handed to the window system.
// Subclasses put their controls into clientArea(), at client coordinates.
class SkinnedWindow : public QWidget {
    Q_OBJECT
public:
    explicit SkinnedWindow(QWidget *parent = nullptr);

    QWidget *clientArea() const { return client_; }
    // Outer size = client size plus the frame's room (frameMargins()).
    void setClientSize(const QSize &size);
    static QMargins frameMargins() { return FrameGeometry::frameMargins(); }
    // Shrinks the window to the room its screen has, when it has less than the window's size,
    // and places it wholly on that screen, centred where it can be.
    void fitToScreen();

    // True once the window has been activated, false again while it is inactive; only the
    // caption buttons' hover looks depend on it.
    bool isFrameActive() const { return frameActive_; }
    // The frame's answer for a point in window coordinates.
    FrameGeometry::Hit hitAt(QPoint windowPos) const;

    // The frame pictures, loaded once from the compiled-in resources.
    static const QImage &framePicture(FrameGeometry::FramePicture picture);

protected:
    // Moves and resizes belong to the window system; these are the points where they are asked.
    virtual void beginSystemMove();
    virtual void beginSystemResize(Qt::Edges edges);

    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void changeEvent(QEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Look { Normal, Pressed, Hover };
    struct ButtonLooks {
        Look min = Look::Normal, max = Look::Normal, close = Look::Normal;
        bool operator==(const ButtonLooks &) const = default;
    };

    void paintFrame(QPainter &painter);
    void paintButtons(QPainter &painter);
    bool frameMouse(QEvent::Type type, QPoint windowPos, Qt::MouseButton button, Qt::MouseButtons buttons);
    void framePress(FrameGeometry::Hit hit, QPoint windowPos);
    void frameMove(FrameGeometry::Hit hit, QPoint windowPos, Qt::MouseButtons buttons);
    void frameRelease(FrameGeometry::Hit hit);
    void toggleMaximized();
    void minimizeApplication();
    void updateCursor(FrameGeometry::Hit hit);
    void resetLooks();
    void setLooks(const ButtonLooks &looks);
    QRect buttonsRect() const;
    bool isNormalState() const;
    bool ownsMouseInput(const QWidget *w) const;

    QWidget *client_;
    bool frameActive_ = false;
    ButtonLooks looks_;
    FrameGeometry::Hit pressHit_ = FrameGeometry::Hit::Nowhere;
    QPoint pressPos_;
    Qt::Edges cursorEdges_;
};
