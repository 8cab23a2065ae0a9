// OpenGL declarations the X11 canvas host needs beyond GL 1.1, and the GL
// helpers shared by frames, drawing (through the window's batch renderer),
// text and window teardown.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "host/gl/fixed_pipeline.h"
#include "host/x11/canvas_window.h"

namespace rava {

inline constexpr int kGlxFramebufferSrgbCapable = 0x20B2;

// A primitive's colour from 8-bit sRGB channels: linear values when the
// window renders through an sRGB framebuffer, the codes scaled to 0..1 otherwise.
BatchColor CanvasColor(const CanvasWindow& window, int32_t red, int32_t green, int32_t blue);

// Clears both buffers to the window background after a size change; makes
// the window's context current.
void RepaintCanvasBackground(CanvasWindow& window);

// Rasterises the ten slots into their glyph textures; needs the window's
// context current. A slot whose texture cannot be made draws nothing.
void CreateCanvasFonts(CanvasWindow& window);

// Counted presses of a window, dropped when it loses the focus or closes.
void ClearPressCounters(CanvasWindow& window);

}  // namespace rava
