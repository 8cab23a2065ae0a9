// Radiance to pixels: the bright-pass bloom, the filmic tone curve with
// exposure and square-root display encoding, and BGRA8 packing. The vector
// paths evaluate exactly the scalar expressions, in the same order.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "playground/color_fluid.h"
#include "playground/fluid_kernels.h"
#include "runtime/bit_cast.h"

#if defined(RAVA_SIMD_X86)
#include <immintrin.h>
#define RAVA_AVX2 __attribute__((target("avx2")))
#elif defined(RAVA_SIMD_WASM)
#include <wasm_simd128.h>
#endif

namespace rava {
namespace {

constexpr int32_t W = ColorFluid::kWidth;
constexpr int32_t H = ColorFluid::kHeight;
constexpr int32_t N = ColorFluid::kCells;
constexpr float kBloomThreshold = 0.8f;
constexpr float kBloomStrength = 0.65f;
constexpr float kBlueFloor = 0.006f;
// Every product up to here maps to 0 (sqrt(0.22 x 1e-30) x 255 is far below
// a half), and treating it as 0 keeps subnormals out of the division and the
// square root, which are many times slower on them.
constexpr float kDarkProduct = 1e-30f;
// With |exposure| <= 1e9, a radiance below 1e-30 gives such a product too;
// clearing it first also keeps subnormal radiance out of the multiplication.
constexpr float kDarkRadiance = 1e-30f;
constexpr float kLargestPlainExposure = 1e9f;

// The magnitude bits below which a radiance is cleared (0: none is).
inline int32_t DarkRadianceBits(float exposure) {
    return std::fabs(exposure) <= kLargestPlainExposure ? BitCast<int32_t>(kDarkRadiance) : 0;
}

// The curve up to the clamped display value y in [0, 1]. NaN and
// non-positive products are 0; an infinite product (inf / inf) is the
// curve's limit, which clamps to 1.
inline float CurveScalar(float x) {
    if (!(x > kDarkProduct)) x = 0.0f;
    float y = x * (2.51f * x + 0.03f) / (x * (2.43f * x + 0.59f) + 0.14f);
    if (!(y <= 1.0f)) y = 1.0f;
    if (y < 0.0f) y = 0.0f;
    return y;
}

// ---- Bloom ----

inline float BrightPass(float v) {
    v -= kBloomThreshold;
    return v > 0.0f ? v : 0.0f;
}

// Rows with a cell above the threshold; the others contribute exactly 0.
int32_t MarkLitRows(const float* channel, bool* lit) {
    int32_t count = 0;
    for (int32_t i = 0; i < H; ++i) {
        const float* row = channel + i * W;
#if defined(RAVA_SIMD_X86)
        __m128 above = _mm_setzero_ps();
        for (int32_t j = 0; j < W; j += 4)
            above = _mm_or_ps(above, _mm_cmpgt_ps(_mm_loadu_ps(row + j), _mm_set1_ps(kBloomThreshold)));
        bool any = _mm_movemask_ps(above) != 0;
#elif defined(RAVA_SIMD_WASM)
        v128_t above = wasm_i32x4_splat(0);
        for (int32_t j = 0; j < W; j += 4)
            above = wasm_v128_or(above, wasm_f32x4_gt(wasm_v128_load(row + j), wasm_f32x4_splat(kBloomThreshold)));
        bool any = wasm_v128_any_true(above);
#else
        bool any = false;
        for (int32_t j = 0; j < W; ++j) any |= row[j] > kBloomThreshold;
#endif
        lit[i] = any;
        count += any;
    }
    return count;
}

// Bright-passed row with four repeated edge cells on each side.
void PadRow(const float* row, float* padded) {
    for (int32_t j = 0; j < W; ++j) padded[j + 4] = BrightPass(row[j]);
    for (int32_t e = 0; e < 4; ++e) {
        padded[e] = padded[4];
        padded[W + 4 + e] = padded[W + 3];
    }
}

// Five taps with weights 1 4 6 4 1, summed left to right, then / 16.
inline float FiveTapsScalar(float a, float b, float c, float d, float e) {
    return (a + 4.0f * b + 6.0f * c + 4.0f * d + e) * 0.0625f;
}

#if defined(RAVA_SIMD_X86)
inline __m128 FiveTapsSse2(__m128 a, __m128 b, __m128 c, __m128 d, __m128 e) {
    __m128 s = _mm_add_ps(a, _mm_mul_ps(_mm_set1_ps(4.0f), b));
    s = _mm_add_ps(s, _mm_mul_ps(_mm_set1_ps(6.0f), c));
    s = _mm_add_ps(s, _mm_mul_ps(_mm_set1_ps(4.0f), d));
    s = _mm_add_ps(s, e);
    return _mm_mul_ps(s, _mm_set1_ps(0.0625f));
}

RAVA_AVX2 inline __m256 FiveTapsAvx2(__m256 a, __m256 b, __m256 c, __m256 d, __m256 e) {
    __m256 s = _mm256_add_ps(a, _mm256_mul_ps(_mm256_set1_ps(4.0f), b));
    s = _mm256_add_ps(s, _mm256_mul_ps(_mm256_set1_ps(6.0f), c));
    s = _mm256_add_ps(s, _mm256_mul_ps(_mm256_set1_ps(4.0f), d));
    s = _mm256_add_ps(s, e);
    return _mm256_mul_ps(s, _mm256_set1_ps(0.0625f));
}
#elif defined(RAVA_SIMD_WASM)
inline v128_t FiveTapsWasm(v128_t a, v128_t b, v128_t c, v128_t d, v128_t e) {
    v128_t s = wasm_f32x4_add(a, wasm_f32x4_mul(wasm_f32x4_splat(4.0f), b));
    s = wasm_f32x4_add(s, wasm_f32x4_mul(wasm_f32x4_splat(6.0f), c));
    s = wasm_f32x4_add(s, wasm_f32x4_mul(wasm_f32x4_splat(4.0f), d));
    s = wasm_f32x4_add(s, e);
    return wasm_f32x4_mul(s, wasm_f32x4_splat(0.0625f));
}
#endif

// One row of a pass: out[j] = taps of src[j + 0, 2, 4, 6, 8] (horizontal, on
// the padded row) or of five row pointers (vertical).
void HorizontalRow(const float* padded, float* out, Simd simd);
void VerticalRow(const float* const* rows, float* out, Simd simd);

#if defined(RAVA_SIMD_X86)
RAVA_AVX2 void HorizontalRowAvx2(const float* p, float* out) {
    for (int32_t j = 0; j < W; j += 8)
        _mm256_storeu_ps(out + j,
                         FiveTapsAvx2(_mm256_loadu_ps(p + j), _mm256_loadu_ps(p + j + 2), _mm256_loadu_ps(p + j + 4),
                                      _mm256_loadu_ps(p + j + 6), _mm256_loadu_ps(p + j + 8)));
}

RAVA_AVX2 void VerticalRowAvx2(const float* const* r, float* out) {
    for (int32_t j = 0; j < W; j += 8)
        _mm256_storeu_ps(out + j,
                         FiveTapsAvx2(_mm256_loadu_ps(r[0] + j), _mm256_loadu_ps(r[1] + j), _mm256_loadu_ps(r[2] + j),
                                      _mm256_loadu_ps(r[3] + j), _mm256_loadu_ps(r[4] + j)));
}
#endif

// A width this build has no form for runs the scalar loop.
void HorizontalRow(const float* p, float* out, Simd simd) {
    switch (simd) {
#if defined(RAVA_SIMD_X86)
        case Simd::kAvx2:
            HorizontalRowAvx2(p, out);
            return;
        case Simd::kSse2:
            for (int32_t j = 0; j < W; j += 4)
                _mm_storeu_ps(out + j,
                              FiveTapsSse2(_mm_loadu_ps(p + j), _mm_loadu_ps(p + j + 2), _mm_loadu_ps(p + j + 4),
                                           _mm_loadu_ps(p + j + 6), _mm_loadu_ps(p + j + 8)));
            return;
#elif defined(RAVA_SIMD_WASM)
        case Simd::kWasm128:
            for (int32_t j = 0; j < W; j += 4)
                wasm_v128_store(out + j, FiveTapsWasm(wasm_v128_load(p + j), wasm_v128_load(p + j + 2),
                                                      wasm_v128_load(p + j + 4), wasm_v128_load(p + j + 6),
                                                      wasm_v128_load(p + j + 8)));
            return;
#endif
        default:
            for (int32_t j = 0; j < W; ++j) out[j] = FiveTapsScalar(p[j], p[j + 2], p[j + 4], p[j + 6], p[j + 8]);
            return;
    }
}

void VerticalRow(const float* const* r, float* out, Simd simd) {
    switch (simd) {
#if defined(RAVA_SIMD_X86)
        case Simd::kAvx2:
            VerticalRowAvx2(r, out);
            return;
        case Simd::kSse2:
            for (int32_t j = 0; j < W; j += 4)
                _mm_storeu_ps(out + j,
                              FiveTapsSse2(_mm_loadu_ps(r[0] + j), _mm_loadu_ps(r[1] + j), _mm_loadu_ps(r[2] + j),
                                           _mm_loadu_ps(r[3] + j), _mm_loadu_ps(r[4] + j)));
            return;
#elif defined(RAVA_SIMD_WASM)
        case Simd::kWasm128:
            for (int32_t j = 0; j < W; j += 4)
                wasm_v128_store(out + j, FiveTapsWasm(wasm_v128_load(r[0] + j), wasm_v128_load(r[1] + j),
                                                      wasm_v128_load(r[2] + j), wasm_v128_load(r[3] + j),
                                                      wasm_v128_load(r[4] + j)));
            return;
#endif
        default:
            for (int32_t j = 0; j < W; ++j) out[j] = FiveTapsScalar(r[0][j], r[1][j], r[2][j], r[3][j], r[4][j]);
            return;
    }
}

// ---- Tone mapping and packing ----

#if defined(RAVA_SIMD_X86)
inline __m128i ToneMapSse2(__m128 value, __m128 exposure, __m128i darkBits) {
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.0f);
    __m128i magnitude = _mm_and_si128(_mm_castps_si128(value), _mm_set1_epi32(0x7FFFFFFF));
    value = _mm_andnot_ps(_mm_castsi128_ps(_mm_cmplt_epi32(magnitude, darkBits)), value);
    __m128 x = _mm_mul_ps(value, exposure);
    x = _mm_and_ps(x, _mm_cmpgt_ps(x, _mm_set1_ps(kDarkProduct)));
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

RAVA_AVX2 inline __m256i ToneMapAvx2(__m256 value, __m256 exposure, __m256i darkBits) {
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps(1.0f);
    __m256i magnitude = _mm256_and_si256(_mm256_castps_si256(value), _mm256_set1_epi32(0x7FFFFFFF));
    value = _mm256_andnot_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(darkBits, magnitude)), value);
    __m256 x = _mm256_mul_ps(value, exposure);
    x = _mm256_and_ps(x, _mm256_cmp_ps(x, _mm256_set1_ps(kDarkProduct), _CMP_GT_OQ));
    __m256 num = _mm256_mul_ps(x, _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(2.51f), x), _mm256_set1_ps(0.03f)));
    __m256 den =
        _mm256_add_ps(_mm256_mul_ps(x, _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(2.43f), x), _mm256_set1_ps(0.59f))),
                      _mm256_set1_ps(0.14f));
    __m256 y = _mm256_div_ps(num, den);
    y = _mm256_blendv_ps(one, y, _mm256_cmp_ps(y, one, _CMP_LE_OQ));  // NaN and above 1 give 1
    y = _mm256_max_ps(y, zero);
    __m256 r = _mm256_mul_ps(_mm256_sqrt_ps(y), _mm256_set1_ps(255.0f));
    __m256i t = _mm256_cvttps_epi32(r);
    __m256 frac = _mm256_sub_ps(r, _mm256_cvtepi32_ps(t));
    return _mm256_sub_epi32(t, _mm256_castps_si256(_mm256_cmp_ps(frac, _mm256_set1_ps(0.5f), _CMP_GE_OQ)));
}

