// The process-wide registry and its lookups: current-window resolution, the
// guard every canvas operation runs first, the bounded event pump (which
// folds auto-repeat pairs, repaints once per burst of size changes and
// notices a lost display), and the shutdown of all windows in id order.
#include <algorithm>
#include <vector>

#include "host/core/window_registry.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/x_error_trap.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

// A burst of thousands of events is worked off over several pumps instead of
// stalling one call.
constexpr int kMaxEventsPerPump = 1024;

}  // namespace

CanvasWindowRegistry& CanvasRegistry() {
    // Deliberately leaked: windows may still be torn down by static destructors
    // of other components, so the registry must outlive them all.
    static CanvasWindowRegistry* registry = new CanvasWindowRegistry();
    return *registry;
}

CanvasWindow* FindCanvasWindowById(int32_t id) { return FindRegisteredWindow(CanvasRegistry(), id); }

CanvasWindow* FindCanvasWindowByXid(::Window xid) {
    return FindRegisteredWindowByHandle(CanvasRegistry(), xid, &CanvasWindow::xid);
}

CanvasWindow* ResolveCurrentWindow() { return ResolveRegisteredWindow(CanvasRegistry()); }

void StampCanvasWindow(CanvasWindow& window, int32_t kind) {
    StampEvent(CanvasRegistry().eventSequence, window.stamps, kind);
}

namespace {

// Where detectable auto-repeat is unsupported, a held key repeats as a
// release and a press with one timestamp; the release is dropped so the key
// stays held and the press is not counted again.
bool IsRepeatRelease(Display* display, const XEvent& event) {
    if (event.type != KeyRelease || XEventsQueued(display, QueuedAfterReading) == 0) return false;
    XEvent next;
    XPeekEvent(display, &next);
    return next.type == KeyPress && next.xkey.window == event.xkey.window &&
           next.xkey.keycode == event.xkey.keycode && next.xkey.time == event.xkey.time;
}

// The background repaint of a size change, once for the last size of a
// burst, and never into an open frame: that frame presents the new size.
void RepaintResizedWindows() {
    for (auto& [id, window] : CanvasRegistry().windows) {
        if (!window || !window->repaintPending || window->frameOpen) continue;
        window->repaintPending = false;
        RepaintCanvasBackground(*window);
    }
}

}  // namespace

void PumpWindowMessages() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    Display* display = registry.display;
    if (display == nullptr || registry.displayLost) return;
    // One flush and socket read per pump; the events already read are then
    // taken from Xlib's queue without further system calls.
    XEventsQueued(display, QueuedAfterFlush);
    for (int i = 0; i < kMaxEventsPerPump && !registry.displayLost && XEventsQueued(display, QueuedAlready) > 0;
         ++i) {
        XEvent event;
        XNextEvent(display, &event);
        if (IsRepeatRelease(display, event) || HandleCanvasGenericEvent(event)) continue;
        HandleCanvasEvent(event);
    }
    if (registry.displayLost) FailLostDisplay();
    RepaintResizedWindows();
}

void FailLostDisplay() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    // The server freed every resource with the connection; nothing is left
    // to destroy, and no X call may be made again.
    for (auto& [id, window] : registry.windows) {
        ClearPressCounters(*window);
        window->open = false;
        window->visible = false;
        window->focused = false;
        window->xid = 0;
        window->colormap = 0;
        window->frameOpen = false;
    }
    std::fill(std::begin(registry.heldKeycodes), std::end(registry.heldKeycodes), 0);
    registry.buttonsHeld = 0;
    registry.lock = {};
    registry.clipboard.pending = false;
    registry.clipboard.owner = 0;
    CheckCanvasCondition(false, "window/canvas lost the connection to X display " + registry.displayName);
}

CanvasWindow& RequireOpenWindow(std::string_view operation) {
    PumpWindowMessages();
    CanvasWindow* window = ResolveCurrentWindow();
    const bool usable = window != nullptr && window->open && window->xid != 0 && window->context != nullptr;
    if (!usable) {
        CheckCanvasCondition(false,
                             std::string("window/canvas runtime window is not open for ") + std::string(operation));
    }
    // Rebinding the current context is not free; skip it when nothing changed.
    if (glXGetCurrentContext() != window->context || glXGetCurrentDrawable() != window->xid) {
        glXMakeCurrent(CanvasRegistry().display, window->xid, window->context);
    }
    return *window;
}

bool CurrentCanvasWindowOpen() {
    CanvasWindow* window = FindCanvasWindowById(CanvasRegistry().currentId);
    return window != nullptr && window->open && window->xid != 0;
}

void DestroyAllCanvasWindows() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    std::vector<int32_t> ids;
    for (const auto& [id, window] : registry.windows) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    for (int32_t id : ids) {
        if (CanvasWindow* w = FindCanvasWindowById(id)) DestroyCanvasWindow(*w);
        PumpWindowMessages();
    }
    registry.currentId = 0;
    registry.activeId = 0;
    // With no window left, errors of other code are no business of ours.
    if (registry.windows.empty()) RestoreCanvasErrorHandlers();
}

}  // namespace rava
