// Pointer lock on a real canvas window: engagement rules, raw motion from
// injected relative input with saturation, and release at teardown.
#include <gtest/gtest.h>

#include <limits>

#include "host/core/input_rules.h"
#include "tests/host_win32_input/test_canvas.h"

namespace rava {
namespace {

void InjectRelativeMove(int dx, int dy) { testing::InjectMouse(MOUSEEVENTF_MOVE, dx, dy); }

TEST(PointerLock, EngagesOnlyForTheFocusedForegroundRestoredWindow) {
    CanvasWindow& w = testing::SharedCanvas();
    ASSERT_TRUE(RequestPointerLock());
    EXPECT_TRUE(PointerLockEngaged());
    RECT clip{};
    GetClipCursor(&clip);
    const POINT origin = testing::ClientToScreenPoint(w.hwnd, 0, 0);
    EXPECT_EQ(clip.left, origin.x);
    EXPECT_EQ(clip.top, origin.y);
    // The cursor is hidden over the client area while engaged.
    EXPECT_EQ(SendMessageW(w.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              1);

    SendMessageW(w.hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(PointerLockEngaged());
    SendMessageW(w.hwnd, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(PointerLockEngaged());

    SendMessageW(w.hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_FALSE(PointerLockEngaged());
    SendMessageW(w.hwnd, WM_SETFOCUS, 0, 0);  // still minimized: no engagement
    EXPECT_FALSE(PointerLockEngaged());
    SendMessageW(w.hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1000, 700));
    EXPECT_TRUE(PointerLockEngaged());

    HWND foreign = testing::OpenForeignWindow();
    EXPECT_FALSE(PointerLockEngaged());
    w.focused = true;  // even a stale focus flag does not engage a background window
    EXPECT_FALSE(RequestPointerLock());
    DestroyWindow(foreign);
    testing::BringToFront(w.hwnd);
    EXPECT_TRUE(PointerLockEngaged());

    ReleasePointerLock();
    EXPECT_FALSE(PointerLockEngaged());
    EXPECT_EQ(CanvasRegistry().lock.window, nullptr);
    EXPECT_FALSE(CanvasRegistry().lock.rawInputRegistered);
}

TEST(PointerLock, RawMotionAccumulatesAndSaturates) {
    CanvasWindow& w = testing::SharedCanvas();
    ASSERT_TRUE(RequestPointerLock());
    ASSERT_TRUE(CanvasRegistry().lock.rawInputRegistered);
    TakeRawMotion();
    InjectRelativeMove(5, -3);
    InjectRelativeMove(2, 1);
    testing::Drain();
    // A move notification clips the cursor again but keeps the motion.
    const POINT origin = testing::ClientToScreenPoint(w.hwnd, 0, 0);
    SendMessageW(w.hwnd, WM_MOVE, 0, testing::PackPoint(origin.x, origin.y));
    EXPECT_TRUE(PointerLockEngaged());
    CanvasRawMotion m = TakeRawMotion();
    EXPECT_EQ(m.x, 7);
    EXPECT_EQ(m.y, -2);
    EXPECT_EQ(TakeRawMotion().x, 0);

    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    CanvasRegistry().lock.rawMotion.store(PackRawMotion(kMax - 2, kMin + 1));
    InjectRelativeMove(10, -10);
    testing::Drain();
    m = TakeRawMotion();
    EXPECT_EQ(m.x, kMax);
    EXPECT_EQ(m.y, kMin);

    // Raw input without the lock is not accumulated.
    SendMessageW(w.hwnd, WM_KILLFOCUS, 0, 0);
    InjectRelativeMove(4, 4);
    testing::Drain();
    EXPECT_EQ(TakeRawMotion().x, 0);
    testing::BringToFront(w.hwnd);
    ReleasePointerLock();
}

TEST(PointerLock, DestroyingTheLockWindowReleasesEverything) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    ASSERT_TRUE(RequestPointerLock());
    DestroyCanvasWindow(w);
    const CanvasPointerLock& lock = CanvasRegistry().lock;
    EXPECT_EQ(lock.window, nullptr);
    EXPECT_FALSE(lock.engaged);
    EXPECT_FALSE(lock.requested);
    EXPECT_FALSE(lock.rawInputRegistered);
    EXPECT_TRUE(lock.cursorShown);
    RECT clip{}, screen{0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    GetClipCursor(&clip);
    EXPECT_EQ(clip.right - clip.left, screen.right - screen.left);
}

}  // namespace
}  // namespace rava
