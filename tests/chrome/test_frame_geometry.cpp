#include "chrome/FrameGeometry.h"

#include <gtest/gtest.h>

using namespace FrameGeometry;
using P = FramePicture;

namespace {

PaintStep copy(P pic, int sx, int sy, int w, int h, int x, int y) {
    return {pic, QRect(sx, sy, w, h), QRect(x, y, w, h), false};
}
PaintStep stretch(P pic, QRect s, QRect d) { return {pic, s, d, true}; }

std::string describe(const PaintStep &s) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "pic %d src(%d,%d %dx%d) dst(%d,%d %dx%d)%s", int(s.picture), s.source.x(),
                  s.source.y(), s.source.width(), s.source.height(), s.dest.x(), s.dest.y(), s.dest.width(),
                  s.dest.height(), s.stretched ? " stretched" : "");
    return buf;
}

void expectPlan(const QList<PaintStep> &actual, const QList<PaintStep> &expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i], expected[i])
            << "step " << i << ": " << describe(actual[i]) << " expected " << describe(expected[i]);
}

QList<PaintStep> middleTiles(const QList<PaintStep> &plan) {
    QList<PaintStep> out;
    for (const PaintStep &s : plan)
        if (s.picture == P::img2 && s.source.x() == 40) out.append(s);
    return out;
}

const PaintStep *find(const QList<PaintStep> &plan, P pic, QPoint sourceAt) {
    for (const PaintStep &s : plan)
        if (s.picture == pic && s.source.topLeft() == sourceAt) return &s;
    return nullptr;
}

} // namespace

// The main window: 846 x 595 outside, caption "Zendrik查-商品编码查询工具" of 26 GBK bytes.
TEST(FramePlan, WholeOrderForTheMainWindow) {
    const int w = 846, h = 595, l = 26;
    // Middle title strip: from 249, 503 wide = two 180 tiles and a 143 rest, ending at w - 94.
    expectPlan(paintPlan(w, h, l, WindowState::Normal),
               {
                   copy(P::img1, 0, 0, 4, 31, 0, 0),
                   copy(P::img2, 0, 0, 30, 31, 4, 0),
                   copy(P::img3, 0, 0, 6, 31, 34, 0),
                   stretch(P::img3, QRect(6, 0, 10, 31), QRect(40, 0, 198, 31)),
                   {P::caption, QRect(), QRect(20, 10, 416 - 40 - 20, 16), false},
                   copy(P::img3, 18, 0, 11, 31, 238, 0),
                   copy(P::img2, 40, 0, 180, 31, 249, 0),
                   copy(P::img2, 40, 0, 180, 31, 429, 0),
                   copy(P::img2, 40, 0, 143, 31, 609, 0),
                   copy(P::img2, 239, 0, 10, 31, w - 94, 0),
                   copy(P::img2, 240, 0, 90, 31, w - 93, 0),
                   copy(P::img4, 0, 0, 4, 31, w - 5, 0),
                   copy(P::img1, 0, 31, 4, 9, 0, 31),
                   stretch(P::img1, QRect(0, 40, 4, 28), QRect(0, 40, 4, h - 59)),
                   copy(P::img1, 0, 58, 4, 19, 0, h - 20),
                   copy(P::img4, 0, 31, 4, 9, w - 4, 31),
                   stretch(P::img4, QRect(0, 40, 4, 28), QRect(w - 4, 40, 4, h - 58)),
                   copy(P::img4, 0, 50, 8, 19, w - 4, h - 19),
                   copy(P::img5, 0, 0, 10, 9, 4, h - 10),
                   stretch(P::img5, QRect(10, 0, 21, 9), QRect(14, h - 10, w - 28, 9)),
                   copy(P::img5, 31, 0, 10, 9, w - 15, h - 10),
                   // The close button at rest shows its 26-column normal cell, like the others.
                   copy(P::imgclose, 0, 0, 26, 29, w - 38, 1),
                   copy(P::imgMax, 0, 0, 26, 29, w - 64, 1),
                   copy(P::imgmin, 0, 0, 26, 29, w - 90, 1),
               });
    EXPECT_EQ(609 + 143, w - 94);
}

