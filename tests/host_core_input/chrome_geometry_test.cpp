// Hit-test table of the client-drawn frame, resize cursors and the manual
// resize rectangle with its 320 x 240 minimum.
#include "host/core/chrome_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace rava {
namespace {

constexpr int W = 1000;
constexpr int H = 700;
constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();

TEST(CanvasHitTest, PointsAcrossBordersButtonsAndStrip) {
    struct Case {
        int x, y, expected;
        bool buttons = true;
    };
    const Case cases[] = {
        // Corners and edges at the 8-pixel boundaries.
        {0, 0, kHitTopLeft}, {7, 7, kHitTopLeft}, {8, 7, kHitTop}, {7, 8, kHitLeft},
        {W - 8, 0, kHitTopRight}, {W - 1, 7, kHitTopRight}, {W - 9, 0, kHitTop},
        {0, H - 8, kHitBottomLeft}, {7, H - 1, kHitBottomLeft}, {0, H - 9, kHitLeft},
        {W - 8, H - 8, kHitBottomRight}, {W - 1, H - 1, kHitBottomRight}, {W - 1, 300, kHitRight},
        {W - 9, 300, kHitClient}, {500, H - 8, kHitBottom}, {500, H - 9, kHitClient},
        // Outside the client area is not a border; above it is still the strip.
        {-1, 300, kHitClient}, {W, 300, kHitClient}, {500, H, kHitClient}, {500, -1, kHitCaption},
        {-5, 20, kHitClient},
        // Caption buttons from the right edge; a gap, then the strip.
        {W - 46, 8, kHitClose}, {W - 9, 37, kHitClose}, {W - 47, 20, kHitMaximize}, {W - 92, 20, kHitMaximize},
        {W - 93, 20, kHitMinimize}, {W - 138, 20, kHitMinimize}, {W - 139, 20, kHitClient},
        {W - 152, 20, kHitClient}, {W - 153, 20, kHitCaption}, {W - 46, 38, kHitClient}, {W - 20, 7, kHitTop},
        // The strip alone.
        {W - 46, 20, kHitClient, false}, {W - 153, 20, kHitCaption, false}, {8, 8, kHitCaption},
        {500, 53, kHitCaption}, {500, 54, kHitClient},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CanvasHitTest(c.x, c.y, W, H, c.buttons), c.expected)
            << "(" << c.x << ", " << c.y << ")" << (c.buttons ? "" : " without buttons");
    }
    // Tiny and hostile sizes do not overflow.
    EXPECT_EQ(CanvasHitTest(0, 0, 1, 1, true), kHitTopLeft);
    EXPECT_EQ(CanvasHitTest(kMax, kMax, kMin, kMin, true), kHitClient);
    EXPECT_EQ(CanvasHitTest(kMin, 20, 100, 100, true), kHitClient);
    EXPECT_EQ(CanvasHitTest(kMax - 1, 20, kMax, 100, true), kHitRight);
}

TEST(CanvasHitTest, CodeClassesAndResizeCursors) {
    struct Case {
        int code;
        bool border;
        bool button;
        ResizeCursor cursor;
    };
    using enum ResizeCursor;
    const Case cases[] = {
        {kHitLeft, true, false, kSizeWE},         {kHitRight, true, false, kSizeWE},
        {kHitTop, true, false, kSizeNS},          {kHitBottom, true, false, kSizeNS},
        {kHitTopLeft, true, false, kSizeNWSE},    {kHitBottomRight, true, false, kSizeNWSE},
        {kHitTopRight, true, false, kSizeNESW},   {kHitBottomLeft, true, false, kSizeNESW},
        {kHitClient, false, false, kArrow},       {kHitCaption, false, false, kArrow},
        {kHitMinimize, false, true, kArrow},      {kHitMaximize, false, true, kArrow},
        {kHitClose, false, true, kArrow},         {0, false, false, kArrow},
        {18, false, false, kArrow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(IsBorderHitCode(c.code), c.border);
        EXPECT_EQ(IsCaptionButtonHitCode(c.code), c.button);
        EXPECT_EQ(ResizeCursorForHitCode(c.code), c.cursor);
    }
}

TEST(ManualResizeRect, DraggedEdgesMoveAndTheMinimumKeepsTheOppositeEdge) {
    struct Case {
        int code;
        int64_t dx, dy;
        ScreenRect expected;
    };
    const Case cases[] = {
        {kHitLeft, -30, 999, {70, 100, 1116, 839}},        {kHitRight, 30, 999, {100, 100, 1146, 839}},
        {kHitTop, 999, -20, {100, 80, 1116, 839}},         {kHitBottom, 999, 20, {100, 100, 1116, 859}},
        {kHitTopLeft, 5, 6, {105, 106, 1116, 839}},        {kHitBottomRight, 5, 6, {100, 100, 1121, 845}},
        {kHitTopRight, 5, 6, {100, 106, 1121, 839}},       {kHitBottomLeft, 5, 6, {105, 100, 1116, 845}},
        {kHitCaption, 5, 6, {100, 100, 1116, 839}},  // not a border: nothing moves
        // Dragged past the 320 x 240 minimum: the opposite edge stays put.
        {kHitLeft, 5000, 0, {796, 100, 1116, 839}},        {kHitLeft, 1016 - 320, 0, {796, 100, 1116, 839}},
        {kHitLeft, 1016 - 321, 0, {795, 100, 1116, 839}},  {kHitRight, -5000, 0, {100, 100, 420, 839}},
        {kHitTop, 0, 5000, {100, 599, 1116, 839}},         {kHitBottom, 0, -5000, {100, 100, 1116, 340}},
        {kHitTopLeft, 5000, 5000, {796, 599, 1116, 839}},  {kHitBottomRight, -5000, -5000, {100, 100, 420, 340}},
    };
    const ScreenRect start{100, 100, 1116, 839};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "code " << c.code << " by (" << c.dx << ", " << c.dy << ")");
        const ScreenRect r = ManualResizeRect(c.code, start, c.dx, c.dy);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(ManualResizeRect, HostileOffsetsSaturate) {
    const ScreenRect start{0, 0, 1000, 700};
    const int64_t big = int64_t{1} << 40;
    const ScreenRect r = ManualResizeRect(kHitBottomRight, start, big, big);
    EXPECT_EQ(r.right, kMax);
    EXPECT_EQ(r.bottom, kMax);
    const ScreenRect l = ManualResizeRect(kHitTopLeft, start, -big, -big);
    EXPECT_EQ(l.left, kMin);
    EXPECT_EQ(l.top, kMin);
}

}  // namespace
}  // namespace rava
