// PixelBuffer: the 96 x 64 block of 0xAARRGGBB pixels (bytes B, G, R, A in
// memory) that Render fills and the host draws. Shared by the entry and loop.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace rava {

using PixelBuffer = std::vector<uint32_t>;
using PixelBufferHandle = std::shared_ptr<PixelBuffer>;

}  // namespace rava
