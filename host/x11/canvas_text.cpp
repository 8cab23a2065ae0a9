// Text from the window's glyph textures through the shared glyph runs; the
// slot gives the baseline below the line top.
#include "host/core/font_slots.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"

namespace rava {

namespace {

void DrawTextWithSlot(CanvasWindow& window, std::string_view text, float x, float y, int32_t slot, int32_t red,
                      int32_t green, int32_t blue) {
    const int32_t offset = BaselineOffsetForSlot(slot);
    if (offset < 0) return;
    AddGlyphRun(window.renderer, window.fonts[slot], text, x, y, offset, CanvasColor(window, red, green, blue));
}

// Bold where the window has the bold slot's glyphs, else the regular slot.
int32_t StyledSlot(const CanvasWindow& window, int32_t sizeCode) {
    const FontPair pair = FontPairForSizeCode(sizeCode);
    return window.fonts[pair.boldSlot].texture != 0 ? pair.boldSlot : pair.regularSlot;
}

}  // namespace

int32_t MeasureCanvasText(const CanvasWindow& window, std::string_view text, int32_t sizeCode) {
    return GlyphRunInkEnd(window.fonts[StyledSlot(window, sizeCode)], text);
}

void DrawText(std::string_view text, float x, float y, int32_t fontSlot, int32_t red, int32_t green, int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("DrawText");
    DrawTextWithSlot(window, text, x, y, fontSlot, red, green, blue);
}

void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                    int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("DrawTextStyled");
    DrawTextWithSlot(window, text, x, y, StyledSlot(window, sizeCode), red, green, blue);
}

}  // namespace rava
