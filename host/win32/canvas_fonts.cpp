// Font slots: CreateFontA plus wglUseFontBitmapsA into 96 display lists each.
#include "host/win32/canvas_fonts.h"

#include "host/core/font_slots.h"
#include "host/win32/canvas_faults.h"
#include "host/win32/canvas_gl.h"

namespace rava {

namespace {

constexpr GLsizei kGlyphLists = 96;

// NOTE: Mesa drops a zero-sized glBitmap when compiling a display list, so
// the lists of empty glyphs (the space) would not advance the raster
// position. Such glyphs are recorded again as a 1 x 1 bitmap with its only
// bit clear: it draws nothing and advances by the glyph's cell increment.
void RerecordEmptyGlyphs(HDC dc, GLuint base) {
    static const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    static const GLubyte kClearBit = 0;
    for (UINT ch = 32; ch < 32 + kGlyphLists; ++ch) {
        GLYPHMETRICS metrics{};
        if (GetGlyphOutlineA(dc, ch, GGO_BITMAP, &metrics, 0, nullptr, &kIdentity) != 0) continue;
        glNewList(base + (ch - 32), GL_COMPILE);
        glBitmap(1, 1, 0, 0, metrics.gmCellIncX, metrics.gmCellIncY, &kClearBit);
        glEndList();
    }
}

GLuint MakeGlyphLists(HDC dc, HFONT font) {
    if (font == nullptr) return 0;
    const GLuint base = CanvasFaultInjected(kFaultFontLists) ? 0 : glGenLists(kGlyphLists);
    if (base == 0) return 0;
    HGDIOBJ previous = SelectObject(dc, font);
    if (previous == nullptr || previous == HGDI_ERROR) {
        glDeleteLists(base, kGlyphLists);
        return 0;
    }
    const BOOL made = wglUseFontBitmapsA(dc, 32, kGlyphLists, base);
    if (made == 1) RerecordEmptyGlyphs(dc, base);
    SelectObject(dc, previous);
    if (made != 1) {
        glDeleteLists(base, kGlyphLists);
        return 0;
    }
    return base;
}

}  // namespace

void CreateCanvasFonts(CanvasWindow& window) {
    const auto& specs = CanvasFontSlotSpecs();
    for (int i = 0; i < kFontSlotCount; ++i) {
        HFONT font =
            CreateFontA(-specs[i].pixelSize, 0, 0, 0, specs[i].weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Segoe UI");
        window.fonts[i].font = font;
        window.fonts[i].listBase = MakeGlyphLists(window.dc, font);
    }
}

void DeleteCanvasFonts(CanvasWindow& window) {
    for (CanvasFontSlot& slot : window.fonts) {
        if (slot.listBase != 0) glDeleteLists(slot.listBase, kGlyphLists);
        slot.listBase = 0;
    }
    for (CanvasFontSlot& slot : window.fonts) {
        if (slot.font != nullptr) DeleteObject(slot.font);
        slot.font = nullptr;
    }
}

}  // namespace rava
