// Input through the X server (xdotool's synthetic keyboard and pointer):
// keys and buttons are seen only while our window has the input focus, and
// the X keys map to the same key names as on every host.
#include <gtest/gtest.h>
// After gtest: X.h defines None, a name gtest uses.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <string>

#include "host/core/key_names.h"
#include "host/x11/key_map.h"
#include "x11_test_support.h"

namespace rava {
namespace {

using test::Current;
using test::Observer;
using test::PumpUntil;
using test::Xdotool;

TEST(X11Input, KeysymsMapToTheCodesOfTheKeyNames) {
    const std::pair<unsigned long, const char*> keys[] = {
        {XK_a, "a"},
        {XK_Z, "z"},
        {XK_0, "0"},
        {XK_9, "9"},
        {XK_F1, "f1"},
        {XK_F12, "f12"},
        {XK_Left, "left"},
        {XK_Up, "up"},
        {XK_Right, "right"},
        {XK_Down, "down"},
        {XK_space, "space"},
        {XK_Return, "enter"},
        {XK_KP_Enter, "return"},
        {XK_Tab, "tab"},
        {XK_Home, "home"},
        {XK_End, "end"},
        {XK_Prior, "pageup"},
        {XK_Next, "pagedown"},
        {XK_Escape, "esc"},
        {XK_Shift_R, "shift"},
    };
    for (const auto& [keysym, name] : keys)
        EXPECT_EQ(int(VirtualKeyForKeysym(keysym)), VirtualKeyForName(name)) << name;
    EXPECT_EQ(VirtualKeyForKeysym(XK_eacute), 0u);
    EXPECT_EQ(ButtonBitForXButton(1), 1u);
    EXPECT_EQ(ButtonBitForXButton(3), 2u);
    EXPECT_EQ(ButtonBitForXButton(2), 4u);
    EXPECT_EQ(ButtonBitForXButton(4), 0u);
    EXPECT_FALSE(IsWheelButton(3));
    EXPECT_TRUE(IsWheelButton(4));
    EXPECT_TRUE(IsWheelButton(7));
    EXPECT_FALSE(IsWheelButton(8));
}

// Keys answer as Windows' virtual keys do under any layout: by the Latin
// letter or digit the key gives, else by its place on a US keyboard.
TEST(X11Input, KeysAnswerByLayoutThenByPlace) {
    struct Row {
        unsigned long level0, level1, effective;
        const char* place;
        const char* name;  // nullptr: no name answers
    };
    const Row rows[] = {
        {XK_q, XK_Q, XK_q, "AD01", "q"},                      // US
        {XK_a, XK_A, XK_a, "AD01", "a"},                      // French A sits where US has Q
        {XK_ampersand, XK_1, XK_ampersand, "AE01", "1"},      // French top row
        {XK_Cyrillic_ef, XK_Cyrillic_EF, XK_Cyrillic_ef, "AC01", "a"},
        {XK_Cyrillic_ka, XK_Cyrillic_KA, XK_Cyrillic_ka, "AD04", "r"},
        {XK_Cyrillic_be, XK_Cyrillic_BE, XK_Cyrillic_be, "AB08", nullptr},  // "," on US
        {XK_KP_Left, XK_KP_4, XK_KP_Left, "KP4", "left"},     // NumLock off
        {XK_KP_Home, XK_KP_7, XK_KP_7, "KP7", nullptr},       // NumLock on: a keypad digit
        {XK_KP_Enter, NoSymbol, XK_KP_Enter, "KPEN", "enter"},
    };
    for (const Row& row : rows) {
        uint32_t code = VirtualKeyForKeyLevels(row.level0, row.level1, row.effective);
        if (code == 0) code = VirtualKeyForKeyPosition(row.place);
        if (row.name != nullptr) {
            EXPECT_EQ(int(code), VirtualKeyForName(row.name)) << row.place;
        } else {
            EXPECT_TRUE(code == 0 || code >= 0x60) << row.place << " gave " << code;
        }
    }
    EXPECT_EQ(VirtualKeyForKeyPosition("AE10"), uint32_t('0'));
    EXPECT_EQ(VirtualKeyForKeyPosition("AC10"), 0u);
    EXPECT_EQ(VirtualKeyForKeyPosition("AE00"), 0u);
}

class X11InputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OpenCanvasWindow("input test"); }
    static void TearDownTestSuite() { DestroyAllCanvasWindows(); }
    void SetUp() override {
        ASSERT_TRUE(CurrentCanvasWindowOpen());
        // Give our window the keyboard again, as a click on it does.
        CanvasWindow& w = Current();
        observer.Origin(w.xid, originX, originY);
        Xdotool("mousemove " + std::to_string(originX + 500) + " " + std::to_string(originY + 90) + " click 1");
        ASSERT_TRUE(PumpUntil([&] { return w.focused; }));
        while (KeyPressed("a") || KeyPressed("space")) {
        }
    }
    Observer observer;
    int originX = 0;
    int originY = 0;
};

