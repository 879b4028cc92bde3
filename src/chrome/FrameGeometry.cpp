#include "chrome/FrameGeometry.h"

namespace FrameGeometry {

namespace {

constexpr int kTitleRows = 31; // rows 0-30 of the title strip, plate and the edges' top pieces

class PlanBuilder {
public:
    void copy(FramePicture pic, int sx, int sy, int w, int h, int x, int y) {
        add({pic, QRect(sx, sy, w, h), QRect(x, y, w, h), false});
    }
    void stretch(FramePicture pic, QRect source, QRect dest) { add({pic, source, dest, true}); }
    void text(QRect clip) { add({FramePicture::caption, QRect(), clip, false}); }
    QList<PaintStep> steps;

private:
    void add(const PaintStep &s) {
        if (s.dest.width() > 0 && s.dest.height() > 0) steps.append(s);
    }
};

} // namespace

QPoint minButtonPos(int w) { return {w - 90, 1}; }
QPoint maxButtonPos(int w) { return {w - 64, 1}; }
QPoint closeButtonPos(int w) { return {w - 38, 1}; }

QList<PaintStep> paintPlan(int w, int h, int l, WindowState state) {
    using P = FramePicture;
    PlanBuilder b;
    const int t = kTitleRows;
    b.copy(P::img1, 0, 0, 4, t, 0, 0); // left edge, top
    b.copy(P::img2, 0, 0, 30, t, 4, 0); // title strip, left part
    // The window declares no icon of its own, so nothing is drawn at (18, 6).
    b.copy(P::img3, 0, 0, 6, t, 34, 0); // caption plate, left cap
    b.stretch(P::img3, QRect(6, 0, 10, t), QRect(40, 0, l * 8 - 10, t)); // plate middle
    b.text(QRect(QPoint(20, 10), QPoint(l * 16 - 40 - 1, 26 - 1))); // right/bottom exclusive
    b.copy(P::img3, 18, 0, 11, t, l * 8 + 30, 0); // caption plate, right cap

    // Title strip middle, from the plate's end to W - 94, in tiles of at most 180 pixels.
    const int x0 = l * 8 + 41;
    const int r = w - l * 8 - 135;
    if (r <= kTileWidth) {
        b.copy(P::img2, 40, 0, r, t, x0, 0);
    } else {
        const int n = r / kTileWidth;
        for (int i = 0; i < n; ++i) b.copy(P::img2, 40, 0, kTileWidth, t, x0 + kTileWidth * i, 0);
        b.copy(P::img2, 40, 0, r - kTileWidth * n, t, x0 + kTileWidth * n, 0); // empty at a multiple
    }

    b.copy(P::img2, 239, 0, 10, t, w - 94, 0); // title strip, right part
    b.copy(P::img2, 240, 0, 90, t, w - 93, 0);
    b.copy(P::img4, 0, 0, 4, t, w - 5, 0); // right edge, top

    b.copy(P::img1, 0, 31, 4, 9, 0, 31); // left edge, rest
    b.stretch(P::img1, QRect(0, 40, 4, 28), QRect(0, 40, 4, h - 59));
    b.copy(P::img1, 0, 58, 4, 19, 0, h - 20);

    b.copy(P::img4, 0, 31, 4, 9, w - 4, 31); // right edge, rest
    b.stretch(P::img4, QRect(0, 40, 4, 28), QRect(w - 4, 40, 4, h - 58));
    b.copy(P::img4, 0, 50, 8, 19, w - 4, h - 19);

    b.copy(P::img5, 0, 0, 10, 9, 4, h - 10); // bottom edge
    b.stretch(P::img5, QRect(10, 0, 21, 9), QRect(14, h - 10, w - 28, 9));
    b.copy(P::img5, 31, 0, 10, 9, w - 15, h - 10);

    // The buttons at rest show their normal cell. The close button takes the same 26-column cell
    // as the others: a wider copy would put the pressed cell's left part over the title bar's end.
    const QPoint close = closeButtonPos(w), max = maxButtonPos(w), min = minButtonPos(w);
    b.copy(P::imgclose, 0, 0, kCellWidth, 29, close.x(), close.y());
    if (state == WindowState::Normal) b.copy(P::imgMax, 0, 0, kCellWidth, 29, max.x(), max.y());
    b.copy(P::imgmin, 0, 0, kCellWidth, 29, min.x(), min.y());
    return b.steps;
}

Hit hitTest(QPoint p, int w, int h, int c) {
    const int x = p.x(), y = p.y();
    const bool buttonRow = 1 - c <= y && y < 29 - c;
    if (buttonRow && w - 90 <= x && x < w - 65) return Hit::MinButton;
    if (buttonRow && w - 64 <= x && x < w - 39) return Hit::MaxButton;
    if (buttonRow && w - 38 <= x && x < w - 13) return Hit::Close;
    if (36 <= x && x < w - 98 && 6 - c <= y && y < 31) return Hit::Caption;
    if (x < 5 && y < 8 - c) return Hit::TopLeft;
    if (x > w - 13 && y < 5 - c) return Hit::TopRight;
    if (x > w - 13 && y > h - 5 - c) return Hit::BottomRight;
    if (x < 5 && y > h - 5 - c) return Hit::BottomLeft;
    if (x < 5) return Hit::Left;
    if (y < 5 - c) return Hit::Top;
    if (x > w - 9) return Hit::Right;
    if (y > h - 5 - c) return Hit::Bottom;
    return Hit::Standard;
}

QMargins frameMargins() { return QMargins(4, kTitleRows, 4, 4); }

Hit frameHitTest(QPoint windowPos, QSize size) {
    if (!QRect(QPoint(0, 0), size).contains(windowPos)) return Hit::Nowhere;
    const QMargins m = frameMargins();
    const Hit hit = hitTest(QPoint(windowPos.x(), windowPos.y() - m.top()), size.width(), size.height(), m.top());
    if (hit != Hit::Standard) return hit;
    const QRect client = QRect(QPoint(0, 0), size).marginsRemoved(m);
    return client.contains(windowPos) ? Hit::Client : Hit::Caption;
}

} // namespace FrameGeometry
