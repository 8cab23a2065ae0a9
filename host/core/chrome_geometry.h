// Client-drawn window frame: the hit-test table of a client point, the resize
// cursor of a hit code and the rectangle of a manual border drag. Pure data in,
// data out; no Win32 types, so the rules are testable without a window.
#pragma once

#include <cstdint>

namespace rava {

// Hit codes; the values are the system's HT* codes.
enum CanvasHitCode : int {
    kHitClient = 1,
    kHitCaption = 2,
    kHitMinimize = 8,
    kHitMaximize = 9,
    kHitLeft = 10,
    kHitRight = 11,
    kHitTop = 12,
    kHitTopLeft = 13,
    kHitTopRight = 14,
    kHitBottom = 15,
    kHitBottomLeft = 16,
    kHitBottomRight = 17,
    kHitClose = 20,
};

inline constexpr int kChromeBorder = 8;
inline constexpr int kCaptionButtonWidth = 46;
inline constexpr int kMinimumResizeWidth = 320;
inline constexpr int kMinimumResizeHeight = 240;

// Hit code of client point (x, y) in a client area of width w and height h.
int CanvasHitTest(int x, int y, int w, int h, bool captionButtons);

bool IsBorderHitCode(int code);
bool IsCaptionButtonHitCode(int code);

// The caption button a left-button release fires: the button under the
// release when the press landed on that same button, otherwise 0.
int CaptionButtonToFire(int pressedCode, int releaseCode);

enum class ResizeCursor { kArrow, kSizeWE, kSizeNS, kSizeNWSE, kSizeNESW };
ResizeCursor ResizeCursorForHitCode(int code);

struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// New window rectangle while dragging border `code` by (dx, dy) from `start`:
// the dragged edges move, then width and height are raised to 320 x 240
// keeping the edge opposite the dragged one. Coordinates saturate at the
// int32 limits instead of overflowing.
ScreenRect ManualResizeRect(int code, const ScreenRect& start, int64_t dx, int64_t dy);

}  // namespace rava
