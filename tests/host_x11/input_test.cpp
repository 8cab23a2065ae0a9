// Input through the X server (xdotool's synthetic keyboard and pointer):
// keys and buttons are seen only while our window has the input focus, and
// the X keys map to the same key names as on every host.
#include <X11/keysym.h>
#include <gtest/gtest.h>

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
    Xdotool("mouseup 3");

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
    // The pointer off the window reads unclamped, outside the client area.
    Xdotool("mousemove " + std::to_string(originX + 1100) + " " + std::to_string(originY + 800));
    EXPECT_TRUE(PumpUntil([] { return MouseX() == 1100 && MouseY() == 800; }));
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
    Xdotool("keyup shift mouseup 1");
    XDestroyWindow(observer.display(), other);
    XSync(observer.display(), False);
}

}  // namespace
}  // namespace rava
