// Pointer lock on X11: an active pointer grab confined to the lock window
// with a blank cursor, engaged only while that window is open, mapped and
// focused (dropped on focus loss, taken again on return), and XInput2 raw
// motion (XI_RawMotion on the root) summed while engaged, saturating as on
// Windows. Without XInput2 the lock still confines but gathers no motion.
#include <X11/extensions/XInput2.h>

#include <cmath>

#include "host/core/input_rules.h"
#include "host/host.h"
#include "host/x11/canvas_window.h"

namespace rava {

namespace {

int XInputOpcode(Display* display) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (lock.xiOpcode >= 0) return lock.xiOpcode;
    int opcode = 0, event = 0, error = 0, major = 2, minor = 0;
    const bool present = XQueryExtension(display, "XInputExtension", &opcode, &event, &error) &&
                         XIQueryVersion(display, &major, &minor) == Success;
    lock.xiOpcode = present ? opcode : 0;
    return lock.xiOpcode;
}

// Raw motion of every pointer, delivered to the root; selected only while
// a lock is requested.
void SelectRawMotion(Display* display, bool on) {
    if (XInputOpcode(display) == 0) return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on) XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
}

Cursor BlankCursor(Display* display, ::Window window) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (lock.blankCursor != 0) return lock.blankCursor;
    const char none[1] = {0};
    const Pixmap pixmap = XCreateBitmapFromData(display, window, none, 1, 1);
    XColor black{};
    lock.blankCursor = XCreatePixmapCursor(display, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(display, pixmap);
    return lock.blankCursor;
}

void Disengage(Display* display) {
    CanvasPointerLock& lock = CanvasRegistry().lock;
    if (!lock.engaged) return;
    lock.engaged = false;
    lock.rawMotion = 0;
    if (!CanvasRegistry().displayLost) {
        XUngrabPointer(display, CurrentTime);
        XFlush(display);
    }
}

}  // namespace

void UpdatePointerLock(CanvasWindow& w) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    CanvasPointerLock& lock = registry.lock;
    if (lock.windowId != w.id || registry.displayLost) return;
    const bool wanted = lock.requested && w.open && w.visible && w.focused && w.xid != 0;
    if (!wanted) {
        Disengage(registry.display);
        return;
    }
    if (lock.engaged) return;
    const unsigned int mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    const int grabbed = XGrabPointer(registry.display, w.xid, True, mask, GrabModeAsync, GrabModeAsync, w.xid,
                                     BlankCursor(registry.display, w.xid), CurrentTime);
    lock.engaged = grabbed == GrabSuccess;
    lock.rawMotion = 0;
}

void DropPointerLock(CanvasWindow& w) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    CanvasPointerLock& lock = registry.lock;
    if (lock.windowId != w.id) return;
    Disengage(registry.display);
    if (!registry.displayLost) SelectRawMotion(registry.display, false);
    lock.requested = false;
    lock.windowId = 0;
}

bool HandleCanvasGenericEvent(XEvent& event) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    CanvasPointerLock& lock = registry.lock;
    if (event.type != GenericEvent || lock.xiOpcode <= 0 || event.xcookie.extension != lock.xiOpcode) return false;
    if (!XGetEventData(registry.display, &event.xcookie)) return true;
    if (event.xcookie.evtype == XI_RawMotion && lock.engaged) {
        const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
        // Values are packed in mask order: the x valuator (0), then y (1).
        double dx = 0.0, dy = 0.0;
        int index = 0;
        for (int axis = 0; axis < raw->valuators.mask_len * 8 && axis < 2; ++axis) {
            if (!XIMaskIsSet(raw->valuators.mask, axis)) continue;
            (axis == 0 ? dx : dy) = raw->raw_values[index++];
        }
        lock.rawMotion = AddRawMotion(lock.rawMotion, std::llround(dx), std::llround(dy));
    }
    XFreeEventData(registry.display, &event.xcookie);
    return true;
}

bool RequestPointerLock() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    PumpWindowMessages();
    CanvasWindow* w = ResolveCurrentWindow();
    if (w == nullptr || w->xid == 0) return false;
    CanvasPointerLock& lock = registry.lock;
    if (lock.windowId != 0 && lock.windowId != w->id) {
        if (CanvasWindow* previous = FindCanvasWindowById(lock.windowId)) DropPointerLock(*previous);
    }
    if (!lock.requested) SelectRawMotion(registry.display, true);
    lock.windowId = w->id;
    lock.requested = true;
    UpdatePointerLock(*w);
    return lock.engaged;
}

void ReleasePointerLock() {
    if (CanvasWindow* w = FindCanvasWindowById(CanvasRegistry().lock.windowId)) DropPointerLock(*w);
}

bool PointerLockEngaged() { return CanvasRegistry().lock.engaged; }

CanvasRawMotion TakeRawMotion() {
    PumpWindowMessages();
    CanvasPointerLock& lock = CanvasRegistry().lock;
    const uint64_t taken = lock.rawMotion;
    lock.rawMotion = 0;
    return CanvasRawMotion{RawMotionX(taken), RawMotionY(taken)};
}

}  // namespace rava
