// Font slot table and size-code mapping.
#include "host/core/font_slots.h"

namespace rava {

const std::array<FontSlotSpec, kFontSlotCount>& CanvasFontSlotSpecs() {
    // The 12 and 13 px faces are never chosen by size code; their offsets
    // follow the same ~0.8 x size proportion as the three styled sizes.
    static constexpr std::array<FontSlotSpec, kFontSlotCount> specs = {{
        {12, 400, 10},
        {12, 700, 10},
        {13, 400, 11},
        {13, 700, 11},
        {15, 400, 12},
        {15, 700, 12},
        {20, 400, 16},
        {20, 700, 16},
        {28, 400, 23},
        {28, 700, 23},
    }};
    return specs;
}

FontPair FontPairForSizeCode(int32_t sizeCode) {
    if (sizeCode <= 249) return {4, 5, 12};
    if (sizeCode == 330) return {8, 9, 23};
    return {6, 7, 16};
}

int32_t BaselineOffsetForSlot(int32_t slot) {
    if (slot < 0 || slot >= kFontSlotCount) return -1;
    return CanvasFontSlotSpecs()[slot].baselineOffset;
}

}  // namespace rava
