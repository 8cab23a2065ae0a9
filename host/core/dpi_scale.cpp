// DPI scale computation.
#include "host/core/dpi_scale.h"

#include <cstdint>

namespace rava {

int32_t DpiScalePercent(uint32_t dpi) {
    const uint64_t scale = (static_cast<uint64_t>(dpi) * 100u + 48u) / 96u;
    return scale > INT32_MAX ? INT32_MAX : static_cast<int32_t>(scale);
}

}  // namespace rava
