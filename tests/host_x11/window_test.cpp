// Window life on a real X server: opening, titles, close requests from the
// window manager, size changes, several windows and their teardown order,
// windows destroyed by others, and event bursts.
#include <gtest/gtest.h>
// After gtest: X.h defines None, a name gtest uses.
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <spawn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/x11/canvas_faults.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/window_hints.h"
#include "x11_test_support.h"

extern char** environ;

namespace rava {
namespace {

using test::BackPixel;
using test::Current;
using test::Observer;
using test::PumpUntil;
using test::RaisedMessage;
using test::Rgb;

std::string TextProperty(Display* display, ::Window xid, Atom property, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, xid, property, 0, 1024, False, type, &actual, &format, &count, &after, &data);
    std::string name = data != nullptr ? std::string(reinterpret_cast<char*>(data), count) : "<none>";
    if (data != nullptr) XFree(data);
    return name;
}

std::string NetWmName(Display* display, ::Window xid) {
    return TextProperty(display, xid, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False));
}

// Runs `body` in a fresh process of this test program (its own display
// connection and registry); the test passes when it exits with status 0.
// Problems are printed to standard error as they are found.
void InFreshProcess(const std::function<int()>& body) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // _Exit: the child's leak check would see the X and GL state of a
    // display that is gone on purpose.
    EXPECT_EXIT(
        {
            const int problems = body();
            std::fflush(stderr);
            std::_Exit(problems);
        },
        ::testing::ExitedWithCode(0), "");
}

