#include "chrome/SkinnedWindow.h"

#include "chrome/ScreenPlace.h"

#include "chrome/Fonts.h"
#include "data/Gbk.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

using FrameGeometry::FramePicture;
using FrameGeometry::Hit;

namespace {

// The caption's colour: the classic hot-light blue, which this platform has no system colour for.
const QColor kCaptionColor(0, 102, 204);

Qt::Edges edgesFor(Hit hit) {
    switch (hit) {
    case Hit::Left:
        return Qt::LeftEdge;
    case Hit::Right:
        return Qt::RightEdge;
    case Hit::Top:
        return Qt::TopEdge;
    case Hit::Bottom:
        return Qt::BottomEdge;
    case Hit::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case Hit::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case Hit::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case Hit::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}

bool isButton(Hit hit) { return hit == Hit::MinButton || hit == Hit::MaxButton || hit == Hit::Close; }
bool isFrame(Hit hit) { return hit != Hit::Client && hit != Hit::Nowhere; }

// Copies the part of `source` that lies inside the picture; where a copy reaches beyond the
// picture nothing is drawn and the frame's underlay stays visible.
void drawPiece(QPainter &p, const QImage &pic, const FrameGeometry::PaintStep &step) {
    const QRect s = step.source & pic.rect();
    if (s.isEmpty()) return;
    const QRect &src = step.source, &dst = step.dest;
    if (!step.stretched) {
        p.drawImage(QRect(dst.topLeft() + (s.topLeft() - src.topLeft()), s.size()), pic, s);
        return;
    }
    auto mapX = [&](int x) { return dst.left() + (x - src.left()) * dst.width() / src.width(); };
    auto mapY = [&](int y) { return dst.top() + (y - src.top()) * dst.height() / src.height(); };
    const QRect d(QPoint(mapX(s.left()), mapY(s.top())), QPoint(mapX(s.right() + 1) - 1, mapY(s.bottom() + 1) - 1));
    p.drawImage(d, pic, s);
}

} // namespace

SkinnedWindow::SkinnedWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), client_(new QWidget(this)) {
    client_->setObjectName(QStringLiteral("clientArea"));
    client_->setAutoFillBackground(true);
    setMouseTracking(true);
    // Points of the client area that lie in a frame zone (the caption band along the top, the
    // side strips) belong to the frame unless a control that takes input of its own covers them.
    qApp->installEventFilter(this);
    setClientSize(QSize(200, 100));
}

const QImage &SkinnedWindow::framePicture(FramePicture picture) {
    static const std::array<QImage, 8> pictures = [] {
        Q_INIT_RESOURCE(frame);
        std::array<QImage, 8> out;
        const char *names[] = {"left", "title", "plate", "right", "bottom", "min", "max", "close"};
        for (int i = 0; i < 8; ++i) out[i] = QImage(QStringLiteral(":/frame/%1.bmp").arg(QLatin1String(names[i])));
        return out;
    }();
    const int i = static_cast<int>(picture);
    static const QImage none;
    return i < int(pictures.size()) ? pictures[i] : none;
}

void SkinnedWindow::setClientSize(const QSize &size) {
    resize(size.grownBy(frameMargins()));
    // A window not shown yet gets no resize event: place the client area now.
    client_->setGeometry(rect().marginsRemoved(frameMargins()));
}

Hit SkinnedWindow::hitAt(QPoint windowPos) const { return FrameGeometry::frameHitTest(windowPos, size()); }

