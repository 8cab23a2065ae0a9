// The canvas host as the program sees it: one or more Win32 windows with a
// legacy OpenGL context, immediate drawing between BeginFrame and EndFrame,
// and input queries. Failures raise rill_runtime_exception ("window.canvas").
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace rava {

// ---- Windows and frames -------------------------------------------------

struct CanvasOpenOptions {
    // Presents through a layered window with per-pixel alpha instead of SwapBuffers.
    bool translucent = false;
};

// Opens a 1000 x 700 client-area window (or re-activates the current one).
// An invalid UTF-8 title gives an empty title. At most 16 windows per process.
void OpenCanvasWindow(std::string_view title);
void OpenCanvasWindow(std::string_view title, const CanvasOpenOptions& options);

// Dispatches up to 32 queued messages of this thread.
void PumpWindowMessages();

// True when the registry's current window exists, is open and has a handle.
bool CurrentCanvasWindowOpen();

// Destroys every registered window in id order (owned windows before their
// owner), then clears the current and active ids.
void DestroyAllCanvasWindows();

// Colours are 8-bit sRGB channels; values outside 0..255 are clamped.
void BeginFrame(int32_t red, int32_t green, int32_t blue);
void EndFrame();

// ---- Drawing primitives (client pixels, origin top left, y down) --------

void DrawRectRgba(float x, float y, float width, float height, int32_t red, int32_t green,
                  int32_t blue);
void DrawRoundedRectRgba(float x, float y, float width, float height, float radius,
                         int32_t red, int32_t green, int32_t blue);

// Font slots 0..9: 12, 12 bold, 13, 13 bold, 15, 15 bold, 20, 20 bold, 28, 28 bold px.
// y is the top of the text line. Non-ASCII characters draw as "?".
void DrawText(std::string_view text, float x, float y, int32_t fontSlot, int32_t red,
              int32_t green, int32_t blue);
// Size code: up to 249 -> 15 px, exactly 330 -> 28 px, otherwise 20 px (bold when available).
void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red,
                    int32_t green, int32_t blue);

// Pixels are 0xAARRGGBB (bytes B, G, R, A), row 0 at the top, width x height of
// them exactly (otherwise nothing is drawn); stretched with nearest sampling.
void DrawPixelsBgra8(std::span<const uint32_t> pixels, int32_t width, int32_t height,
                     float destX, float destY, float destWidth, float destHeight);

// ---- Input queries ------------------------------------------------------
// (declared by the input-query component: MouseX, MouseY, PointerDown,
//  KeyDown, KeyPressed, AnyCanvasWindowInForeground)

}  // namespace rava
