// The client-drawn window frame inside the system's own frame: hit testing
// for the system, caption buttons on a release over the pressed button,
// manual border resizing with a 320 x 240 minimum, and the cursors over the
// frame and under the pointer lock.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>

#include "host/core/chrome_geometry.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

int HitAtClientPoint(const CanvasWindow& w, int x, int y) {
    return CanvasHitTest(x, y, w.width, w.height, w.captionButtons);
}

HCURSOR CursorFor(ResizeCursor cursor) {
    switch (cursor) {
        case ResizeCursor::kSizeWE:
            return LoadCursorW(nullptr, IDC_SIZEWE);
        case ResizeCursor::kSizeNS:
            return LoadCursorW(nullptr, IDC_SIZENS);
        case ResizeCursor::kSizeNWSE:
            return LoadCursorW(nullptr, IDC_SIZENWSE);
        case ResizeCursor::kSizeNESW:
            return LoadCursorW(nullptr, IDC_SIZENESW);
        case ResizeCursor::kArrow:
            break;
    }
    return LoadCursorW(nullptr, IDC_ARROW);
}

int32_t ClampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

LRESULT OnNcHitTest(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    // The system frame around the client area (title bar, its buttons, the
    // sizing border) keeps the system's answer; only the client area has the
    // client-drawn caption strip.
    const LRESULT system = DefWindowProcW(hwnd, WM_NCHITTEST, wParam, lParam);
    if (!w.customChrome || system != HTCLIENT) return system;
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(hwnd, &p);
    return HitAtClientPoint(w, p.x, p.y) == kHitCaption ? HTCAPTION : HTCLIENT;
}

// The chrome handlers leave a window that is not open alone: a closed window
// is hidden, and a button or border press must not show or resize it again.
bool OnChromeButtonDown(CanvasWindow& w, HWND hwnd, LPARAM lParam) {
    if (!w.open) return false;
    const int code = HitAtClientPoint(w, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (IsCaptionButtonHitCode(code)) {
        SetCapture(hwnd);
        w.pressedCaptionButton = code;
        return true;
    }
    if (!IsBorderHitCode(code)) return false;
    POINT cursor{};
    RECT rect{};
    if (!GetCursorPos(&cursor) || !GetWindowRect(hwnd, &rect)) return true;
    w.resize.active = true;
    w.resize.hitCode = code;
    w.resize.startCursor = cursor;
    w.resize.startRect = rect;
    SetCapture(hwnd);
    SetCursor(CursorFor(ResizeCursorForHitCode(code)));
    return true;
}

bool OnChromeButtonUp(CanvasWindow& w, HWND hwnd, LPARAM lParam) {
    // A button fires only for a release over the button it was pressed on;
    // a press elsewhere (a drag in the view, another button) just ends.
    if (!w.open) return false;
    const int pressed = w.pressedCaptionButton;
    w.pressedCaptionButton = 0;
    const int code = CaptionButtonToFire(pressed, HitAtClientPoint(w, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    if (code == kHitMinimize) {
        ReleaseCapture();
        ShowWindow(hwnd, SW_MINIMIZE);
    } else if (code == kHitMaximize) {
        ReleaseCapture();
        ShowWindow(hwnd, IsZoomed(hwnd) ? SW_RESTORE : SW_MAXIMIZE);
    } else if (code == kHitClose) {
        ReleaseCapture();
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
    } else if (w.resize.active) {
        EndManualResize(w);
        ReleaseCapture();
    } else if (GetCapture() == hwnd) {
        ReleaseCapture();
    } else {
        return false;
    }
    return true;
}

bool ContinueManualResize(CanvasWindow& w, HWND hwnd) {
    if (!w.resize.active || !w.open) return false;
    POINT cursor{};
    if (!GetCursorPos(&cursor)) return true;
    const RECT& s = w.resize.startRect;
    const ScreenRect r = ManualResizeRect(w.resize.hitCode, ScreenRect{s.left, s.top, s.right, s.bottom},
                                          static_cast<int64_t>(cursor.x) - w.resize.startCursor.x,
                                          static_cast<int64_t>(cursor.y) - w.resize.startCursor.y);
    SetWindowPos(hwnd, nullptr, r.left, r.top, ClampToInt32(static_cast<int64_t>(r.right) - r.left),
                 ClampToInt32(static_cast<int64_t>(r.bottom) - r.top), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    RepaintCanvasBackground(w);
    return true;
}

void EndManualResize(CanvasWindow& w) { w.resize.active = false; }

void EndCaptionButtonPress(CanvasWindow& w) { w.pressedCaptionButton = 0; }

LRESULT OnSetCursor(CanvasWindow* w, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const CanvasPointerLock& lock = CanvasRegistry().lock;
    const bool client = LOWORD(lParam) == HTCLIENT;
    if (w != nullptr && client && IsLockWindow(*w) && (lock.engaged || !lock.cursorShown)) {
        SetCursor(nullptr);
        return 1;
    }
    if (w != nullptr && w->customChrome && client) {
        POINT p{};
        if (GetCursorPos(&p) && ScreenToClient(hwnd, &p)) {
            const int code = HitAtClientPoint(*w, p.x, p.y);
            if (IsCaptionButtonHitCode(code) || IsBorderHitCode(code)) {
                SetCursor(CursorFor(ResizeCursorForHitCode(code)));
                return 1;
            }
        }
    }
    return DefWindowProcW(hwnd, WM_SETCURSOR, wParam, lParam);
}

}  // namespace rava
