// Window-state messages on a real canvas window: size, close, focus, show,
// and the manual border resize of the client-drawn frame.
#include <gtest/gtest.h>

#include <string>

#include "host/core/chrome_geometry.h"
#include "runtime/runtime.h"
#include "tests/host_win32_input/test_canvas.h"

namespace rava {
namespace {

using testing::PackPoint;

// A left click at client (x, y), sent straight to the window procedure.
void Click(HWND hwnd, int x, int y) {
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(x, y));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, PackPoint(x, y));
}

TEST(WindowState, SizeMoveAndEraseUpdateTheRecord) {
    CanvasWindow& w = testing::SharedCanvas();
    const int64_t before = w.stamps.stateStamp;
    SendMessageW(w.hwnd, WM_SIZE, SIZE_RESTORED, PackPoint(0, 0));
    EXPECT_EQ(w.width, 1);
    EXPECT_EQ(w.height, 1);
    EXPECT_GT(w.stamps.stateStamp, before);
    SendMessageW(w.hwnd, WM_SIZE, SIZE_MINIMIZED, PackPoint(640, 0));
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 1);
    EXPECT_TRUE(w.minimized);
    // The high word is unsigned: 0xFFFF is a width, not -1.
    SendMessageW(w.hwnd, WM_SIZE, SIZE_RESTORED, PackPoint(0xFFFF, 480));
    EXPECT_EQ(w.width, 65535);
    EXPECT_FALSE(w.minimized);
    RECT client{};
    GetClientRect(w.hwnd, &client);
    SendMessageW(w.hwnd, WM_SIZE, SIZE_RESTORED, PackPoint(client.right, client.bottom));
    EXPECT_EQ(w.width, client.right);
    // Positions are signed words.
    SendMessageW(w.hwnd, WM_MOVE, 0, PackPoint(-20, 35));
    EXPECT_EQ(w.x, -20);
    EXPECT_EQ(w.y, 35);
    EXPECT_GE(w.monitorIndex, 1);
    EXPECT_EQ(SendMessageW(w.hwnd, WM_ERASEBKGND, 0, 0), 1);  // the frame paints everything
}

TEST(WindowState, FocusShowAndKillFocusClearPressesAndComposition) {
    CanvasWindow& w = testing::SharedCanvas();
    SendMessageW(w.hwnd, WM_SHOWWINDOW, FALSE, 0);
    EXPECT_FALSE(w.visible);
    SendMessageW(w.hwnd, WM_SHOWWINDOW, TRUE, 0);
    EXPECT_TRUE(w.visible);
    SendMessageW(w.hwnd, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(w.focused);
    w.pressCounters['Q'] = 4;
    SendMessageW(w.hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
    EXPECT_TRUE(w.text.composing);
    const int64_t compositions = w.text.compositionCounter;
    SendMessageW(w.hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(w.focused);
    EXPECT_EQ(w.pressCounters['Q'], 0);
    EXPECT_FALSE(w.text.composing);
    EXPECT_EQ(w.text.compositionCounter, compositions + 1);
    // A second focus loss without a composition leaves the counter alone.
    SendMessageW(w.hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(w.text.compositionCounter, compositions + 1);
}

TEST(WindowState, CloseHidesAndTheNextGuardedOperationRaises) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    HWND hwnd = w.hwnd;
    w.pressCounters['Z'] = 3;
    EXPECT_EQ(SendMessageW(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));  // hidden, not destroyed
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(w.open);
    EXPECT_FALSE(w.visible);
    EXPECT_TRUE(w.closeRequested);
    EXPECT_EQ(w.pressCounters['Z'], 0);
    EXPECT_FALSE(KeyPressed("z"));
    try {
        MouseX();
        FAIL() << "MouseX answered for a closed window";
    } catch (const rill_runtime_exception& e) {
        EXPECT_STREQ(e.what(), "window.canvas: window/canvas runtime window is not open for MouseX");
    }
}

TEST(WindowState, CloseButtonOfTheFrameClosesTheWindow) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    SendMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(w.width - 20, 20));
    EXPECT_EQ(GetCapture(), w.hwnd);
    SendMessageW(w.hwnd, WM_LBUTTONUP, 0, PackPoint(w.width - 20, 20));
    EXPECT_NE(GetCapture(), w.hwnd);
    EXPECT_FALSE(w.open);
    EXPECT_TRUE(w.closeRequested);
}

// A release fires a caption button only over the button that was pressed,
// with the capture held all the way.
TEST(WindowState, CaptionButtonsFireOnlyForAReleaseOverThePressedButton) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    const POINT close{w.width - 20, 20}, minimize{w.width - 100, 20}, view{300, 300};
    const struct {
        POINT press, release;
        bool loseCapture;
    } cases[] = {{view, close, false}, {minimize, close, false}, {close, view, false}, {close, close, true}};
    for (const auto& c : cases) {
        SendMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(c.press.x, c.press.y));
        if (c.loseCapture) ReleaseCapture();
        SendMessageW(w.hwnd, WM_LBUTTONUP, 0, PackPoint(c.release.x, c.release.y));
        EXPECT_TRUE(w.open) << c.press.x << " -> " << c.release.x;
        EXPECT_FALSE(IsIconic(w.hwnd)) << c.press.x << " -> " << c.release.x;
        EXPECT_NE(GetCapture(), w.hwnd) << c.press.x << " -> " << c.release.x;
    }
    Click(w.hwnd, close.x, close.y);
    EXPECT_FALSE(w.open);
    DestroyCanvasWindow(w);
}