bool SkinnedWindow::isNormalState() const {
    return !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

// ---- painting

void SkinnedWindow::paintEvent(QPaintEvent *) {
    QPainter p(this);
    paintFrame(p);
    paintButtons(p);
}

void SkinnedWindow::paintFrame(QPainter &p) {
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Underlay for the few pixels no piece covers (the right column beside the title bar, the
    // bottom row, the column left of the bottom-right edge): the edges' body colour inside a
    // one-pixel outline, both taken from the edge pictures.
    const QImage &left = framePicture(FramePicture::img1);
    const QImage &bottom = framePicture(FramePicture::img5);
    p.fillRect(rect(), bottom.isNull() ? QColor(150, 190, 235) : bottom.pixelColor(20, 8));
    p.setPen(left.isNull() ? QColor(60, 110, 175) : left.pixelColor(0, 100));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const FrameGeometry::WindowState state = isNormalState() ? FrameGeometry::WindowState::Normal
                                             : (windowState() & Qt::WindowMinimized)
                                                 ? FrameGeometry::WindowState::Minimized
                                                 : FrameGeometry::WindowState::Maximized;
    const QString caption = windowTitle();
    const int l = int(Gbk::byteLength(caption));
    for (const FrameGeometry::PaintStep &step : FrameGeometry::paintPlan(width(), height(), l, state)) {
        if (step.picture != FramePicture::caption) {
            drawPiece(p, framePicture(step.picture), step);
            continue;
        }
        p.save();
        p.setClipRect(step.dest);
        p.setFont(Fonts::song(12)); // the same Song face as every other text of the window
        p.setPen(kCaptionColor);
        p.drawText(step.dest, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
        p.restore();
    }
}

// The pressed and hover looks drawn over the buttons at rest: whole 26 x 30 cells.
void SkinnedWindow::paintButtons(QPainter &p) {
    auto draw = [&](FramePicture pic, QPoint at, Look look) {
        if (look == Look::Normal) return;
        const int sx = look == Look::Pressed ? FrameGeometry::kPressedCellX : FrameGeometry::kHoverCellX;
        drawPiece(
            p, framePicture(pic),
            {pic, QRect(sx, 0, FrameGeometry::kCellWidth, 30), QRect(at, QSize(FrameGeometry::kCellWidth, 30)), false});
    };
    draw(FramePicture::imgmin, FrameGeometry::minButtonPos(width()), looks_.min);
    if (isNormalState()) draw(FramePicture::imgMax, FrameGeometry::maxButtonPos(width()), looks_.max);
    draw(FramePicture::imgclose, FrameGeometry::closeButtonPos(width()), looks_.close);
}

// The three buttons' cells: the only part of the window that the looks change.
QRect SkinnedWindow::buttonsRect() const {
    return QRect(FrameGeometry::minButtonPos(width()), QSize(3 * FrameGeometry::kCellWidth, 30));
}

void SkinnedWindow::setLooks(const ButtonLooks &looks) {
    if (looks == looks_) return;
    looks_ = looks;
    update(buttonsRect());
}

void SkinnedWindow::resetLooks() { setLooks({}); }

void SkinnedWindow::resizeEvent(QResizeEvent *) {
    client_->setGeometry(rect().marginsRemoved(frameMargins()));
    resetLooks();
}

void SkinnedWindow::changeEvent(QEvent *e) {
    switch (e->type()) {
    case QEvent::ActivationChange:
        // The whole frame is repainted on activation changes, which drops any button look.
        resetLooks();
        frameActive_ = isActiveWindow();
        break;
    case QEvent::WindowStateChange:
        // The maximize button comes and goes with the normal state, and a window coming back
        // from the minimized state may have been exposed while the platform still called it
        // minimized: repaint the buttons whatever the looks were.
        resetLooks();
        update(buttonsRect());
        break;
    case QEvent::WindowTitleChange:
        update(QRect(0, 0, width(), frameMargins().top()));
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

// ---- mouse

void SkinnedWindow::mousePressEvent(QMouseEvent *e) {
    frameMouse(e->type(), e->position().toPoint(), e->button(), e->buttons());
}
void SkinnedWindow::mouseMoveEvent(QMouseEvent *e) {
    frameMouse(e->type(), e->position().toPoint(), e->button(), e->buttons());
}
void SkinnedWindow::mouseReleaseEvent(QMouseEvent *e) {
    frameMouse(e->type(), e->position().toPoint(), e->button(), e->buttons());
}
void SkinnedWindow::mouseDoubleClickEvent(QMouseEvent *e) {
    frameMouse(e->type(), e->position().toPoint(), e->button(), e->buttons());
}

// Controls that take keyboard focus (edit boxes, grids) keep their own mouse input, like
// windows of their own; pictures, labels and plain panels let the frame's zones through.
bool SkinnedWindow::ownsMouseInput(const QWidget *w) const {
    for (; w && w != client_; w = w->parentWidget())
        if (w->focusPolicy() != Qt::NoFocus || w == this) return true;
    return w == nullptr;
}

bool SkinnedWindow::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonDblClick)
        return false;
    if (!watched->isWidgetType()) return false;
    auto *w = static_cast<QWidget *>(watched);
    if (w == this || w->window() != this) return false;
    if (ownsMouseInput(w)) {
        if (type == QEvent::MouseMove) updateCursor(Hit::Client);
        return false;
    }
    auto *me = static_cast<QMouseEvent *>(event);
    return frameMouse(type, w->mapTo(this, me->position().toPoint()), me->button(), me->buttons());
}

// One mouse event at a window position; true when the frame took it.
bool SkinnedWindow::frameMouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const Hit hit = hitAt(pos);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (button == Qt::LeftButton) framePress(hit, pos);
        return isFrame(hit);
    case QEvent::MouseMove: {
        const bool dragging = pressHit_ != Hit::Nowhere;
        frameMove(hit, pos, buttons);
        return isFrame(hit) || dragging;
    }
    case QEvent::MouseButtonRelease: {
        // A control that took the press also gets its release, wherever it happens.
        const bool framePressed = pressHit_ != Hit::Nowhere;
        if (button == Qt::LeftButton) frameRelease(hit);
        return framePressed;
    }
    case QEvent::MouseButtonDblClick:
        // Takes the place of the second press; only the caption acts on it.
        pressHit_ = Hit::Nowhere;
        if (button == Qt::LeftButton && hit == Hit::Caption) toggleMaximized();
        return isFrame(hit);
    default:
        return false;
    }
}

void SkinnedWindow::framePress(Hit hit, QPoint pos) {
    pressHit_ = Hit::Nowhere;
    ButtonLooks looks = looks_;
    switch (hit) {
    case Hit::MinButton:
        looks.min = Look::Pressed;
        break;
    case Hit::MaxButton:
        if (isNormalState()) looks.max = Look::Pressed;
        break;
    case Hit::Close:
        looks.close = Look::Pressed;
        break;
    case Hit::Caption:
        // The move starts once the pointer has travelled, so a double-click still reaches us.
        pressHit_ = hit;
        pressPos_ = pos;
        return;
    default:
        // A maximized window keeps its size.
        if (edgesFor(hit) && !(windowState() & Qt::WindowMaximized)) beginSystemResize(edgesFor(hit));
        return;
    }
    pressHit_ = hit;
    setLooks(looks);
}

void SkinnedWindow::frameMove(Hit hit, QPoint pos, Qt::MouseButtons buttons) {
    if (pressHit_ == Hit::Caption && (buttons & Qt::LeftButton) &&
        (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        pressHit_ = Hit::Nowhere;
        beginSystemMove();
        return;
    }
    updateCursor(hit);
    if (!isFrame(hit) || !frameActive_) return;
    // Every move over the frame redraws the three buttons: the one under the pointer hovered.
    ButtonLooks looks;
    if (hit == Hit::MinButton) looks.min = Look::Hover;
    if (hit == Hit::MaxButton) looks.max = Look::Hover;
    if (hit == Hit::Close) looks.close = Look::Hover;
    setLooks(looks);
}

void SkinnedWindow::frameRelease(Hit hit) {
    const Hit pressed = pressHit_;
    pressHit_ = Hit::Nowhere;
    if (!isButton(pressed)) return;
    // The release decides, wherever the press was among the buttons. A release over the
    // maximize button does nothing: the caption double-click maximizes and restores.
    if (hit == Hit::MinButton) minimizeApplication();
    // Ends the program's loop at once; the main window gets no close request.
    if (hit == Hit::Close) QCoreApplication::exit(0);
}

void SkinnedWindow::toggleMaximized() {
    if (windowState() & Qt::WindowMinimized) return;
    if (windowState() & Qt::WindowMaximized) {
        showNormal();
        return;
    }
    // The window stays where the window system puts it. A frame painted by the window itself has
    // no borders hanging over the screen's edges to make up for, and a window manager treats a
    // maximized window that moves as restored (its edges would then lie off the screen).
    showMaximized();
}

void SkinnedWindow::minimizeApplication() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && !(w->windowState() & Qt::WindowMinimized))
            w->setWindowState(w->windowState() | Qt::WindowMinimized);
}

