#include "host/gl/glyph_atlas.h"

#include "host/gl/gl_api.h"

#include <algorithm>
#include <cmath>

#include "host/core/text_walk.h"

namespace rava {

void AddGlyphRun(BatchRenderer& renderer, const GlyphAtlas& atlas, std::string_view text, float x, float y,
                 int32_t baselineOffset, const BatchColor& color) {
    if (atlas.texture == 0 || text.empty() || !std::isfinite(x) || !std::isfinite(y)) return;
    float pen = std::floor(x);
    const float baseline = std::floor(y) + static_cast<float>(baselineOffset);
    ForEachCanvasGlyph(text, [&](unsigned char c) {
        const GlyphBox& g = atlas.glyphs[c - kFirstGlyph];
        if (g.width > 0.0f) {
            const float left = pen + g.left;
            const float top = baseline - g.top;
            renderer.AddTexturedQuad(atlas.texture, true, left, top, left + g.width, top + g.height, g.u0, g.v0, g.u1,
                                     g.v1, color);
        }
        pen += static_cast<float>(g.advance);
    });
}

int32_t GlyphRunInkEnd(const GlyphAtlas& atlas, std::string_view text) {
    int32_t pen = 0;
    float right = 0.0f;
    ForEachCanvasGlyph(text, [&](unsigned char c) {
        const GlyphBox& g = atlas.glyphs[c - kFirstGlyph];
        if (g.width > 0.0f) right = std::max(right, static_cast<float>(pen) + g.left + g.width);
        pen += g.advance;
    });
    return static_cast<int32_t>(std::ceil(right));
}

void DeleteGlyphAtlases(std::span<GlyphAtlas> atlases) {
    for (GlyphAtlas& atlas : atlases) {
        if (atlas.texture != 0) {
            const GLuint texture = atlas.texture;
            glDeleteTextures(1, &texture);
        }
        atlas = {};
    }
}

}  // namespace rava
