// Font slots: the browser's own 2D canvas rasterises printable ASCII of each
// slot once per window (at the device pixel ratio, so text stays crisp on
// HiDPI screens) into one texture per slot; boxes are kept in client pixels
// and pen advances are whole client pixels, as on the other hosts.
#include <GLES2/gl2.h>

#include <cmath>

#include "host/web/canvas_window.h"
#include "host/web/page_bridge.h"

namespace rava {

namespace {

bool WholeRatio(double ratio) { return std::floor(ratio) == ratio; }

uint32_t BuildAtlas(const FontSlotSpec& spec, double ratio, GlyphBox (&boxes)[kGlyphCount]) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    float metrics[kGlyphCount * kGlyphMetricFloats + 2] = {};
    if (!rava_page_glyph_atlas(spec.pixelSize * ratio, spec.weight, metrics)) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &texture);
        return 0;
    }
    // At a whole ratio every glyph lands on whole buffer pixels: nearest
    // sampling copies the rasterised coverage exactly.
    const GLint filter = WholeRatio(ratio) ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    const float atlasWidth = metrics[kGlyphCount * kGlyphMetricFloats];
    const float atlasHeight = metrics[kGlyphCount * kGlyphMetricFloats + 1];
    const auto scale = static_cast<float>(1.0 / ratio);
    for (int i = 0; i < kGlyphCount; ++i) {
        const float* m = metrics + i * kGlyphMetricFloats;
        GlyphBox& box = boxes[i];
        box.u0 = m[0] / atlasWidth;
        box.v0 = m[1] / atlasHeight;
        box.u1 = (m[0] + m[2]) / atlasWidth;
        box.v1 = (m[1] + m[3]) / atlasHeight;
        box.width = m[2] * scale;
        box.height = m[3] * scale;
        box.left = m[4] * scale;
        box.top = m[5] * scale;
        box.advance = static_cast<int32_t>(std::lround(m[6] * scale));
    }
    return texture;
}

}  // namespace

void CreateCanvasFonts(CanvasWindow& window) {
    const auto& specs = CanvasFontSlotSpecs();
    for (int i = 0; i < kFontSlotCount; ++i) {
        window.fonts[i] = {};
        window.fonts[i].texture = BuildAtlas(specs[i], window.pixelRatio, window.fonts[i].glyphs);
    }
}

}  // namespace rava
