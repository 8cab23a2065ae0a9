// Text of the shader-based backends: the printable ASCII glyphs of one font
// slot in one texture, drawn as one batched quad per glyph. How the glyphs
// are rasterised is each backend's own (FreeType, the page's 2D canvas).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "host/gl/batch_renderer.h"

namespace rava {

// Printable ASCII: the only characters text draws (others become "?").
inline constexpr int kFirstGlyph = 32;
inline constexpr int kGlyphCount = 95;

// One glyph in client pixels relative to the pen on the baseline, and where
// it sits in the atlas texture.
struct GlyphBox {
    float u0 = 0.0f, v0 = 0.0f, u1 = 0.0f, v1 = 0.0f;
    float left = 0.0f;  // bitmap left edge from the pen
    float top = 0.0f;   // bitmap top edge above the baseline
    float width = 0.0f;
    float height = 0.0f;
    int32_t advance = 0;  // whole client pixels, as the pen moves
};

// The glyphs of one slot in one texture (0 = the slot draws nothing): white
// texels with the coverage in alpha, so the batch's colour-times-texel
// shader draws them in the text colour with their edges.
struct GlyphAtlas {
    uint32_t texture = 0;
    GlyphBox glyphs[kGlyphCount];
};

// Adds the text's glyphs to the batch, blended: the pen starts at floor(x) on
// the baseline baselineOffset below floor(y) and moves by whole pixels.
// Nothing for an empty atlas or a position that is not finite.
void AddGlyphRun(BatchRenderer& renderer, const GlyphAtlas& atlas, std::string_view text, float x, float y,
                 int32_t baselineOffset, const BatchColor& color);

// Where the text's ink ends, in whole pixels right of the pen's start.
int32_t GlyphRunInkEnd(const GlyphAtlas& atlas, std::string_view text);

// Deletes the atlases' textures (their context current) and empties them.
void DeleteGlyphAtlases(std::span<GlyphAtlas> atlases);

}  // namespace rava
