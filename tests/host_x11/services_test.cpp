// The desktop services on a real X server: the delayed clipboard read by a
// second client (xclip), pointer lock with XInput2 raw motion driven by
// xdotool, and translucent windows on a 32-bit ARGB visual.
#include <gtest/gtest.h>
// After gtest: X.h defines None, a name gtest uses.
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "host/x11/canvas_gl.h"
#include "x11_test_support.h"

extern char** environ;

namespace rava {
namespace {

using test::Current;
using test::Observer;
using test::PumpUntil;
using test::Xdotool;

// Runs a shell command while pumping our events (the command may wait on
// our answers); its standard output, or "<timeout>".
std::string RunWhilePumping(const std::string& command) {
    const std::string out = ::testing::TempDir() + "rava_services_out";
    const std::string line = command + " >" + out;
    const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return "<spawn>";
    int status = 0;
    const bool ended = PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return "<timeout>";
    }
    std::ifstream file(out, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class X11ServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        OpenCanvasWindow("services test");
        ASSERT_TRUE(CurrentCanvasWindowOpen());
        observer.Origin(Current().xid, originX, originY);
        Xdotool("mousemove " + std::to_string(originX + 500) + " " + std::to_string(originY + 90) + " click 1");
        ASSERT_TRUE(PumpUntil([] { return Current().focused; }));
    }
    void TearDown() override { DestroyAllCanvasWindows(); }
    Observer observer;
    int originX = 0;
    int originY = 0;
};

TEST_F(X11ServicesTest, ClipboardTextIsMadeWhenAnotherClientAsks) {
    const CanvasClipboardCounters before = ReadClipboardCounters();
    EXPECT_FALSE(SetPendingClipboardText("bad \xC3"));
    ASSERT_TRUE(SetPendingClipboardText("h\xC3\xA9llo \xE2\x9C\x93"));
    CanvasClipboardCounters c = ReadClipboardCounters();
    EXPECT_TRUE(c.pending);
    EXPECT_EQ(c.pendingSize, 16u);  // 7 UTF-16 units and the terminator
    EXPECT_EQ(c.changeCounter, before.changeCounter + 1);
    // Asking what is offered makes nothing yet.
    EXPECT_EQ(RunWhilePumping("xclip -selection clipboard -o -t TARGETS"), "TARGETS\nUTF8_STRING\nSTRING\n");
    EXPECT_TRUE(ReadClipboardCounters().pending);
    EXPECT_EQ(RunWhilePumping("xclip -selection clipboard -o"), "h\xC3\xA9llo \xE2\x9C\x93");
    c = ReadClipboardCounters();
    EXPECT_FALSE(c.pending);
    EXPECT_EQ(c.status, 2);
    EXPECT_EQ(c.renderCount, before.renderCount + 1);
    // Later requests get the same text, in Latin-1 where asked; no second render.
    EXPECT_EQ(RunWhilePumping("xclip -selection clipboard -o -t STRING"), "h\xE9llo ?");
    EXPECT_EQ(ReadClipboardCounters().renderCount, before.renderCount + 1);

    // Another client takes the selection before anyone asked: released by the clipboard.
    ASSERT_TRUE(SetPendingClipboardText("second"));
    EXPECT_EQ(RunWhilePumping("printf other | xclip -selection clipboard -i"), "");
    EXPECT_TRUE(PumpUntil([] { return ReadClipboardCounters().status == 3; }));
    c = ReadClipboardCounters();
    EXPECT_FALSE(c.pending);
    EXPECT_EQ(c.releaseCountClipboard, before.releaseCountClipboard + 1);
    EXPECT_EQ(RunWhilePumping("xclip -selection clipboard -o"), "other");
    // Taken back (xclip leaves), then the window goes before anyone asked.
    ASSERT_TRUE(SetPendingClipboardText("third"));
    DestroyAllCanvasWindows();
    c = ReadClipboardCounters();
    EXPECT_EQ(c.status, 4);
    EXPECT_EQ(c.releaseCountWindow, before.releaseCountWindow + 1);
    EXPECT_EQ(c.changeCounter, before.changeCounter + 6);
}

// Raw motion is summed only while the lock is engaged; the lock confines
// the pointer, lets go when the focus leaves and engages again on return.
TEST_F(X11ServicesTest, PointerLockConfinesAndSumsRawMotion) {
    Display* d = observer.display();
    auto pointer = [&] {
        ::Window root = 0, child = 0;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &wx, &wy, &mask);
        return std::pair{x, y};
    };
    CanvasRawMotion sum;
    auto gather = [&](int x, int y) {
        return PumpUntil([&] {
            const CanvasRawMotion m = TakeRawMotion();
            sum.x += m.x;
            sum.y += m.y;
            return sum.x == x && sum.y == y;
        });
    };
    ASSERT_TRUE(RequestPointerLock());
    EXPECT_TRUE(PointerLockEngaged());
    Xdotool("mousemove_relative -- 40 -25");
    EXPECT_TRUE(gather(40, -25)) << sum.x << ", " << sum.y;
    // Confined: a jump far outside ends on the window's edge.
    Xdotool("mousemove 0 0");
    XSync(d, False);
    EXPECT_EQ(pointer(), (std::pair{originX, originY}));

