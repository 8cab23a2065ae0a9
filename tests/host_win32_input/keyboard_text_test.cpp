// Keyboard and text input on a real canvas window: press counting, repeat,
// modifiers, KeyPressed/KeyDown with the foreground rule, committed text with
// surrogates and its bound, IME messages and dropped files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/win32/window_messages.h"
#include "tests/host_win32_input/test_canvas.h"
// After the window headers it needs.
#include <imm.h>

namespace rava {
namespace {

constexpr LPARAM kFirstDown = 0x001E0001;
constexpr LPARAM kRepeatDown = 0x401E0001;
constexpr LPARAM kUp = static_cast<LPARAM>(0xC01E0001u);

TEST(Keyboard, HeldKeyCountsOnePressAndRepeatsWithTheFlag) {
    CanvasWindow& w = testing::SharedCanvas();
    SendMessageW(w.hwnd, WM_KEYDOWN, 'A', kFirstDown);
    EXPECT_EQ(w.pressCounters['A'], 1);
    EXPECT_FALSE(w.key.repeat);
    EXPECT_EQ(w.stamps.lastEventKind, 100);
    for (int i = 0; i < 5; ++i) {
        const int64_t stamp = w.stamps.inputStamp;
        SendMessageW(w.hwnd, WM_KEYDOWN, 'A', kRepeatDown);
        EXPECT_TRUE(w.key.repeat);
        EXPECT_EQ(w.stamps.lastEventKind, 100);
        EXPECT_GT(w.stamps.inputStamp, stamp);
    }
    EXPECT_EQ(w.pressCounters['A'], 1);
    SendMessageW(w.hwnd, WM_KEYUP, 'A', kUp);
    EXPECT_EQ(w.stamps.lastEventKind, 101);
    EXPECT_EQ(w.key.code, static_cast<uint32_t>('A'));
    EXPECT_EQ(w.key.extra1, 1u);
    EXPECT_EQ(w.key.extra2, 1u);
    EXPECT_EQ(w.key.extra3, 0u);
    EXPECT_TRUE(KeyPressed("a"));
    EXPECT_FALSE(KeyPressed("A"));
}

TEST(Keyboard, ThreePressesAnswerThreeTimesAndThreeHundredStopAt255) {
    CanvasWindow& w = testing::SharedCanvas();
    for (int i = 0; i < 3; ++i) {
        SendMessageW(w.hwnd, WM_KEYDOWN, VK_SPACE, kFirstDown);
        SendMessageW(w.hwnd, WM_KEYUP, VK_SPACE, kUp);
    }
    EXPECT_TRUE(KeyPressed("space"));
    EXPECT_TRUE(KeyPressed("SPACE"));
    EXPECT_TRUE(KeyPressed("Space"));
    EXPECT_FALSE(KeyPressed("space"));
    for (int i = 0; i < 300; ++i) SendMessageW(w.hwnd, WM_KEYDOWN, 'R', kFirstDown);
    EXPECT_EQ(w.pressCounters[VirtualKeyForName("R")], 255);
    int answered = 0;
    while (KeyPressed("r") && answered < 400) ++answered;
    EXPECT_EQ(answered, 255);
}

TEST(Keyboard, ModifierMaskFollowsShiftControlAndAltIncludingSystemKeys) {
    CanvasWindow& w = testing::SharedCanvas();
    SendMessageW(w.hwnd, WM_KEYDOWN, VK_SHIFT, kFirstDown);
    SendMessageW(w.hwnd, WM_SYSKEYDOWN, VK_MENU, kFirstDown);
    EXPECT_EQ(w.key.modifiers, 5u);
    // Alt+F4 is recorded, not passed on: the window stays open.
    SendMessageW(w.hwnd, WM_SYSKEYDOWN, VK_F4, 0x203E0001);
    EXPECT_TRUE(w.open);
    EXPECT_EQ(w.key.modifiers, 5u);
    SendMessageW(w.hwnd, WM_SYSKEYUP, VK_MENU, kUp);
    SendMessageW(w.hwnd, WM_KEYDOWN, VK_CONTROL, kFirstDown);
    EXPECT_EQ(w.key.modifiers, 3u);
    SendMessageW(w.hwnd, WM_KEYUP, VK_SHIFT, kUp);
    SendMessageW(w.hwnd, WM_KEYUP, VK_CONTROL, kUp);
    EXPECT_EQ(w.key.modifiers, 0u);
}

TEST(Keyboard, WideVirtualKeyCodesTouchNoCounter) {
    CanvasWindow& w = testing::SharedCanvas();
    SendMessageW(w.hwnd, WM_KEYDOWN, 0x141, kFirstDown);  // would alias 'A' if truncated to a byte
    SendMessageW(w.hwnd, WM_KEYDOWN, static_cast<WPARAM>(-1), kFirstDown);
    int total = 0;
    for (uint8_t c : w.pressCounters) total += c;
    EXPECT_EQ(total, 0);
    EXPECT_EQ(w.stamps.lastEventKind, 100);
}

TEST(Keyboard, FocusLossClearsCountsAndAnotherForegroundWindowHidesThem) {
    CanvasWindow& w = testing::SharedCanvas();
    SendMessageW(w.hwnd, WM_KEYDOWN, 'C', kFirstDown);
    SendMessageW(w.hwnd, WM_KEYDOWN, 'B', kFirstDown);
    SendMessageW(w.hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(w.pressCounters['C'], 0);
    EXPECT_EQ(w.pressCounters['B'], 0);
    SendMessageW(w.hwnd, WM_SETFOCUS, 0, 0);

    HWND foreign = testing::OpenForeignWindow();
    ASSERT_EQ(GetForegroundWindow(), foreign);
    EXPECT_FALSE(w.focused);
    w.pressCounters['C'] = 2;  // counted before the focus moved, not yet cleared
    w.focused = true;
    EXPECT_FALSE(AnyCanvasWindowInForeground());
    EXPECT_FALSE(KeyPressed("c"));       // not the foreground window
    EXPECT_EQ(w.pressCounters['C'], 2);  // and nothing consumed
    EXPECT_FALSE(KeyDown("c"));
    EXPECT_FALSE(PointerDown("left"));
    DestroyWindow(foreign);
    testing::BringToFront(w.hwnd);
    EXPECT_TRUE(AnyCanvasWindowInForeground());
}

TEST(Keyboard, InjectedKeyReachesCountersAndHeldState) {
    CanvasWindow& w = testing::SharedCanvas();
    ASSERT_EQ(GetForegroundWindow(), w.hwnd);
    // Held: the system repeats the key-down with the previous-state bit set.
    testing::InjectKey('B', true);
    ASSERT_TRUE(testing::DrainUntil([&] { return w.pressCounters['B'] == 1; }));
    EXPECT_FALSE(w.key.repeat);
    const int64_t firstStamp = w.stamps.inputStamp;
    testing::InjectKey('B', true);
    testing::InjectKey('B', true);
    ASSERT_TRUE(testing::DrainUntil([&] { return w.stamps.inputStamp >= firstStamp + 2; }));
    EXPECT_TRUE(w.key.repeat);
    EXPECT_EQ(w.stamps.lastEventKind, 100);
    EXPECT_EQ(w.pressCounters['B'], 1);
    EXPECT_TRUE(KeyDown("b"));
    EXPECT_FALSE(KeyDown("c"));
    EXPECT_FALSE(KeyDown("button1"));
    testing::InjectKey('B', false);
    ASSERT_TRUE(testing::DrainUntil([&] { return w.stamps.lastEventKind == 101; }));
    EXPECT_FALSE(KeyDown("B"));
    EXPECT_TRUE(KeyPressed("b"));
    EXPECT_FALSE(KeyPressed("b"));
}

TEST(TextInput, SurrogatePairsCombineAndLoneHalvesVanish) {
    CanvasWindow& w = testing::SharedCanvas();
    for (char16_t unit : std::u16string(u"a\U0001F600")) SendMessageW(w.hwnd, WM_CHAR, unit, 1);
    EXPECT_EQ(w.text.committed, "a\xF0\x9F\x98\x80");
    EXPECT_EQ(w.text.changeCounter, 2);
    SendMessageW(w.hwnd, WM_CHAR, 0xDE00, 1);  // lone low surrogate
    SendMessageW(w.hwnd, WM_IME_CHAR, 0xD83D, 1);
    SendMessageW(w.hwnd, WM_CHAR, 'b', 1);      // breaks the pair
    SendMessageW(w.hwnd, WM_CHAR, 0x1F600, 1);  // not a UTF-16 unit
    SendMessageW(w.hwnd, WM_CHAR, 0x08, 1);     // backspace is not text
    EXPECT_EQ(w.text.committed,
              "a\xF0\x9F\x98\x80"
              "b");
    EXPECT_EQ(w.text.changeCounter, 3);
}

TEST(TextInput, UniCharTakesWholeCodePoints) {
    CanvasWindow& w = testing::SharedCanvas();
    EXPECT_EQ(SendMessageW(w.hwnd, WM_UNICHAR, UNICODE_NOCHAR, 0), 1);
    SendMessageW(w.hwnd, WM_CHAR, 0xD83D, 1);
    EXPECT_EQ(SendMessageW(w.hwnd, WM_UNICHAR, 0x1F389, 0), 0);
    SendMessageW(w.hwnd, WM_CHAR, 0xDE00, 1);  // the earlier high half is gone
    SendMessageW(w.hwnd, WM_UNICHAR, 0x110000, 0);
    SendMessageW(w.hwnd, WM_UNICHAR, 0xDC00, 0);
    SendMessageW(w.hwnd, WM_UNICHAR, static_cast<WPARAM>(0x100000041ull), 0);  // not 'A'
    EXPECT_EQ(w.text.committed, "\xF0\x9F\x8E\x89");
}

TEST(TextInput, TextBeyond512BytesIsDropped) {
    CanvasWindow& w = testing::SharedCanvas();
    for (int i = 0; i < 170; ++i) SendMessageW(w.hwnd, WM_CHAR, 0x20AC, 1);  // 510 bytes
    EXPECT_EQ(w.text.committed.size(), 510u);
    SendMessageW(w.hwnd, WM_CHAR, 0x20AC, 1);  // would be 513
    SendMessageW(w.hwnd, WM_CHAR, 0xD83D, 1);
    SendMessageW(w.hwnd, WM_CHAR, 0xDE00, 1);  // would be 514
    EXPECT_EQ(w.text.committed.size(), 510u);
    SendMessageW(w.hwnd, WM_CHAR, 0xE9, 1);  // exactly 512
    SendMessageW(w.hwnd, WM_CHAR, 'x', 1);
    EXPECT_EQ(w.text.committed.size(), 512u);
    EXPECT_EQ(w.text.committed.substr(510), "\xC3\xA9");
    EXPECT_EQ(w.text.changeCounter, 171);
}

TEST(TextInput, ImeMessagesTrackTheCompositionState) {
    CanvasWindow& w = testing::SharedCanvas();
    const int64_t start = w.text.compositionCounter;
    SendMessageW(w.hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
    EXPECT_TRUE(w.text.composing);
    // A composition string without an input method reads as empty.
    SendMessageW(w.hwnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    EXPECT_TRUE(w.text.composing);
    EXPECT_EQ(w.text.composition, "");
    // Neither flag: handed to the system, nothing recorded.
    SendMessageW(w.hwnd, WM_IME_COMPOSITION, 0, 0x10);
    EXPECT_EQ(w.text.compositionCounter, start + 2);
    SendMessageW(w.hwnd, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
    EXPECT_FALSE(w.text.composing);
    EXPECT_EQ(w.text.compositionCounter, start + 3);
    SendMessageW(w.hwnd, WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_EQ(w.text.compositionCounter, start + 4);
    EXPECT_EQ(w.text.committed, "");
}

// One message may commit a result and start the next composition; a long
// composition in a three-byte script stays whole.
TEST(TextInput, CombinedResultAndCompositionCommitsThenKeepsComposing) {
    CanvasWindow& w = testing::SharedCanvas();
    const std::u16string kana(200, u'\u3042');
    std::string kanaUtf8;
    for (int i = 0; i < 200; ++i) kanaUtf8 += "\xE3\x81\x82";
    const struct {
        bool hasResult, hasComposition;
        bool composing;
        const char* committed;
        std::string composition;
    } cases[] = {{true, true, true, "ab", kanaUtf8}, {true, false, false, "ab", ""}, {false, true, true, "", kanaUtf8}};
    for (const auto& c : cases) {
        w.text = CanvasTextInput{};
        w.text.composing = true;
        w.text.composition = "old";
        ApplyImeComposition(w, ImeCompositionStrings{c.hasResult, u"ab", c.hasComposition, kana});
        EXPECT_EQ(w.text.committed, c.committed) << c.hasResult << c.hasComposition;
        EXPECT_EQ(w.text.composing, c.composing) << c.hasResult << c.hasComposition;
        EXPECT_EQ(w.text.composition, c.composition) << c.hasResult << c.hasComposition;
        EXPECT_EQ(w.text.compositionCounter, 1);
    }
    // The window procedure reads both strings of a combined message.
    w.text = CanvasTextInput{};
    SendMessageW(w.hwnd, WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_COMPSTR);
    EXPECT_TRUE(w.text.composing);
    EXPECT_EQ(w.text.compositionCounter, 1);
}

TEST(TextInput, CaretRectangleIsStoredForTheCurrentWindow) {
    CanvasWindow& w = testing::SharedCanvas();
    SetImeCaretRect(40, 50, 18);
    EXPECT_EQ(w.text.caretX, 40);
    EXPECT_EQ(w.text.caretY, 50);
    EXPECT_EQ(w.text.caretHeight, 18);
    // Positioning runs on the next composition start and must not disturb it.
    SendMessageW(w.hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
    EXPECT_TRUE(w.text.composing);
    SetImeCaretRect(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF);
    SendMessageW(w.hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
    SetImeCaretRect(-1, -1, 0);
    SendMessageW(w.hwnd, WM_IME_ENDCOMPOSITION, 0, 0);
}

TEST(TextInput, CompositionStringsAreReadThroughTheInputContext) {
    CanvasWindow& w = testing::SharedCanvas();
    HIMC context = ImmGetContext(w.hwnd);
    ASSERT_NE(context, nullptr);
    const std::u16string composing = u"ab\U0001F600";
    const BOOL set = ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<char16_t*>(composing.c_str()),
                                              static_cast<DWORD>(composing.size() * 2), nullptr, 0);
    ImmReleaseContext(w.hwnd, context);
    if (!set) GTEST_SKIP() << "the input method refuses composition strings";
    testing::Drain();
    SendMessageW(w.hwnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    EXPECT_TRUE(w.text.composing);
    EXPECT_EQ(w.text.composition, "ab\xF0\x9F\x98\x80");
    EXPECT_EQ(w.text.committed, "");
    // Completing makes the input method send the result string itself.
    context = ImmGetContext(w.hwnd);
    const BOOL completed = ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
    ImmReleaseContext(w.hwnd, context);
    testing::Drain();
    if (!completed) GTEST_SKIP() << "the input method cannot complete a composition";
    EXPECT_FALSE(w.text.composing);
    EXPECT_EQ(w.text.composition, "");
    EXPECT_EQ(w.text.committed, "ab\xF0\x9F\x98\x80");
}

// Builds the shell's drop block: a 20-byte header, then the paths as
// zero-terminated UTF-16 strings and a final zero.
HGLOBAL MakeDrop(const std::vector<std::u16string>& paths) {
    std::u16string list;
    for (const auto& p : paths) list += p + u'\0';
    list += u'\0';
    const size_t bytes = 20 + list.size() * 2;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* data = static_cast<uint8_t*>(GlobalLock(block));
    const DWORD offset = 20, wide = 1;
    std::memcpy(data, &offset, 4);
    std::memcpy(data + 16, &wide, 4);
    std::memcpy(data + 20, list.data(), list.size() * 2);
    GlobalUnlock(block);
    return block;
}

TEST(DroppedFiles, OneFileGivesItsPathOthersOnlyTheCount) {
    CanvasWindow& w = testing::SharedCanvas();
    struct Case {
        WPARAM handle;
        uint32_t count;
        const char* path;  // recorded with the flag set; "" leaves the flag clear
    };
    const Case cases[] = {
        {reinterpret_cast<WPARAM>(MakeDrop({u"C:\\d\u00E9p\\\U0001F600.txt"})), 1, "C:\\d\xC3\xA9p\\\xF0\x9F\x98\x80.txt"},
        {reinterpret_cast<WPARAM>(MakeDrop({u"C:\\a.txt", u"C:\\b.txt"})), 2, ""},  // clears the single-file record
        {0, 0, ""},  // forged handles
        {0x12345678, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        w.stamps.lastEventKind = 0;
        SendMessageW(w.hwnd, WM_DROPFILES, c.handle, 0);
        EXPECT_EQ(w.drop.count, c.count);
        EXPECT_EQ(w.drop.path, c.path);
        EXPECT_EQ(w.drop.flag, *c.path != 0);
        EXPECT_EQ(w.key.code, *c.path != 0 ? 1u : 0u);
        EXPECT_EQ(w.key.secondCode, c.count);
        EXPECT_EQ(w.stamps.lastEventKind, 210);
    }
}

}  // namespace
}  // namespace rava
