// Text from the window's glyph textures: one textured quad per glyph into the
// window's batch, the pen starting on the slot's baseline below the line top
// and moving by whole pixels; anything but printable ASCII draws as "?".
#include <algorithm>
#include <cmath>

#include "host/core/font_slots.h"
#include "host/core/text_walk.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"

namespace rava {

namespace {

void DrawTextWithSlot(CanvasWindow& window, std::string_view text, float x, float y, int32_t slot, int32_t red,
                      int32_t green, int32_t blue) {
    const int32_t offset = BaselineOffsetForSlot(slot);
    if (offset < 0) return;
    const GlyphAtlas& atlas = window.fonts[slot];
    if (atlas.texture == 0 || text.empty() || !std::isfinite(x) || !std::isfinite(y)) return;
    float pen = std::floor(x);
    const float baseline = std::floor(y) + static_cast<float>(offset);
    const BatchColor color = CanvasColor(window, red, green, blue);
    auto glyph = [&](unsigned char c) {
        const GlyphBox& g = atlas.glyphs[c - kFirstGlyph];
        if (g.width > 0) {
            const float left = pen + static_cast<float>(g.left);
            const float top = baseline - static_cast<float>(g.top);
            window.renderer.AddTexturedQuad(atlas.texture, true, left, top, left + static_cast<float>(g.width),
                                            top + static_cast<float>(g.height), g.u0, g.v0, g.u1, g.v1, color);
        }
        pen += static_cast<float>(g.advance);
    };
    ForEachCanvasGlyph(text, glyph);
}

}  // namespace

int32_t MeasureCanvasText(const CanvasWindow& window, std::string_view text, int32_t sizeCode) {
    const FontPair pair = FontPairForSizeCode(sizeCode);
    const int32_t slot = window.fonts[pair.boldSlot].texture != 0 ? pair.boldSlot : pair.regularSlot;
    const GlyphAtlas& atlas = window.fonts[slot];
    int32_t pen = 0;
    int32_t right = 0;
    auto glyph = [&](unsigned char c) {
        const GlyphBox& g = atlas.glyphs[c - kFirstGlyph];
        if (g.width > 0) right = std::max(right, pen + g.left + g.width);
        pen += g.advance;
    };
    ForEachCanvasGlyph(text, glyph);
    return right;
}

void DrawText(std::string_view text, float x, float y, int32_t fontSlot, int32_t red, int32_t green, int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("DrawText");
    DrawTextWithSlot(window, text, x, y, fontSlot, red, green, blue);
}

void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                    int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("DrawTextStyled");
    const FontPair pair = FontPairForSizeCode(sizeCode);
    const int32_t slot = window.fonts[pair.boldSlot].texture != 0 ? pair.boldSlot : pair.regularSlot;
    DrawTextWithSlot(window, text, x, y, slot, red, green, blue);
}

}  // namespace rava
