// Input-state queries of the X11 canvas host: pointer position, held buttons
// and keys, and counted key presses, all from the events our windows
// received. Everything answers "no" (false or -1) unless one of our windows
// has the input focus, so input meant for other programs is never seen.
#include "host/core/key_names.h"
#include "host/host.h"
#include "host/x11/canvas_window.h"

namespace rava {

namespace {

int32_t PointerCoordinate(const char* operation, bool wantX) {
    CanvasWindow& w = RequireOpenWindow(operation);
    if (!AnyCanvasWindowInForeground()) return -1;
    const CanvasWindowRegistry& registry = CanvasRegistry();
    // 64-bit difference: positions far off the window must not overflow.
    const int64_t value = wantX ? int64_t{registry.pointerRootX} - w.rootX : int64_t{registry.pointerRootY} - w.rootY;
    if (value < INT32_MIN || value > INT32_MAX) return -1;
    return static_cast<int32_t>(value);
}

}  // namespace

bool AnyCanvasWindowInForeground() {
    for (const auto& [id, window] : CanvasRegistry().windows) {
        if (window && window->open && window->focused && window->xid != 0) return true;
    }
    return false;
}

int32_t MouseX() { return PointerCoordinate("MouseX", true); }

int32_t MouseY() { return PointerCoordinate("MouseY", false); }

bool PointerDown(std::string_view button) {
    PumpWindowMessages();
    if (!AnyCanvasWindowInForeground()) return false;
    const int bit = PointerButtonVirtualKey(button);
    return bit != 0 && (CanvasRegistry().buttonsHeld & static_cast<uint32_t>(bit)) != 0;
}

bool KeyDown(std::string_view key) {
    PumpWindowMessages();
    if (!AnyCanvasWindowInForeground()) return false;
    const int code = VirtualKeyForName(key);
    return code > 0 && code < 256 && CanvasKeyHeld(static_cast<uint32_t>(code));
}

bool KeyPressed(std::string_view key) {
    PumpWindowMessages();
    CanvasWindow* w = ResolveCurrentWindow();
    const int code = VirtualKeyForName(key);
    if (w == nullptr || !w->open || !w->focused || w->xid == 0) return false;
    if (code < 1 || code > 255 || w->pressCounters[code] == 0) return false;
    --w->pressCounters[code];
    return true;
}

}  // namespace rava
