// Drawing primitives into the window's batch: rectangles, rounded rectangles
// (the shared fan geometry) and stretched BGRA8 pixel blocks through one
// persistent texture per window. Each starts with RequireOpenWindow under its
// own name; colours are sRGB.
#include <span>

#include "host/core/rounded_rect.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"

namespace rava {

namespace {

// The rounded rectangle's fan outline (centre, four 9-point arcs, the first
// point again) drawn as five fans without the centre: one per corner from
// its first arc point, and the octagon of the arcs' end points. The same
// outline, so the same pixels; but no sliver reaches from the centre to a
// corner, and a software rasteriser pays for every block a triangle's
// bounds cross.
void AddRoundedRectPieces(BatchRenderer& renderer, std::span<const FanPoint> fan, const BatchColor& color) {
    constexpr size_t kArcPoints = 9;
    FanPoint octagon[8];
    for (size_t arc = 0; arc < 4; ++arc) {
        const std::span<const FanPoint> corner = fan.subspan(1 + arc * kArcPoints, kArcPoints);
        renderer.AddFan(corner, color);
        octagon[2 * arc] = corner.front();
        octagon[2 * arc + 1] = corner.back();
    }
    renderer.AddFan(octagon, color);
}

}  // namespace

void DrawRectRgba(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("DrawRectRgba");
    // A negative width collapses to zero; a negative height draws upwards from y.
    window.renderer.AddRect(x, y, width, height, CanvasColor(window, red, green, blue));
}

void DrawRoundedRectRgba(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                         int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("DrawRoundedRectRgba");
    if (!(width > 0.0f)) return;
    const BatchColor color = CanvasColor(window, red, green, blue);
    if (RoundedRectIsPlain(width, height, radius)) {
        window.renderer.AddRect(x, y, width, height, color);
        return;
    }
    const float r = EffectiveCornerRadius(width, height, radius);
    AddRoundedRectPieces(window.renderer, RoundedRectFan(x, y, width, height, r), color);
}

void DrawPixelsBgra8(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                     float destWidth, float destHeight) {
    CanvasWindow& window = RequireOpenWindow("DrawPixelsBgra8");
    if (width <= 0 || height <= 0) return;
    if (static_cast<uint64_t>(pixels.size()) != static_cast<uint64_t>(width) * static_cast<uint64_t>(height)) {
        return;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width > maxSize || height > maxSize) return;
    // Rows follow each other: a row length another caller set must not apply.
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // 0xAARRGGBB words are B, G, R, A in memory on every byte order this way.
    const GLint internalFormat = window.srgbOutput ? static_cast<GLint>(kGlSrgb8Alpha8) : GL_RGBA8;
    if (!UploadPixelTexture(window.pixels, window.renderer, internalFormat, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                            pixels.data(), width, height)) {
        return;
    }
    // Blending only when some texel is translucent: an opaque quad without it
    // gives the same pixels for less work.
    uint32_t allAlpha = 0xFF;
    for (const uint32_t p : pixels) allAlpha &= p >> 24;
    window.renderer.AddTexturedQuad(window.pixels.name, allAlpha != 0xFF, destX, destY, destX + destWidth,
                                    destY + destHeight, 0.0f, 0.0f, 1.0f, 1.0f, BatchColor{});
}

}  // namespace rava
