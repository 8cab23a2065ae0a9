// Event handling of the X11 canvas host: each event type calls one small
// handler that records it into the window record or the registry. The close
// request of the window manager (WM_DELETE_WINDOW) closes the window as a
// close does on every desktop: hidden, no longer open, counters dropped.
// Size changes only record the size; the pump repaints once per burst.
#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "host/core/input_rules.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/key_map.h"

namespace rava {

namespace {

void ClearHeldInput() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    std::fill(std::begin(registry.heldKeycodes), std::end(registry.heldKeycodes), 0);
    registry.buttonsHeld = 0;
}

// The key's XKB name ("AC01"), one round trip; asked only for keys the
// layout gives no Latin letter, digit or named key.
std::string XkbKeyName(Display* display, KeyCode keycode) {
    XkbDescPtr desc = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (desc == nullptr) return {};
    std::string name;
    if (XkbGetNames(display, XkbKeyNamesMask, desc) == Success && desc->names != nullptr &&
        desc->names->keys != nullptr && keycode >= desc->min_key_code && keycode <= desc->max_key_code) {
        const char* raw = desc->names->keys[keycode].name;
        name.assign(raw, strnlen(raw, XkbKeyNameLength));
    }
    XkbFreeKeyboard(desc, 0, True);
    return name;
}

// The virtual-key code of a physical key under the layout group and
// modifiers of `state`.
uint32_t VirtualKeyForKeycode(Display* display, KeyCode keycode, unsigned int state) {
    int group = XkbGroupForCoreState(state);
    KeySym level0 = XkbKeycodeToKeysym(display, keycode, group, 0);
    if (level0 == NoSymbol && group != 0) {
        group = 0;
        level0 = XkbKeycodeToKeysym(display, keycode, 0, 0);
    }
    const KeySym level1 = XkbKeycodeToKeysym(display, keycode, group, 1);
    KeySym effective = NoSymbol;
    unsigned int consumed = 0;
    XkbLookupKeySym(display, keycode, state, &consumed, &effective);
    const uint32_t code = VirtualKeyForKeyLevels(level0, level1, effective);
    if (code != 0 || level0 == NoSymbol) return code;
    return VirtualKeyForKeyPosition(XkbKeyName(display, keycode));
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
    // A wheel step is a press and release at once: one wheel event, and no
    // reason to take the keyboard.
    if (IsWheelButton(e.button)) {
        if (down) StampCanvasWindow(w, kEventWheel);
        return;
    }
    const uint32_t bit = ButtonBitForXButton(e.button);
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (down) {
        registry.buttonsHeld |= bit;
        // A click with a main button gives the window the keyboard, as
        // clicking a window does on other desktops. A window manager does
        // that itself (and knows it did); without one nobody else would.
        if (bit != 0 && !registry.windowManager && !w.focused && w.xid != 0 && w.visible) {
            XSetInputFocus(registry.display, w.xid, RevertToParent, e.time);
            ++registry.focusTaken;
        }
    } else {
        registry.buttonsHeld &= ~bit;
    }
    StampCanvasWindow(w, down ? kEventPointerDown : kEventPointerUp);
}

void OnKey(CanvasWindow& w, const XKeyEvent& e, bool down) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    uint8_t& held = registry.heldKeycodes[e.keycode & 0xFF];
    if (down) {
        // With detectable auto-repeat a held key repeats as presses alone;
        // only its first press counts.
        const uint32_t code = VirtualKeyForKeycode(registry.display, static_cast<KeyCode>(e.keycode), e.state);
        if (code != 0 && held == 0) CountKeyPress(w.pressCounters, code);
        held = static_cast<uint8_t>(code);
    } else {
        held = 0;
    }
    StampCanvasWindow(w, down ? kEventKeyDown : kEventKeyUp);
}