TEST_F(X11InputTest, FocusedWindowSeesPointerButtonsAndKeys) {
    Xdotool("mousemove " + std::to_string(originX + 321) + " " + std::to_string(originY + 123));
    EXPECT_TRUE(PumpUntil([] { return MouseX() == 321 && MouseY() == 123; }));
    Xdotool("mousedown 1");
    EXPECT_TRUE(PumpUntil([] { return PointerDown("left") && PointerDown("PRIMARY"); }));
    EXPECT_FALSE(PointerDown("right"));
    Xdotool("mouseup 1 mousedown 3");
    EXPECT_TRUE(PumpUntil([] { return !PointerDown("l") && PointerDown("secondary"); }));
    // A motion event's button state keeps the middle button held.
    Xdotool("mouseup 3 mousedown 2 mousemove_relative 5 5");
    EXPECT_TRUE(PumpUntil([] { return MouseX() == 326; }));
    EXPECT_TRUE(PointerDown("middle"));
    Xdotool("mouseup 2");

    Xdotool("keydown space");
    EXPECT_TRUE(PumpUntil([] { return KeyDown("SPACE"); }));
    Xdotool("keyup space key a key a");
    EXPECT_TRUE(PumpUntil([] { return !KeyDown("space") && Current().pressCounters['A'] == 2; }));
    // Each counted press is consumed once.
    EXPECT_TRUE(KeyPressed("A"));
    EXPECT_TRUE(KeyPressed("a"));
    EXPECT_FALSE(KeyPressed("a"));
    EXPECT_TRUE(KeyPressed("space"));
    EXPECT_FALSE(KeyPressed("nokey"));
    // The pointer off the window reads unclamped, outside the client area
    // (on whichever side the screen has room: a manager places the window).
    const int offX = originX >= 100 ? -50 : 1050;
    Xdotool("mousemove " + std::to_string(originX + offX) + " " + std::to_string(originY + 300));
    EXPECT_TRUE(PumpUntil([&] { return MouseX() == offX && MouseY() == 300; }));
}

TEST_F(X11InputTest, WithoutTheFocusEverythingAnswersNo) {
    Xdotool("mousemove " + std::to_string(originX + 50) + " " + std::to_string(originY + 60) + " mousedown 1");
    ASSERT_TRUE(PumpUntil([] { return PointerDown("left"); }));
    Xdotool("keydown shift");
    ASSERT_TRUE(PumpUntil([] { return KeyDown("shift"); }));
    const ::Window other = observer.FocusOtherWindow();
    ASSERT_TRUE(PumpUntil([] { return !Current().focused; }));
    EXPECT_FALSE(AnyCanvasWindowInForeground());
    EXPECT_EQ(MouseX(), -1);
    EXPECT_EQ(MouseY(), -1);
    EXPECT_FALSE(PointerDown("left"));
    EXPECT_FALSE(KeyDown("shift"));
    Xdotool("key a");
    // xdotool has flushed its events; a round trip lets the server deliver them.
    XSync(CanvasRegistry().display, False);
    PumpWindowMessages();
    EXPECT_FALSE(KeyPressed("a"));
    EXPECT_EQ(Current().pressCounters['A'], 0);
    // Scrolling over the window neither takes the focus nor counts as a button.
    const int64_t taken = CanvasRegistry().focusTaken;
    Xdotool("keyup shift mouseup 1 click 4 click 5");
    XSync(CanvasRegistry().display, False);
    EXPECT_TRUE(PumpUntil([] { return Current().stamps.lastEventKind == kEventWheel; }));
    EXPECT_FALSE(Current().focused);
    EXPECT_EQ(CanvasRegistry().focusTaken, taken);
    XDestroyWindow(observer.display(), other);
    XSync(observer.display(), False);
}

// Two keys of one name: releasing either leaves the name held while the other is.
TEST_F(X11InputTest, KeysOfOneNameAreHeldApart) {
    // (xdotool releases a shift key by whichever keycode it likes.)
    Display* d = observer.display();
    const ::Window xid = Current().xid;
    for (const auto& [keysym, press] : {std::pair{XK_Shift_L, true}, {XK_Shift_R, true}, {XK_Shift_R, false}})
        observer.SendKey(xid, XKeysymToKeycode(d, keysym), press);
    const int64_t stamp = Current().stamps.inputStamp;
    EXPECT_TRUE(PumpUntil([&] { return Current().stamps.lastEventKind == kEventKeyUp && Current().stamps.inputStamp > stamp; }));
    EXPECT_TRUE(KeyDown("shift"));
    observer.SendKey(xid, XKeysymToKeycode(d, XK_Shift_L), false);
    EXPECT_TRUE(PumpUntil([] { return !KeyDown("shift"); }));
}

