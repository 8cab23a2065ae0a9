// Message storm: thousands of messages the canvas window procedure handles,
// with random wParam and lParam, sent and posted to a live canvas window. The
// process must survive, the recorded state must stay within its bounds, and
// the window must still record input and draw frames afterwards.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "host/win32/accessibility_bridge.h"
#include "tests/host_win32_input/test_canvas.h"

namespace rava {
namespace {

// Everything the procedure handles except WM_DESTROY and WM_CLOSE, which end
// the window on purpose, plus a few it passes on untouched.
const std::vector<UINT> kStormMessages = {
    WM_MOVE, WM_SIZE, WM_SETFOCUS, WM_KILLFOCUS, WM_SHOWWINDOW, WM_ERASEBKGND, WM_MOUSEMOVE, WM_LBUTTONDOWN,
    WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL, WM_CAPTURECHANGED, WM_CANCELMODE, WM_POINTERUPDATE,
    WM_POINTERDOWN, WM_POINTERUP, WM_TOUCH, WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_CHAR, WM_IME_CHAR,
    WM_UNICHAR, WM_IME_STARTCOMPOSITION, WM_IME_ENDCOMPOSITION, WM_IME_COMPOSITION, WM_DROPFILES, WM_INPUT,
    WM_SETCURSOR, WM_NCHITTEST, WM_RENDERFORMAT, WM_RENDERALLFORMATS, WM_DESTROYCLIPBOARD, WM_ACTIVATEAPP,
    WM_POWERBROADCAST, WM_WTSSESSION_CHANGE, WM_QUERYENDSESSION, WM_ENDSESSION, WM_GETOBJECT, WM_NULL, WM_USER + 7,
    WM_APP + 3,
};

// A right-button release over the caption strip opens the system menu, a
// modal loop; this timer closes any menu so the storm keeps going.
void CALLBACK CloseMenus(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

uint64_t RandomWord(std::mt19937_64& rng) {
    switch (rng() % 6) {
        case 0: return 0;
        case 1: return rng() & 0xFFFF;
        case 2: return rng() & 0xFFFFFFFFu;
        case 3: return ~uint64_t{0} - (rng() & 0xFF);
        case 4: return uint64_t{0x7FFF7FFF} + (rng() & 3);
        default: return rng();
    }
}

void ExpectWithinBounds(const CanvasWindow& w) {
    EXPECT_LE(w.text.committed.size(), 512u);
    EXPECT_LE(w.text.composition.size(), 512u);
    EXPECT_GE(w.width, 1);
    EXPECT_GE(w.height, 1);
    EXPECT_EQ(w.drop.flag, !w.drop.path.empty());
    EXPECT_GE(w.stamps.lastEventKind, 0);
}

TEST(MessageStorm, RandomMessagesNeverCrashAndLeaveTheWindowUsable) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    HWND hwnd = w.hwnd;
    ASSERT_TRUE(EnableAccessibilitySlot("storm"));
    ASSERT_TRUE(SetPendingClipboardText("storm clipboard"));
    RequestPointerLock();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenus);

    std::mt19937_64 rng(20240611);
    constexpr int kMessages = 6000;
    for (int i = 0; i < kMessages; ++i) {
        const UINT message = kStormMessages[rng() % kStormMessages.size()];
        const WPARAM wParam = static_cast<WPARAM>(RandomWord(rng));
        const LPARAM lParam = static_cast<LPARAM>(RandomWord(rng));
        if (rng() % 4 == 0) {
            PostMessageW(hwnd, message, wParam, lParam);
        } else {
            SendMessageW(hwnd, message, wParam, lParam);
        }
        if (i % 200 == 0) {
            testing::Drain(1);
            ASSERT_TRUE(IsWindow(hwnd)) << "window destroyed after message " << i;
            ASSERT_EQ(FindCanvasWindowByHandle(hwnd), &w);
            ExpectWithinBounds(w);
            if (!w.open) {
                // A random release over the close button closes the window;
                // that is a legitimate outcome, so reopen it and go on.
                w.open = true;
                w.visible = true;
                w.closeRequested = false;
            }
            if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        }
    }
    KillTimer(nullptr, timer);
    testing::Drain();
    ReleasePointerLock();
    ASSERT_TRUE(IsWindow(hwnd));
    ExpectWithinBounds(w);

    // Still usable: the procedure records fresh input and frames draw.
    w.open = true;
    w.closeRequested = false;
    CanvasRegistry().currentId = w.id;
    CanvasRegistry().activeId = w.id;
    // Forged focus messages leave the flag out of step with the system; a real
    // focus change brings it back.
    SetFocus(nullptr);
    testing::BringToFront(hwnd);
    EXPECT_TRUE(w.focused);
    RECT client{};
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    for (uint8_t& c : w.pressCounters) c = 0;
    w.text.committed.clear();
    w.text.pendingHighSurrogate = 0;
    SendMessageW(hwnd, WM_KEYDOWN, 'K', 1);
    SendMessageW(hwnd, WM_CHAR, 'k', 1);
    EXPECT_EQ(w.pressCounters['K'], 1);
    EXPECT_EQ(w.text.committed, "k");
    EXPECT_TRUE(KeyPressed("k"));
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 300));
    EXPECT_EQ(w.pointer.clientX, 300);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(300, 300));
    EXPECT_NO_THROW({
        BeginFrame(10, 20, 30);
        DrawRectRgba(10, 10, 50, 50, 200, 100, 50);
        EndFrame();
    });
    DestroyCanvasWindow(w);
    EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace rava
