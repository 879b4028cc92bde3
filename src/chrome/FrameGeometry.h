#pragma once
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// The main window's own frame as plain numbers: which picture pieces are copied where, and which
// part of the window lies under a point. No widget code here, so every figure is testable alone.
namespace FrameGeometry {

// The eight frame pictures, named after their holders in the main window, plus the caption text
// (a step of the paint order that is not a copy).
enum class FramePicture {
    img1, // left edge, 4 x 600
    img2, // title strip, 1300 x 40, rows 0-30 used
    img3, // caption plate behind the title text, 225 x 40
    img4, // right edge, 6 x 600
    img5, // bottom edge, 1300 x 23, rows 0-8 used
    imgmin, // minimize button cells
    imgMax, // maximize button cells
    imgclose, // close button cells
    caption, // the caption text; source is empty, destination is the clip rectangle
};

struct PaintStep {
    FramePicture picture;
    QRect source; // in picture pixels
    QRect dest; // in window coordinates
    bool stretched; // nearest-neighbour scaling from source to dest; otherwise same size
    bool operator==(const PaintStep &) const = default;
};

enum class WindowState { Normal, Maximized, Minimized };

// Button cells are 26 pixels wide side by side: normal at x 0, pressed at 26, hover at 52.
constexpr int kCellWidth = 26;
constexpr int kPressedCellX = 26;
constexpr int kHoverCellX = 52;
constexpr int kTileWidth = 180; // the middle of the title strip is tiled in pieces this wide

// The paint order for a window of outer size w x h whose caption is `captionBytes` long in GBK.
// Steps whose destination has no positive width or height are left out, so a window too narrow
// for the middle title strip, too short for the stretched edges, or a caption under 2 bytes (no
// plate middle; under 4 bytes the caption's clip rectangle is empty too) simply lacks those
// pieces; the remaining pieces are drawn and clipped to the window.
QList<PaintStep> paintPlan(int w, int h, int captionBytes, WindowState state);

// The top-left corners of the three buttons in window coordinates.
QPoint minButtonPos(int w);
QPoint maxButtonPos(int w);
QPoint closeButtonPos(int w);

// Hit codes the frame answers, with the values of the classic non-client hit test.
enum class Hit {
    Nowhere = -2, // outside the window: nothing to do
    Standard = -1, // none of the frame's rules holds: the standard hit test decides
    Client = 1,
    Caption = 2, // HTCAPTION
    MinButton = 8, // HTMINBUTTON
    MaxButton = 9, // HTMAXBUTTON
    Left = 10, // HTLEFT
    Right = 11, // HTRIGHT
    Top = 12, // HTTOP
    TopLeft = 13, // HTTOPLEFT
    TopRight = 14, // HTTOPRIGHT
    Bottom = 15, // HTBOTTOM
    BottomLeft = 16, // HTBOTTOMLEFT
    BottomRight = 17, // HTBOTTOMRIGHT
    Close = 20, // HTCLOSE
};

// The frame's thirteen rules in order. `p` is in the coordinates the rules are written for: y
// relative to the client area's top (negative in the title bar), x compared against limits taken
// from the outer width `w`; `cyMin` is the distance from the window top to the client top that the
// rules subtract near the top and bottom. Rectangles hold their left and top edges only.
Hit hitTest(QPoint p, int w, int h, int cyMin);

// The room the frame keeps around the client area: the left and right edges, the 31 title rows,
// and the visible rows of the bottom edge.
QMargins frameMargins();

// The hit test for a point in window coordinates of a window of size `size` with the client area
// inside frameMargins(). Here x is taken as the window x and cyMin as the title's height, so the
// button zones lie exactly over the painted buttons and the caption zone over the caption plate.
// Where no rule holds, the standard answer is the client inside the client area and the caption
// anywhere else on the frame (the title bar around the buttons); outside the window: Nowhere.
Hit frameHitTest(QPoint windowPos, QSize size);

} // namespace FrameGeometry
