// The canvas host as the program sees it: one or more windows with a legacy
// OpenGL context, immediate drawing between BeginFrame and EndFrame, and
// input queries. Three backends implement it: Win32 + WGL (host/win32), Xlib
// + GLX (host/x11) and WebGL in a browser page (host/web). Failures raise
// rill_runtime_exception ("window.canvas"). Where the X11 or the web backend
// answers differently, the declaration says so.
//
// Web: the browser owns the loop. A program cannot wait between frames;
// instead each animation frame calls its frame body once (the playground's
// FrameLoop::RunFrame, the same function the desktop loop calls), so the
// browser's frame callback takes the place of the desktop's 16 ms wait, and
// the browser shows the canvas when that callback returns.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// NOTE: <windows.h> turns DrawText into DrawTextW. Included before this
// header it would rename the function below, and a client that never sees
// <windows.h> could not link against it.
#ifdef DrawText
#undef DrawText
#endif

namespace rava {

// ---- Windows and frames -------------------------------------------------

struct CanvasOpenOptions {
    // Presents through a layered window with per-pixel alpha instead of SwapBuffers.
    // X11: the window gets a 32-bit ARGB visual where the screen offers one;
    // a compositing desktop shows its alpha, elsewhere it looks opaque. On a
    // screen without such a visual it opens opaque. Web: not offered; the
    // canvas is opaque.
    bool translucent = false;
};

// Opens a 1000 x 700 client-area window (or re-activates the current one).
// An invalid UTF-8 title gives an empty title. At most 16 windows per process.
// X11: also raises when the display cannot be opened, has no GLX 1.3 or no
// double-buffered RGBA framebuffer config, or fontconfig finds no font; a
// lost display connection raises (naming the display) in the call that
// notices it, and every later call then finds no open window.
// Web: the window is the page's first <canvas> (its drawing buffer the client
// area at the device pixel ratio) with a WebGL 1 context, and the title is the
// page's; raises when the page has no canvas or the browser offers no WebGL.
// Only one window is open at a time, as the page has one canvas.
void OpenCanvasWindow(std::string_view title);
void OpenCanvasWindow(std::string_view title, const CanvasOpenOptions& options);

// Dispatches up to 32 queued messages of this thread.
// X11: handles up to 1024 queued X events. Web: nothing to do; the page's
// listeners record input as the browser delivers it, between frames.
void PumpWindowMessages();

// True when the registry's current window exists, is open and has a handle.
bool CurrentCanvasWindowOpen();

// Destroys every registered window in id order (owned windows before their
// owner), then clears the current and active ids. X11 and web windows have
// no owner. Web: the page's listeners go with the last window.
void DestroyAllCanvasWindows();

// Colours are 8-bit sRGB channels; values outside 0..255 are clamped.
void BeginFrame(int32_t red, int32_t green, int32_t blue);
void EndFrame();

// ---- Drawing primitives (client pixels, origin top left, y down) --------

void DrawRectRgba(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue);
void DrawRoundedRectRgba(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                         int32_t blue);

// Font slots 0..9: 12, 12 bold, 13, 13 bold, 15, 15 bold, 20, 20 bold, 28, 28 bold px.
// y is the top of the text line. Non-ASCII characters draw as "?".
// X11: the faces are Open Sans (else DejaVu Sans, else fontconfig's best
// match), anti-aliased.
// Web: "Segoe UI", else Open Sans, Arial or the browser's sans-serif, drawn
// once per window by the browser's 2D canvas into glyph textures, anti-aliased.
void DrawText(std::string_view text, float x, float y, int32_t fontSlot, int32_t red, int32_t green, int32_t blue);
// Size code: up to 249 -> 15 px, exactly 330 -> 28 px, otherwise 20 px (bold when available).
void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                    int32_t blue);

// Pixels are 0xAARRGGBB (bytes B, G, R, A), row 0 at the top, width x height of
// them exactly (otherwise nothing is drawn); stretched with nearest sampling.
void DrawPixelsBgra8(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                     float destWidth, float destHeight);

