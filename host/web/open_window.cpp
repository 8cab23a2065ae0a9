// The opening sequence of a canvas window: the page's listeners, the canvas
// drawing buffer at the device pixel ratio, a WebGL 1 context, the batched
// renderer, the title, glyph atlases. A failed step releases what was
// acquired and raises; the registry is left unchanged and the failed window
// takes no id.
#include <GLES2/gl2.h>
#include <emscripten/html5.h>

#include <cmath>
#include <memory>
#include <string>

#include "host/core/utf.h"
#include "host/host.h"
#include "host/web/canvas_window.h"
#include "host/web/page_bridge.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

// Invalid UTF-8 gives an empty title; the text ends at the first NUL.
std::string TitleText(std::string_view title) {
    std::u16string wide;
    if (!Utf8ToUtf16Strict(title, wide)) return {};
    std::string text(title);
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE CreateContext() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // Opaque, no depth or stencil, no multisampling: the client pixels are
    // exactly what the frame drew, as on the desktop hosts.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_TRUE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    return emscripten_webgl_create_context(kCanvasSelector, &attributes);
}

void OpenWindow(std::string_view title) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (CanvasWindow* current = FindCanvasWindowById(registry.currentId); current != nullptr && current->open) {
        registry.activeId = current->id;
        emscripten_webgl_make_context_current(current->context);
        return;
    }
    if (registry.nextId > kMaxCanvasWindows) return;
    int32_t bufferSize[2] = {kClientWidth, kClientHeight};
    const double ratio = rava_page_prepare_canvas(kClientWidth, kClientHeight, bufferSize);
    CheckCanvasCondition(ratio > 0.0, "window/canvas page has no <canvas> element");
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = CreateContext();
    CheckCanvasCondition(context > 0, "window/canvas WebGL is not available in this browser");

    auto window = std::make_unique<CanvasWindow>();
    window->context = static_cast<int>(context);
    window->pixelRatio = ratio;
    window->framebufferWidth = bufferSize[0];
    window->framebufferHeight = bufferSize[1];
    if (emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !CreateWindowResources(*window)) {
        emscripten_webgl_destroy_context(context);
        CheckCanvasCondition(false, "failed to set up window/canvas WebGL drawing");
    }
    rava_page_set_title(TitleText(title).c_str());
    if (!registry.listening) {
        rava_page_attach();
        registry.listening = true;
    }
    SetPageForeground(registry.input, rava_page_foreground() != 0);

    window->id = registry.nextId++;
    window->open = true;
    const int32_t id = window->id;
    CanvasWindow& stored = *(registry.windows[id] = std::move(window));
    registry.currentId = id;
    registry.activeId = id;
    StampCanvasWindow(stored, kEventNone);
}

}  // namespace

bool CreateWindowResources(CanvasWindow& window) {
    if (!window.renderer.Create(GlDialect::kGles2)) return false;
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    window.maxTextureSize = maxSize;
    // The one blend function the renderer's translucent runs use.
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glBlendEquation(GL_FUNC_ADD);
    window.pixels = {};
    CreateCanvasFonts(window);
    return true;
}

void OpenCanvasWindow(std::string_view title) { OpenWindow(title); }

void OpenCanvasWindow(std::string_view title, const CanvasOpenOptions&) { OpenWindow(title); }

}  // namespace rava
