// Text from the window's glyph atlases: one textured quad per glyph into the
// batch, the pen starting on the slot's baseline below the line top and
// moving by whole client pixels; anything but printable ASCII draws as "?".
#include <cmath>

#include "host/core/font_slots.h"
#include "host/core/text_walk.h"
#include "host/host.h"
#include "host/web/canvas_window.h"

namespace rava {

namespace {

void DrawTextWithSlot(CanvasWindow& window, std::string_view text, float x, float y, int32_t slot, int32_t red,
                      int32_t green, int32_t blue) {
    if (window.contextLost || !window.renderer.Ready()) return;
    const int32_t offset = BaselineOffsetForSlot(slot);
    if (offset < 0) return;
    const GlyphAtlas& atlas = window.fonts[slot];
    if (atlas.texture == 0 || text.empty() || !std::isfinite(x) || !std::isfinite(y)) return;
    float pen = std::floor(x);
    const float baseline = std::floor(y) + static_cast<float>(offset);
    const BatchColor color = CanvasColor(red, green, blue);
    auto glyph = [&](unsigned char c) {
        const GlyphBox& g = atlas.glyphs[c - kFirstGlyph];
        if (g.width > 0.0f) {
            const float left = pen + g.left;
            const float top = baseline - g.top;
            window.renderer.AddTexturedQuad(atlas.texture, true, left, top, left + g.width, top + g.height, g.u0, g.v0,
                                            g.u1, g.v1, color);
        }
        pen += static_cast<float>(g.advance);
    };
    ForEachCanvasGlyph(text, glyph);
}

}  // namespace

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
