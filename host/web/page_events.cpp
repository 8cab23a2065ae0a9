// Entry points the page's listeners call (canvas_page.js): keys, pointers,
// foreground changes and the WebGL context going and coming back. Each
// records into the registry and stamps the current window; none raises.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "host/web/canvas_window.h"

namespace rava {
namespace {

void Stamp(int32_t kind) {
    if (CanvasWindow* w = ResolveCurrentWindow()) StampCanvasWindow(*w, kind);
}

}  // namespace
}  // namespace rava

extern "C" {

// Returns 1 when the page should keep the browser's default action.
EMSCRIPTEN_KEEPALIVE int32_t rava_web_key(const char* key, const char* code, int32_t down, int32_t repeat,
                                          int32_t control, int32_t alt, int32_t meta) {
    using namespace rava;
    const uint32_t vk = VirtualKeyForDomKey(key != nullptr ? key : "", code != nullptr ? code : "");
    const bool keepDefault = KeyKeepsBrowserDefault(vk, control != 0, alt != 0, meta != 0);
    // A shortcut belongs to the browser; its key going up is still recorded
    // so that nothing stays held.
    if (down && (control || alt || meta)) return 1;
    RecordPageKey(CanvasRegistry().input, vk, down != 0, repeat != 0);
    Stamp(down ? kEventKeyDown : kEventKeyUp);
    return keepDefault ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void rava_web_pointer(int32_t kind, int32_t id, int32_t touch, int32_t buttons, double cssX,
                                           double cssY, double cssWidth, double cssHeight) {
    using namespace rava;
    if (kind < 0 || kind > 3) return;
    PagePointerEvent event;
    event.kind = static_cast<PagePointerKind>(kind);
    event.id = id;
    event.touch = touch != 0;
    event.buttons = buttons < 0 ? 0u : static_cast<uint32_t>(buttons);
    if (!PageToClient(cssX, cssY, cssWidth, cssHeight, kClientWidth, kClientHeight, event.x, event.y)) return;
    PageInputState& input = CanvasRegistry().input;
    if (!input.foreground) return;
    if (!RecordPagePointer(input, event)) return;
    static constexpr int32_t kKinds[4] = {kEventPointerDown, kEventPointerMove, kEventPointerUp,
                                          kEventPointerCancelled};
    Stamp(kKinds[kind]);
}

EMSCRIPTEN_KEEPALIVE void rava_web_foreground(int32_t foreground) {
    using namespace rava;
    SetPageForeground(CanvasRegistry().input, foreground != 0);
    Stamp(kEventNone);
}

EMSCRIPTEN_KEEPALIVE void rava_web_context_lost() {
    using namespace rava;
    for (auto& [id, window] : CanvasRegistry().windows) {
        if (window && window->context != 0) MarkContextLost(*window);
    }
}

// Returns 1 when every window drew again, 0 when the restored context
// refused the renderer.
EMSCRIPTEN_KEEPALIVE int32_t rava_web_context_restored() {
    using namespace rava;
    bool ok = true;
    for (auto& [id, window] : CanvasRegistry().windows) {
        if (!window || window->context == 0 || !window->contextLost) continue;
        if (emscripten_is_webgl_context_lost(window->context) ||
            emscripten_webgl_make_context_current(window->context) != EMSCRIPTEN_RESULT_SUCCESS ||
            !CreateWindowResources(*window)) {
            ok = false;
            continue;
        }
        window->contextLost = false;
    }
    return ok ? 1 : 0;
}

}  // extern "C"
