// The process-wide registry and its lookups: current-window resolution, the
// guard every canvas operation runs first, the message pump (which has
// nothing to do: the browser delivers input between frames) and the shutdown
// of all windows in id order.
#include <emscripten/html5.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/core/window_registry.h"
#include "host/host.h"
#include "host/web/canvas_window.h"
#include "host/web/page_bridge.h"
#include "runtime/runtime.h"

namespace rava {

CanvasWindowRegistry& CanvasRegistry() {
    // Deliberately leaked, as on the other hosts: windows may be torn down
    // after other static objects are gone.
    static CanvasWindowRegistry* registry = new CanvasWindowRegistry();
    return *registry;
}

CanvasWindow* FindCanvasWindowById(int32_t id) { return FindRegisteredWindow(CanvasRegistry(), id); }

CanvasWindow* ResolveCurrentWindow() { return ResolveRegisteredWindow(CanvasRegistry()); }

void StampCanvasWindow(CanvasWindow& window, int32_t kind) {
    StampEvent(CanvasRegistry().eventSequence, window.stamps, kind);
}

BatchColor CanvasColor(int32_t red, int32_t green, int32_t blue) {
    auto channel = [](int32_t value) { return static_cast<float>(value < 0 ? 0 : value > 255 ? 255 : value) / 255.0f; };
    return BatchColor{channel(red), channel(green), channel(blue), 1.0f};
}

void MarkContextLost(CanvasWindow& window) {
    window.contextLost = true;
    window.renderer.Forget();
    for (GlyphAtlas& atlas : window.fonts) atlas = {};
    window.pixels = {};
}

bool ContextUsable(CanvasWindow& window) {
    if (!window.contextLost && emscripten_is_webgl_context_lost(window.context)) MarkContextLost(window);
    return !window.contextLost && window.renderer.Ready();
}

// Events were already recorded by the page's listeners as they came.
void PumpWindowMessages() {}

CanvasWindow& RequireOpenWindow(std::string_view operation) {
    CanvasWindow* window = ResolveCurrentWindow();
    if (window == nullptr || !window->open || window->context == 0) {
        CheckCanvasCondition(false,
                             std::string("window/canvas runtime window is not open for ") + std::string(operation));
    }
    if (emscripten_webgl_get_current_context() != window->context) {
        emscripten_webgl_make_context_current(window->context);
    }
    return *window;
}

bool CurrentCanvasWindowOpen() {
    CanvasWindow* window = FindCanvasWindowById(CanvasRegistry().currentId);
    return window != nullptr && window->open && window->context != 0;
}

void DestroyAllCanvasWindows() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    std::vector<int32_t> ids;
    for (const auto& [id, window] : registry.windows) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    for (int32_t id : ids) {
        if (CanvasWindow* w = FindCanvasWindowById(id)) DestroyCanvasWindow(*w);
    }
    registry.currentId = 0;
    registry.activeId = 0;
    // Nothing is left to take the page's input.
    if (registry.listening) {
        rava_page_detach();
        registry.listening = false;
    }
}

}  // namespace rava
