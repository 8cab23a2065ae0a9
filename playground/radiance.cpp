// Radiance to pixels: the bright-pass bloom, the filmic tone curve with
// exposure and square-root display encoding, and BGRA8 packing. The SSE2
// paths evaluate exactly the scalar expressions, in the same order.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>

#include "playground/color_fluid.h"

namespace rava {
namespace {

constexpr int32_t W = ColorFluid::kWidth;
constexpr int32_t H = ColorFluid::kHeight;
constexpr int32_t N = ColorFluid::kCells;
constexpr float kBloomThreshold = 0.8f;
constexpr float kBloomStrength = 0.65f;
constexpr float kBlueFloor = 0.006f;

// Five taps two cells apart with weights 1 4 6 4 1, summed left to right.
inline __m128 FiveTaps(__m128 a, __m128 b, __m128 c, __m128 d, __m128 e) {
    __m128 s = _mm_add_ps(a, _mm_mul_ps(_mm_set1_ps(4.0f), b));
    s = _mm_add_ps(s, _mm_mul_ps(_mm_set1_ps(6.0f), c));
    s = _mm_add_ps(s, _mm_mul_ps(_mm_set1_ps(4.0f), d));
    s = _mm_add_ps(s, e);
    return _mm_mul_ps(s, _mm_set1_ps(0.0625f));
}

// The curve up to the clamped display value y in [0, 1]. NaN and
// non-positive products are 0; an infinite product (inf / inf) is the
// curve's limit, which clamps to 1.
inline float CurveScalar(float x) {
    if (!(x > 0.0f)) x = 0.0f;
    float y = x * (2.51f * x + 0.03f) / (x * (2.43f * x + 0.59f) + 0.14f);
    if (!(y <= 1.0f)) y = 1.0f;
    if (y < 0.0f) y = 0.0f;
    return y;
}

inline __m128i ToneMap4(__m128 value, __m128 exposure) {
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.0f);
    __m128 x = _mm_mul_ps(value, exposure);
    x = _mm_and_ps(x, _mm_cmpgt_ps(x, zero));
    __m128 num = _mm_mul_ps(x, _mm_add_ps(_mm_mul_ps(_mm_set1_ps(2.51f), x), _mm_set1_ps(0.03f)));
    __m128 den = _mm_add_ps(_mm_mul_ps(x, _mm_add_ps(_mm_mul_ps(_mm_set1_ps(2.43f), x), _mm_set1_ps(0.59f))),
                            _mm_set1_ps(0.14f));
    __m128 y = _mm_div_ps(num, den);
    __m128 within = _mm_cmple_ps(y, one);  // false for NaN and above 1
    y = _mm_or_ps(_mm_and_ps(within, y), _mm_andnot_ps(within, one));
    y = _mm_max_ps(y, zero);
    __m128 r = _mm_mul_ps(_mm_sqrt_ps(y), _mm_set1_ps(255.0f));
    // Round half away from zero on non-negative r: truncate, then add one
    // when the (exact) remainder is at least a half.
    __m128i t = _mm_cvttps_epi32(r);
    __m128 frac = _mm_sub_ps(r, _mm_cvtepi32_ps(t));
    __m128i up = _mm_castps_si128(_mm_cmpge_ps(frac, _mm_set1_ps(0.5f)));
    return _mm_sub_epi32(t, up);  // up is -1 where rounding up
}

}  // namespace

int32_t ToneMap(float value, float exposure) {
    float y = CurveScalar(value * exposure);
    return static_cast<int32_t>(std::lround(std::sqrt(y) * 255.0f));
}

