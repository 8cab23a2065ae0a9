// Pointer input of a canvas window: mouse messages, the pointer API (mouse,
// touch and pen with pressure) and WM_TOUCH. One set of pointer fields per
// window, overwritten by every event; a press also fills the press snapshot.
#include <windows.h>
#include <windowsx.h>

#include <vector>

#include "host/core/input_rules.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

// NOTE: the pointer API is absent on older systems and GetPointerPenInfo is
// not exported by every compatibility layer, so both are resolved at run time.
using GetPointerTypeFn = BOOL(WINAPI*)(UINT32, POINTER_INPUT_TYPE*);
using GetPointerPenInfoFn = BOOL(WINAPI*)(UINT32, POINTER_PEN_INFO*);

struct PointerApi {
    GetPointerTypeFn getPointerType = nullptr;
    GetPointerPenInfoFn getPointerPenInfo = nullptr;
};

const PointerApi& Api() {
    static const PointerApi api = [] {
        PointerApi a;
        if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
            a.getPointerType =
                reinterpret_cast<GetPointerTypeFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetPointerType")));
            a.getPointerPenInfo = reinterpret_cast<GetPointerPenInfoFn>(
                reinterpret_cast<void*>(GetProcAddress(user32, "GetPointerPenInfo")));
        }
        return a;
    }();
    return api;
}

void CopyPressSnapshot(CanvasWindow& w) {
    const CanvasPointerEvent& p = w.pointer;
    w.press.inputStamp = w.stamps.inputStamp;
    w.press.pointerId = p.pointerId;
    w.press.pointerType = p.pointerType;
    w.press.pressure = p.pressure;
    w.press.clientX = p.clientX;
    w.press.clientY = p.clientY;
    w.press.screenX = p.screenX;
    w.press.screenY = p.screenY;
    w.press.inContact = p.inContact;
}

// Where the event happened, as (screen, client) pairs. Mouse button and move
// messages carry client coordinates, the wheel and the pointer API screen
// coordinates; capture loss and cancel-mode carry none, so the cursor is read.
void LocateEvent(HWND hwnd, int32_t kind, LPARAM lParam, bool fromPointerApi, POINT& screen, POINT& client) {
    const POINT words{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (kind == kEventCaptureLost || kind == kEventPointerCancelled) {
        if (!GetCursorPos(&screen)) screen = POINT{0, 0};
        client = screen;
        if (hwnd != nullptr) ScreenToClient(hwnd, &client);
        return;
    }
    if (fromPointerApi || kind == kEventWheel) {
        screen = words;
        client = words;
        if (hwnd != nullptr) ScreenToClient(hwnd, &client);
        return;
    }
    client = words;
    screen = words;
    if (hwnd != nullptr) ClientToScreen(hwnd, &screen);
}

void RecordResolvedPointer(CanvasWindow& w, int32_t kind, int32_t pointerId, int32_t type, uint32_t buttons,
                           int32_t pressure, POINT screen, POINT client, bool inContact) {
    CanvasPointerEvent& p = w.pointer;
    p.pointerId = pointerId;
    p.pointerType = type;
    p.buttons = buttons;
    p.pressure = pressure;
    p.reserved = 0;
    p.wheelDelta = 0;
    p.screenX = screen.x;
    p.screenY = screen.y;
    p.clientX = client.x;
    p.clientY = client.y;
    p.inContact = inContact;
    p.captureLost = kind == kEventCaptureLost;
    p.cancelled = kind == kEventPointerCancelled;
}

}  // namespace

bool RecordPointerEvent(CanvasWindow& w, int32_t kind, int32_t pointerId, int32_t pointerType, WPARAM wParam,
                        LPARAM lParam, int32_t pressure, bool fromPointerApi) {
    if (pointerType == 1 && kind >= kEventPointerMove && kind <= kEventWheel &&
        IsSynthesizedPointerMouse(static_cast<uintptr_t>(GetMessageExtraInfo()))) {
        return false;
    }
    const uint32_t buttons = fromPointerApi ? (HIWORD(wParam) & 0x1Fu) : LOWORD(wParam);
    if (pressure == -1) pressure = kind == kEventPointerDown ? 1000 : 0;
    POINT screen{}, client{};
    LocateEvent(w.hwnd, kind, lParam, fromPointerApi, screen, client);
    bool inContact = false;
    if (kind == kEventPointerDown) {
        inContact = true;
    } else if (kind != kEventCaptureLost && kind != kEventPointerCancelled) {
        inContact = w.hwnd != nullptr && GetCapture() == w.hwnd;
    }
    RecordResolvedPointer(w, kind, pointerId, pointerType, buttons, pressure, screen, client, inContact);
    if (kind == kEventWheel) w.pointer.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
    StampCanvasWindow(w, kind);
    if (kind == kEventPointerDown) CopyPressSnapshot(w);
    return true;
}

