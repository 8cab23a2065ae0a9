// Input-state queries of the web canvas host: pointer position, held buttons
// and keys, and counted key presses, all from the page's events. Everything
// answers "no" (false or -1) unless the page is in the foreground (the
// document has the focus and is visible).
#include "host/core/key_names.h"
#include "host/host.h"
#include "host/web/canvas_window.h"

namespace rava {

bool AnyCanvasWindowInForeground() {
    const CanvasWindowRegistry& registry = CanvasRegistry();
    if (!registry.input.foreground) return false;
    for (const auto& [id, window] : registry.windows) {
        if (window && window->open && window->context != 0) return true;
    }
    return false;
}

// Until the pointer has been over the page the position is unknown: -1.
int32_t MouseX() {
    RequireOpenWindow("MouseX");
    const PageInputState& input = CanvasRegistry().input;
    return AnyCanvasWindowInForeground() && input.pointerSeen ? input.pointerX : -1;
}

int32_t MouseY() {
    RequireOpenWindow("MouseY");
    const PageInputState& input = CanvasRegistry().input;
    return AnyCanvasWindowInForeground() && input.pointerSeen ? input.pointerY : -1;
}

bool PointerDown(std::string_view button) {
    if (!AnyCanvasWindowInForeground()) return false;
    const int bit = PointerButtonVirtualKey(button);
    return bit != 0 && (CanvasRegistry().input.buttonsHeld & static_cast<uint32_t>(bit)) != 0;
}

bool KeyDown(std::string_view key) {
    if (!AnyCanvasWindowInForeground()) return false;
    const int code = VirtualKeyForName(key);
    return code > 0 && code < 256 && CanvasRegistry().input.keyHeld[code];
}

bool KeyPressed(std::string_view key) {
    CanvasWindow* w = ResolveCurrentWindow();
    PageInputState& input = CanvasRegistry().input;
    const int code = VirtualKeyForName(key);
    if (w == nullptr || !w->open || !input.foreground) return false;
    if (code < 1 || code > 255 || input.pressCounters[code] == 0) return false;
    --input.pressCounters[code];
    return true;
}

}  // namespace rava
