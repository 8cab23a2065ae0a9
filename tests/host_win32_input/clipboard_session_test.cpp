// Delayed clipboard rendering and session notifications on real windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/host_win32_input/test_canvas.h"

namespace rava {
namespace {

std::u16string ReadClipboardText(HWND reader) {
    std::u16string text;
    if (!OpenClipboard(reader)) return u"<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The clipboard counters against `start`: still pending or settled with
// `status`, and how many renders, releases and changes happened since.
struct ClipboardDelta {
    bool pending;
    int32_t status;
    int64_t renders, clipboardReleases, windowReleases, changes;
};

void ExpectClipboard(const CanvasClipboardCounters& start, const ClipboardDelta& d) {
    const CanvasClipboardCounters c = ReadClipboardCounters();
    EXPECT_EQ(c.pending, d.pending);
    if (!d.pending) {
        EXPECT_EQ(c.status, d.status);
        EXPECT_EQ(c.pendingSize, 0u);
    }
    EXPECT_EQ(c.renderCount, start.renderCount + d.renders);
    EXPECT_EQ(c.releaseCountClipboard, start.releaseCountClipboard + d.clipboardReleases);
    EXPECT_EQ(c.releaseCountWindow, start.releaseCountWindow + d.windowReleases);
    EXPECT_EQ(c.changeCounter, start.changeCounter + d.changes);
}

TEST(Clipboard, PendingTextRendersOnRequest) {
    CanvasWindow& w = testing::SharedCanvas();
    const CanvasClipboardCounters before = ReadClipboardCounters();
    ASSERT_TRUE(SetPendingClipboardText("h\xC3\xA9llo \xF0\x9F\x98\x80"));
    CanvasClipboardCounters c = ReadClipboardCounters();
    EXPECT_TRUE(c.pending);
    EXPECT_EQ(c.pendingSize, 9u * 2u);  // 8 units and the terminator
    EXPECT_EQ(CanvasRegistry().clipboard.owner, w.hwnd);

    // Asked through the system: the owner answers WM_RENDERFORMAT.
    EXPECT_EQ(ReadClipboardText(nullptr), u"h\u00E9llo \U0001F600");
    ExpectClipboard(before, {false, 2, 1, 0, 0, 2});  // recorded, then rendered: two changes
    // A second request finds the data in place and renders nothing more.
    EXPECT_EQ(ReadClipboardText(nullptr), u"h\u00E9llo \U0001F600");
    EXPECT_EQ(ReadClipboardCounters().renderCount, before.renderCount + 1);
}

TEST(Clipboard, DirectRenderRequestsAreBoundsChecked) {
    CanvasWindow& w = testing::SharedCanvas();
    ASSERT_TRUE(SetPendingClipboardText("abc"));
    const CanvasClipboardCounters start = ReadClipboardCounters();
    // Other formats and other windows change nothing.
    SendMessageW(w.hwnd, WM_RENDERFORMAT, CF_TEXT, 0);
    HWND foreign = testing::OpenForeignWindow();
    CanvasWindow& other = testing::OpenFreshCanvas();
    SendMessageW(other.hwnd, WM_RENDERFORMAT, CF_UNICODETEXT, 0);
    SendMessageW(other.hwnd, WM_DESTROYCLIPBOARD, 0, 0);
    SendMessageW(other.hwnd, WM_RENDERALLFORMATS, 0, 0);
    ExpectClipboard(start, {true, 0, 0, 0, 0, 0});
    EXPECT_EQ(CanvasRegistry().clipboard.owner, w.hwnd);

    // The owner asked to render all formats hands the block over itself.
    SendMessageW(w.hwnd, WM_RENDERALLFORMATS, 0, 0);
    ExpectClipboard(start, {false, 2, 1, 0, 0, 1});
    EXPECT_EQ(ReadClipboardText(foreign), u"abc");
    DestroyWindow(foreign);
    DestroyCanvasWindow(other);
}

TEST(Clipboard, EmptyingTheClipboardReleasesThePendingBlock) {
    testing::SharedCanvas();
    ASSERT_TRUE(SetPendingClipboardText("drop me"));
    const CanvasClipboardCounters start = ReadClipboardCounters();
    HWND foreign = testing::OpenForeignWindow();
    ASSERT_TRUE(OpenClipboard(foreign));
    EmptyClipboard();  // sends WM_DESTROYCLIPBOARD to the owner
    CloseClipboard();
    ExpectClipboard(start, {false, 3, 0, 1, 0, 1});
    DestroyWindow(foreign);
}

TEST(Clipboard, DestroyingTheClipboardOwnerRendersItsTextFirst) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    ASSERT_TRUE(SetPendingClipboardText("last words"));
    const CanvasClipboardCounters start = ReadClipboardCounters();
    DestroyCanvasWindow(w);
    // The system asks the dying owner for every format before WM_DESTROY.
    ExpectClipboard(start, {false, 2, 1, 0, 0, 1});
    EXPECT_EQ(ReadClipboardText(nullptr), u"last words");
}

TEST(Clipboard, ABlockStillPendingAtDestructionIsFreedWithStatus4) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    // Recorded for this window while another window owns the clipboard, so
    // nothing can render it any more.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_NE(block, nullptr);
    CanvasClipboardState& state = CanvasRegistry().clipboard;
    state.pending = true;
    state.owner = w.hwnd;
    state.block = block;
    state.pendingSize = 8;
    const CanvasClipboardCounters start = ReadClipboardCounters();
    DestroyCanvasWindow(w);
    ExpectClipboard(start, {false, 4, 0, 0, 1, 1});
    EXPECT_EQ(state.block, nullptr);
    EXPECT_EQ(GlobalFlags(block), static_cast<UINT>(GMEM_INVALID_HANDLE));  // freed
}

TEST(Clipboard, InvalidUtf8IsRefused) {
    testing::SharedCanvas();
    const CanvasClipboardCounters start = ReadClipboardCounters();
    EXPECT_FALSE(SetPendingClipboardText("bad \xC3"));
    EXPECT_FALSE(SetPendingClipboardText("\xED\xA0\x80"));
    EXPECT_EQ(ReadClipboardCounters().changeCounter, start.changeCounter);
}

struct SessionCase {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool focused;
    int32_t kind;
    uint64_t value;
    bool flag;
    LRESULT result;
};

TEST(Session, NotificationsAreRecordedPerTheTable) {
    CanvasWindow& w = testing::SharedCanvas();
    // The table itself is checked without a window; here each message must reach
    // it as its own kind, with the window's focus and its answer returned.
    const SessionCase cases[] = {
        {WM_ACTIVATEAPP, 1, 0, true, 1, 1, true, 0},
        {WM_POWERBROADCAST, 10, 0, true, 2, 10, true, 1},
        {WM_POWERBROADCAST, 10, 0, false, 2, 10, false, 1},
        {WM_WTSSESSION_CHANGE, 1, 0, true, 3, 1, true, 0},
        {WM_WTSSESSION_CHANGE, 5, 0, false, 3, 5, true, 0},
        {WM_QUERYENDSESSION, 3, static_cast<LPARAM>(ENDSESSION_LOGOFF), true, 4, ENDSESSION_LOGOFF, false, 1},
        {WM_ENDSESSION, 0, 0, true, 5, 0, true, 0},
    };
    for (const SessionCase& k : cases) {
        const int64_t count = ReadSessionEvent().eventCount;
        w.focused = k.focused;
        const LRESULT result = SendMessageW(w.hwnd, k.message, k.wParam, k.lParam);
        const CanvasSessionRecord r = ReadSessionEvent();
        SCOPED_TRACE(::testing::Message() << "message " << k.message << " wParam " << k.wParam);
        EXPECT_EQ(result, k.result);
        EXPECT_EQ(r.eventCount, count + 1);
        EXPECT_EQ(r.kind, k.kind);
        EXPECT_EQ(r.value, k.value);
        EXPECT_EQ(r.flag, k.flag);
        EXPECT_EQ(r.windowId, w.id);
    }
    w.focused = true;
}

}  // namespace
}  // namespace rava
