// Font slots: fontconfig picks the files once per process (Open Sans, whose
// widths are close to the Windows face the overlay was laid out for, else
// DejaVu Sans, else its best match), FreeType rasterises printable ASCII of
// each slot into one texture per slot (white, coverage in alpha) when a
// window opens. Pen advances are whole pixels.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/x11/canvas_gl.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

// In order of preference; the last one also asks for fontconfig's nearest.
constexpr const char* kFontFamilies[] = {"Open Sans", "DejaVu Sans"};
constexpr int kAtlasWidth = 512;
constexpr int kPad = 1;

// The file of the family at this weight; with exact, only when fontconfig's
// match really is that family (it always answers with something).
bool MatchFont(FcConfig* config, const char* family, int weight, bool exact, std::string& file, int& index) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    FcChar8* path = nullptr;
    FcChar8* matched = nullptr;
    int faceIndex = 0;
    bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
    if (found && exact) {
        found = FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch && matched != nullptr &&
                FcStrCmpIgnoreCase(matched, reinterpret_cast<const FcChar8*>(family)) == 0;
    }
    if (found) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex) != FcResultMatch) faceIndex = 0;
        index = faceIndex;
    }
    FcPatternDestroy(match);
    return found;
}

// The regular and bold files of the first family installed, else
// fontconfig's nearest to the first family.
bool MatchFaces(FcConfig* config, CanvasFontFiles& files) {
    for (const bool exact : {true, false}) {
        for (const char* family : kFontFamilies) {
            if (!MatchFont(config, family, FC_WEIGHT_REGULAR, exact, files.regular, files.regularIndex)) {
                if (!exact) break;
                continue;
            }
            if (!MatchFont(config, family, FC_WEIGHT_BOLD, exact, files.bold, files.boldIndex)) {
                files.bold = files.regular;
                files.boldIndex = files.regularIndex;
            }
            return true;
        }
    }
    return false;
}

// A face FreeType can open, or nullptr.
FT_Face OpenFace(FT_Library library, const std::string& file, int index) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &face) != 0) return nullptr;
    return face;
}

// FreeType's placement of a glyph bitmap, in whole pixels.
struct BitmapBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t advance = 0;
};

struct RenderedGlyph {
    std::vector<uint8_t> alpha;
    BitmapBox box;
};

// Rasterises the slot's glyphs, packs them in rows and uploads the texture.
uint32_t BuildAtlas(FT_Face face, int pixelSize, GlyphBox (&boxes)[kGlyphCount]) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return 0;
    std::vector<RenderedGlyph> glyphs(kGlyphCount);
    int penX = kPad, penY = kPad, rowHeight = 0;
    std::vector<std::pair<int, int>> places(kGlyphCount);
    for (int i = 0; i < kGlyphCount; ++i) {
        RenderedGlyph& g = glyphs[i];
        if (FT_Load_Char(face, static_cast<FT_ULong>(kFirstGlyph + i), FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        g.box.left = slot->bitmap_left;
        g.box.top = slot->bitmap_top;
        g.box.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.width > 0 && bitmap.rows > 0 &&
            static_cast<int>(bitmap.width) + 2 * kPad <= kAtlasWidth) {
            g.box.width = static_cast<int32_t>(bitmap.width);
            g.box.height = static_cast<int32_t>(bitmap.rows);
            g.alpha.resize(static_cast<size_t>(g.box.width) * g.box.height);
            for (int row = 0; row < g.box.height; ++row) {
                std::copy_n(bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch, g.box.width,
                            g.alpha.begin() + static_cast<ptrdiff_t>(row) * g.box.width);
            }
        }
        if (penX + g.box.width + kPad > kAtlasWidth) {
            penX = kPad;
            penY += rowHeight + kPad;
            rowHeight = 0;
        }
        places[i] = {penX, penY};
        penX += g.box.width + kPad;
        rowHeight = std::max(rowHeight, g.box.height);
    }
    int height = 1;
    while (height < penY + rowHeight + kPad) height *= 2;
    // Luminance-alpha texels: white, with the coverage in alpha, so that the
    // batch's shader (colour times texel) draws the glyph in the text colour.
    std::vector<uint8_t> texels(static_cast<size_t>(kAtlasWidth) * height * 2, 0);
    for (size_t i = 0; i < texels.size(); i += 2) texels[i] = 255;
    for (int i = 0; i < kGlyphCount; ++i) {
        RenderedGlyph& g = glyphs[i];
        const auto [x, y] = places[i];
        for (int row = 0; row < g.box.height; ++row) {
            const uint8_t* coverage = g.alpha.data() + static_cast<ptrdiff_t>(row) * g.box.width;
            uint8_t* out = texels.data() + (static_cast<ptrdiff_t>(y + row) * kAtlasWidth + x) * 2;
            for (int column = 0; column < g.box.width; ++column) out[2 * column + 1] = coverage[column];
        }
        const BitmapBox& b = g.box;
        boxes[i] = GlyphBox{static_cast<float>(x) / kAtlasWidth,
                            static_cast<float>(y) / static_cast<float>(height),
                            static_cast<float>(x + b.width) / kAtlasWidth,
                            static_cast<float>(y + b.height) / static_cast<float>(height),
                            static_cast<float>(b.left),
                            static_cast<float>(b.top),
                            static_cast<float>(b.width),
                            static_cast<float>(b.height),
                            b.advance};
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8_ALPHA8, kAtlasWidth, height, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

}  // namespace

void EnsureCanvasFontFiles() {
    CanvasFontFiles& files = CanvasRegistry().fontFiles;
    if (files.found) return;
    // A fresh configuration each attempt, so fonts installed meanwhile count.
    FcConfig* config = FcInitLoadConfigAndFonts();
    bool found = config != nullptr && MatchFaces(config, files);
    if (config != nullptr) FcConfigDestroy(config);
    if (found) {
        FT_Library library = nullptr;
        found = FT_Init_FreeType(&library) == 0;
        FT_Face face = found ? OpenFace(library, files.regular, files.regularIndex) : nullptr;
        found = face != nullptr;
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
    CheckCanvasCondition(found,
                         "window/canvas fonts \"Open Sans\" and \"DejaVu Sans\" not found, and fontconfig "
                         "offers no other font");
    files.found = true;
}

void CreateCanvasFonts(CanvasWindow& window) {
    const CanvasFontFiles& files = CanvasRegistry().fontFiles;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return;
    FT_Face regular = OpenFace(library, files.regular, files.regularIndex);
    FT_Face bold = OpenFace(library, files.bold, files.boldIndex);
    const auto& specs = CanvasFontSlotSpecs();
    for (int i = 0; i < kFontSlotCount; ++i) {
        FT_Face face = specs[i].weight >= 700 && bold != nullptr ? bold : regular;
        window.fonts[i].texture = face != nullptr ? BuildAtlas(face, specs[i].pixelSize, window.fonts[i].glyphs) : 0;
    }
    if (bold != nullptr) FT_Done_Face(bold);
    if (regular != nullptr) FT_Done_Face(regular);
    FT_Done_FreeType(library);
}

}  // namespace rava