// The keys held when the focus arrives, so KeyDown is right from the start.
void OnKeymap(const XKeymapEvent& e) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    std::fill(std::begin(registry.heldKeycodes), std::end(registry.heldKeycodes), 0);
    XkbStateRec state{};
    XkbGetState(registry.display, XkbUseCoreKbd, &state);
    const unsigned int coreState = XkbBuildCoreState(state.mods, state.group);
    for (int byte = 1; byte < 32; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            if ((e.key_vector[byte] & (1 << bit)) == 0) continue;
            const auto keycode = static_cast<KeyCode>(byte * 8 + bit);
            registry.heldKeycodes[keycode] = static_cast<uint8_t>(VirtualKeyForKeycode(registry.display, keycode, coreState));
        }
    }
}

// The window gets the keys while it has the focus, or while the focus is
// PointerRoot (or an ancestor of ours) and the pointer is in it. The server
// announces the latter as focus detail Pointer only when the focus changes;
// pointer crossings carry it in their focus flag.
void UpdateFocus(CanvasWindow& w) {
    const bool focused = w.focusExplicit || w.focusByPointer;
    if (w.focused && !focused) {
        ClearPressCounters(w);
        ClearHeldInput();
    }
    w.focused = focused;
    StampCanvasWindow(w, kEventNone);
    UpdatePointerLock(w);
}

void OnFocus(CanvasWindow& w, const XFocusChangeEvent& e, bool in) {
    // Focus moving between our window and its (nonexistent) children says
    // nothing about who has the keyboard.
    if (e.detail == NotifyInferior) return;
    if (e.detail == NotifyPointer) {
        w.focusByPointer = in;
    } else {
        w.focusExplicit = in;
    }
    UpdateFocus(w);
}

void OnCrossing(CanvasWindow& w, const XCrossingEvent& e) {
    RecordPointer(w, e.x, e.y, e.x_root, e.y_root, e.state);
    if (e.detail == NotifyInferior || w.focusExplicit) return;
    const bool byPointer = e.type == EnterNotify && e.focus;
    if (byPointer == w.focusByPointer) return;
    w.focusByPointer = byPointer;
    UpdateFocus(w);
}

void OnClose(CanvasWindow& w) {
    ClearPressCounters(w);
    if (w.focused) ClearHeldInput();
    w.closeRequested = true;
    w.open = false;
    w.visible = false;
    w.focused = false;
    w.focusExplicit = false;
    w.focusByPointer = false;
    UpdatePointerLock(w);
    StampCanvasWindow(w, kEventNone);
    if (w.xid != 0) {
        XUnmapWindow(CanvasRegistry().display, w.xid);
        XFlush(CanvasRegistry().display);
    }
}

void OnConfigure(CanvasWindow& w, const XConfigureEvent& e) {
    const int32_t width = e.width < 1 ? 1 : e.width;
    const int32_t height = e.height < 1 ? 1 : e.height;
    if (width != w.width || height != w.height) w.repaintPending = true;
    w.width = width;
    w.height = height;
    StampCanvasWindow(w, kEventNone);
}

// Someone else destroyed the X window: it is gone for every later call.
void OnDestroyed(CanvasWindow& w) {
    ClearPressCounters(w);
    if (w.focused) ClearHeldInput();
    w.xid = 0;
    w.open = false;
    w.visible = false;
    w.focused = false;
    w.focusExplicit = false;
    w.focusByPointer = false;
    UpdatePointerLock(w);
    StampCanvasWindow(w, kEventNone);
}

}  // namespace

void ClearPressCounters(CanvasWindow& w) { std::fill(std::begin(w.pressCounters), std::end(w.pressCounters), 0); }

bool CanvasKeyHeld(uint32_t virtualKey) {
    if (virtualKey == 0) return false;
    const auto& held = CanvasRegistry().heldKeycodes;
    return std::find(std::begin(held), std::end(held), virtualKey) != std::end(held);
}

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
            UpdatePointerLock(*w);
            break;
        case UnmapNotify:
            w->visible = false;
            StampCanvasWindow(*w, kEventNone);
            UpdatePointerLock(*w);
            break;
        case DestroyNotify:
            OnDestroyed(*w);
            break;
        case SelectionRequest:
            OnSelectionRequest(event.xselectionrequest);
            break;
        case SelectionClear:
            OnSelectionClear(*w, event.xselectionclear);
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
            OnCrossing(*w, event.xcrossing);
            break;
        default:
            break;
    }
}

}  // namespace rava
