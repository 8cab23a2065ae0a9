// Input-state queries of the canvas host: pointer position, held buttons and
// keys, and counted key presses. Everything answers "no" (false or -1) unless
// a canvas window of this process is the foreground window, so input meant
// for other applications is never seen.
#include "host/core/key_names.h"
#include "host/host.h"
#include "host/win32/canvas_window.h"

namespace rava {

namespace {

int32_t PointerCoordinate(const char* operation, bool wantX) {
    CanvasWindow& w = RequireOpenWindow(operation);
    if (!AnyCanvasWindowInForeground()) return -1;
    POINT p{};
    if (!GetCursorPos(&p) || !ScreenToClient(w.hwnd, &p)) return -1;
    return wantX ? p.x : p.y;
}

bool HeldNow(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

bool AnyCanvasWindowInForeground() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) return false;
    for (const auto& [id, window] : CanvasRegistry().windows) {
        if (window && window->open && window->hwnd == foreground) return true;
    }
    return false;
}

int32_t MouseX() { return PointerCoordinate("MouseX", true); }

int32_t MouseY() { return PointerCoordinate("MouseY", false); }

bool PointerDown(std::string_view button) {
    if (!AnyCanvasWindowInForeground()) return false;
    const int code = PointerButtonVirtualKey(button);
    return code != 0 && HeldNow(code);
}

bool KeyDown(std::string_view key) {
    if (!AnyCanvasWindowInForeground()) return false;
    const int code = VirtualKeyForName(key);
    return code != 0 && HeldNow(code);
}

bool KeyPressed(std::string_view key) {
    PumpWindowMessages();
    CanvasWindow* w = ResolveCurrentWindow();
    const int code = VirtualKeyForName(key);
    if (w == nullptr || !w->open || !w->focused || w->hwnd == nullptr || GetForegroundWindow() != w->hwnd) {
        return false;
    }
    if (code < 1 || code > 255 || w->pressCounters[code] == 0) return false;
    --w->pressCounters[code];
    return true;
}

void SetImeCaretRect(int32_t x, int32_t y, int32_t height) {
    CanvasWindow* w = ResolveCurrentWindow();
    if (w == nullptr) return;
    w->text.caretX = x;
    w->text.caretY = y;
    w->text.caretHeight = height;
}

}  // namespace rava