// ---- Input queries ------------------------------------------------------
// Names are matched after ASCII lower-casing. Every query answers false (or
// -1) unless a canvas window of this process is the foreground window (X11:
// has the input focus, or the focus is PointerRoot and the pointer is on it;
// web: the document has the focus and is visible). X11 and web know only the
// input our windows received: held keys and buttons, and the pointer as of
// its last event on one of them.
// Web: the pointer is the first active Pointer Events pointer (mouse, pen or
// touch; a finger or pen contact holds "left"), in client pixels however the
// canvas is scaled on the page, -1 until one has been over the canvas. Keys
// with Control, Alt or Meta are the browser's shortcuts and do not count.

// Pointer position in client pixels of the current window, unclamped; -1 when
// no canvas window is in the foreground. Raises when no window is open.
int32_t MouseX();
int32_t MouseY();
// "left"/"primary"/"l", "right"/"secondary"/"r", "middle"/"m"; held now.
bool PointerDown(std::string_view button);
// Key names: "a".."z", "0".."9", "f1".."f12", "left", "right", "up", "down",
// "space", "enter"/"return", "tab", "home", "end", "pageup", "pagedown",
// "escape"/"esc", "shift". Held now.
bool KeyDown(std::string_view key);
// Consumes one counted press of the key on the focused current window.
bool KeyPressed(std::string_view key);
// The virtual-key code KeyDown and KeyPressed use for a key name, 0 when unknown.
int VirtualKeyForName(std::string_view key);
bool AnyCanvasWindowInForeground();

// ---- Pointer lock and raw motion ----------------------------------------

// Confines and hides the cursor on the current window and accumulates raw
// mouse motion; engages only while that window is focused, in the foreground
// and not minimized (and again when it regains those). Returns whether the
// lock is engaged now. X11: an active pointer grab confined to the window
// with a blank cursor; raw motion comes from XInput2 (none without it). Web:
// never engages (false; Release does nothing, PointerLockEngaged is false,
// TakeRawMotion gives 0, 0).
bool RequestPointerLock();
void ReleasePointerLock();
bool PointerLockEngaged();
struct CanvasRawMotion {
    int32_t x = 0;
    int32_t y = 0;
};
// Motion accumulated since the last call (each sum saturates at the int32
// limits); resets the accumulator.
CanvasRawMotion TakeRawMotion();

// ---- Text input ---------------------------------------------------------

// Where the IME places its composition window (x, y) and keeps its candidate
// list below (y + height); a negative x or y or a height of 0 or less leaves
// the system positions. X11 and web: no effect.
void SetImeCaretRect(int32_t x, int32_t y, int32_t height);

// ---- Clipboard and session ----------------------------------------------

// Offers the text on the clipboard with delayed rendering, owned by the
// current window; false for invalid UTF-8 or when the clipboard is busy.
// X11: the current window owns the CLIPBOARD selection and answers TARGETS,
// UTF8_STRING and STRING (Latin-1, "?" beyond) when asked; "rendered" is
// the first answer, "released by clipboard" another client taking the
// selection before any answer. Texts too large for one X request are refused
// to requestors (no incremental transfer). Web: always false, and the
// counters stay all zero.
bool SetPendingClipboardText(std::string_view utf8);
struct CanvasClipboardCounters {
    bool pending = false;
    int32_t status = 0;  // 2 rendered, 3 released by clipboard, 4 released at window destruction
    int64_t changeCounter = 0;
    int64_t renderCount = 0;
    int64_t releaseCountClipboard = 0;
    int64_t releaseCountWindow = 0;
    uint64_t pendingSize = 0;  // bytes of the pending UTF-16 block
};
CanvasClipboardCounters ReadClipboardCounters();

// The last session-lifecycle notification any canvas window received.
// X11 and web: none are received; the record stays all zero.
struct CanvasSessionRecord {
    int64_t eventCount = 0;
    int32_t kind = 0;  // 1 activation, 2 power, 3 session change, 4 query end, 5 end
    uint64_t value = 0;
    int32_t windowId = 0;  // 0 when no canvas window received it
    bool flag = false;
};
CanvasSessionRecord ReadSessionEvent();

// ---- Accessibility ------------------------------------------------------

// Gives the current window a UI Automation root element with this name
// (UTF-8); false without an open window or for invalid UTF-8. X11 and web:
// always false.
bool EnableAccessibilitySlot(std::string_view name);

}  // namespace rava