// A close that lands while a caption button or a border is held ends the
// press: the release afterwards neither shows the window again (maximized or
// iconic) nor resizes it, and the capture is gone with the close.
TEST(WindowState, CloseDuringACaptionButtonOrBorderPressEndsThePress) {
    for (const int code : {kHitMaximize, kHitMinimize, kHitLeft}) {
        CanvasWindow& w = testing::OpenFreshCanvas();
        const POINT press = code == kHitMaximize ? POINT{w.width - 70, 20}
                            : code == kHitMinimize ? POINT{w.width - 100, 20}
                                                   : POINT{2, 300};
        const POINT grip = testing::ClientToScreenPoint(w.hwnd, press.x, press.y);
        SetCursorPos(grip.x, grip.y);
        SendMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(press.x, press.y));
        ASSERT_EQ(GetCapture(), w.hwnd) << code;
        RECT before{};
        GetWindowRect(w.hwnd, &before);

        SendMessageW(w.hwnd, WM_CLOSE, 0, 0);
        EXPECT_NE(GetCapture(), w.hwnd) << code;
        EXPECT_FALSE(w.resize.active) << code;
        SetCursorPos(grip.x + 120, grip.y);
        SendMessageW(w.hwnd, WM_MOUSEMOVE, MK_LBUTTON, 0);
        SendMessageW(w.hwnd, WM_LBUTTONUP, 0, PackPoint(press.x, press.y));
        testing::Drain();

        RECT after{};
        GetWindowRect(w.hwnd, &after);
        EXPECT_FALSE(IsWindowVisible(w.hwnd)) << code;
        EXPECT_FALSE(IsZoomed(w.hwnd)) << code;
        EXPECT_FALSE(IsIconic(w.hwnd)) << code;
        EXPECT_EQ(after.left, before.left) << code;
        EXPECT_EQ(after.right, before.right) << code;
        EXPECT_FALSE(w.open) << code;
        EXPECT_FALSE(w.visible) << code;
        DestroyCanvasWindow(w);
    }
}

// The system's frame (title bar, its buttons, sizing border) answers as on
// any window; inside the client area the drawn caption strip is the caption.
TEST(WindowState, NonClientHitTestKeepsTheSystemFrameAndAddsTheStrip) {
    CanvasWindow& w = testing::SharedCanvas();
    RECT outer{};
    GetWindowRect(w.hwnd, &outer);
    const POINT origin = testing::ClientToScreenPoint(w.hwnd, 0, 0);
    const int titleY = (outer.top + origin.y + 1) / 2;
    const struct {
        POINT screen;
        LRESULT code;
    } cases[] = {{testing::ClientToScreenPoint(w.hwnd, 300, 20), HTCAPTION},
                 {testing::ClientToScreenPoint(w.hwnd, 300, 300), HTCLIENT},
                 {testing::ClientToScreenPoint(w.hwnd, w.width - 20, 20), HTCLIENT},
                 {{(outer.left + outer.right) / 2, titleY}, HTCAPTION},
                 {{outer.right - 1, (outer.top + outer.bottom) / 2}, HTRIGHT},
                 {{origin.x + w.width - 12, titleY}, HTCLOSE}};
    for (const auto& c : cases) {
        EXPECT_EQ(SendMessageW(w.hwnd, WM_NCHITTEST, 0, PackPoint(c.screen.x, c.screen.y)), c.code)
            << c.screen.x << ", " << c.screen.y;
    }
}

