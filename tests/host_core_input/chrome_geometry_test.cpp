// Hit-test table of the client-drawn frame, resize cursors and the manual
// resize rectangle with its 320 x 240 minimum.
#include "host/core/chrome_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace rava {
namespace {

constexpr int W = 1000;
constexpr int H = 700;

int Hit(int x, int y, bool buttons = true) { return CanvasHitTest(x, y, W, H, buttons); }

TEST(CanvasHitTest, CornersAndEdgesAtEightPixelBoundaries) {
    EXPECT_EQ(Hit(0, 0), kHitTopLeft);
    EXPECT_EQ(Hit(7, 7), kHitTopLeft);
    EXPECT_EQ(Hit(8, 7), kHitTop);
    EXPECT_EQ(Hit(7, 8), kHitLeft);
    EXPECT_EQ(Hit(W - 8, 0), kHitTopRight);
    EXPECT_EQ(Hit(W - 1, 7), kHitTopRight);
    EXPECT_EQ(Hit(W - 9, 0), kHitTop);
    EXPECT_EQ(Hit(0, H - 8), kHitBottomLeft);
    EXPECT_EQ(Hit(7, H - 1), kHitBottomLeft);
    EXPECT_EQ(Hit(0, H - 9), kHitLeft);
    EXPECT_EQ(Hit(W - 8, H - 8), kHitBottomRight);
    EXPECT_EQ(Hit(W - 1, H - 1), kHitBottomRight);
    EXPECT_EQ(Hit(W - 1, 300), kHitRight);
    EXPECT_EQ(Hit(W - 9, 300), kHitClient);
    EXPECT_EQ(Hit(500, H - 8), kHitBottom);
    EXPECT_EQ(Hit(500, H - 9), kHitClient);
}

TEST(CanvasHitTest, OutsideTheClientAreaIsNotABorder) {
    EXPECT_EQ(Hit(-1, 300), kHitClient);
    EXPECT_EQ(Hit(W, 300), kHitClient);
    EXPECT_EQ(Hit(500, H), kHitClient);
    // Above the window: not the top border, and the caption strip needs y > 53 false only.
    EXPECT_EQ(Hit(500, -1), kHitCaption);
    EXPECT_EQ(Hit(-5, 20), kHitClient);
}

TEST(CanvasHitTest, CaptionButtonsFromTheRightEdge) {
    EXPECT_EQ(Hit(W - 46, 8), kHitClose);
    EXPECT_EQ(Hit(W - 9, 37), kHitClose);
    EXPECT_EQ(Hit(W - 47, 20), kHitMaximize);
    EXPECT_EQ(Hit(W - 92, 20), kHitMaximize);
    EXPECT_EQ(Hit(W - 93, 20), kHitMinimize);
    EXPECT_EQ(Hit(W - 138, 20), kHitMinimize);
    EXPECT_EQ(Hit(W - 139, 20), kHitClient);  // between the buttons and the strip
    EXPECT_EQ(Hit(W - 152, 20), kHitClient);
    EXPECT_EQ(Hit(W - 153, 20), kHitCaption);
    EXPECT_EQ(Hit(W - 46, 38), kHitClient);  // below the buttons, right of the strip
    EXPECT_EQ(Hit(W - 20, 7), kHitTop);
}

TEST(CanvasHitTest, CaptionStripWithoutButtons) {
    EXPECT_EQ(Hit(W - 46, 20, false), kHitClient);
    EXPECT_EQ(Hit(W - 153, 20, false), kHitCaption);
    EXPECT_EQ(Hit(8, 8), kHitCaption);
    EXPECT_EQ(Hit(500, 53), kHitCaption);
    EXPECT_EQ(Hit(500, 54), kHitClient);
}

TEST(CanvasHitTest, TinyAndHostileSizesDoNotOverflow) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_EQ(CanvasHitTest(0, 0, 1, 1, true), kHitTopLeft);
    EXPECT_EQ(CanvasHitTest(kMax, kMax, kMin, kMin, true), kHitClient);
    EXPECT_EQ(CanvasHitTest(kMin, 20, 100, 100, true), kHitClient);
    EXPECT_EQ(CanvasHitTest(kMax - 1, 20, kMax, 100, true), kHitRight);
}

TEST(CanvasHitTest, CodeClasses) {
    for (int code = kHitLeft; code <= kHitBottomRight; ++code) EXPECT_TRUE(IsBorderHitCode(code)) << code;
    for (int code : {int{kHitClient}, int{kHitCaption}, int{kHitMinimize}, int{kHitMaximize}, int{kHitClose}, 0, 18}) {
        EXPECT_FALSE(IsBorderHitCode(code)) << code;
    }
    EXPECT_TRUE(IsCaptionButtonHitCode(kHitMinimize));
    EXPECT_TRUE(IsCaptionButtonHitCode(kHitMaximize));
    EXPECT_TRUE(IsCaptionButtonHitCode(kHitClose));
    EXPECT_FALSE(IsCaptionButtonHitCode(kHitCaption));
}

