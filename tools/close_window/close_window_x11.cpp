// rava_close_window TITLE: finds a top-level X window by its exact title
// (_NET_WM_NAME or WM_NAME) and sends it the window manager's close request
// (WM_DELETE_WINDOW), as a title bar's close button does. Waits up to five
// seconds for the window to appear. Exit status 0 when sent, 1 when not
// found, 2 on usage.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool HasTitle(Display* display, Window window, Atom netWmName, Atom utf8, const char* title) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(display, window, netWmName, 0, 4096, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        match = std::string(reinterpret_cast<char*>(data), count) == title;
    }
    if (data != nullptr) XFree(data);
    if (match) return true;
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) {
        match = std::strcmp(name, title) == 0;
        XFree(name);
    }
    return match;
}

// Depth-first: a window manager puts client windows under its frames.
Window Find(Display* display, Window parent, Atom netWmName, Atom utf8, const char* title) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        if (HasTitle(display, children[i], netWmName, utf8, title)) {
            found = children[i];
        } else {
            found = Find(display, children[i], netWmName, utf8, title);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: rava_close_window TITLE\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("rava_close_window: cannot open the display\n", stderr);
        return 1;
    }
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (Window window = Find(display, DefaultRootWindow(display), netWmName, utf8, argv[1])) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, window, False, NoEventMask, &event);
            XSync(display, False);
            XCloseDisplay(display);
            return 0;
        }
        usleep(100000);
    }
    XCloseDisplay(display);
    std::fputs("rava_close_window: no window with that title\n", stderr);
    return 1;
}