// A private Xvfb with these arguments on the display RAVA_E2E_DISPLAY + 200,
// made the DISPLAY; its process id, or -1.
pid_t StartPrivateServer(const std::vector<std::string>& arguments) {
    const char* base = std::getenv("RAVA_E2E_DISPLAY");
    const std::string name = ":" + std::to_string((base != nullptr ? std::atoi(base) : 93) + 200);
    std::vector<std::string> words = {"Xvfb", name, "-nolisten", "tcp", "-noreset"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, "Xvfb", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    setenv("DISPLAY", name.c_str(), 1);
    for (int i = 0; i < 100; ++i) {
        if (Display* d = XOpenDisplay(nullptr)) {
            XCloseDisplay(d);
            return pid;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGTERM);
    return -1;
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
    const int64_t taken = CanvasRegistry().focusTaken;
    OpenCanvasWindow("Rovovavev / Rava + Dudura fluid \xE2\x9C\x93 caf\xC3\xA9");
    ASSERT_TRUE(CurrentCanvasWindowOpen());
    CanvasWindow& w = Current();
    int originX = 0, originY = 0;
    observer.Origin(w.xid, originX, originY);
    // The focus comes from the window manager where one runs; only where
    // none does does the window take it.
    ASSERT_TRUE(PumpUntil([&] { return w.focused; }));
    EXPECT_EQ(CanvasRegistry().windowManager, test::UnderWindowManager());
    EXPECT_EQ(CanvasRegistry().focusTaken - taken, test::UnderWindowManager() ? 0 : 1);
    EXPECT_EQ(MouseX(), 10 - originX);
    EXPECT_EQ(MouseY(), 10 - originY);
    XWindowAttributes attributes{};
    XGetWindowAttributes(observer.display(), w.xid, &attributes);
    EXPECT_EQ(attributes.width, 1000);
    EXPECT_EQ(attributes.height, 700);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(NetWmName(observer.display(), w.xid), "Rovovavev / Rava + Dudura fluid \xE2\x9C\x93 caf\xC3\xA9");
    EXPECT_EQ(TextProperty(observer.display(), w.xid, XA_WM_NAME, XA_STRING), "Rovovavev / Rava + Dudura fluid ? caf\xE9");
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

TEST(X11Window, ASizeChangeDuringAFrameLeavesItsDrawing) {
    Observer observer;
    OpenCanvasWindow("resized in a frame");
    CanvasWindow& w = Current();
    BeginFrame(17, 27, 34);
    DrawRectRgba(10, 10, 20, 20, 200, 100, 50);
    XResizeWindow(observer.display(), w.xid, 1100, 700);
    XSync(observer.display(), False);
    ASSERT_TRUE(PumpUntil([&] { return w.width == 1100; }));
    DrawRectRgba(40, 10, 20, 20, 50, 100, 200);
    EXPECT_EQ(BackPixel(15, 15), (Rgb{200, 100, 50}));
    EXPECT_EQ(BackPixel(45, 15), (Rgb{50, 100, 200}));
    EndFrame();
    DestroyAllCanvasWindows();
}

// A burst of size changes costs one background repaint per pump, not one
// per event, and the repaint clears both buffers to the background.
TEST(X11Window, ABurstOfSizeChangesRepaintsBothBuffersOnce) {
    Observer observer;
    OpenCanvasWindow("burst of sizes");
    CanvasWindow& w = Current();
    for (int i = 0; i < 2; ++i) {
        BeginFrame(200, 0, 0);
        EndFrame();
    }
    // (Reading also makes the driver take the drawable's size now, so the
    // repaint's first clear is at the old size, its second at the new one.)
    ASSERT_EQ(observer.FrontPixel(w.xid, 990, 600), (Rgb{200, 0, 0}));
    ASSERT_EQ(BackPixel(990, 600), (Rgb{200, 0, 0}));
    const int64_t repaints = w.backgroundRepaints;
    // The burst is queued at once (a window manager would pace real
    // resizes), then the real size change follows.
    for (int i = 0; i < 200; ++i) {
        XEvent event{};
        event.xconfigure.type = ConfigureNotify;
        event.xconfigure.event = w.xid;
        event.xconfigure.window = w.xid;
        event.xconfigure.width = 1000 + i % 2;
        event.xconfigure.height = 700;
        XSendEvent(observer.display(), w.xid, False, StructureNotifyMask, &event);
    }
    XResizeWindow(observer.display(), w.xid, 1100, 650);
    XSync(observer.display(), False);
    ASSERT_TRUE(PumpUntil([&] { return w.width == 1100 && w.height == 650 && w.backgroundRepaints > repaints; }));
    EXPECT_LT(w.backgroundRepaints - repaints, 10);
    const Rgb background{10, 11, 13};
    glReadBuffer(GL_BACK);
    EXPECT_EQ(BackPixel(990, 600), background);
    EXPECT_EQ(BackPixel(1090, 640), background);
    EXPECT_EQ(observer.FrontPixel(w.xid, 990, 600), background);
    EXPECT_EQ(observer.FrontPixel(w.xid, 1090, 640), background);
    DestroyAllCanvasWindows();
}

// Unmapped (minimized) windows present nothing until they are back.
TEST(X11Window, AnUnmappedWindowSkipsThePresent) {
    Observer observer;
    OpenCanvasWindow("unmapped");
    CanvasWindow& w = Current();
    XUnmapWindow(observer.display(), w.xid);
    XSync(observer.display(), False);
    ASSERT_TRUE(PumpUntil([&] { return !w.visible; }));
    const int64_t presents = w.presents;
    BeginFrame(1, 2, 3);
    EndFrame();
    EXPECT_EQ(w.presents, presents);
    XMapWindow(observer.display(), w.xid);
    XSync(observer.display(), False);
    ASSERT_TRUE(PumpUntil([&] { return w.visible; }));
    BeginFrame(1, 2, 3);
    EndFrame();
    EXPECT_EQ(w.presents, presents + 1);
    DestroyAllCanvasWindows();
}

TEST(X11Window, NewWindowsCentreOnTheMonitorUnderThePointer) {
    const MonitorArea pair[] = {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
    const MonitorArea screen{0, 0, 3840, 1080};
    const auto place = [&](int px, int py) {
        const WindowPlace p = CentreOnMonitor(pair, px, py, screen, 1000, 700);
        return std::pair{p.x, p.y};
    };
    EXPECT_EQ(place(100, 100), (std::pair{460, 190}));
    EXPECT_EQ(place(3000, 500), (std::pair{2380, 190}));
    EXPECT_EQ(place(5000, 500), (std::pair{460, 190}));  // on no monitor: the first
    EXPECT_EQ(CentreOnMonitor({}, 0, 0, {0, 0, 800, 600}, 1000, 700).x, 0);
    EXPECT_EQ(Latin1Title("a\xC3\xA9\xC3\xBF\xC4\x80\xE2\x9C\x93\xF0\x9F\x98\x80z"), "a\xE9\xFF???z");
    if (test::UnderWindowManager()) return;  // the manager places windows itself

    // The real server with a monitor of its own: the window opens on it.
    Observer observer;
    Display* d = observer.display();
    const ::Window root = DefaultRootWindow(d);
    XRRMonitorInfo* monitor = XRRAllocateMonitor(d, 0);
    monitor->name = XInternAtom(d, "RAVA-TEST", False);
    monitor->x = 200;
    monitor->y = 250;
    monitor->width = 1060;
    monitor->height = 760;
    monitor->mwidth = 300;
    monitor->mheight = 200;
    XRRSetMonitor(d, root, monitor);
    XSync(d, False);
    test::Xdotool("mousemove 700 700");
    OpenCanvasWindow("centred");
    int x = 0, y = 0;
    observer.Origin(Current().xid, x, y);
    EXPECT_EQ(x, 230);
    EXPECT_EQ(y, 280);
    XRRDeleteMonitor(d, root, monitor->name);
    XFree(monitor);
    XSync(d, False);
    DestroyAllCanvasWindows();
}

int otherConnectionErrors = 0;
int CountOtherError(Display*, XErrorEvent*) {
    ++otherConnectionErrors;
    return 0;
}

// Errors of our requests are caught and named; other connections' errors
// reach the handler they had, also while our windows are open.
TEST(X11Window, ErrorsOfOurRequestsAreNamedAndOthersLeftAlone) {
    const XErrorHandler before = XSetErrorHandler(CountOtherError);
    SetCanvasFaultsForTesting(kFaultWindowBadMatch);
    const std::string message = RaisedMessage([] { OpenCanvasWindow("bad match"); });
    SetCanvasFaultsForTesting(kFaultNone);
    EXPECT_EQ(message,
              "window.canvas: failed to create window/canvas X window: BadMatch (invalid parameter attributes) in "
              "X_CreateWindow");
    EXPECT_TRUE(CanvasRegistry().windows.empty());
    OpenCanvasWindow("errors");
    Observer observer;
    const ::Window gone = XCreateSimpleWindow(observer.display(), DefaultRootWindow(observer.display()), 0, 0, 5, 5, 0, 0, 0);
    XDestroyWindow(observer.display(), gone);
    XDestroyWindow(observer.display(), gone);
    XSync(observer.display(), False);
    EXPECT_EQ(otherConnectionErrors, 1);
    DestroyAllCanvasWindows();
    // With no window left our handler is gone too.
    EXPECT_EQ(XSetErrorHandler(before), CountOtherError);
}

// Losing the server raises once, naming the display; later calls fail cleanly.
TEST(X11WindowDeathTest, ALostDisplayRaisesThenEveryCallFailsCleanly) {
    InFreshProcess([] {
        int problems = 0;
        auto check = [&](bool ok, const std::string& what) {
            if (!ok) std::fprintf(stderr, "problem: %s\n", what.c_str());
            problems += ok ? 0 : 1;
        };
        OpenCanvasWindow("lost");
        Observer observer;
        XKillClient(observer.display(), Current().xid);
        XSync(observer.display(), False);
        std::string message;
        for (int i = 0; i < 500 && message.empty(); ++i) {
            message = RaisedMessage([] { PumpWindowMessages(); });
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        check(message == "window.canvas: window/canvas lost the connection to X display " +
                             std::string(std::getenv("DISPLAY")),
              "first message: " + message);
        check(RaisedMessage([] { PumpWindowMessages(); }).empty(), "a later pump raised");
        check(!CurrentCanvasWindowOpen(), "window still open");
        check(!KeyDown("a") && !PointerDown("left") && !AnyCanvasWindowInForeground(), "queries answered yes");
        check(RaisedMessage([] { DrawRectRgba(0, 0, 1, 1, 0, 0, 0); }) ==
                  "window.canvas: window/canvas runtime window is not open for DrawRectRgba",
              "drawing");
        check(RaisedMessage([] { OpenCanvasWindow("again"); }) == message, "opening again");
        DestroyAllCanvasWindows();
        check(CanvasRegistry().windows.empty(), "windows left");
        return problems;
    });
}

// A screen whose default visual has depth 30 offers 10-bit configs only.
TEST(X11WindowDeathTest, ADepth30ScreenOpensAWindow) {
    InFreshProcess([] {
        const pid_t server = StartPrivateServer({"-screen", "0", "1280x1024x30"});
        if (server < 0) return 100;
        const std::string message = RaisedMessage([] { OpenCanvasWindow("deep"); });
        int problems = message.empty() ? 0 : 1;
        if (!message.empty()) std::fprintf(stderr, "problem: %s\n", message.c_str());
        if (problems == 0) {
            BeginFrame(17, 27, 34);
            DrawRectRgba(10, 10, 20, 20, 200, 100, 50);
            const Rgb p = BackPixel(15, 15);
            if (std::abs(p.r - 200) > 1 || std::abs(p.g - 100) > 1 || std::abs(p.b - 50) > 1) {
                std::fprintf(stderr, "problem: drawn pixel %d,%d,%d\n", p.r, p.g, p.b);
                ++problems;
            }
        }
        kill(server, SIGTERM);
        return problems;
    });
}

TEST(X11Window, SeveralWindowsAreDestroyedInIdOrder) {
    Observer observer;
    std::vector<::Window> made;
    for (int i = 0; i < 3; ++i) {
        OpenCanvasWindow("one of several");
        made.push_back(Current().xid);
        // (A window manager reparents them, so their own structure events tell.)
        XSelectInput(observer.display(), Current().xid, StructureNotifyMask);
        XSync(observer.display(), False);
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
    while (XCheckTypedEvent(observer.display(), DestroyNotify, &event)) {
        if (event.xdestroywindow.event == event.xdestroywindow.window) destroyed.push_back(event.xdestroywindow.window);
    }
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
    SetImeCaretRect(10, 10, 20);
    EXPECT_EQ(ReadSessionEvent().eventCount, 0);
    EXPECT_FALSE(EnableAccessibilitySlot("playground"));
    DestroyAllCanvasWindows();
}

}  // namespace
}  // namespace rava
