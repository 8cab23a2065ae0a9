// OpenGL declarations the X11 canvas host needs beyond GL 1.1, and the GL
// helpers shared by frames, drawing, text and window teardown.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "host/gl/fixed_pipeline.h"

#include "host/x11/canvas_window.h"

namespace rava {

inline constexpr int kGlxFramebufferSrgbCapable = 0x20B2;

// Blending on or off in the window's context. Colours are always opaque, so
// only text edges and pixel blocks with alpha need it; an opaque primitive
// drawn without it gives the same pixels at a fraction of the cost on a
// software rasteriser.
void UseBlending(CanvasWindow& window, bool on);

// Texturing with this texture (bound and GL_TEXTURE_2D on), or off for 0.
void UseTexture(CanvasWindow& window, uint32_t texture);

// The current drawing colour from 8-bit sRGB channels (linearised when the
// current window renders through an sRGB framebuffer).
void SetCanvasColor(int32_t red, int32_t green, int32_t blue);

// Clears both buffers to the window background after a size change; makes
// the window's context current.
void RepaintCanvasBackground(CanvasWindow& window);

// Rasterises the ten slots into their glyph textures; needs the window's
// context current. A slot whose texture cannot be made draws nothing.
void CreateCanvasFonts(CanvasWindow& window);
// Deletes the glyph textures; needs the context current.
void DeleteCanvasFonts(CanvasWindow& window);

// Counted presses of a window, dropped when it loses the focus or closes.
void ClearPressCounters(CanvasWindow& window);

}  // namespace rava
