// sRGB table (built once, in double, rounded to float) and the quantiser.
#include "host/core/srgb.h"

#include <cmath>

namespace rava {

namespace {

std::array<float, 256> BuildTable() {
    std::array<float, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const double c = i / 255.0;
        const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        table[i] = static_cast<float>(linear);
    }
    table[0] = 0.0f;
    table[255] = 1.0f;
    return table;
}

}  // namespace

const std::array<float, 256>& SrgbToLinearTable() {
    static const std::array<float, 256> table = BuildTable();
    return table;
}

uint8_t ClampChannel(int32_t channel) {
    if (channel < 0) return 0;
    if (channel > 255) return 255;
    return static_cast<uint8_t>(channel);
}

float SrgbToLinear(int32_t channel) { return SrgbToLinearTable()[ClampChannel(channel)]; }

uint8_t PremultipliedSrgbCode(uint8_t value, uint8_t alpha) {
    if (alpha == 0) return 0;
    const auto& table = SrgbToLinearTable();
    float d = table[value] * 255.0f / static_cast<float>(alpha);
    if (d < 0.0f) d = 0.0f;
    if (d > 1.0f) d = 1.0f;
    int lo = 0;
    int hi = 255;
    while (lo + 1 < hi) {
        const int mid = (lo + hi) / 2;
        if (d >= table[mid]) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    const int s = (d - table[lo] > table[hi] - d) ? hi : lo;
    return static_cast<uint8_t>((alpha * s + 127) / 255);
}

const std::array<uint8_t, 65536>& PremultipliedSrgbTable() {
    static const std::array<uint8_t, 65536> table = [] {
        std::array<uint8_t, 65536> t{};
        for (int a = 0; a < 256; ++a) {
            for (int v = 0; v < 256; ++v) {
                t[a * 256 + v] = PremultipliedSrgbCode(static_cast<uint8_t>(v), static_cast<uint8_t>(a));
            }
        }
        return t;
    }();
    return table;
}

float LegacyClearChannel(int32_t channel) {
    if (channel < 0) return 0.0f;
    if (channel > 1) {
        const float v = static_cast<float>(channel) / 255.0f;
        return v > 1.0f ? 1.0f : v;
    }
    return static_cast<float>(channel);
}

}  // namespace rava