#endif

inline float Radiance(const PixelJob& job, int c, int32_t n) {
    float v = job.blur[c] ? job.blur[c][n] * job.k + job.dye[c][n] : job.dye[c][n];
    return c == 2 ? v + kBlueFloor : v;
}

inline uint32_t PixelScalar(const PixelJob& job, int32_t n) {
    auto r8 = static_cast<uint32_t>(ToneMap(Radiance(job, 0, n), job.exposure));
    auto g8 = static_cast<uint32_t>(ToneMap(Radiance(job, 1, n), job.exposure));
    auto b8 = static_cast<uint32_t>(ToneMap(Radiance(job, 2, n), job.exposure));
    return 0xFF000000u | r8 << 16 | g8 << 8 | b8;
}

#if defined(RAVA_SIMD_X86)
// Radiance of one channel for a group of lanes: blur x k + dye (+ floor).
inline __m128 RadianceSse2(const PixelJob& job, int c, int32_t n) {
    __m128 v = _mm_loadu_ps(job.dye[c] + n);
    if (job.blur[c]) v = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(job.blur[c] + n), _mm_set1_ps(job.k)), v);
    return c == 2 ? _mm_add_ps(v, _mm_set1_ps(kBlueFloor)) : v;
}

int32_t PackSse2(const PixelJob& job) {
    const __m128 e = _mm_set1_ps(job.exposure);
    const __m128i dark = _mm_set1_epi32(DarkRadianceBits(job.exposure));
    const __m128i alpha = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    int32_t n = 0;
    for (; n + 4 <= job.count; n += 4) {
        __m128i px = _mm_or_si128(alpha, _mm_slli_epi32(ToneMapSse2(RadianceSse2(job, 0, n), e, dark), 16));
        px = _mm_or_si128(px, _mm_slli_epi32(ToneMapSse2(RadianceSse2(job, 1, n), e, dark), 8));
        px = _mm_or_si128(px, ToneMapSse2(RadianceSse2(job, 2, n), e, dark));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(job.out + n), px);
    }
    return n;
}

