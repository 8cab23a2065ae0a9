// Key identifiers to virtual keys, which keys stay the browser's, counted
// presses, the first-active-pointer rule, the foreground switch and the
// mapping of a scaled canvas back to client pixels.
#include "host/web/page_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace rava {
namespace {

TEST(VirtualKeyForDomKey, LayoutLettersThenPhysicalCodes) {
    struct Case {
        const char* key;
        const char* code;
        uint32_t expected;
    };
    const Case cases[] = {
        {"c", "KeyC", 'C'},
        {"C", "KeyC", 'C'},
        // The layout decides for letters and digits (AZERTY's A sits on KeyQ)...
        {"a", "KeyQ", 'A'},
        {"7", "Digit7", '7'},
        // ...and the physical key where the layout gives no letter or digit.
        {"&", "Digit1", '1'},
        {"\xc3\xa9", "Digit2", '2'},
        {"Q", "", 'Q'},
        {"4", "Numpad4", '4'},
        {" ", "Space", 32},
        {"ArrowUp", "ArrowUp", 38},
        {"ArrowDown", "ArrowDown", 40},
        {"Enter", "NumpadEnter", 13},
        {"Escape", "Escape", 27},
        {"Shift", "ShiftRight", 16},
        {"F1", "F1", 112},
        {"F12", "F12", 123},
        {"F13", "F13", 0},
        {"F0", "F0", 0},
        {"x", "F1x", 'X'},
        {"Dead", "BracketLeft", 0},
        {"", "", 0},
        {"Unidentified", "Key", 0},
        {"", "Keya", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VirtualKeyForDomKey(c.key, c.code), c.expected) << c.key << " / " << c.code;
    }
}

TEST(KeyKeepsBrowserDefault, ProgramKeysAreTakenShortcutsAreNot) {
    EXPECT_FALSE(KeyKeepsBrowserDefault(32, false, false, false));  // Space would scroll
    EXPECT_FALSE(KeyKeepsBrowserDefault(40, false, false, false));
    EXPECT_FALSE(KeyKeepsBrowserDefault('R', false, false, false));
    EXPECT_TRUE(KeyKeepsBrowserDefault('R', true, false, false));  // reload
    EXPECT_TRUE(KeyKeepsBrowserDefault('D', false, true, false));
    EXPECT_TRUE(KeyKeepsBrowserDefault('W', false, false, true));
    EXPECT_TRUE(KeyKeepsBrowserDefault(116, false, false, false));  // F5
    EXPECT_TRUE(KeyKeepsBrowserDefault(9, false, false, false));    // Tab moves the focus
    EXPECT_TRUE(KeyKeepsBrowserDefault(0, false, false, false));
}

PageInputState Foreground() {
    PageInputState state;
    SetPageForeground(state, true);
    return state;
}

constexpr uint32_t kC = 'C';
constexpr uint32_t kR = 'R';

TEST(RecordPageKey, FirstPressCountsRepeatsAndBackgroundDoNot) {
    PageInputState state = Foreground();
    RecordPageKey(state, kC, true, false);
    RecordPageKey(state, kC, true, true);
    RecordPageKey(state, kC, true, false);  // a second keydown without keyup: still held
    EXPECT_TRUE(state.keyHeld[kC]);
    EXPECT_EQ(state.pressCounters[kC], 1);
    RecordPageKey(state, kC, false, false);
    EXPECT_FALSE(state.keyHeld[kC]);
    RecordPageKey(state, kC, true, false);
    EXPECT_EQ(state.pressCounters[kC], 2);
    // Out-of-range and unknown keys touch nothing.
    RecordPageKey(state, 0, true, false);
    RecordPageKey(state, 300, true, false);
    EXPECT_FALSE(state.keyHeld[0]);

    SetPageForeground(state, false);
    EXPECT_FALSE(state.keyHeld[kC]);
    EXPECT_EQ(state.pressCounters[kC], 0);
    RecordPageKey(state, kR, true, false);
    EXPECT_FALSE(state.keyHeld[kR]);
    EXPECT_EQ(state.pressCounters[kR], 0);
}

PagePointerEvent Pointer(PagePointerKind kind, int32_t id, bool touch, uint32_t buttons, int32_t x, int32_t y) {
    return PagePointerEvent{kind, id, touch, buttons, x, y};
}

TEST(RecordPagePointer, FirstActivePointerOwnsUntilReleased) {
    PageInputState state = Foreground();
    using K = PagePointerKind;
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kDown, 5, true, 1, 100, 200)));
    EXPECT_EQ(state.buttonsHeld, 1u);
    // A second finger neither moves the pointer nor lifts it.
    EXPECT_FALSE(RecordPagePointer(state, Pointer(K::kDown, 6, true, 1, 900, 50)));
    EXPECT_FALSE(RecordPagePointer(state, Pointer(K::kMove, 6, true, 1, 901, 51)));
    EXPECT_FALSE(RecordPagePointer(state, Pointer(K::kUp, 6, true, 0, 901, 51)));
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kMove, 5, true, 1, 120, 210)));
    EXPECT_EQ(state.pointerX, 120);
    EXPECT_EQ(state.pointerY, 210);
    EXPECT_EQ(state.buttonsHeld, 1u);
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kUp, 5, true, 0, 125, 215)));
    EXPECT_EQ(state.buttonsHeld, 0u);
    EXPECT_EQ(state.pointerX, 125);  // the lift point stays where the pointer is
    // Released: the other finger may take over.
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kDown, 6, true, 1, 300, 300)));
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kCancel, 6, true, 1, 300, 300)));
    EXPECT_EQ(state.buttonsHeld, 0u);
    EXPECT_FALSE(state.hasActivePointer);
}

