// Immediate drawing primitives: rectangles, rounded rectangles, bitmap text
// from the window's display-list fonts, and stretched BGRA8 pixel blocks.
// Each starts with RequireOpenWindow under its own name; colours are sRGB.
#include <vector>

#include "host/core/font_slots.h"
#include "host/core/rounded_rect.h"
#include "host/core/text_walk.h"
#include "host/host.h"
#include "host/win32/canvas_gl.h"

// NOTE: <windows.h> came in after host.h here; the library must define
// rava::DrawText under its own name, not as DrawTextW.
#undef DrawText

namespace rava {

namespace {

void Quad(float x, float y, float width, float height) {
    glBegin(GL_QUADS);
    glVertex2f(x, y);
    glVertex2f(x + width, y);
    glVertex2f(x + width, y + height);
    glVertex2f(x, y + height);
    glEnd();
}

void DrawPlainRect(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) {
    SetCanvasColor(red, green, blue);
    // A negative width collapses to zero; a negative height draws upwards from y.
    Quad(x, y, width < 0.0f ? 0.0f : width, height);
}

void DrawTextWithSlot(const CanvasWindow& window, std::string_view text, float x, float y, int32_t slot, int32_t red,
                      int32_t green, int32_t blue) {
    const int32_t offset = BaselineOffsetForSlot(slot);
    if (offset < 0) return;
    const GLuint base = window.fonts[slot].listBase;
    if (base == 0 || text.empty()) return;
    // The raster colour is latched by glRasterPos, so the colour goes first.
    SetCanvasColor(red, green, blue);
    glRasterPos2f(x, y + static_cast<float>(offset));
    glListBase(base - 32);
    static const GLubyte kPlaceholder = '?';
    for (const TextPiece& piece : SplitCanvasText(text)) {
        if (piece.placeholder) {
            glCallLists(1, GL_UNSIGNED_BYTE, &kPlaceholder);
        } else {
            glCallLists(static_cast<GLsizei>(piece.length), GL_UNSIGNED_BYTE, text.data() + piece.offset);
        }
    }
}

void SetNearestClamp() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
}

}  // namespace

void DrawRectRgba(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) {
    RequireOpenWindow("DrawRectRgba");
    DrawPlainRect(x, y, width, height, red, green, blue);
}

void DrawRoundedRectRgba(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                         int32_t blue) {
    RequireOpenWindow("DrawRoundedRectRgba");
    if (!(width > 0.0f)) return;
    if (RoundedRectIsPlain(width, height, radius)) {
        DrawPlainRect(x, y, width, height, red, green, blue);
        return;
    }
    const float r = EffectiveCornerRadius(width, height, radius);
    SetCanvasColor(red, green, blue);
    glBegin(GL_TRIANGLE_FAN);
    for (const FanPoint& p : RoundedRectFan(x, y, width, height, r)) glVertex2f(p.x, p.y);
    glEnd();
}

void DrawText(std::string_view text, float x, float y, int32_t fontSlot, int32_t red, int32_t green, int32_t blue) {
    const CanvasWindow& window = RequireOpenWindow("DrawText");
    DrawTextWithSlot(window, text, x, y, fontSlot, red, green, blue);
}

void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                    int32_t blue) {
    const CanvasWindow& window = RequireOpenWindow("DrawTextStyled");
    const FontPair pair = FontPairForSizeCode(sizeCode);
    const CanvasFontSlot& bold = window.fonts[pair.boldSlot];
    const int32_t slot = (bold.listBase != 0 && bold.font != nullptr) ? pair.boldSlot : pair.regularSlot;
    DrawTextWithSlot(window, text, x, y, slot, red, green, blue);
}

void DrawPixelsBgra8(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                     float destWidth, float destHeight) {
    const CanvasWindow& window = RequireOpenWindow("DrawPixelsBgra8");
    if (width <= 0 || height <= 0) return;
    if (static_cast<uint64_t>(pixels.size()) != static_cast<uint64_t>(width) * static_cast<uint64_t>(height)) {
        return;
    }
    std::vector<uint8_t> bytes(pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t p = pixels[i];
        bytes[i * 4 + 0] = static_cast<uint8_t>(p);
        bytes[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
        bytes[i * 4 + 2] = static_cast<uint8_t>(p >> 16);
        bytes[i * 4 + 3] = static_cast<uint8_t>(p >> 24);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) return;
    glBindTexture(GL_TEXTURE_2D, texture);
    SetNearestClamp();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLint internalFormat = window.srgbOutput ? static_cast<GLint>(kGlSrgb8Alpha8) : GL_RGBA;
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, kGlBgra, GL_UNSIGNED_BYTE, bytes.data());
    SetNearestClamp();
    glEnable(GL_TEXTURE_2D);
    SetCanvasColor(255, 255, 255);
    DrawTexturedQuad(destX, destY, destWidth, destHeight);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
}

}  // namespace rava