RAVA_AVX2 inline __m256 RadianceAvx2(const PixelJob& job, int c, int32_t n) {
    __m256 v = _mm256_loadu_ps(job.dye[c] + n);
    if (job.blur[c]) v = _mm256_add_ps(_mm256_mul_ps(_mm256_loadu_ps(job.blur[c] + n), _mm256_set1_ps(job.k)), v);
    return c == 2 ? _mm256_add_ps(v, _mm256_set1_ps(kBlueFloor)) : v;
}

RAVA_AVX2 int32_t PackAvx2(const PixelJob& job) {
    const __m256 e = _mm256_set1_ps(job.exposure);
    const __m256i dark = _mm256_set1_epi32(DarkRadianceBits(job.exposure));
    const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    int32_t n = 0;
    for (; n + 8 <= job.count; n += 8) {
        __m256i px = _mm256_or_si256(alpha, _mm256_slli_epi32(ToneMapAvx2(RadianceAvx2(job, 0, n), e, dark), 16));
        px = _mm256_or_si256(px, _mm256_slli_epi32(ToneMapAvx2(RadianceAvx2(job, 1, n), e, dark), 8));
        px = _mm256_or_si256(px, ToneMapAvx2(RadianceAvx2(job, 2, n), e, dark));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(job.out + n), px);
    }
    return n;
}
#elif defined(RAVA_SIMD_WASM)
// ToneMapSse2 in WebAssembly's operations: pmax(b, a) is SSE's max(a, b),
// and the truncation's saturation never matters as r stays in 0..255.
inline v128_t ToneMapWasm(v128_t value, v128_t exposure, v128_t darkBits) {
    const v128_t zero = wasm_f32x4_splat(0.0f);
    const v128_t one = wasm_f32x4_splat(1.0f);
    v128_t magnitude = wasm_v128_and(value, wasm_i32x4_splat(0x7FFFFFFF));
    value = wasm_v128_andnot(value, wasm_i32x4_lt(magnitude, darkBits));
    v128_t x = wasm_f32x4_mul(value, exposure);
    x = wasm_v128_and(x, wasm_f32x4_gt(x, wasm_f32x4_splat(kDarkProduct)));
    v128_t num = wasm_f32x4_mul(x, wasm_f32x4_add(wasm_f32x4_mul(wasm_f32x4_splat(2.51f), x), wasm_f32x4_splat(0.03f)));
    v128_t den = wasm_f32x4_add(
        wasm_f32x4_mul(x, wasm_f32x4_add(wasm_f32x4_mul(wasm_f32x4_splat(2.43f), x), wasm_f32x4_splat(0.59f))),
        wasm_f32x4_splat(0.14f));
    v128_t y = wasm_f32x4_div(num, den);
    y = wasm_v128_bitselect(y, one, wasm_f32x4_le(y, one));  // NaN and above 1 give 1
    y = wasm_f32x4_pmax(zero, y);
    v128_t r = wasm_f32x4_mul(wasm_f32x4_sqrt(y), wasm_f32x4_splat(255.0f));
    v128_t t = wasm_i32x4_trunc_sat_f32x4(r);
    v128_t frac = wasm_f32x4_sub(r, wasm_f32x4_convert_i32x4(t));
    return wasm_i32x4_sub(t, wasm_f32x4_ge(frac, wasm_f32x4_splat(0.5f)));
}