// A held key counts once however long it repeats: past the server's
// repeat delay, and as the release/press pairs of servers without
// detectable auto-repeat.
TEST_F(X11InputTest, HeldKeysCountOnePress) {
    CanvasWindow& w = Current();
    Display* d = observer.display();
    XSelectInput(d, w.xid, KeyPressMask);
    Xdotool("keydown a");
    int seen = 0;
    EXPECT_TRUE(PumpUntil([&] {
        XEvent event;
        while (XCheckWindowEvent(d, w.xid, KeyPressMask, &event)) ++seen;
        return seen >= 3;
    })) << "the server repeated the key " << seen - 1 << " times";
    observer.SendKey(w.xid, XKeysymToKeycode(d, XK_a), false, 0, 12345);
    observer.SendKey(w.xid, XKeysymToKeycode(d, XK_a), true, 0, 12345);
    EXPECT_TRUE(PumpUntil([] { return Current().stamps.lastEventKind == kEventKeyDown; }));
    EXPECT_TRUE(KeyDown("a"));
    Xdotool("keyup a");
    EXPECT_TRUE(PumpUntil([] { return !KeyDown("a"); }));
    EXPECT_TRUE(KeyPressed("a"));
    EXPECT_FALSE(KeyPressed("a"));
    XSelectInput(d, w.xid, NoEventMask);
}

// With the focus at PointerRoot the keys go to the window under the pointer.
TEST_F(X11InputTest, PointerRootFocusFollowsThePointer) {
    // A window manager gives the focus to a window again at once.
    if (test::UnderWindowManager()) GTEST_SKIP() << "no PointerRoot focus under a window manager";
    // The pointer rests on the window (SetUp clicked it): the keys stay ours.
    XSetInputFocus(observer.display(), PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(observer.display(), False);
    Xdotool("key a");
    EXPECT_TRUE(PumpUntil([] { return KeyPressed("a"); }));
    Xdotool("mousemove " + std::to_string(originX + 1100) + " " + std::to_string(originY + 300));
    EXPECT_TRUE(PumpUntil([] { return !Current().focused; }));
    Xdotool("mousemove " + std::to_string(originX + 400) + " " + std::to_string(originY + 300));
    EXPECT_TRUE(PumpUntil([] { return AnyCanvasWindowInForeground(); }));
    Xdotool("key space");
    EXPECT_TRUE(PumpUntil([] { return KeyPressed("space"); }));
}

// Keys under other layouts, sent as the server delivers them: by keycode,
// which the layout's keysyms (or the key's place) turn into a name.
TEST_F(X11InputTest, LayoutsOfTheServerAnswerByKeyAndPlace) {
    Display* d = observer.display();
    const KeyCode one = XKeysymToKeycode(d, XK_1);
    const KeyCode a = XKeysymToKeycode(d, XK_a);
    const KeyCode keypad4 = XKeysymToKeycode(d, XK_KP_Left);
    auto press = [&](KeyCode keycode, unsigned int state) {
        observer.SendKey(Current().xid, keycode, true, state);
        observer.SendKey(Current().xid, keycode, false, state);
        PumpUntil([] { return Current().stamps.lastEventKind == kEventKeyUp; });
        PumpWindowMessages();
    };
    auto layout = [&](const char* name) {
        ASSERT_EQ(std::system((std::string("setxkbmap ") + name).c_str()), 0) << name;
        XSync(CanvasRegistry().display, False);
        PumpWindowMessages();
    };
    // The later suites type on the US layout, whatever happens here.
    struct Restore {
        ~Restore() { std::system("setxkbmap us"); }
    } restore;
    layout("fr");
    press(one, 0);
    EXPECT_TRUE(KeyPressed("1"));
    layout("ru");
    press(a, 0);
    EXPECT_TRUE(KeyPressed("a"));
    layout("us");
    press(keypad4, 0);
    EXPECT_TRUE(KeyPressed("left"));
    const unsigned int numLock = XkbKeysymToModifiers(d, XK_Num_Lock);
    press(keypad4, numLock);
    EXPECT_FALSE(KeyPressed("left"));
}

}  // namespace
}  // namespace rava
