// Drawing primitives into the window's batch: rectangles, rounded rectangles
// (the shared fan geometry) and stretched BGRA8 pixel blocks through one
// persistent texture per window. Each starts with RequireOpenWindow under its
// own name; while the context is lost they draw nothing.
#include <GLES2/gl2.h>

#include "host/core/rounded_rect.h"
#include "host/host.h"
#include "host/web/canvas_window.h"

namespace rava {

namespace {

CanvasWindow* DrawableWindow(std::string_view operation) {
    CanvasWindow& window = RequireOpenWindow(operation);
    return window.contextLost || !window.renderer.Ready() ? nullptr : &window;
}

// WebGL 1 has no BGRA upload: the block is copied as R, G, B, A bytes into
// the window's scratch buffer first. Returns whether any pixel has alpha < 255.
bool CopyAsRgba(std::span<const uint32_t> pixels, std::vector<uint32_t>& out) {
    out.resize(pixels.size());
    uint32_t allAlpha = 0xFF;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t p = pixels[i];
        const uint32_t a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        allAlpha &= a;
        // Little-endian memory (WebAssembly always is): R, G, B, A.
        out[i] = r | (g << 8) | (b << 16) | (a << 24);
    }
    return allAlpha != 0xFF;
}

}  // namespace

void DrawRectRgba(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) {
    if (CanvasWindow* window = DrawableWindow("DrawRectRgba")) {
        window->renderer.AddRect(x, y, width, height, CanvasColor(red, green, blue));
    }
}

void DrawRoundedRectRgba(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                         int32_t blue) {
    CanvasWindow* window = DrawableWindow("DrawRoundedRectRgba");
    if (window == nullptr || !(width > 0.0f)) return;
    const BatchColor color = CanvasColor(red, green, blue);
    if (RoundedRectIsPlain(width, height, radius)) {
        window->renderer.AddRect(x, y, width, height, color);
        return;
    }
    const float r = EffectiveCornerRadius(width, height, radius);
    window->renderer.AddFan(RoundedRectFan(x, y, width, height, r), color);
}

void DrawPixelsBgra8(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                     float destWidth, float destHeight) {
    CanvasWindow* window = DrawableWindow("DrawPixelsBgra8");
    if (window == nullptr || width <= 0 || height <= 0) return;
    if (static_cast<uint64_t>(pixels.size()) != static_cast<uint64_t>(width) * static_cast<uint64_t>(height)) {
        return;
    }
    if (width > window->maxTextureSize || height > window->maxTextureSize) return;
    const bool translucent = CopyAsRgba(pixels, window->pixelScratch);
    if (!UploadPixelTexture(window->pixels, window->renderer, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE,
                            window->pixelScratch.data(), width, height)) {
        return;
    }
    window->renderer.AddTexturedQuad(window->pixels.name, translucent, destX, destY, destX + destWidth,
                                     destY + destHeight, 0.0f, 0.0f, 1.0f, 1.0f, CanvasColor(255, 255, 255));
}

}  // namespace rava