inline v128_t RadianceWasm(const PixelJob& job, int c, int32_t n) {
    v128_t v = wasm_v128_load(job.dye[c] + n);
    if (job.blur[c]) v = wasm_f32x4_add(wasm_f32x4_mul(wasm_v128_load(job.blur[c] + n), wasm_f32x4_splat(job.k)), v);
    return c == 2 ? wasm_f32x4_add(v, wasm_f32x4_splat(kBlueFloor)) : v;
}

int32_t PackWasm(const PixelJob& job) {
    const v128_t e = wasm_f32x4_splat(job.exposure);
    const v128_t dark = wasm_i32x4_splat(DarkRadianceBits(job.exposure));
    const v128_t alpha = wasm_i32x4_splat(static_cast<int32_t>(0xFF000000u));
    int32_t n = 0;
    for (; n + 4 <= job.count; n += 4) {
        v128_t px = wasm_v128_or(alpha, wasm_i32x4_shl(ToneMapWasm(RadianceWasm(job, 0, n), e, dark), 16));
        px = wasm_v128_or(px, wasm_i32x4_shl(ToneMapWasm(RadianceWasm(job, 1, n), e, dark), 8));
        px = wasm_v128_or(px, ToneMapWasm(RadianceWasm(job, 2, n), e, dark));
        wasm_v128_store(job.out + n, px);
    }
    return n;
}
#endif

}  // namespace

