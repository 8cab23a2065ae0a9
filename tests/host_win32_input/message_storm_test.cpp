// Message storm: 20,000 messages the canvas window procedure handles, with
// hostile wParam and lParam, sent and posted to a live canvas window between
// frames and input queries. The process must survive, the window record must
// stay consistent throughout, and the window must still work afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "host/win32/accessibility_bridge.h"
#include "runtime/runtime.h"
#include "tests/host_win32_input/test_canvas.h"

namespace rava {
namespace {

// Everything the procedure handles except WM_DESTROY, which a real
// destruction follows, plus a few it passes on untouched.
const std::vector<UINT> kStormMessages = {
    WM_MOVE, WM_SIZE, WM_SETFOCUS, WM_KILLFOCUS, WM_CLOSE, WM_SHOWWINDOW, WM_ERASEBKGND, WM_MOUSEMOVE,
    WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL, WM_CAPTURECHANGED, WM_CANCELMODE,
    WM_POINTERUPDATE, WM_POINTERDOWN, WM_POINTERUP, WM_TOUCH, WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP,
    WM_CHAR, WM_IME_CHAR, WM_UNICHAR, WM_IME_STARTCOMPOSITION, WM_IME_ENDCOMPOSITION, WM_IME_COMPOSITION,
    WM_DROPFILES, WM_INPUT, WM_SETCURSOR, WM_NCHITTEST, WM_RENDERFORMAT, WM_RENDERALLFORMATS, WM_DESTROYCLIPBOARD,
    WM_ACTIVATEAPP, WM_POWERBROADCAST, WM_WTSSESSION_CHANGE, WM_QUERYENDSESSION, WM_ENDSESSION, WM_GETOBJECT,
    WM_NULL, WM_USER + 7, WM_APP + 3,
};

// A right-button release over the caption strip opens the system menu, a
// modal loop; this timer closes any menu so the storm keeps going.
void CALLBACK CloseMenus(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

// Zero, small and wide values, all-ones and near it (negative sizes and
// points), points far off the screen, unknown flag bits, handles that are not
// handles.
uint64_t RandomWord(std::mt19937_64& rng) {
    switch (rng() % 8) {
        case 0: return 0;
        case 1: return rng() & 0xFFFF;
        case 2: return rng() & 0xFFFFFFFFu;
        case 3: return ~uint64_t{0} - (rng() & 0xFF);
        case 4: return uint64_t{0x7FFF7FFF} + (rng() & 3);
        case 5: return uint64_t{0x80018001} + ((rng() & 0xFF) << 16);
        case 6: return (rng() & 0x3FF) * 0x10001u;
        default: return rng();
    }
}

// The shell's drop block (a valid structure, freed by the window): a 20-byte
// header, then zero-terminated UTF-16 paths and a final zero.
HGLOBAL MakeDrop(int files) {
    std::u16string list;
    for (int i = 0; i < files; ++i) list += u"C:\\storm\\file.txt" + std::u16string(1, u'\0');
    list += u'\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 20 + list.size() * 2);
    auto* data = static_cast<uint8_t*>(GlobalLock(block));
    const DWORD offset = 20, wide = 1;
    std::memcpy(data, &offset, 4);
    std::memcpy(data + 16, &wide, 4);
    std::memcpy(data + 20, list.data(), list.size() * 2);
    GlobalUnlock(block);
    return block;
}

// A client point on the drawn frame of the window as it is recorded now:
// borders, caption buttons, caption strip.
LPARAM FramePoint(std::mt19937_64& rng, const CanvasWindow& w) {
    const int x = rng() % 2 == 0 ? w.width - 1 - static_cast<int>(rng() % 150) : static_cast<int>(rng() % 12);
    const int y = rng() % 4 == 0 ? w.height - 1 - static_cast<int>(rng() % 12) : static_cast<int>(rng() % 60);
    return testing::PackPoint(x, y);
}

void Deliver(std::mt19937_64& rng, HWND hwnd) {
    const UINT message = kStormMessages[rng() % kStormMessages.size()];
    const WPARAM wParam = static_cast<WPARAM>(RandomWord(rng));
    const CanvasWindow* w = FindCanvasWindowByHandle(hwnd);
    const LPARAM lParam = w != nullptr && rng() % 4 == 0 ? FramePoint(rng, *w) : static_cast<LPARAM>(RandomWord(rng));
    if (message == WM_DROPFILES) {
        // Sent, so the block is always handed over and freed.
        SendMessageW(hwnd, message, reinterpret_cast<WPARAM>(MakeDrop(1 + rng() % 2)), lParam);
        return;
    }
    if (rng() % 4 == 0) {
        PostMessageW(hwnd, message, wParam, lParam);
    } else {
        SendMessageW(hwnd, message, wParam, lParam);
    }
}

bool KnownEventKind(int32_t kind) {
    for (int32_t k : {0, 100, 101, 200, 201, 202, 203, 204, 205, 210}) {
        if (kind == k) return true;
    }
    return false;
}

void ExpectConsistent(const CanvasWindow& w, HWND hwnd, int step) {
    SCOPED_TRACE(::testing::Message() << "after message " << step);
    const CanvasWindowRegistry& r = CanvasRegistry();
    ASSERT_TRUE(IsWindow(hwnd));
    ASSERT_EQ(FindCanvasWindowByHandle(hwnd), &w);
    EXPECT_GE(w.width, 1);
    EXPECT_GE(w.height, 1);
    EXPECT_FALSE(w.open && w.closeRequested);
    EXPECT_TRUE(w.dc != nullptr && w.glrc != nullptr);
    EXPECT_EQ(r.openFrameWindowId, 0);
    EXPECT_LE(w.text.committed.size(), kTextInputMaxBytes);
    EXPECT_LE(w.text.composition.size(), 3 * kImeStringMaxUnits);
    EXPECT_TRUE(w.text.composing || w.text.composition.empty());
    EXPECT_TRUE(w.text.pendingHighSurrogate == 0 ||
                (w.text.pendingHighSurrogate >= 0xD800 && w.text.pendingHighSurrogate <= 0xDBFF));
    EXPECT_EQ(w.drop.flag, !w.drop.path.empty());
    EXPECT_TRUE(!w.drop.flag || w.drop.count == 1);
    EXPECT_EQ(w.stamps.inputStamp, w.stamps.stateStamp);
    EXPECT_EQ(w.stamps.textStamp, w.stamps.stateStamp);
    EXPECT_LT(w.stamps.stateStamp, r.eventSequence);
    EXPECT_TRUE(KnownEventKind(w.stamps.lastEventKind)) << w.stamps.lastEventKind;
    EXPECT_TRUE(w.pointer.pointerType >= 0 && w.pointer.pointerType <= 3) << w.pointer.pointerType;
    EXPECT_TRUE(w.pointer.pressure >= 0 && w.pointer.pressure <= 1000) << w.pointer.pressure;
    EXPECT_EQ(w.pointer.reserved, 0);
    EXPECT_TRUE(w.monitorIndex >= 0 && w.monitorIndex <= static_cast<int32_t>(r.monitors.size()));
    EXPECT_GE(w.dpiScale, 1);
    // A drag or a pressed caption button holds the capture, never both.
    EXPECT_FALSE(w.resize.active && w.pressedCaptionButton != 0);
    if (w.resize.active || w.pressedCaptionButton != 0) {
        EXPECT_EQ(GetCapture(), hwnd);
    }
    EXPECT_TRUE(!r.lock.engaged || r.lock.window == hwnd);
    const int32_t status = r.clipboard.status;
    EXPECT_TRUE(status == 0 || status == 2 || status == 3 || status == 4) << status;
}

// A frame with more of the storm delivered between its primitives (they pump).
void StormFrame(std::mt19937_64& rng, HWND hwnd) {
    try {
        BeginFrame(10, 20, 30);
        for (int k = 0; k < 3; ++k) {
            Deliver(rng, hwnd);
            DrawRectRgba(static_cast<float>(rng() % 1000), static_cast<float>(rng() % 700), 40, 40, 200, 100, 50);
        }
        EndFrame();
    } catch (const rill_runtime_exception&) {
        // The storm closed the window under the frame: the not-open error.
    }
}

void Queries() {
    KeyPressed("a");
    KeyDown("up");
    PointerDown("left");
    AnyCanvasWindowInForeground();
    try {
        MouseX();
        MouseY();
    } catch (const rill_runtime_exception&) {
    }
}

TEST(MessageStorm, HostileMessagesLeaveTheRecordConsistentAndTheWindowUsable) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    HWND hwnd = w.hwnd;
    ASSERT_TRUE(EnableAccessibilitySlot("storm"));
    ASSERT_TRUE(SetPendingClipboardText("storm clipboard"));
    RequestPointerLock();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenus);

    std::mt19937_64 rng(20240611);
    constexpr int kMessages = 20000;
    for (int i = 0; i < kMessages; ++i) {
        Deliver(rng, hwnd);
        if (i % 50 == 0) StormFrame(rng, hwnd);
        if (i % 50 == 25) Queries();
        ExpectConsistent(w, hwnd, i);
        if (HasFatalFailure() || HasFailure()) break;
        if (i % 200 == 0) {
            testing::Drain(1);
            if (!w.open) {
                // Closing (forged or by a release over the close button) is a
                // legitimate outcome; reopen the window and go on.
                w.open = true;
                w.visible = true;
                w.closeRequested = false;
                ShowWindow(hwnd, SW_SHOW);
            }
            if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        }
    }
    KillTimer(nullptr, timer);
    testing::Drain();
    ReleasePointerLock();
    ExpectConsistent(w, hwnd, kMessages);

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
