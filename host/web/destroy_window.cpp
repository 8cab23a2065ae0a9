// Teardown of a canvas window in reverse order of acquisition: recorded
// state, GL objects (renderer, glyph atlases, pixel texture), the WebGL
// context. The record then leaves the registry. After a lost context the
// objects went with it, so only their names are dropped.
#include <emscripten/html5.h>

#include "host/web/canvas_window.h"

namespace rava {

void DestroyCanvasWindow(CanvasWindow& window) {
    window.open = false;
    StampCanvasWindow(window, kEventNone);
    if (window.context != 0) {
        if (ContextUsable(window) &&
            emscripten_webgl_make_context_current(window.context) == EMSCRIPTEN_RESULT_SUCCESS) {
            DeleteGlyphAtlases(window.fonts);
            DeletePixelTexture(window.pixels);
            window.renderer.Destroy();
        } else {
            window.renderer.Forget();
        }
        if (emscripten_webgl_get_current_context() == window.context) emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(window.context);
        window.context = 0;
    }
    window.pixels = {};
    auto& windows = CanvasRegistry().windows;
    auto it = windows.find(window.id);
    if (it != windows.end() && it->second.get() == &window) windows.erase(it);
}

}  // namespace rava
