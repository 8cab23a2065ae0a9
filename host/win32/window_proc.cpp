// Window procedure of the canvas host: each case calls one small helper that
// records the message into the window record or the registry. Messages for a
// handle that belongs to no canvas window go to the default procedure.
#include "host/win32/window_proc.h"

#include "host/win32/canvas_window.h"

namespace rava {

namespace {

void ClearPressCounters(CanvasWindow& w) {
    for (uint8_t& c : w.pressCounters) c = 0;
}

LRESULT OnDestroy(CanvasWindow& w) {
    ReleaseCanvasPointerLock(w);
    w.focused = false;
    w.open = false;
    w.visible = false;
    w.hwnd = nullptr;
    StampCanvasWindow(w, kEventNone);
    return 0;
}

LRESULT OnSize(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (w.hwnd != hwnd) return 0;
    const int32_t width = LOWORD(lParam);
    const int32_t height = HIWORD(lParam);
    w.width = width == 0 ? 1 : width;
    w.height = height == 0 ? 1 : height;
    w.minimized = wParam == SIZE_MINIMIZED;
    RefreshDpiAndMonitor(w);
    StampCanvasWindow(w, kEventNone);
    RepaintCanvasBackground(w);
    return 0;
}

LRESULT OnClose(CanvasWindow& w, HWND hwnd) {
    ClearPressCounters(w);
    w.closeRequested = true;
    w.open = false;
    w.visible = false;
    StampCanvasWindow(w, kEventNone);
    ShowWindow(hwnd, SW_HIDE);
    return 0;
}

}  // namespace

void ReleaseCanvasPointerLock(CanvasWindow& w) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (w.hwnd == nullptr || lock.window != w.hwnd) return;
    lock.engaged = false;
    lock.rawMotion.store(0);
    lock.rawMotionSecond = 0;
    ClipCursor(nullptr);
    lock.requested = false;
    lock.window = nullptr;
    lock.cursorShown = true;
}

LRESULT CALLBACK CanvasWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    CanvasWindow* w = FindCanvasWindowByHandle(hwnd);
    if (w == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            return OnDestroy(*w);
        case WM_SIZE:
            return OnSize(*w, hwnd, wParam, lParam);
        case WM_CLOSE:
            return OnClose(*w, hwnd);
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace rava