TEST(FramePlan, CaptionPlateAndTextFollowTheCaptionLength) {
    for (int l : {2, 4, 10, 26, 40}) {
        SCOPED_TRACE(l);
        const QList<PaintStep> plan = paintPlan(1200, 600, l, WindowState::Normal);
        const PaintStep *left = find(plan, P::img3, {0, 0});
        const PaintStep *middle = find(plan, P::img3, {6, 0});
        const PaintStep *right = find(plan, P::img3, {18, 0});
        ASSERT_TRUE(left && middle && right);
        EXPECT_EQ(left->dest, QRect(34, 0, 6, 31));
        EXPECT_EQ(middle->dest, QRect(40, 0, l * 8 - 10, 31));
        EXPECT_EQ(right->dest, QRect(l * 8 + 30, 0, 11, 31));
        EXPECT_EQ(right->dest.right(), l * 8 + 40); // the plate covers x 34 to L x 8 + 40
        EXPECT_EQ(middleTiles(plan).first().dest.left(), l * 8 + 41);
        const PaintStep *text = find(plan, P::caption, {0, 0});
        if (l * 16 - 40 > 20) {
            ASSERT_TRUE(text);
            EXPECT_EQ(text->dest.topLeft(), QPoint(20, 10));
            EXPECT_EQ(text->dest.right() + 1, l * 16 - 40); // right and bottom edges excluded
            EXPECT_EQ(text->dest.bottom() + 1, 26);
        } else {
            EXPECT_FALSE(text); // a 2-byte caption leaves no room in its clip rectangle
        }
    }
}

TEST(FramePlan, MiddleTitleStripTilesIn180PixelPieces) {
    const int l = 26;
    const int x0 = l * 8 + 41;
    struct Case {
        int r;
        QList<int> widths;
    } cases[] = {
        {360, {180, 180}}, // two tiles, the empty rest is left out
        {181, {180, 1}}, // one tile and a 1-pixel rest
        {180, {180}}, // one single copy 180 wide
        {179, {179}},      {541, {180, 180, 180, 1}}, {1, {1}}, {0, {}}, // no room for the middle strip
        {-30, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.r);
        const QList<PaintStep> tiles = middleTiles(paintPlan(c.r + l * 8 + 135, 600, l, WindowState::Normal));
        ASSERT_EQ(tiles.size(), c.widths.size());
        int x = x0;
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            EXPECT_EQ(tiles[i].dest, QRect(x, 0, c.widths[i], 31));
            EXPECT_EQ(tiles[i].source, QRect(40, 0, c.widths[i], 31));
            EXPECT_FALSE(tiles[i].stretched);
            x += c.widths[i];
        }
    }
}

TEST(FramePlan, MaximizeButtonOnlyInTheNormalState) {
    const struct {
        WindowState state;
        bool drawn;
    } cases[] = {{WindowState::Normal, true}, {WindowState::Maximized, false}, {WindowState::Minimized, false}};
    for (const auto &c : cases) {
        const QList<PaintStep> normal = paintPlan(846, 595, 26, WindowState::Normal);
        const QList<PaintStep> plan = paintPlan(846, 595, 26, c.state);
        EXPECT_EQ(find(plan, P::imgMax, {0, 0}) != nullptr, c.drawn);
        EXPECT_EQ(plan.size(), normal.size() - (c.drawn ? 0 : 1)); // nothing else changes
        EXPECT_TRUE(find(plan, P::imgmin, {0, 0}) && find(plan, P::imgclose, {0, 0}));
    }
}

// Too narrow, too short, captions under 2 bytes: pieces without room are left out and every
// remaining step has a real size; nothing is drawn with a negative rectangle.
TEST(FramePlan, SmallWindowsAndShortCaptionsLeaveOutPiecesWithoutRoom) {
    struct Case {
        int w, h, l;
        bool plateMiddle, leftStretch, rightStretch, bottomStretch;
    } cases[] = {
        {846, 595, 1, false, true, true, true}, {846, 595, 0, false, true, true, true},
        {846, 59, 26, true, false, true, true}, {846, 58, 26, true, false, false, true},
        {28, 100, 26, true, true, true, false}, {1, 1, 0, false, false, false, false},
        {0, 0, 26, true, false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " L " << c.l);
        const QList<PaintStep> plan = paintPlan(c.w, c.h, c.l, WindowState::Normal);
        for (const PaintStep &s : plan) EXPECT_TRUE(s.dest.width() > 0 && s.dest.height() > 0);
        EXPECT_EQ(find(plan, P::img3, {6, 0}) != nullptr, c.plateMiddle);
        EXPECT_EQ(find(plan, P::img1, {0, 40}) != nullptr, c.leftStretch);
        EXPECT_EQ(find(plan, P::img4, {0, 40}) != nullptr, c.rightStretch);
        EXPECT_EQ(find(plan, P::img5, {10, 0}) != nullptr, c.bottomStretch);
        EXPECT_TRUE(find(plan, P::imgclose, {0, 0})); // plain copies stay, clipped by the window
    }
}

