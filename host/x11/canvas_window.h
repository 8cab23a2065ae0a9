// The window record and the process-wide registry of the X11 canvas host.
// The registry owns the display connection, the font files and every
// CanvasWindow (X window, GLX context, renderer, glyph and pixel textures) until
// DestroyCanvasWindow. Single thread.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/core/event_stamp.h"
#include "host/core/font_slots.h"
#include "host/gl/batch_renderer.h"
#include "host/gl/glyph_atlas.h"
#include "host/gl/pixel_texture.h"

namespace rava {

inline constexpr int32_t kMaxCanvasWindows = 16;
inline constexpr int32_t kInitialClientWidth = 1000;
inline constexpr int32_t kInitialClientHeight = 700;
struct CanvasWindow {
    int32_t id = 0;
    ::Window xid = 0;  // 0 once the X window is gone
    GLXContext context = nullptr;
    Colormap colormap = 0;
    bool srgbOutput = false;
    bool translucent = false;  // a 32-bit ARGB visual: the compositor blends it
    // Every primitive of a frame goes into its batch, drawn before the swap
    // (and before a texture a pending primitive samples changes).
    BatchRenderer renderer;

    int32_t width = kInitialClientWidth;
    int32_t height = kInitialClientHeight;
    // The client origin on the root window, learnt from pointer events.
    int32_t rootX = 0;
    int32_t rootY = 0;

    bool open = false;
    bool visible = false;
    bool focused = false;  // one of the two below
    // The keyboard focus is on the window itself; or the focus is PointerRoot
    // (or an ancestor) and the pointer is in the window, which then gets the keys.
    bool focusExplicit = false;
    bool focusByPointer = false;
    bool closeRequested = false;
    // Between BeginFrame and EndFrame: a size change then waits for the frame
    // to present instead of wiping it.
    bool frameOpen = false;
    // A size change seen in this pump, repainted once when the pump ends.
    bool repaintPending = false;
    int64_t backgroundRepaints = 0;
    int64_t presents = 0;  // buffer swaps; none while unmapped

    EventStamps stamps;
    uint8_t pressCounters[256] = {};
    GlyphAtlas fonts[kFontSlotCount];
    PixelTexture pixels;  // DrawPixelsBgra8's
};

// The text offered on the CLIPBOARD selection. It is made only when a
// requestor asks; the first answer is the "render". While we own the
// selection later requests get the same text; pending means not asked yet.
struct CanvasClipboardState {
    bool pending = false;
    ::Window owner = 0;  // while we own the selection
    std::string text;    // UTF-8
    int32_t status = 0;  // 2 rendered, 3 released (selection taken), 4 released (window destroyed)
    int64_t changeCounter = 0;
    int64_t renderCount = 0;
    int64_t releaseCountClipboard = 0;  // on SelectionClear
    int64_t releaseCountWindow = 0;     // on window destruction
    uint64_t pendingSize = 0;           // bytes of the text as UTF-16 with its terminator, as on Windows
};

// Pointer lock: the lock window (0 none), whether the program asked for it,
// whether the pointer is grabbed and confined now, and XInput2 raw motion
// summed while engaged (packed as host/core/input_rules.h describes).
struct CanvasPointerLock {
    int32_t windowId = 0;
    bool requested = false;
    bool engaged = false;
    uint64_t rawMotion = 0;
    int xiOpcode = -1;  // -1 unknown, 0 no XInput2
    unsigned long blankCursor = 0;
};

// The font files fontconfig chose for the regular and the bold faces.
struct CanvasFontFiles {
    bool found = false;
    std::string regular;
    int regularIndex = 0;
    std::string bold;
    int boldIndex = 0;
};

struct CanvasWindowRegistry {
    Display* display = nullptr;
    int screen = 0;
    Atom wmProtocols = 0;
    Atom wmDeleteWindow = 0;
    Atom netWmName = 0;
    Atom utf8String = 0;
    Atom clipboardAtom = 0;
    Atom targetsAtom = 0;
    std::string displayName;
    // The server closed the connection (or died): every later call fails.
    bool displayLost = false;
    // A window manager was running when the last window opened: it gives
    // the focus, and we never take it ourselves.
    bool windowManager = false;
    int64_t focusTaken = 0;  // times we set the input focus ourselves
    CanvasFontFiles fontFiles;
    CanvasClipboardState clipboard;
    CanvasPointerLock lock;

    std::unordered_map<int32_t, std::unique_ptr<CanvasWindow>> windows;
    int32_t nextId = 1;
    int32_t currentId = 0;
    int32_t activeId = 0;
    int64_t eventSequence = 1;

    // Input state seen through our windows: the virtual-key code of each held
    // X keycode (0 = up), so two keys of one name release independently;
    // held pointer buttons (1 left, 2 right, 4 middle), the pointer on the root.
    uint8_t heldKeycodes[256] = {};
    uint32_t buttonsHeld = 0;
    int32_t pointerRootX = -1000000;
    int32_t pointerRootY = -1000000;
};

// The one registry of the process, made on first use and never destroyed.
CanvasWindowRegistry& CanvasRegistry();

CanvasWindow* FindCanvasWindowById(int32_t id);
CanvasWindow* FindCanvasWindowByXid(::Window xid);

// Active window if open, else the current window if open (which becomes
// active), else nullptr. Never pumps, never raises.
CanvasWindow* ResolveCurrentWindow();

void StampCanvasWindow(CanvasWindow& window, int32_t kind);

// Pumps, resolves the current window and makes its context current; raises
// "window/canvas runtime window is not open for <operation>" otherwise.
CanvasWindow& RequireOpenWindow(std::string_view operation);

// Opens the display and checks GLX once per process; raises naming what is missing.
void EnsureCanvasDisplay();
// The framebuffer config of a new window (sets srgb when it is sRGB-capable,
// argb when a translucent window got a 32-bit visual with alpha); raises
// when the display offers no usable one.
GLXFBConfig ChooseCanvasConfig(bool translucent, bool& srgb, bool& argb);

// Finds the font files once per process; raises when there is no font at all.
void EnsureCanvasFontFiles();

// Where the ink of styled text ends, in pixels right of its x, with the
// window's faces (the test of the overlay's layout measures with it).
int32_t MeasureCanvasText(const CanvasWindow& window, std::string_view text, int32_t sizeCode);

// Records one X event into the registry and its window.
void HandleCanvasEvent(const XEvent& event);

void DestroyCanvasWindow(CanvasWindow& window);

// The CLIPBOARD selection: a requestor's request answered, the selection
// taken by another client, and the release when the owner window goes.
void OnSelectionRequest(const XSelectionRequestEvent& request);
void OnSelectionClear(CanvasWindow& window, const XSelectionClearEvent& clear);
void ReleaseClipboardAtDestroy(CanvasWindow& window);

// Engages or drops the pointer lock of this window as its focus, mapping
// and open state now allow; DropPointerLock also forgets the request.
void UpdatePointerLock(CanvasWindow& window);
void DropPointerLock(CanvasWindow& window);
// An extension event (XInput2 raw motion); true when it was ours.
bool HandleCanvasGenericEvent(XEvent& event);

// Whether any held key has this virtual-key code.
bool CanvasKeyHeld(uint32_t virtualKey);

// After the display connection was lost: every window closed and forgotten
// by X, then raises naming the display (once; later calls find no window).
void FailLostDisplay();

}  // namespace rava