    const ::Window other = observer.FocusOtherWindow();
    ASSERT_TRUE(PumpUntil([] { return !PointerLockEngaged(); }));
    Xdotool("mousemove 3 4 mousemove_relative 10 10");
    XSync(d, False);
    EXPECT_EQ(pointer(), (std::pair{13, 14}));
    sum = {};
    PumpWindowMessages();
    EXPECT_EQ(TakeRawMotion().x, 0);

    // Back by a click: engaged again without asking.
    Xdotool("mousemove " + std::to_string(originX + 500) + " " + std::to_string(originY + 300) + " click 1");
    EXPECT_TRUE(PumpUntil([] { return PointerLockEngaged(); }));
    Xdotool("mousemove_relative -- -7 9");
    EXPECT_TRUE(gather(-7, 9)) << sum.x << ", " << sum.y;
    ReleasePointerLock();
    EXPECT_FALSE(PointerLockEngaged());
    Xdotool("mousemove 3 4");
    XSync(d, False);
    EXPECT_EQ(pointer(), (std::pair{3, 4}));
    XDestroyWindow(d, other);
    XSync(d, False);
}

// A translucent window has alpha: see-through until a frame covers it.
TEST_F(X11ServicesTest, TranslucentWindowsHaveAnAlphaChannel) {
    const ::Window opaque = Current().xid;
    XWindowAttributes attributes{};
    XGetWindowAttributes(observer.display(), opaque, &attributes);
    const int defaultDepth = attributes.depth;
    DestroyAllCanvasWindows();
    CanvasOpenOptions options;
    options.translucent = true;
    OpenCanvasWindow("translucent", options);
    CanvasWindow& w = Current();
    ASSERT_TRUE(w.translucent);
    XGetWindowAttributes(observer.display(), w.xid, &attributes);
    EXPECT_EQ(attributes.depth, 32);
    EXPECT_NE(defaultDepth, 32);
    auto alphaAt = [&](int x, int y) {
        XImage* image = XGetImage(observer.display(), w.xid, x, y, 1, 1, AllPlanes, ZPixmap);
        const unsigned long p = image != nullptr ? XGetPixel(image, 0, 0) : 0xFFFFFFFFul;
        if (image != nullptr) XDestroyImage(image);
        return int(p >> 24 & 0xFF);
    };
    // A size change repaints the background fully transparent.
    XResizeWindow(observer.display(), w.xid, 1000, 650);
    XSync(observer.display(), False);
    ASSERT_TRUE(PumpUntil([&] { return w.height == 650 && w.backgroundRepaints > 0; }));
    EXPECT_EQ(alphaAt(500, 300), 0);
    BeginFrame(17, 27, 34);
    DrawRectRgba(10, 10, 20, 20, 200, 100, 50);
    EndFrame();
    EXPECT_EQ(alphaAt(500, 300), 255);
    EXPECT_EQ(alphaAt(15, 15), 255);
}

}  // namespace
}  // namespace rava
