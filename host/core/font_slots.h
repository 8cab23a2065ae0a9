// The ten canvas font slots (pixel size and weight, in creation order), the
// baseline offset each is drawn with, and the size-code-to-slot mapping of
// styled text.
#pragma once

#include <array>
#include <cstdint>

namespace rava {

struct FontSlotSpec {
    int32_t pixelSize = 0;
    int32_t weight = 0;
    int32_t baselineOffset = 0;  // added to the top of the line to get the baseline
};

inline constexpr int32_t kFontSlotCount = 10;

const std::array<FontSlotSpec, kFontSlotCount>& CanvasFontSlotSpecs();

// The regular and bold slots of one size, with the shared baseline offset.
struct FontPair {
    int32_t regularSlot = 0;
    int32_t boldSlot = 0;
    int32_t baselineOffset = 0;
};

// Up to 249: 15 px; exactly 330: 28 px; any other value: 20 px.
FontPair FontPairForSizeCode(int32_t sizeCode);

// The baseline offset of a slot, or -1 when the slot number is out of range.
int32_t BaselineOffsetForSlot(int32_t slot);

}  // namespace rava
