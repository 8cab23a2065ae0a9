// The JavaScript side of the web host (canvas_page.js), as C functions: the
// page's canvas, title, listeners, glyph rasterising and the end of the
// program. Only the web backend calls these.
#pragma once

#include <cstdint>

extern "C" {

// Gives the page's first <canvas> the id the WebGL context is made on and a
// drawing buffer of the client area at the device pixel ratio; writes the
// buffer's size and returns the ratio, or 0 when the page has no canvas.
double rava_page_prepare_canvas(int32_t clientWidth, int32_t clientHeight, int32_t* bufferSize);
// The device pixel ratio now (it changes when the page is zoomed).
double rava_page_pixel_ratio();
void rava_page_set_title(const char* utf8);
// Attaches the key, pointer, focus, visibility and context listeners;
// detach removes them again.
void rava_page_attach();
void rava_page_detach();
// Whether the document has the focus and is visible.
int32_t rava_page_foreground();
// Rasterises printable ASCII at this pixel size and weight into the bound
// 2D texture; per glyph 7 floats (atlas x, y, width, height, left, top,
// advance) in buffer pixels, then the atlas width and height. False when
// the page cannot make the atlas.
int32_t rava_page_glyph_atlas(double pixelSize, int32_t weight, float* metrics);
}

namespace rava {
inline constexpr const char* kCanvasSelector = "#rava-canvas";
inline constexpr int kGlyphMetricFloats = 7;
}  // namespace rava
