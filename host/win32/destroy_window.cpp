// Teardown of a canvas window, in reverse order of acquisition: pointer lock,
// recorded state, layered surface, GL objects (textures, display lists), fonts,
// context, DC, window. The record then leaves the registry.
#include "host/win32/canvas_fonts.h"
#include "host/win32/canvas_gl.h"

namespace rava {

namespace {

void DeleteTexture(uint32_t& texture, int64_t& counter) {
    if (texture == 0) return;
    const GLuint name = texture;
    glDeleteTextures(1, &name);
    texture = 0;
    if (counter > 0) --counter;
}

void ReleaseGlObjects(CanvasWindow& window) {
    CanvasResourceCounters& counters = CanvasCounters();
    wglMakeCurrent(window.dc, window.glrc);
    for (CanvasTextureEntry2& entry : window.textureCache2) {
        DeleteTexture(entry.texture, counters.cache2Textures);
    }
    window.textureCache2.clear();
    for (CanvasTextureEntry1& entry : window.textureCache1) {
        DeleteTexture(entry.texture, counters.cache1Textures);
    }
    window.textureCache1.clear();
    DeleteTexture(window.singleTexture, counters.singleTextures);
    window.singleTextureWidth = 0;
    window.singleTextureHeight = 0;
    DeleteCanvasFonts(window);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(window.glrc);
    window.glrc = nullptr;
}

}  // namespace

void DestroyCanvasWindow(CanvasWindow& window) {
    ReleaseCanvasPointerLock(window);
    for (uint8_t& counter : window.pressCounters) counter = 0;
    window.open = false;
    window.visible = false;
    window.focused = false;
    window.minimized = false;
    window.closeRequested = false;
    StampCanvasWindow(window, kEventNone);

    ReleaseLayeredSurface(window);
    if (window.glrc != nullptr) {
        ReleaseGlObjects(window);
    } else {
        // Without a context the lists cannot be deleted, but the fonts still can.
        for (CanvasFontSlot& slot : window.fonts) {
            if (slot.font != nullptr) DeleteObject(slot.font);
            slot = {};
        }
    }
    if (window.hwnd != nullptr && window.dc != nullptr) ReleaseDC(window.hwnd, window.dc);
    window.dc = nullptr;
    if (window.hwnd != nullptr) DestroyWindow(window.hwnd);
    window.hwnd = nullptr;
    window.width = 0;
    window.height = 0;

    auto& windows = CanvasRegistry().windows;
    auto it = windows.find(window.id);
    if (it != windows.end() && it->second.get() == &window) windows.erase(it);
}

}  // namespace rava
