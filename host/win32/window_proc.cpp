// Window procedure of the canvas host: each case calls one small handler
// that records the message into the window record or the registry. Messages
// for a handle that belongs to no canvas window go to the default procedure,
// except those the registry records without a window (session notifications,
// WM_GETOBJECT).
#include "host/win32/window_proc.h"

#include <windows.h>
#include <wtsapi32.h>

#include "host/win32/accessibility_bridge.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

LRESULT OnDestroy(CanvasWindow& w, HWND hwnd) {
    ReleaseCanvasPointerLock(w);
    ClearAccessibilityForWindow(w.id);
    ReleaseClipboardAtDestroy(w, hwnd);
    WTSUnRegisterSessionNotification(hwnd);
    EndManualResize(w);
    EndCaptionButtonPress(w);
    w.focused = false;
    w.open = false;
    w.visible = false;
    w.hwnd = nullptr;
    StampCanvasWindow(w, kEventNone);
    return 0;
}

LRESULT OnMove(CanvasWindow& w, LPARAM lParam) {
    w.x = static_cast<int16_t>(LOWORD(lParam));
    w.y = static_cast<int16_t>(HIWORD(lParam));
    RefreshDpiAndMonitor(w);
    StampCanvasWindow(w, kEventNone);
    ReclipPointerLock(w);
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
    if (IsLockWindow(w)) {
        if (w.minimized) {
            DisengagePointerLock(w);
        } else if (w.focused && CanvasRegistry().lock.requested) {
            EngagePointerLock(w);
        }
    }
    return 0;
}

LRESULT OnSetFocus(CanvasWindow& w) {
    w.focused = true;
    StampCanvasWindow(w, kEventNone);
    if (IsLockWindow(w)) {
        if (!CanvasRegistry().lock.requested || w.minimized) {
            UpdateLockCursor(w);
        } else {
            EngagePointerLock(w);
        }
    }
    return 0;
}

LRESULT OnKillFocus(CanvasWindow& w) {
    w.focused = false;
    ClearPressCounters(w);
    DisengagePointerLock(w);
    CancelImeComposition(w);
    StampCanvasWindow(w, kEventNone);
    return 0;
}

LRESULT OnClose(CanvasWindow& w, HWND hwnd) {
    ClearPressCounters(w);
    DisengagePointerLock(w);
    w.closeRequested = true;
    w.open = false;
    w.visible = false;
    StampCanvasWindow(w, kEventNone);
    // A close can land while a caption button or a border is held (the
    // system close command, a posted WM_CLOSE): the later release must not
    // fire the button or resize on the hidden window, so the press ends here.
    EndCaptionButtonPress(w);
    EndManualResize(w);
    if (GetCapture() == hwnd) ReleaseCapture();
    ShowWindow(hwnd, SW_HIDE);
    return 0;
}

LRESULT OnShowWindow(CanvasWindow& w, WPARAM wParam) {
    w.visible = wParam != 0;
    StampCanvasWindow(w, kEventNone);
    return 0;
}

// Messages recorded even for a handle without a window record.
bool HandleWithoutWindow(CanvasWindow* w, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_GETOBJECT:
            result = AnswerGetObject(hwnd, wParam, lParam, w != nullptr ? w->id : 0);
            return true;
        case WM_ACTIVATEAPP:
        case WM_POWERBROADCAST:
        case WM_WTSSESSION_CHANGE:
        case WM_QUERYENDSESSION:
        case WM_ENDSESSION:
            result = OnSessionMessage(w, message, wParam, lParam);
            return true;
        default:
            return false;
    }
}

LRESULT Dispatch(CanvasWindow& w, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            return OnDestroy(w, hwnd);
        case WM_MOVE:
            return OnMove(w, lParam);
        case WM_SIZE:
            return OnSize(w, hwnd, wParam, lParam);
        case WM_SETFOCUS:
            return OnSetFocus(w);
        case WM_KILLFOCUS:
            return OnKillFocus(w);
        case WM_CLOSE:
            return OnClose(w, hwnd);
        case WM_SHOWWINDOW:
            return OnShowWindow(w, wParam);
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEWHEEL:
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            return OnMouseMessage(w, hwnd, message, wParam, lParam);
        case WM_POINTERUPDATE:
        case WM_POINTERDOWN:
        case WM_POINTERUP:
            return OnPointerApiMessage(w, message, wParam, lParam);
        case WM_TOUCH:
            return OnTouch(w, wParam, lParam);
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            return OnKey(w, wParam, lParam, true);
        case WM_KEYUP:
        case WM_SYSKEYUP:
            return OnKey(w, wParam, lParam, false);
        case WM_CHAR:
        case WM_IME_CHAR:
            return OnChar(w, wParam);
        case WM_UNICHAR:
            return OnUniChar(w, wParam);
        case WM_IME_STARTCOMPOSITION:
            return OnImeStartComposition(w);
        case WM_IME_ENDCOMPOSITION:
            return OnImeEndComposition(w);
        case WM_IME_COMPOSITION:
            return OnImeComposition(w, hwnd, wParam, lParam);
        case WM_DROPFILES:
            return OnDropFiles(w, wParam);
        case WM_INPUT:
            return OnRawInput(w, hwnd, wParam, lParam);
        case WM_SETCURSOR:
            return OnSetCursor(&w, hwnd, wParam, lParam);
        case WM_NCHITTEST:
            return OnNcHitTest(w, hwnd, wParam, lParam);
        case WM_RENDERFORMAT:
            return OnRenderFormat(w, hwnd, wParam);
        case WM_RENDERALLFORMATS:
            return OnRenderAllFormats(w, hwnd);
        case WM_DESTROYCLIPBOARD:
            return OnDestroyClipboard(w, hwnd);
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK CanvasWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CanvasWindow* w = FindCanvasWindowByHandle(hwnd);
    LRESULT result = 0;
    if (HandleWithoutWindow(w, hwnd, message, wParam, lParam, result)) return result;
    if (w == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Dispatch(*w, hwnd, message, wParam, lParam);
}

}  // namespace rava