TEST(ResizeCursorForHitCode, PairsOfOppositeEdges) {
    EXPECT_EQ(ResizeCursorForHitCode(kHitLeft), ResizeCursor::kSizeWE);
    EXPECT_EQ(ResizeCursorForHitCode(kHitRight), ResizeCursor::kSizeWE);
    EXPECT_EQ(ResizeCursorForHitCode(kHitTop), ResizeCursor::kSizeNS);
    EXPECT_EQ(ResizeCursorForHitCode(kHitBottom), ResizeCursor::kSizeNS);
    EXPECT_EQ(ResizeCursorForHitCode(kHitTopLeft), ResizeCursor::kSizeNWSE);
    EXPECT_EQ(ResizeCursorForHitCode(kHitBottomRight), ResizeCursor::kSizeNWSE);
    EXPECT_EQ(ResizeCursorForHitCode(kHitTopRight), ResizeCursor::kSizeNESW);
    EXPECT_EQ(ResizeCursorForHitCode(kHitBottomLeft), ResizeCursor::kSizeNESW);
    EXPECT_EQ(ResizeCursorForHitCode(kHitClose), ResizeCursor::kArrow);
    EXPECT_EQ(ResizeCursorForHitCode(kHitCaption), ResizeCursor::kArrow);
}

void ExpectRect(const ScreenRect& r, int l, int t, int rt, int b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rt);
    EXPECT_EQ(r.bottom, b);
}

TEST(ManualResizeRect, EdgesMoveByTheCursorOffset) {
    const ScreenRect start{100, 100, 1116, 839};
    ExpectRect(ManualResizeRect(kHitLeft, start, -30, 999), 70, 100, 1116, 839);
    ExpectRect(ManualResizeRect(kHitRight, start, 30, 999), 100, 100, 1146, 839);
    ExpectRect(ManualResizeRect(kHitTop, start, 999, -20), 100, 80, 1116, 839);
    ExpectRect(ManualResizeRect(kHitBottom, start, 999, 20), 100, 100, 1116, 859);
    ExpectRect(ManualResizeRect(kHitTopLeft, start, 5, 6), 105, 106, 1116, 839);
    ExpectRect(ManualResizeRect(kHitBottomRight, start, 5, 6), 100, 100, 1121, 845);
    ExpectRect(ManualResizeRect(kHitTopRight, start, 5, 6), 100, 106, 1121, 839);
    ExpectRect(ManualResizeRect(kHitBottomLeft, start, 5, 6), 105, 100, 1116, 845);
    // Not a border: nothing moves.
    ExpectRect(ManualResizeRect(kHitCaption, start, 5, 6), 100, 100, 1116, 839);
}

TEST(ManualResizeRect, MinimumSizeKeepsTheOppositeEdge) {
    const ScreenRect start{100, 100, 1116, 839};
    // Left border dragged far right: 320 wide, right edge fixed.
    ExpectRect(ManualResizeRect(kHitLeft, start, 5000, 0), 796, 100, 1116, 839);
    ExpectRect(ManualResizeRect(kHitLeft, start, 1016 - 320, 0), 796, 100, 1116, 839);
    ExpectRect(ManualResizeRect(kHitLeft, start, 1016 - 321, 0), 795, 100, 1116, 839);
    // Right border dragged far left: left edge fixed.
    ExpectRect(ManualResizeRect(kHitRight, start, -5000, 0), 100, 100, 420, 839);
    // Top border dragged far down: bottom edge fixed; bottom dragged up: top fixed.
    ExpectRect(ManualResizeRect(kHitTop, start, 0, 5000), 100, 599, 1116, 839);
    ExpectRect(ManualResizeRect(kHitBottom, start, 0, -5000), 100, 100, 1116, 340);
    ExpectRect(ManualResizeRect(kHitTopLeft, start, 5000, 5000), 796, 599, 1116, 839);
    ExpectRect(ManualResizeRect(kHitBottomRight, start, -5000, -5000), 100, 100, 420, 340);
}

TEST(ManualResizeRect, HostileOffsetsSaturate) {
    const ScreenRect start{0, 0, 1000, 700};
    const int64_t big = int64_t{1} << 40;
    const ScreenRect r = ManualResizeRect(kHitBottomRight, start, big, big);
    EXPECT_EQ(r.right, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(r.bottom, std::numeric_limits<int32_t>::max());
    const ScreenRect l = ManualResizeRect(kHitTopLeft, start, -big, -big);
    EXPECT_EQ(l.left, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(l.top, std::numeric_limits<int32_t>::min());
}

}  // namespace
}  // namespace rava