TEST(RecordPagePointer, HoverFromMouseAndPenOnly) {
    PageInputState state = Foreground();
    using K = PagePointerKind;
    EXPECT_FALSE(RecordPagePointer(state, Pointer(K::kMove, 9, true, 0, 10, 10)));
    EXPECT_FALSE(state.pointerSeen);
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kMove, 1, false, 0, 40, 649)));
    EXPECT_TRUE(state.pointerSeen);
    EXPECT_EQ(state.pointerX, 40);
    // Mouse buttons as the browser reports them; a contact without buttons
    // (some pens) still holds the primary button.
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kDown, 1, false, 2 | 8, 40, 649)));
    EXPECT_EQ(state.buttonsHeld, 2u);
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kUp, 1, false, 0, 40, 649)));
    EXPECT_TRUE(RecordPagePointer(state, Pointer(K::kDown, 3, false, 0, 41, 650)));
    EXPECT_EQ(state.buttonsHeld, 1u);
    SetPageForeground(state, false);
    EXPECT_EQ(state.buttonsHeld, 0u);
    EXPECT_FALSE(state.hasActivePointer);
}

TEST(PageToClient, ScaledCanvasMapsBackToClientPixels) {
    int32_t x = 0, y = 0;
    ASSERT_TRUE(PageToClient(0.0, 0.0, 1000.0, 700.0, 1000, 700, x, y));
    EXPECT_EQ(x, 0);
    ASSERT_TRUE(PageToClient(999.9, 699.5, 1000.0, 700.0, 1000, 700, x, y));
    EXPECT_EQ(x, 999);
    EXPECT_EQ(y, 699);
    // A 500 px wide viewport shows the canvas at half size.
    ASSERT_TRUE(PageToClient(52.0, 150.0, 500.0, 350.0, 1000, 700, x, y));
    EXPECT_EQ(x, 104);
    EXPECT_EQ(y, 300);
    ASSERT_TRUE(PageToClient(-0.5, -3.0, 500.0, 350.0, 1000, 700, x, y));
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -6);
    ASSERT_TRUE(PageToClient(1e300, -1e300, 500.0, 350.0, 1000, 700, x, y));
    EXPECT_EQ(x, 1000000000);
    EXPECT_EQ(y, -1000000000);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(PageToClient(nan, 1.0, 500.0, 350.0, 1000, 700, x, y));
    EXPECT_FALSE(PageToClient(1.0, 1.0, 0.0, 350.0, 1000, 700, x, y));
    EXPECT_FALSE(PageToClient(1.0, 1.0, 500.0, -1.0, 1000, 700, x, y));
    EXPECT_FALSE(PageToClient(1.0, 1.0, inf, 350.0, 1000, 700, x, y));
}

}  // namespace
}  // namespace rava
