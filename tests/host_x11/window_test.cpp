// Window life on a real X server: opening, titles, close requests from the
// window manager, size changes, several windows and their teardown order,
// windows destroyed by others, and event bursts.
#include <X11/Xatom.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/x11/canvas_gl.h"
#include "x11_test_support.h"

namespace rava {
namespace {

using test::BackPixel;
using test::Current;
using test::Observer;
using test::PumpUntil;
using test::RaisedMessage;
using test::Rgb;

std::string NetWmName(Display* display, ::Window xid) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, xid, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                       XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after, &data);
    std::string name = data != nullptr ? std::string(reinterpret_cast<char*>(data), count) : "<none>";
    if (data != nullptr) XFree(data);
    return name;
}

TEST(X11Window, GuardedOperationsRaiseBeforeAnyWindowIsOpen) {
    for (const auto& [name, call] : std::vector<std::pair<std::string, std::function<void()>>>{
             {"BeginFrame", [] { BeginFrame(0, 0, 0); }},
             {"EndFrame", [] { EndFrame(); }},
             {"DrawRectRgba", [] { DrawRectRgba(0, 0, 1, 1, 0, 0, 0); }},
             {"DrawText", [] { DrawText("a", 0, 0, 0, 0, 0, 0); }},
             {"DrawPixelsBgra8", [] { DrawPixelsBgra8({}, 0, 0, 0, 0, 0, 0); }},
             {"MouseX", [] { MouseX(); }},
         }) {
        EXPECT_EQ(RaisedMessage(call), "window.canvas: window/canvas runtime window is not open for " + name);
    }
    EXPECT_FALSE(CurrentCanvasWindowOpen());
    EXPECT_FALSE(KeyPressed("a"));
}

TEST(X11Window, OpensA1000By700TitledWindowAndReopeningRebindsIt) {
    Observer observer;
    // The pointer rests off the window, so no pointer event will tell where it is.
    test::Xdotool("mousemove 10 10");
    OpenCanvasWindow("Rovovavev / Rava + Dudura fluid \xE2\x9C\x93");
    ASSERT_TRUE(CurrentCanvasWindowOpen());
    CanvasWindow& w = Current();
    int originX = 0, originY = 0;
    observer.Origin(w.xid, originX, originY);
    ASSERT_TRUE(PumpUntil([&] { return w.focused; }));
    EXPECT_EQ(MouseX(), 10 - originX);
    EXPECT_EQ(MouseY(), 10 - originY);
    XWindowAttributes attributes{};
    XGetWindowAttributes(observer.display(), w.xid, &attributes);
    EXPECT_EQ(attributes.width, 1000);
    EXPECT_EQ(attributes.height, 700);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(NetWmName(observer.display(), w.xid), "Rovovavev / Rava + Dudura fluid \xE2\x9C\x93");
    const int32_t id = w.id;
    OpenCanvasWindow("another");
    EXPECT_EQ(CanvasRegistry().currentId, id);
    EXPECT_EQ(CanvasRegistry().windows.size(), 1u);
    EXPECT_EQ(glXGetCurrentContext(), w.context);
    DestroyAllCanvasWindows();

    OpenCanvasWindow("bad \xC3");
    EXPECT_EQ(NetWmName(observer.display(), Current().xid), "");
    DestroyAllCanvasWindows();
}

TEST(X11Window, CloseRequestEndsTheWindowAndDrawingRaises) {
    Observer observer;
    OpenCanvasWindow("close me");
    CanvasWindow& w = Current();
    ASSERT_TRUE(PumpUntil([&] { return w.focused; }));
    w.pressCounters['A'] = 2;
    observer.SendDeleteWindow(w.xid);
    ASSERT_TRUE(PumpUntil([] { return !CurrentCanvasWindowOpen(); }));
    EXPECT_TRUE(w.closeRequested);
    EXPECT_FALSE(w.visible);
    EXPECT_FALSE(w.focused);
    EXPECT_EQ(w.pressCounters['A'], 0);
    EXPECT_FALSE(AnyCanvasWindowInForeground());
    EXPECT_EQ(RaisedMessage([] { DrawRectRgba(0, 0, 1, 1, 0, 0, 0); }),
              "window.canvas: window/canvas runtime window is not open for DrawRectRgba");
    // The window leaves the screen.
    EXPECT_TRUE(PumpUntil([&] {
        XWindowAttributes attributes{};
        XGetWindowAttributes(observer.display(), w.xid, &attributes);
        return attributes.map_state == IsUnmapped;
    }));
    DestroyAllCanvasWindows();
    EXPECT_TRUE(CanvasRegistry().windows.empty());
}