TEST(WindowState, DraggingTheLeftBorderStopsAt320WithTheRightEdgeFixed) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    RECT before{};
    GetWindowRect(w.hwnd, &before);
    const POINT grip = testing::ClientToScreenPoint(w.hwnd, 2, 300);
    SetCursorPos(grip.x, grip.y);
    SendMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(2, 300));
    EXPECT_TRUE(w.resize.active);
    EXPECT_EQ(w.resize.hitCode, kHitLeft);
    EXPECT_EQ(GetCapture(), w.hwnd);

    // A modest drag moves the left edge only.
    SetCursorPos(grip.x + 100, grip.y + 40);
    SendMessageW(w.hwnd, WM_MOUSEMOVE, MK_LBUTTON, 0);
    RECT mid{};
    GetWindowRect(w.hwnd, &mid);
    EXPECT_EQ(mid.left, before.left + 100);
    EXPECT_EQ(mid.right, before.right);
    EXPECT_EQ(mid.top, before.top);
    EXPECT_EQ(mid.bottom, before.bottom);

    // Far beyond the right edge: 320 wide, right edge unchanged.
    SetCursorPos(before.right + 200, grip.y);
    SendMessageW(w.hwnd, WM_MOUSEMOVE, MK_LBUTTON, 0);
    RECT after{};
    GetWindowRect(w.hwnd, &after);
    EXPECT_EQ(after.right - after.left, 320);
    EXPECT_EQ(after.right, before.right);

    SendMessageW(w.hwnd, WM_LBUTTONUP, 0, PackPoint(100, 300));
    EXPECT_FALSE(w.resize.active);
    EXPECT_NE(GetCapture(), w.hwnd);
    // With the drag over, moving the pointer resizes nothing.
    SetCursorPos(before.left, grip.y);
    SendMessageW(w.hwnd, WM_MOUSEMOVE, 0, 0);
    RECT idle{};
    GetWindowRect(w.hwnd, &idle);
    EXPECT_EQ(idle.left, after.left);
}

TEST(WindowState, LosingCaptureEndsAManualResize) {
    CanvasWindow& w = testing::SharedCanvas();
    const POINT grip = testing::ClientToScreenPoint(w.hwnd, w.width - 3, 200);
    SetCursorPos(grip.x, grip.y);
    SendMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(w.width - 3, 200));
    ASSERT_TRUE(w.resize.active);
    EXPECT_EQ(w.resize.hitCode, kHitRight);
    ReleaseCapture();  // WM_CAPTURECHANGED arrives before this returns
    EXPECT_FALSE(w.resize.active);
    EXPECT_TRUE(w.pointer.captureLost);
    EXPECT_EQ(w.stamps.lastEventKind, 204);
}

TEST(WindowState, CaptionButtonsMinimizeMaximizeAndRestore) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    Click(w.hwnd, w.width - 70, 20);
    EXPECT_TRUE(IsZoomed(w.hwnd));
    Click(w.hwnd, w.width - 70, 20);  // the zoomed width
    EXPECT_FALSE(IsZoomed(w.hwnd));
    Click(w.hwnd, w.width - 100, 20);
    EXPECT_TRUE(IsIconic(w.hwnd));
    EXPECT_TRUE(w.minimized);
    EXPECT_TRUE(w.open);
    ShowWindow(w.hwnd, SW_RESTORE);
    EXPECT_FALSE(w.minimized);
    DestroyCanvasWindow(w);
}

TEST(WindowState, FrameCursorsOverBordersAndButtons) {
    CanvasWindow& w = testing::SharedCanvas();
    const auto cursorAt = [&](int x, int y) {
        const POINT p = testing::ClientToScreenPoint(w.hwnd, x, y);
        SetCursorPos(p.x, p.y);
        return SendMessageW(w.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    const struct {
        int x, y;
        LPCWSTR cursor;
    } cases[] = {{2, 300, IDC_SIZEWE},
                 {500, w.height - 2, IDC_SIZENS},
                 {w.width - 2, w.height - 2, IDC_SIZENWSE},
                 {w.width - 2, 2, IDC_SIZENESW},
                 {w.width - 20, 20, IDC_ARROW}};
    for (const auto& c : cases) {
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));  // so each row must set its own
        EXPECT_EQ(cursorAt(c.x, c.y), 1) << c.x << ", " << c.y;
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.cursor)) << c.x << ", " << c.y;
    }
    // Client area and caption strip are left to the system.
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));
    const LRESULT body = cursorAt(400, 300);
    EXPECT_EQ(body, DefWindowProcW(w.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd),
                                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
}

}  // namespace
}  // namespace rava