std::vector<float> ColorFluid::Bloom(const std::vector<float>& channel) {
    if (channel.size() < static_cast<size_t>(N)) {
        // A caller's array shorter than the grid: its missing cells read as 0.
        std::vector<float> full(channel);
        full.resize(N, 0.0f);
        return ColorFluid::Bloom(full);
    }
    std::vector<float> h(N), out(N);
    // Bright-passed row with four repeated edge cells on each side.
    alignas(16) float padded[W + 8];
    for (int32_t i = 0; i < H; ++i) {
        const float* row = channel.data() + i * W;
        for (int32_t j = 0; j < W; ++j) {
            float v = row[j] - kBloomThreshold;
            padded[j + 4] = v > 0.0f ? v : 0.0f;
        }
        for (int32_t e = 0; e < 4; ++e) {
            padded[e] = padded[4];
            padded[W + 4 + e] = padded[W + 3];
        }
        for (int32_t j = 0; j < W; j += 4) {
            __m128 s = FiveTaps(_mm_loadu_ps(padded + j), _mm_loadu_ps(padded + j + 2), _mm_loadu_ps(padded + j + 4),
                                _mm_loadu_ps(padded + j + 6), _mm_loadu_ps(padded + j + 8));
            _mm_storeu_ps(h.data() + i * W + j, s);
        }
    }
    for (int32_t i = 0; i < H; ++i) {
        const float* rows[5];
        for (int32_t t = 0; t < 5; ++t) rows[t] = h.data() + std::clamp(i - 4 + 2 * t, 0, H - 1) * W;
        for (int32_t j = 0; j < W; j += 4) {
            __m128 s = FiveTaps(_mm_loadu_ps(rows[0] + j), _mm_loadu_ps(rows[1] + j), _mm_loadu_ps(rows[2] + j),
                                _mm_loadu_ps(rows[3] + j), _mm_loadu_ps(rows[4] + j));
            _mm_storeu_ps(out.data() + i * W + j, s);
        }
    }
    return out;
}

void ColorFluid::Render(PixelBuffer& pixels, float exposure, bool bloomOn) {
    // The blurs only matter when bloom is on: with k = 0 they add exactly 0.
    std::vector<float> bR, bG, bB;
    if (bloomOn) {
        bR = Bloom(dyeRed);
        bG = Bloom(dyeGreen);
        bB = Bloom(dyeBlue);
        // An overriding Bloom may hand back fewer cells; the rest add nothing.
        for (auto* blur : {&bR, &bG, &bB}) {
            if (blur->size() < static_cast<size_t>(N)) blur->resize(N, 0.0f);
        }
    } else {
        bR.assign(N, 0.0f);
        bG.assign(N, 0.0f);
        bB.assign(N, 0.0f);
    }
    const float k = bloomOn ? kBloomStrength : 0.0f;
    // A buffer of another size is filled as far as both reach, never beyond.
    const int32_t count = static_cast<int32_t>(std::min<size_t>(pixels.size(), N));
    const __m128 kv = _mm_set1_ps(k), ev = _mm_set1_ps(exposure), floorv = _mm_set1_ps(kBlueFloor);
    const __m128i alpha = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        __m128 r = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(bR.data() + n), kv), _mm_loadu_ps(dyeRed.data() + n));
        __m128 g = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(bG.data() + n), kv), _mm_loadu_ps(dyeGreen.data() + n));
        __m128 b = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_loadu_ps(bB.data() + n), kv), _mm_loadu_ps(dyeBlue.data() + n)),
                              floorv);
        __m128i px = _mm_or_si128(alpha, _mm_slli_epi32(ToneMap4(r, ev), 16));
        px = _mm_or_si128(px, _mm_slli_epi32(ToneMap4(g, ev), 8));
        px = _mm_or_si128(px, ToneMap4(b, ev));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels.data() + n), px);
    }
    for (; n < count; ++n) {
        uint32_t r8 = static_cast<uint32_t>(ToneMap(bR[n] * k + dyeRed[n], exposure));
        uint32_t g8 = static_cast<uint32_t>(ToneMap(bG[n] * k + dyeGreen[n], exposure));
        uint32_t b8 = static_cast<uint32_t>(ToneMap(bB[n] * k + dyeBlue[n] + kBlueFloor, exposure));
        pixels[n] = 0xFF000000u | r8 << 16 | g8 << 8 | b8;
    }
}

}  // namespace rava