// The thirteen rules in client coordinates, W 846, H 595 and C 31, at and beside every limit.
TEST(FrameHitTest, RulesInOrderWithTheirEdges) {
    const int w = 846, h = 595, c = 31;
    struct Case {
        int x, y;
        Hit hit;
    } cases[] = {
        {w - 90, 1 - c, Hit::MinButton},
        {w - 66, 28 - c, Hit::MinButton},
        {w - 65, 10 - c, Hit::Standard},
        {w - 90, 29 - c, Hit::Standard},
        {w - 91, 10 - c, Hit::Standard},
        {w - 90, 0 - c, Hit::Top},
        {w - 64, 1 - c, Hit::MaxButton},
        {w - 40, 28 - c, Hit::MaxButton},
        {w - 39, 10 - c, Hit::Standard},
        {w - 38, 1 - c, Hit::Close},
        {w - 14, 28 - c, Hit::Close},
        {w - 13, 10 - c, Hit::Standard},
        {36, 6 - c, Hit::Caption},
        {w - 99, 30, Hit::Caption},
        {35, 10 - c, Hit::Standard},
        {w - 98, 10 - c, Hit::Standard},
        {36, 5 - c, Hit::Standard},
        {36, 31, Hit::Standard},
        {36, 4 - c, Hit::Top},
        {4, 7 - c, Hit::TopLeft},
        {-4, -c, Hit::TopLeft},
        {4, 8 - c, Hit::Left},
        {5, 7 - c, Hit::Standard},
        {w - 12, 4 - c, Hit::TopRight},
        {w - 12, 5 - c, Hit::Standard},
        {w - 13, 4 - c, Hit::Top},
        {w - 12, h - 4 - c, Hit::BottomRight},
        {w - 12, h - 5 - c, Hit::Standard},
        {4, h - 4 - c, Hit::BottomLeft},
        {4, h - 5 - c, Hit::Left},
        {-4, 200, Hit::Left},
        {4, 200, Hit::Left},
        {5, 200, Hit::Standard},
        {100, 4 - c, Hit::Top},
        {w - 8, 200, Hit::Right},
        {w - 9, 200, Hit::Standard},
        {100, h - 4 - c, Hit::Bottom},
        {100, h - 5 - c, Hit::Standard},
        {400, 300, Hit::Standard},
    };
    for (const Case &k : cases) EXPECT_EQ(hitTest({k.x, k.y}, w, h, c), k.hit) << "at " << k.x << ", " << k.y;
}

// The window's own answer: x is the window x, the title's 31 rows are C, and the standard test
// gives the client inside the client area and the caption on the rest of the title bar.
TEST(FrameHitTest, WindowPositionsMeetThePaintedFrame) {
    const QSize size(846, 595);
    const int w = size.width(), h = size.height();
    struct Case {
        int x, y;
        Hit hit;
    } cases[] = {
        {0, 0, Hit::TopLeft},        {w - 90, 1, Hit::MinButton}, {w - 66, 28, Hit::MinButton},
        {w - 64, 1, Hit::MaxButton}, {w - 38, 1, Hit::Close},     {w - 14, 28, Hit::Close},
        {36, 6, Hit::Caption},       {20, 20, Hit::Caption},      {w - 92, 15, Hit::Caption},
        {w - 13, 10, Hit::Caption},  {w - 90, 29, Hit::Caption},  {w - 1, 0, Hit::TopRight},
        {100, 61, Hit::Caption},     {100, 62, Hit::Client},      {4, 300, Hit::Left},
        {5, 300, Hit::Client},       {w - 8, 300, Hit::Right},    {w - 9, 300, Hit::Client},
        {100, h - 4, Hit::Bottom},   {100, h - 5, Hit::Client},   {w - 1, h - 1, Hit::BottomRight},
        {0, h - 1, Hit::BottomLeft}, {100, 2, Hit::Top},          {w, 10, Hit::Nowhere},
        {-1, 10, Hit::Nowhere},      {10, h, Hit::Nowhere},
    };
    for (const Case &k : cases) EXPECT_EQ(frameHitTest({k.x, k.y}, size), k.hit) << "at " << k.x << ", " << k.y;
    EXPECT_EQ(frameMargins(), QMargins(4, 31, 4, 4));
}
