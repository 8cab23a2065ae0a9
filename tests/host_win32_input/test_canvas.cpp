// Test helpers for real canvas windows under the system's message queue.
#include "tests/host_win32_input/test_canvas.h"

#include <gtest/gtest.h>

namespace rava::testing {

void Drain(int rounds) {
    for (int r = 0; r < rounds; ++r) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (r + 1 < rounds) Sleep(15);
    }
}

void BringToFront(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOW);
    // Injected pointer input goes to the window under the cursor: raise it.
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    SetFocus(hwnd);
    Drain();
}

bool DrainUntil(const std::function<bool()>& done, int milliseconds) {
    for (int waited = 0;; waited += 10) {
        Drain(1);
        if (done()) return true;
        if (waited >= milliseconds) return false;
        Sleep(10);
    }
}

CanvasWindow& OpenFreshCanvas() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    registry.currentId = 0;
    registry.activeId = 0;
    OpenCanvasWindow("input test");
    CanvasWindow* w = ResolveCurrentWindow();
    if (w == nullptr || w->hwnd == nullptr) {
        ADD_FAILURE() << "no canvas window could be opened";
        std::abort();
    }
    BringToFront(w->hwnd);
    return *w;
}

CanvasWindow& SharedCanvas() {
    static int32_t sharedId = 0;
    CanvasWindow* w = FindCanvasWindowById(sharedId);
    if (w == nullptr || !w->open || w->hwnd == nullptr) {
        w = &OpenFreshCanvas();
        sharedId = w->id;
    }
    CanvasWindowRegistry& registry = CanvasRegistry();
    registry.currentId = w->id;
    registry.activeId = w->id;
    BringToFront(w->hwnd);
    for (uint8_t& c : w->pressCounters) c = 0;
    w->text = CanvasTextInput{};
    w->key = CanvasKeyEvent{};
    w->drop = CanvasDrop{};
    return *w;
}

namespace {

LRESULT CALLBACK ForeignProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND OpenForeignWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ForeignProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"rava_test_foreign_window";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(0, L"rava_test_foreign_window", L"foreign", WS_OVERLAPPEDWINDOW, 50, 50, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    BringToFront(hwnd);
    return hwnd;
}

POINT ClientToScreenPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

void InjectKey(WORD virtualKey, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(INPUT));
}

void InjectMouse(DWORD flags, int dx, int dy, ULONG_PTR extraInfo) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    input.mi.dwExtraInfo = extraInfo;
    SendInput(1, &input, sizeof(INPUT));
}

LPARAM PackPoint(int x, int y) {
    return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}

}  // namespace rava::testing
