// Pointer lock: the cursor is confined to the lock window's client area and
// hidden while relative (raw) mouse motion accumulates in a saturating
// compare-and-swap word. The lock engages only for the focused, foreground,
// non-minimized lock window and is dropped on focus loss, close and teardown.
#include "host/core/input_rules.h"
#include "host/host.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

bool CursorInsideClient(HWND hwnd) {
    POINT p{};
    RECT client{};
    if (!GetCursorPos(&p) || !ScreenToClient(hwnd, &p) || !GetClientRect(hwnd, &client)) return false;
    return PtInRect(&client, p) != 0;
}

void ZeroMotion(CanvasPointerLock& lock) {
    lock.rawMotion.store(0);
    lock.rawMotionSecond = 0;
}

bool RegisterRawMouse(HWND target, DWORD flags) {
    RAWINPUTDEVICE device{};
    device.usUsagePage = 1;
    device.usUsage = 2;
    device.dwFlags = flags;
    device.hwndTarget = target;
    return RegisterRawInputDevices(&device, 1, sizeof(device)) != FALSE;
}

}  // namespace

bool IsLockWindow(const CanvasWindow& w) { return w.hwnd != nullptr && CanvasRegistry().lock.window == w.hwnd; }

void UpdateLockCursor(CanvasWindow& w) {
    const CanvasPointerLock& lock = CanvasRegistry().lock;
    if (!IsLockWindow(w) || GetForegroundWindow() != w.hwnd || !CursorInsideClient(w.hwnd)) return;
    if (!lock.engaged && lock.cursorShown) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    } else {
        SetCursor(nullptr);
    }
}

namespace {

// Confines the cursor to the window's client area in screen coordinates;
// false for an empty client area or a failed call.
bool ClipToClient(HWND hwnd) {
    RECT client{};
    if (!GetClientRect(hwnd, &client) || IsRectEmpty(&client)) return false;
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    SetLastError(ERROR_SUCCESS);
    if (MapWindowPoints(hwnd, nullptr, corners, 2) == 0 && GetLastError() != ERROR_SUCCESS) return false;
    const RECT screen{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return ClipCursor(&screen) != FALSE;
}

}  // namespace

void EngagePointerLock(CanvasWindow& w) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (!IsLockWindow(w)) return;
    lock.engaged = false;
    // NOTE: focus and minimized state are checked here as well as by the
    // callers, so that no path can confine the cursor to a hidden window.
    if (!lock.requested || !w.focused || w.minimized || GetForegroundWindow() != w.hwnd) return;
    if (!ClipToClient(w.hwnd)) return;
    lock.engaged = true;
    ZeroMotion(lock);
    UpdateLockCursor(w);
}

void ReclipPointerLock(CanvasWindow& w) {
    if (!IsLockWindow(w) || !CanvasRegistry().lock.engaged) return;
    // The accumulated motion is kept; only the confinement follows the window.
    if (!ClipToClient(w.hwnd)) DisengagePointerLock(w);
}

void DisengagePointerLock(CanvasWindow& w) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (!IsLockWindow(w)) return;
    lock.engaged = false;
    ZeroMotion(lock);
    ClipCursor(nullptr);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void ReleaseCanvasPointerLock(CanvasWindow& w) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (!IsLockWindow(w)) return;
    DisengagePointerLock(w);
    if (lock.rawInputRegistered) RegisterRawMouse(nullptr, RIDEV_REMOVE);
    lock.rawInputRegistered = false;
    lock.requested = false;
    lock.window = nullptr;
    lock.cursorShown = true;
}

LRESULT OnRawInput(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (lock.engaged && IsLockWindow(w)) {
        RAWINPUT input{};
        static_assert(sizeof(RAWINPUT) >= 48);
        UINT size = 48;
        const UINT got =
            GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size, sizeof(RAWINPUTHEADER));
        if (got != static_cast<UINT>(-1) && got >= 48 && input.header.dwType == RIM_TYPEMOUSE &&
            (input.data.mouse.usFlags & MOUSE_MOVE_ABSOLUTE) == 0) {
            AccumulateRawMotion(lock.rawMotion, input.data.mouse.lLastX, input.data.mouse.lLastY);
        }
    }
    return DefWindowProcW(hwnd, WM_INPUT, wParam, lParam);
}

bool RequestPointerLock() {
    CanvasWindow* w = ResolveCurrentWindow();
    if (w == nullptr || w->hwnd == nullptr) return false;
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (lock.window != nullptr && lock.window != w->hwnd) {
        if (CanvasWindow* previous = FindCanvasWindowByHandle(lock.window)) {
            ReleaseCanvasPointerLock(*previous);
        } else {
            // The holder is gone without teardown: drop its registration too.
            if (lock.rawInputRegistered) RegisterRawMouse(nullptr, RIDEV_REMOVE);
            lock.rawInputRegistered = false;
            lock.engaged = false;
            ZeroMotion(lock);
            ClipCursor(nullptr);
        }
    }
    lock.window = w->hwnd;
    lock.requested = true;
    if (!lock.rawInputRegistered) lock.rawInputRegistered = RegisterRawMouse(w->hwnd, 0);
    EngagePointerLock(*w);
    return lock.engaged;
}

void ReleasePointerLock() {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (lock.window == nullptr) return;
    if (CanvasWindow* w = FindCanvasWindowByHandle(lock.window)) ReleaseCanvasPointerLock(*w);
}

bool PointerLockEngaged() { return CanvasRegistry().lock.engaged; }

CanvasRawMotion TakeRawMotion() {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    const uint64_t taken = lock.rawMotion.exchange(0);
    lock.rawMotionSecond = 0;
    return CanvasRawMotion{RawMotionX(taken), RawMotionY(taken)};
}

}  // namespace rava
