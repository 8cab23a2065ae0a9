// Helpers for the real-window canvas tests: reading pixels back from the
// current window's back buffer and checking the host's raised messages.
#pragma once

#include <gtest/gtest.h>

#include "host/win32/canvas_window.h"
#include "tests/canvas_pixels.h"

namespace rava::test {

// The current window's client height (0 without one).
inline int CurrentClientHeight() {
    const CanvasWindow* w = FindCanvasWindowById(CanvasRegistry().currentId);
    return w ? w->height : 0;
}

// The back-buffer pixel at client (x, y) of the current window.
inline Rgb BackPixel(int x, int y) { return ReadBackPixel(CurrentClientHeight(), x, y); }

// Counts back-buffer pixels in [x0, x1) x [y0, y1) that differ from the background.
inline int CountDifferent(int x0, int y0, int x1, int y1, Rgb background) {
    return CountPixelsUnlike(CurrentClientHeight(), x0, y0, x1, y1, background);
}

}  // namespace rava::test
