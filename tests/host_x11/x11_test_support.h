// Helpers for the real-window X11 canvas tests: back-buffer pixels, a second
// X connection that acts as the user's side (window manager messages, other
// windows, event bursts), waiting on the host's event pump, xdotool.
#pragma once

#include <GL/gl.h>
#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "host/host.h"
#include "host/x11/canvas_window.h"
#include "runtime/runtime.h"
#include "tests/canvas_pixels.h"

namespace rava::test {

inline CanvasWindow& Current() { return *FindCanvasWindowById(CanvasRegistry().currentId); }

// Draws what the current window's batch holds, so that the back buffer
// shows every primitive drawn so far in the frame.
inline void FlushDrawing() { Current().renderer.Flush(); }

// The back-buffer pixel at client (x, y) of the current window.
inline Rgb BackPixel(int x, int y) {
    FlushDrawing();
    return ReadBackPixel(Current().height, x, y);
}

// Back-buffer pixels in [x0, x1) x [y0, y1) that differ from the background.
inline int CountDifferent(int x0, int y0, int x1, int y1, Rgb background) {
    FlushDrawing();
    return CountPixelsUnlike(Current().height, x0, y0, x1, y1, background);
}

// Pumps the host until the condition holds; false after five seconds.
inline bool PumpUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        PumpWindowMessages();
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Whether the tests run under a window manager (on_xvfb.sh --wm).
inline bool UnderWindowManager() {
    const char* value = std::getenv("RAVA_TEST_WINDOW_MANAGER");
    return value != nullptr && std::string(value) == "1";
}

inline void Xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

// The user's side of the display: a connection of its own.
class Observer {
public:
    Observer() : display_(XOpenDisplay(nullptr)) {}
    ~Observer() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    Display* display() const { return display_; }

    // What a window manager sends when the user closes the window.
    void SendDeleteWindow(::Window xid) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = xid;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        XSendEvent(display_, xid, False, NoEventMask, &event);
        XSync(display_, False);
    }

    // A mapped window of another program that takes the keyboard focus.
    ::Window FocusOtherWindow() {
        const ::Window other = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 50, 50, 0, 0, 0);
        XSelectInput(display_, other, StructureNotifyMask);
        XMapWindow(display_, other);
        XEvent event;
        XWindowEvent(display_, other, StructureNotifyMask, &event);
        while (event.type != MapNotify) XWindowEvent(display_, other, StructureNotifyMask, &event);
        XSetInputFocus(display_, other, RevertToParent, CurrentTime);
        XSync(display_, False);
        return other;
    }

    // A key event as the server delivers it to the window (state: modifiers
    // and layout group; a repeat's release and press share one time).
    void SendKey(::Window xid, unsigned int keycode, bool press, unsigned int state = 0, ::Time time = CurrentTime) {
        XEvent event{};
        event.xkey.type = press ? KeyPress : KeyRelease;
        event.xkey.display = display_;
        event.xkey.window = xid;
        event.xkey.root = DefaultRootWindow(display_);
        event.xkey.keycode = keycode;
        event.xkey.state = state;
        event.xkey.time = time;
        event.xkey.same_screen = True;
        XSendEvent(display_, xid, False, NoEventMask, &event);
        XSync(display_, False);
    }

    // The presented (front) pixel at client (x, y) of a window.
    Rgb FrontPixel(::Window xid, int x, int y) {
        XImage* image = XGetImage(display_, xid, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return {-1, -1, -1};
        const unsigned long p = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
    }

    // The client origin of an X window on the root window.
    void Origin(::Window xid, int& x, int& y) {
        ::Window child = 0;
        XTranslateCoordinates(display_, xid, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    }

private:
    Display* display_;
};

}  // namespace rava::test