int32_t ToneMap(float value, float exposure) {
    float y = CurveScalar(value * exposure);
    return static_cast<int32_t>(std::lround(std::sqrt(y) * 255.0f));
}

void BloomChannel(const float* channel, float* h, float* out, Simd simd) {
    bool lit[H];
    if (MarkLitRows(channel, lit) == 0) {
        std::fill(out, out + N, 0.0f);
        return;
    }
    alignas(32) float padded[W + 8];
    for (int32_t i = 0; i < H; ++i) {
        if (!lit[i]) {
            std::fill(h + i * W, h + i * W + W, 0.0f);
            continue;
        }
        PadRow(channel + i * W, padded);
        HorizontalRow(padded, h + i * W, simd);
    }
    for (int32_t i = 0; i < H; ++i) {
        const float* rows[5];
        bool any = false;
        for (int32_t t = 0; t < 5; ++t) {
            int32_t row = std::clamp(i - 4 + 2 * t, 0, H - 1);
            rows[t] = h + row * W;
            any |= lit[row];
        }
        // Five zero rows sum to +0 in every cell.
        if (any) {
            VerticalRow(rows, out + i * W, simd);
        } else {
            std::fill(out + i * W, out + i * W + W, 0.0f);
        }
    }
}

void PackPixels(const PixelJob& job, Simd simd) {
    int32_t n = 0;
#if defined(RAVA_SIMD_X86)
    if (simd == Simd::kAvx2) n = PackAvx2(job);
    if (simd == Simd::kSse2) n = PackSse2(job);
#elif defined(RAVA_SIMD_WASM)
    if (simd == Simd::kWasm128) n = PackWasm(job);
#endif
    for (; n < job.count; ++n) job.out[n] = PixelScalar(job, n);
}