LRESULT OnMouseMessage(CanvasWindow& w, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            RecordPointerEvent(w, kEventPointerMove, 1, 1, wParam, lParam, -1, false);
            if (ContinueManualResize(w, hwnd)) return 0;
            break;
        case WM_LBUTTONDOWN:
            RecordPointerEvent(w, kEventPointerDown, 1, 1, wParam, lParam, -1, false);
            if (w.customChrome && OnChromeButtonDown(w, hwnd, lParam)) return 0;
            break;
        case WM_LBUTTONUP:
            RecordPointerEvent(w, kEventPointerUp, 1, 1, wParam, lParam, -1, false);
            if (w.customChrome && OnChromeButtonUp(w, hwnd, lParam)) return 0;
            break;
        case WM_RBUTTONDOWN:
            RecordPointerEvent(w, kEventPointerDown, 1, 1, wParam, lParam, -1, false);
            break;
        case WM_RBUTTONUP:
            RecordPointerEvent(w, kEventPointerUp, 1, 1, wParam, lParam, -1, false);
            break;
        case WM_MOUSEWHEEL:
            RecordPointerEvent(w, kEventWheel, 1, 1, wParam, lParam, -1, false);
            return 0;
        case WM_CAPTURECHANGED:
            EndManualResize(w);
            EndCaptionButtonPress(w);
            RecordPointerEvent(w, kEventCaptureLost, 1, 1, wParam, lParam, -1, false);
            return 0;
        case WM_CANCELMODE:
            RecordPointerEvent(w, kEventPointerCancelled, 1, 1, wParam, lParam, -1, false);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT OnPointerApiMessage(CanvasWindow& w, UINT message, WPARAM wParam, LPARAM lParam) {
    const int32_t kind = message == WM_POINTERDOWN ? kEventPointerDown
                         : message == WM_POINTERUP ? kEventPointerUp
                                                   : kEventPointerMove;
    const UINT32 pointerId = LOWORD(wParam);
    POINTER_INPUT_TYPE type = 0;
    if (Api().getPointerType == nullptr || !Api().getPointerType(pointerId, &type)) return 0;
    const bool down = kind == kEventPointerDown;
    if (type == PT_MOUSE || type == PT_TOUCH) {
        RecordPointerEvent(w, kind, static_cast<int32_t>(pointerId), type == PT_MOUSE ? 1 : 2, wParam, lParam,
                           down ? 1000 : 0, true);
    } else if (type == PT_PEN) {
        POINTER_PEN_INFO pen{};
        const bool havePen = Api().getPointerPenInfo != nullptr && Api().getPointerPenInfo(pointerId, &pen);
        const bool hasPressure = havePen && (pen.penMask & PEN_MASK_PRESSURE) != 0;
        RecordPointerEvent(w, kind, static_cast<int32_t>(pointerId), 3, wParam, lParam,
                           PenPressure(hasPressure, pen.pressure, down), true);
    }
    return 0;
}

LRESULT OnTouch(CanvasWindow& w, WPARAM wParam, LPARAM lParam) {
    const UINT count = LOWORD(wParam);
    HTOUCHINPUT touch = reinterpret_cast<HTOUCHINPUT>(lParam);
    if (count > 0 && touch != nullptr) {
        std::vector<TOUCHINPUT> inputs(count);
        if (GetTouchInputInfo(touch, count, inputs.data(), sizeof(TOUCHINPUT))) {
            for (const TOUCHINPUT& t : inputs) {
                ++w.touchInputCount;
                POINT screen{TouchCoordinateToPixels(t.x), TouchCoordinateToPixels(t.y)};
                POINT client = screen;
                if (w.hwnd != nullptr) ScreenToClient(w.hwnd, &client);
                const bool down = (t.dwFlags & TOUCHEVENTF_DOWN) != 0;
                const int32_t kind = down                                ? kEventPointerDown
                                     : (t.dwFlags & TOUCHEVENTF_UP) != 0 ? kEventPointerUp
                                                                         : kEventPointerMove;
                RecordResolvedPointer(w, kind, static_cast<int32_t>(t.dwID), 2, down ? 1u : 0u, down ? 1000 : 0, screen,
                                      client, down);
                StampCanvasWindow(w, kind);
                if (down) CopyPressSnapshot(w);
            }
        }
    }
    if (touch != nullptr) CloseTouchInputHandle(touch);
    return 0;
}

}  // namespace rava
