// sRGB transfer table and the premultiplied sRGB quantiser of layered
// presentation. The table holds the sRGB-to-linear function of i/255 with
// entries 0 and 255 exactly 0.0 and 1.0; lookups clamp their index to 0..255.
#pragma once

#include <array>
#include <cstdint>

namespace rava {

const std::array<float, 256>& SrgbToLinearTable();

// table[Clamp(channel, 0, 255)].
float SrgbToLinear(int32_t channel);

// The sRGB code (0..255) whose linear value is nearest to the linear value of
// v divided by alpha, premultiplied back by alpha: (a * s + 127) / 255.
// Alpha 0 gives 0; a tie between two codes takes the lower one.
uint8_t PremultipliedSrgbCode(uint8_t value, uint8_t alpha);

// PremultipliedSrgbCode for every pair, at index alpha * 256 + value: one
// lookup per channel instead of a search per channel per pixel.
const std::array<uint8_t, 65536>& PremultipliedSrgbTable();

// A clear-colour channel without an sRGB framebuffer: 0 and 1 pass through
// as normalised values (1 = full intensity), larger values are 8-bit codes.
float LegacyClearChannel(int32_t channel);

// A channel as an 8-bit value: values below 0 become 0, above 255 become 255.
uint8_t ClampChannel(int32_t channel);

}  // namespace rava