std::vector<float> ColorFluid::Bloom(const std::vector<float>& channel) {
    std::vector<float> h(N), out(N);
    if (channel.size() < static_cast<size_t>(N)) {
        // A caller's array shorter than the grid: its missing cells read as 0.
        std::vector<float> full(channel);
        full.resize(N, 0.0f);
        BloomChannel(full.data(), h.data(), out.data(), SolverSimd());
    } else {
        BloomChannel(channel.data(), h.data(), out.data(), SolverSimd());
    }
    return out;
}

void ColorFluid::Render(PixelBuffer& pixels, float exposure, bool bloomOn) {
    const std::vector<float>* dye[3] = {&dyeRed, &dyeGreen, &dyeBlue};
    PixelJob job{};
    // Dye arrays a caller shortened (the fields are public) read as 0 past
    // their end; the copies keep every read inside an array.
    std::vector<float> padded[3];
    for (int c = 0; c < 3; ++c) {
        if (dye[c]->size() >= static_cast<size_t>(N)) {
            job.dye[c] = dye[c]->data();
        } else {
            padded[c] = *dye[c];
            padded[c].resize(N, 0.0f);
            job.dye[c] = padded[c].data();
        }
    }
    // The blurs only matter when bloom is on: with k = 0 they add exactly 0,
    // and the tone curve maps -0 and +0 alike.
    std::vector<float> blurs[3];
    if (bloomOn && UsesOwnOperations()) {
        float* out[3] = {scratchA.data(), scratchB.data(), scratchC.data()};
        for (int c = 0; c < 3; ++c) {
            BloomChannel(job.dye[c], scratchD.data(), out[c], SolverSimd());
            job.blur[c] = out[c];
        }
    } else if (bloomOn) {
        for (int c = 0; c < 3; ++c) {
            blurs[c] = Bloom(*dye[c]);
            // An overriding Bloom may hand back fewer cells; the rest add nothing.
            if (blurs[c].size() < static_cast<size_t>(N)) blurs[c].resize(N, 0.0f);
            job.blur[c] = blurs[c].data();
        }
    }
    job.k = bloomOn ? kBloomStrength : 0.0f;
    job.exposure = exposure;
    job.out = pixels.data();
    // A buffer of another size is filled as far as both reach, never beyond.
    job.count = static_cast<int32_t>(std::min<size_t>(pixels.size(), N));
    PackPixels(job, SolverSimd());
}

}  // namespace rava
