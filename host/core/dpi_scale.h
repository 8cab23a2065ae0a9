// DPI scale of a window in percent of 96 DPI, rounded half up in unsigned
// arithmetic: 96 -> 100, 120 -> 125, 144 -> 150.
#pragma once

#include <cstdint>

namespace rava {

// 0 means "no answer" and yields 0; large values saturate at the int32 maximum.
int32_t DpiScalePercent(uint32_t dpi);

}  // namespace rava