TEST(X11Window, SizeChangesReachTheRecordAndTheNextFrame) {
    Observer observer;
    OpenCanvasWindow("resize me");
    CanvasWindow& w = Current();
    XResizeWindow(observer.display(), w.xid, 1200, 500);
    XSync(observer.display(), False);
    ASSERT_TRUE(PumpUntil([&] { return w.width == 1200 && w.height == 500; }));
    BeginFrame(90, 30, 200);
    EXPECT_EQ(BackPixel(1199, 499), (Rgb{90, 30, 200}));
    DrawRectRgba(1190, 0, 10, 10, 1, 2, 3);
    EXPECT_EQ(BackPixel(1195, 5), (Rgb{1, 2, 3}));
    EndFrame();
    DestroyAllCanvasWindows();
}

TEST(X11Window, SeveralWindowsAreDestroyedInIdOrder) {
    Observer observer;
    const ::Window root = DefaultRootWindow(observer.display());
    XSelectInput(observer.display(), root, SubstructureNotifyMask);
    std::vector<::Window> made;
    for (int i = 0; i < 3; ++i) {
        OpenCanvasWindow("one of several");
        made.push_back(Current().xid);
        // Closing the current window lets the next open make a new one.
        if (i < 2) {
            observer.SendDeleteWindow(Current().xid);
            ASSERT_TRUE(PumpUntil([] { return !CurrentCanvasWindowOpen(); }));
        }
    }
    EXPECT_EQ(CanvasRegistry().windows.size(), 3u);
    DestroyAllCanvasWindows();
    EXPECT_TRUE(CanvasRegistry().windows.empty());
    EXPECT_EQ(CanvasRegistry().currentId, 0);
    XSync(observer.display(), False);
    std::vector<::Window> destroyed;
    XEvent event;
    while (XCheckTypedEvent(observer.display(), DestroyNotify, &event))
        destroyed.push_back(event.xdestroywindow.window);
    EXPECT_EQ(destroyed, made);
}

TEST(X11Window, AWindowDestroyedByAnotherProgramIsClosedNotFatal) {
    Observer observer;
    OpenCanvasWindow("destroyed elsewhere");
    CanvasWindow& w = Current();
    XDestroyWindow(observer.display(), w.xid);
    XSync(observer.display(), False);
    ASSERT_TRUE(PumpUntil([&] { return w.xid == 0; }));
    EXPECT_FALSE(CurrentCanvasWindowOpen());
    EXPECT_NE(RaisedMessage([] { EndFrame(); }), "");
    DestroyAllCanvasWindows();
    EXPECT_TRUE(CanvasRegistry().windows.empty());
}

TEST(X11Window, ThousandsOfEventsAndFarPointerPositionsAreHarmless) {
    Observer observer;
    OpenCanvasWindow("burst");
    CanvasWindow& w = Current();
    ASSERT_TRUE(PumpUntil([&] { return w.focused; }));
    Display* d = observer.display();
    const Atom unknown = XInternAtom(d, "RAVA_UNKNOWN_MESSAGE", False);
    for (int i = 0; i < 6000; ++i) {
        XEvent event{};
        if (i % 3 == 0) {
            event.xclient.type = ClientMessage;
            event.xclient.window = w.xid;
            event.xclient.message_type = unknown;
            event.xclient.format = 32;
        } else {
            event.xmotion.type = MotionNotify;
            event.xmotion.window = w.xid;
            // Positions far outside the window and the screen, up to the
            // edges of the protocol's 16-bit coordinates.
            event.xmotion.x = i % 2 == 0 ? 32767 : -32768;
            event.xmotion.y = i;
            event.xmotion.x_root = event.xmotion.x + 140;
            event.xmotion.y_root = i + 162;
        }
        XSendEvent(d, w.xid, False, NoEventMask, &event);
    }
    XSync(d, False);
    // The last motion event carries y 5999; every event before it was handled.
    ASSERT_TRUE(PumpUntil([] { return MouseY() == 5999; }));
    EXPECT_TRUE(CurrentCanvasWindowOpen());
    EXPECT_EQ(MouseX(), -32768);
    BeginFrame(17, 27, 34);
    EXPECT_EQ(BackPixel(10, 10), (Rgb{17, 27, 34}));
    EndFrame();
    DestroyAllCanvasWindows();
}

TEST(X11Window, ServicesWithoutAnX11ImplementationAnswerCannot) {
    OpenCanvasWindow("services");
    EXPECT_FALSE(RequestPointerLock());
    EXPECT_FALSE(PointerLockEngaged());
    ReleasePointerLock();
    const CanvasRawMotion motion = TakeRawMotion();
    EXPECT_EQ(motion.x, 0);
    EXPECT_EQ(motion.y, 0);
    SetImeCaretRect(10, 10, 20);
    EXPECT_FALSE(SetPendingClipboardText("text"));
    EXPECT_FALSE(ReadClipboardCounters().pending);
    EXPECT_EQ(ReadClipboardCounters().changeCounter, 0);
    EXPECT_EQ(ReadSessionEvent().eventCount, 0);
    EXPECT_FALSE(EnableAccessibilitySlot("playground"));
    DestroyAllCanvasWindows();
}

}  // namespace
}  // namespace rava
