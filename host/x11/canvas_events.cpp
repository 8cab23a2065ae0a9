// Event handling of the X11 canvas host: each event type calls one small
// handler that records it into the window record or the registry. The close
// request of the window manager (WM_DELETE_WINDOW) closes the window as a
// close does on every desktop: hidden, no longer open, counters dropped.
#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include <algorithm>

#include "host/core/input_rules.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/key_map.h"

namespace rava {

namespace {

void ClearHeldInput() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    std::fill(std::begin(registry.keyHeld), std::end(registry.keyHeld), false);
    registry.buttonsHeld = 0;
}

// Every pointer event tells where the pointer is and where our client
// origin lies on the root window (event root position minus event position).
void RecordPointer(CanvasWindow& w, int x, int y, int xRoot, int yRoot, unsigned int state) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    w.rootX = xRoot - x;
    w.rootY = yRoot - y;
    registry.pointerRootX = xRoot;
    registry.pointerRootY = yRoot;
    uint32_t held = 0;
    if (state & Button1Mask) held |= 1;
    if (state & Button3Mask) held |= 2;
    if (state & Button2Mask) held |= 4;
    registry.buttonsHeld = held;
}

void OnButton(CanvasWindow& w, const XButtonEvent& e, bool down) {
    RecordPointer(w, e.x, e.y, e.x_root, e.y_root, e.state);
    const uint32_t bit = ButtonBitForXButton(e.button);
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (down) {
        registry.buttonsHeld |= bit;
        // A click gives the window the keyboard, as clicking a window does on
        // other desktops; without a window manager nobody else would.
        if (!w.focused && w.xid != 0 && w.visible) {
            XSetInputFocus(registry.display, w.xid, RevertToParent, e.time);
        }
    } else {
        registry.buttonsHeld &= ~bit;
    }
    StampCanvasWindow(w, down ? kEventPointerDown : kEventPointerUp);
}

void OnKey(CanvasWindow& w, XKeyEvent e, bool down) {
    const uint32_t code = VirtualKeyForKeysym(XLookupKeysym(&e, 0));
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (down) {
        // With detectable auto-repeat a held key repeats as presses alone.
        if (code != 0 && !registry.keyHeld[code]) CountKeyPress(w.pressCounters, code);
        registry.keyHeld[code] = code != 0;
    } else {
        registry.keyHeld[code] = false;
    }
    StampCanvasWindow(w, down ? kEventKeyDown : kEventKeyUp);
}

// The keys held when the focus arrives, so KeyDown is right from the start.
void OnKeymap(const XKeymapEvent& e) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    std::fill(std::begin(registry.keyHeld), std::end(registry.keyHeld), false);
    for (int byte = 1; byte < 32; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            if ((e.key_vector[byte] & (1 << bit)) == 0) continue;
            const auto keycode = static_cast<KeyCode>(byte * 8 + bit);
            const uint32_t code = VirtualKeyForKeysym(XkbKeycodeToKeysym(registry.display, keycode, 0, 0));
            if (code != 0) registry.keyHeld[code] = true;
        }
    }
}

void OnFocus(CanvasWindow& w, const XFocusChangeEvent& e, bool in) {
    // Focus moving between our window and its (nonexistent) children, or a
    // pointer-root focus, says nothing about who has the keyboard.
    if (e.detail == NotifyInferior || e.detail == NotifyPointer) return;
    w.focused = in;
    if (!in) {
        ClearPressCounters(w);
        ClearHeldInput();
    }
    StampCanvasWindow(w, kEventNone);
}

void OnClose(CanvasWindow& w) {
    ClearPressCounters(w);
    if (w.focused) ClearHeldInput();
    w.closeRequested = true;
    w.open = false;
    w.visible = false;
    w.focused = false;
    StampCanvasWindow(w, kEventNone);
    if (w.xid != 0) {
        XUnmapWindow(CanvasRegistry().display, w.xid);
        XFlush(CanvasRegistry().display);
    }
}

void OnConfigure(CanvasWindow& w, const XConfigureEvent& e) {
    const int32_t width = e.width < 1 ? 1 : e.width;
    const int32_t height = e.height < 1 ? 1 : e.height;
    const bool resized = width != w.width || height != w.height;
    w.width = width;
    w.height = height;
    StampCanvasWindow(w, kEventNone);
    if (resized) RepaintCanvasBackground(w);
}

// Someone else destroyed the X window: it is gone for every later call.
void OnDestroyed(CanvasWindow& w) {
    ClearPressCounters(w);
    if (w.focused) ClearHeldInput();
    w.xid = 0;
    w.open = false;
    w.visible = false;
    w.focused = false;
    StampCanvasWindow(w, kEventNone);
}

}  // namespace

void ClearPressCounters(CanvasWindow& w) { std::fill(std::begin(w.pressCounters), std::end(w.pressCounters), 0); }

void HandleCanvasEvent(const XEvent& event) {
    if (event.type == KeymapNotify) {
        OnKeymap(event.xkeymap);
        return;
    }
    CanvasWindow* w = FindCanvasWindowByXid(event.xany.window);
    if (w == nullptr) return;
    switch (event.type) {
        case ClientMessage:
            if (event.xclient.message_type == CanvasRegistry().wmProtocols && event.xclient.format == 32 &&
                static_cast<Atom>(event.xclient.data.l[0]) == CanvasRegistry().wmDeleteWindow) {
                OnClose(*w);
            }
            break;
        case ConfigureNotify:
            OnConfigure(*w, event.xconfigure);
            break;
        case MapNotify:
            w->visible = w->open;
            StampCanvasWindow(*w, kEventNone);
            break;
        case UnmapNotify:
            w->visible = false;
            StampCanvasWindow(*w, kEventNone);
            break;
        case DestroyNotify:
            OnDestroyed(*w);
            break;
        case FocusIn:
        case FocusOut:
            OnFocus(*w, event.xfocus, event.type == FocusIn);
            break;
        case KeyPress:
        case KeyRelease:
            OnKey(*w, event.xkey, event.type == KeyPress);
            break;
        case ButtonPress:
        case ButtonRelease:
            OnButton(*w, event.xbutton, event.type == ButtonPress);
            break;
        case MotionNotify:
            RecordPointer(*w, event.xmotion.x, event.xmotion.y, event.xmotion.x_root, event.xmotion.y_root,
                          event.xmotion.state);
            StampCanvasWindow(*w, kEventPointerMove);
            break;
        case EnterNotify:
        case LeaveNotify:
            RecordPointer(*w, event.xcrossing.x, event.xcrossing.y, event.xcrossing.x_root, event.xcrossing.y_root,
                          event.xcrossing.state);
            break;
        default:
            break;
    }
}

}  // namespace rava
