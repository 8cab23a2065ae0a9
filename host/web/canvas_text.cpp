// Text from the window's glyph atlases through the shared glyph runs; the
// slot gives the baseline below the line top. While the context is lost,
// text draws nothing.
#include "host/core/font_slots.h"
#include "host/host.h"
#include "host/web/canvas_window.h"

namespace rava {

namespace {

void DrawTextWithSlot(CanvasWindow& window, std::string_view text, float x, float y, int32_t slot, int32_t red,
                      int32_t green, int32_t blue) {
    if (window.contextLost || !window.renderer.Ready()) return;
    const int32_t offset = BaselineOffsetForSlot(slot);
    if (offset < 0) return;
    AddGlyphRun(window.renderer, window.fonts[slot], text, x, y, offset, CanvasColor(red, green, blue));
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