void SkinnedWindow::updateCursor(Hit hit) {
    const Qt::Edges e = edgesFor(hit);
    if (e == cursorEdges_) return;
    cursorEdges_ = e;
    if (e == Qt::LeftEdge || e == Qt::RightEdge) setCursor(Qt::SizeHorCursor);
    else if (e == Qt::TopEdge || e == Qt::BottomEdge) setCursor(Qt::SizeVerCursor);
    else if (e == (Qt::TopEdge | Qt::LeftEdge) || e == (Qt::BottomEdge | Qt::RightEdge)) setCursor(Qt::SizeFDiagCursor);
    else if (e) setCursor(Qt::SizeBDiagCursor);
    else unsetCursor();
}

void SkinnedWindow::beginSystemMove() {
    if (QWindow *w = windowHandle()) w->startSystemMove();
}

void SkinnedWindow::beginSystemResize(Qt::Edges edges) {
    if (QWindow *w = windowHandle()) w->startSystemResize(edges);
}

void SkinnedWindow::fitToScreen() {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect room = s->availableGeometry();
    const QSize outer = size().boundedTo(room.size());
    if (outer != size()) setClientSize(outer.shrunkBy(frameMargins()));
    QRect r(pos(), size());
    r.moveCenter(room.center());
    move(ScreenPlace::within(r, room).topLeft());
}
