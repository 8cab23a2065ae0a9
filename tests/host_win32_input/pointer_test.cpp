// Pointer input on a real canvas window: mouse messages and their fields,
// the press snapshot, the synthesized-mouse filter with injected input, the
// wheel, capture loss and cancel-mode, and the pointer queries.
#include <gtest/gtest.h>

#include "tests/host_win32_input/test_canvas.h"

namespace rava {
namespace {

using testing::PackPoint;

TEST(Pointer, ButtonDownFillsTheEventAndThePressSnapshot) {
    CanvasWindow& w = testing::SharedCanvas();
    SendMessageW(w.hwnd, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, PackPoint(120, 340));
    const CanvasPointerEvent& p = w.pointer;
    EXPECT_EQ(w.stamps.lastEventKind, 201);
    EXPECT_EQ(p.pointerId, 1);
    EXPECT_EQ(p.pointerType, 1);
    EXPECT_EQ(p.buttons, static_cast<uint32_t>(MK_RBUTTON | MK_SHIFT));
    EXPECT_EQ(p.pressure, 1000);
    EXPECT_EQ(p.clientX, 120);
    EXPECT_EQ(p.clientY, 340);
    const POINT screen = testing::ClientToScreenPoint(w.hwnd, 120, 340);
    EXPECT_EQ(p.screenX, screen.x);
    EXPECT_EQ(p.screenY, screen.y);
    EXPECT_TRUE(p.inContact);
    EXPECT_EQ(w.press.inputStamp, w.stamps.inputStamp);
    EXPECT_EQ(w.press.clientX, 120);
    EXPECT_EQ(w.press.clientY, 340);
    EXPECT_EQ(w.press.pressure, 1000);

    SendMessageW(w.hwnd, WM_RBUTTONUP, 0, PackPoint(-5, 700));
    EXPECT_EQ(w.stamps.lastEventKind, 202);
    EXPECT_EQ(p.pressure, 0);
    EXPECT_EQ(p.clientX, -5);  // signed words
    EXPECT_FALSE(p.inContact);
    EXPECT_EQ(w.press.clientX, 120);  // the snapshot stays with the press
}

TEST(Pointer, WheelCarriesScreenCoordinatesAndTheSignedDelta) {
    CanvasWindow& w = testing::SharedCanvas();
    const POINT screen = testing::ClientToScreenPoint(w.hwnd, 200, 150);
    EXPECT_EQ(
        SendMessageW(w.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), PackPoint(screen.x, screen.y)), 0);
    EXPECT_EQ(w.stamps.lastEventKind, 203);
    EXPECT_EQ(w.pointer.wheelDelta, -240);
    EXPECT_EQ(w.pointer.clientX, 200);
    EXPECT_EQ(w.pointer.clientY, 150);
    SendMessageW(w.hwnd, WM_MOUSEMOVE, 0, PackPoint(10, 10));
    EXPECT_EQ(w.pointer.wheelDelta, 0);
}

TEST(Pointer, CancelModeAndCaptureLossSetTheirFlags) {
    CanvasWindow& w = testing::SharedCanvas();
    SendMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(300, 300));
    SendMessageW(w.hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(w.stamps.lastEventKind, 205);
    EXPECT_TRUE(w.pointer.cancelled);
    EXPECT_FALSE(w.pointer.inContact);
    SendMessageW(w.hwnd, WM_CAPTURECHANGED, 0, 0);
    EXPECT_EQ(w.stamps.lastEventKind, 204);
    EXPECT_TRUE(w.pointer.captureLost);
    EXPECT_FALSE(w.pointer.cancelled);
}

TEST(Pointer, MouseMessagesMarkedAsTouchOrPenRecordNothing) {
    CanvasWindow& w = testing::SharedCanvas();
    const POINT centre = testing::ClientToScreenPoint(w.hwnd, 400, 300);
    SetCursorPos(centre.x, centre.y);
    testing::Drain();
    const int64_t before = w.stamps.inputStamp;
    testing::InjectMouse(MOUSEEVENTF_MOVE, 7, 5, 0xFF515712);
    testing::InjectMouse(MOUSEEVENTF_MOVE, 3, 4);
    // Input is delivered in order: once the plain move is in, the marked one
    // has been seen and dropped.
    ASSERT_TRUE(testing::DrainUntil([&] { return w.stamps.inputStamp > before; }))
        << "an ordinary injected move never arrived";
    EXPECT_EQ(w.stamps.inputStamp, before + 1) << "the synthesized move was recorded too";
    EXPECT_EQ(w.stamps.lastEventKind, 200);
    // Relative motion is accelerated by the system: compare with the cursor.
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(w.hwnd, &cursor);
    EXPECT_EQ(w.pointer.clientX, cursor.x);
    EXPECT_EQ(w.pointer.clientY, cursor.y);
    EXPECT_GT(cursor.x, 400);
}

using GetPointerTypeFn = BOOL(WINAPI*)(UINT32, POINTER_INPUT_TYPE*);

TEST(Pointer, PointerApiMessagesFollowTheSystemsPointerType) {
    CanvasWindow& w = testing::SharedCanvas();
    auto getType = reinterpret_cast<GetPointerTypeFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetPointerType")));
    POINTER_INPUT_TYPE type = 0;
    const bool known = getType != nullptr && getType(4242, &type) && (type == PT_MOUSE || type == PT_TOUCH);
    const int64_t before = w.stamps.inputStamp;
    const POINT screen = testing::ClientToScreenPoint(w.hwnd, 60, 70);
    // Flags word: in contact and first button, plus bits above the five kept.
    EXPECT_EQ(SendMessageW(w.hwnd, WM_POINTERDOWN, MAKEWPARAM(4242, 0x0064), PackPoint(screen.x, screen.y)), 0);
    if (!known) {
        EXPECT_EQ(w.stamps.inputStamp, before);
    } else {
        EXPECT_EQ(w.stamps.lastEventKind, 201);
        EXPECT_EQ(w.pointer.pointerId, 4242);
        EXPECT_EQ(w.pointer.pointerType, type == PT_MOUSE ? 1 : 2);
        EXPECT_EQ(w.pointer.buttons, 0x04u);
        EXPECT_EQ(w.pointer.pressure, 1000);
        EXPECT_EQ(w.pointer.clientX, 60);
        EXPECT_EQ(w.pointer.clientY, 70);
        EXPECT_EQ(w.pointer.screenX, screen.x);
        EXPECT_EQ(w.press.pointerId, 4242);
        SendMessageW(w.hwnd, WM_POINTERUP, MAKEWPARAM(4242, 0), PackPoint(screen.x, screen.y));
        EXPECT_EQ(w.stamps.lastEventKind, 202);
        EXPECT_EQ(w.pointer.pressure, 0);
    }
}

TEST(Pointer, TouchMessagesWithForgedHandlesRecordNothing) {
    CanvasWindow& w = testing::SharedCanvas();
    const int64_t before = w.stamps.inputStamp;
    EXPECT_EQ(SendMessageW(w.hwnd, WM_TOUCH, 3, 0), 0);
    EXPECT_EQ(SendMessageW(w.hwnd, WM_TOUCH, 0xFFFF, 0x1234), 0);
    EXPECT_EQ(SendMessageW(w.hwnd, WM_TOUCH, 0, 0x1234), 0);
    EXPECT_EQ(w.stamps.inputStamp, before);
    EXPECT_EQ(w.touchInputCount, 0);
}

TEST(Pointer, MouseQueriesFollowTheCursorAndTheForeground) {
    CanvasWindow& w = testing::SharedCanvas();
    const POINT p = testing::ClientToScreenPoint(w.hwnd, 123, 77);
    SetCursorPos(p.x, p.y);
    EXPECT_EQ(MouseX(), 123);
    EXPECT_EQ(MouseY(), 77);
    const POINT outside = testing::ClientToScreenPoint(w.hwnd, 20, w.height + 25);
    SetCursorPos(outside.x, outside.y);
    EXPECT_EQ(MouseY(), w.height + 25);  // not clamped to the client area
    EXPECT_FALSE(PointerDown("PRIMARY"));
    EXPECT_FALSE(PointerDown("button1"));

    HWND foreign = testing::OpenForeignWindow();
    EXPECT_EQ(MouseX(), -1);
    EXPECT_EQ(MouseY(), -1);
    DestroyWindow(foreign);
    testing::BringToFront(w.hwnd);
}

TEST(Pointer, InjectedButtonIsSeenByPointerDown) {
    CanvasWindow& w = testing::SharedCanvas();
    const POINT p = testing::ClientToScreenPoint(w.hwnd, 400, 400);
    SetCursorPos(p.x, p.y);
    testing::Drain();
    testing::InjectMouse(MOUSEEVENTF_RIGHTDOWN);
    testing::Drain();
    EXPECT_TRUE(PointerDown("right"));
    EXPECT_TRUE(PointerDown("Secondary"));
    EXPECT_FALSE(PointerDown("middle"));
    testing::InjectMouse(MOUSEEVENTF_RIGHTUP);
    testing::Drain();
    EXPECT_FALSE(PointerDown("r"));
}

}  // namespace
}  // namespace rava
