// The process-wide registry and its lookups: current-window resolution, the
// guard every canvas operation runs first, the bounded event pump, and the
// shutdown of all windows in id order.
#include <algorithm>
#include <vector>

#include "host/core/window_registry.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"
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

void PumpWindowMessages() {
    Display* display = CanvasRegistry().display;
    if (display == nullptr) return;
    // One flush and socket read per pump; the events already read are then
    // taken from Xlib's queue without further system calls.
    const int queued = std::min(XEventsQueued(display, QueuedAfterFlush), kMaxEventsPerPump);
    for (int i = 0; i < queued; ++i) {
        XEvent event;
        XNextEvent(display, &event);
        HandleCanvasEvent(event);
    }
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
}

}  // namespace rava
