// Hit testing and manual resize of the client-drawn frame. Every sum is done
// in 64 bits so that hostile coordinates cannot overflow.
#include "host/core/chrome_geometry.h"

#include <algorithm>
#include <limits>

namespace rava {

namespace {

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool MovesLeftEdge(int code) { return code == kHitLeft || code == kHitTopLeft || code == kHitBottomLeft; }
bool MovesRightEdge(int code) { return code == kHitRight || code == kHitTopRight || code == kHitBottomRight; }
bool MovesTopEdge(int code) { return code == kHitTop || code == kHitTopLeft || code == kHitTopRight; }
bool MovesBottomEdge(int code) { return code == kHitBottom || code == kHitBottomLeft || code == kHitBottomRight; }

}  // namespace

int CanvasHitTest(int x, int y, int w, int h, bool captionButtons) {
    const int64_t X = x, Y = y, W = w, H = h, B = kChromeBorder;
    const bool left = X >= 0 && X < B;
    const bool right = X >= W - B && X < W;
    const bool top = Y >= 0 && Y < B;
    const bool bottom = Y >= H - B && Y < H;
    if (left && top) return kHitTopLeft;
    if (top && right) return kHitTopRight;
    if (left && bottom) return kHitBottomLeft;
    if (right && bottom) return kHitBottomRight;
    if (left) return kHitLeft;
    if (right) return kHitRight;
    if (top) return kHitTop;
    if (bottom) return kHitBottom;
    if (captionButtons && Y >= 8 && Y <= 37) {
        const int64_t bw = kCaptionButtonWidth;
        if (X >= W - bw && X < W) return kHitClose;
        if (X >= W - 2 * bw && X < W - bw) return kHitMaximize;
        if (X >= W - 3 * bw && X < W - 2 * bw) return kHitMinimize;
    }
    if (Y > 53) return kHitClient;
    if (X < 0 || X >= W - 152) return kHitClient;
    return kHitCaption;
}

bool IsBorderHitCode(int code) { return code >= kHitLeft && code <= kHitBottomRight; }

bool IsCaptionButtonHitCode(int code) { return code == kHitMinimize || code == kHitMaximize || code == kHitClose; }

int CaptionButtonToFire(int pressedCode, int releaseCode) {
    return IsCaptionButtonHitCode(pressedCode) && releaseCode == pressedCode ? releaseCode : 0;
}

ResizeCursor ResizeCursorForHitCode(int code) {
    switch (code) {
        case kHitLeft:
        case kHitRight:
            return ResizeCursor::kSizeWE;
        case kHitTop:
        case kHitBottom:
            return ResizeCursor::kSizeNS;
        case kHitTopLeft:
        case kHitBottomRight:
            return ResizeCursor::kSizeNWSE;
        case kHitTopRight:
        case kHitBottomLeft:
            return ResizeCursor::kSizeNESW;
        default:
            return ResizeCursor::kArrow;
    }
}

ScreenRect ManualResizeRect(int code, const ScreenRect& start, int64_t dx, int64_t dy) {
    int64_t left = start.left, top = start.top, right = start.right, bottom = start.bottom;
    if (MovesLeftEdge(code)) left += dx;
    if (MovesRightEdge(code)) right += dx;
    if (MovesTopEdge(code)) top += dy;
    if (MovesBottomEdge(code)) bottom += dy;
    if (right - left < kMinimumResizeWidth) {
        if (MovesLeftEdge(code)) {
            left = right - kMinimumResizeWidth;
        } else {
            right = left + kMinimumResizeWidth;
        }
    }
    if (bottom - top < kMinimumResizeHeight) {
        if (MovesTopEdge(code)) {
            top = bottom - kMinimumResizeHeight;
        } else {
            bottom = top + kMinimumResizeHeight;
        }
    }
    return ScreenRect{Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
}

}  // namespace rava
