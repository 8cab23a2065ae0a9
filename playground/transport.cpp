// Semi-Lagrangian transport of the interior cells, one cell at a time and
// four or eight cells at a time. All forms evaluate the same float32
// expressions in the same order (clamp, floor, fractions, bilinear sum,
// factor), so their results agree bit for bit.
#include <cmath>

#include "playground/color_fluid.h"
#include "playground/fluid_kernels.h"
#include "runtime/bit_cast.h"
#include "runtime/runtime.h"

#if defined(RAVA_SIMD_X86)
#include <immintrin.h>
#elif defined(RAVA_SIMD_WASM)
#include <wasm_simd128.h>
#endif

namespace rava {
namespace {

constexpr int32_t W = ColorFluid::kWidth;
constexpr int32_t H = ColorFluid::kHeight;
constexpr float kMaxX = static_cast<float>(W) - 1.5f;
constexpr float kMaxY = static_cast<float>(H) - 1.5f;

// ---- One cell ----

inline float Bilinear(const float* f, int32_t k, float fx, float fy) {
    float s00 = f[k], s10 = f[k + 1], s01 = f[k + W], s11 = f[k + W + 1];
    return (s00 * (1.0f - fx) + s10 * fx) * (1.0f - fy) + (s01 * (1.0f - fx) + s11 * fx) * fy;
}

inline void TransportCell(const TransportJob& t, int32_t i, int32_t j) {
    int32_t k = i * W + j;
    float x = Clamp(static_cast<float>(j) - t.vx[k] * t.dt, 0.5f, kMaxX);
    float y = Clamp(static_cast<float>(i) - t.vy[k] * t.dt, 0.5f, kMaxY);
    // Both are non-negative after the clamp, where truncation is floor.
    int32_t x0 = static_cast<int32_t>(x);
    int32_t y0 = static_cast<int32_t>(y);
    float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
    for (int f = 0; f < t.fields; ++f) t.dst[f][k] = Bilinear(t.src[f], x0 + W * y0, fx, fy) * t.factor;
}

// ---- Subnormal-safe shortcut for cells that stay where they are ----
//
// Faded fields fill up with float subnormals, and on many processors
// arithmetic on those costs a hundred cycles or more. Flushing them to zero
// would change results, so a cell whose velocity is zero or subnormal (it
// traces back to its own centre: j - v dt rounds to j while |v dt| < 2^-26)
// is computed without handing a subnormal to the floating-point unit:
// - a normal value times the factor is an ordinary product;
// - a subnormal is m x 2^-149 with the integer m in its bit pattern; with
//   |factor| <= 1 the product is the multiple of 2^-149 nearest to m x
//   factor (ties to even), exact in double precision;
// - a zero, or a cell with a non-finite neighbour, takes the full bilinear
//   sum at fx = fy = 0, whose products with 0 and 1 depend only on each
//   value's sign and finiteness, so finite non-zero values are replaced by
//   +-1 (a non-finite neighbour turns the sum into NaN).
constexpr uint32_t kMagnitude = 0x7FFFFFFFu;
constexpr uint32_t kSmallestNormal = 0x00800000u;

inline bool ZeroOrSubnormal(float v) { return (BitCast<uint32_t>(v) & kMagnitude) < kSmallestNormal; }

// |dt| < 1e20 keeps |v dt| below 2^-26 for any zero or subnormal v, and
// |factor| <= 1 keeps a subnormal's product on the 2^-149 grid.
inline bool StillCellsAllowed(const TransportJob& t) { return std::fabs(t.dt) < 1e20f && std::fabs(t.factor) <= 1.0f; }

inline float MulNoSubnormal(float v, float c) {
    uint32_t bits = BitCast<uint32_t>(v);
    uint32_t magnitude = bits & kMagnitude;
    if (magnitude == 0 || magnitude >= kSmallestNormal) return v * c;
    double units = std::nearbyint(static_cast<double>(magnitude) * std::fabs(static_cast<double>(c)));
    uint32_t sign = (bits ^ BitCast<uint32_t>(c)) & ~kMagnitude;
    return BitCast<float>(sign | static_cast<uint32_t>(units));
}

inline float Surrogate(float s) {
    if (!std::isfinite(s) || s == 0.0f) return s;
    return std::signbit(s) ? -1.0f : 1.0f;
}

inline float StillCell(const float* f, int32_t k, float factor) {
    float v = f[k];
    bool finiteNeighbours = std::isfinite(f[k + 1]) && std::isfinite(f[k + W]) && std::isfinite(f[k + W + 1]);
    if (v == 0.0f || !finiteNeighbours)
        v = (Surrogate(v) * 1.0f + Surrogate(f[k + 1]) * 0.0f) * 1.0f +
            (Surrogate(f[k + W]) * 1.0f + Surrogate(f[k + W + 1]) * 0.0f) * 0.0f;
    return MulNoSubnormal(v, factor);
}

// Four cells at a time from column j of row i (the still shortcut per cell).
template <void (*Group)(const TransportJob&, int32_t, int32_t)>
void TransportFours(const TransportJob& t) {
    const bool stillAllowed = StillCellsAllowed(t);
    for (int32_t i = 1; i < H - 1; ++i) {
        for (int32_t j = 1; j < W - 1; j += 4) {
            if (j > W - 5) j = W - 5;
            int32_t k = i * W + j;
            bool still = stillAllowed;
            for (int32_t c = 0; c < 4 && still; ++c)
                still = ZeroOrSubnormal(t.vx[k + c]) && ZeroOrSubnormal(t.vy[k + c]);
            if (!still) {
                Group(t, i, j);
                continue;
            }
            for (int f = 0; f < t.fields; ++f)
                for (int32_t c = 0; c < 4; ++c) t.dst[f][k + c] = StillCell(t.src[f], k + c, t.factor);
        }
    }
}

#if defined(RAVA_SIMD_X86)
// ---- Four cells, SSE2 ----

// Clamp's rule for each lane: NaN or |v| > 1e6 gives 0, otherwise lo..hi.
inline __m128 ClampPs(__m128 v, float lo, float hi) {
    __m128 valid = _mm_and_ps(_mm_cmpge_ps(v, _mm_set1_ps(-1000000.0f)), _mm_cmple_ps(v, _mm_set1_ps(1000000.0f)));
    return _mm_and_ps(valid, _mm_min_ps(_mm_max_ps(v, _mm_set1_ps(lo)), _mm_set1_ps(hi)));
}

// The values at base + offset and the next column for four lanes: one 8-byte
// load per lane, then two shuffles sort them.
inline void GatherPairs(const float* s, const int32_t* base, int32_t offset, __m128& left, __m128& right) {
    auto pair = [&](int lane) { return reinterpret_cast<const __m64*>(s + base[lane] + offset); };
    __m128 a = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(0)), pair(1));
    __m128 b = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(2)), pair(3));
    left = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    right = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
}

void GroupSse2(const TransportJob& t, int32_t i, int32_t j) {
    int32_t k = i * W + j;
    const __m128 dt = _mm_set1_ps(t.dt);
    const __m128 one = _mm_set1_ps(1.0f);
    __m128 cols = _mm_add_ps(_mm_set1_ps(static_cast<float>(j)), _mm_setr_ps(0, 1, 2, 3));
    __m128 x = ClampPs(_mm_sub_ps(cols, _mm_mul_ps(_mm_loadu_ps(t.vx + k), dt)), 0.5f, kMaxX);
    __m128 y =
        ClampPs(_mm_sub_ps(_mm_set1_ps(static_cast<float>(i)), _mm_mul_ps(_mm_loadu_ps(t.vy + k), dt)), 0.5f, kMaxY);
    __m128i x0 = _mm_cvttps_epi32(x), y0 = _mm_cvttps_epi32(y);
    __m128 fx = _mm_sub_ps(x, _mm_cvtepi32_ps(x0)), fy = _mm_sub_ps(y, _mm_cvtepi32_ps(y0));
    __m128 gx = _mm_sub_ps(one, fx), gy = _mm_sub_ps(one, fy);
    alignas(16) int32_t base[4];
    // y0 x 96 as shifts: SSE2 has no 32-bit lane multiply.
    __m128i rows = _mm_add_epi32(_mm_slli_epi32(y0, 6), _mm_slli_epi32(y0, 5));
    _mm_store_si128(reinterpret_cast<__m128i*>(base), _mm_add_epi32(x0, rows));
    const __m128 factor = _mm_set1_ps(t.factor);
    for (int f = 0; f < t.fields; ++f) {
        __m128 s00, s10, s01, s11;
        GatherPairs(t.src[f], base, 0, s00, s10);
        GatherPairs(t.src[f], base, W, s01, s11);
        __m128 top = _mm_add_ps(_mm_mul_ps(s00, gx), _mm_mul_ps(s10, fx));
        __m128 bottom = _mm_add_ps(_mm_mul_ps(s01, gx), _mm_mul_ps(s11, fx));
        __m128 v = _mm_add_ps(_mm_mul_ps(top, gy), _mm_mul_ps(bottom, fy));
        _mm_storeu_ps(t.dst[f] + k, _mm_mul_ps(v, factor));
    }
}

// ---- Eight cells, AVX2 ----

#define RAVA_AVX2 __attribute__((target("avx2")))

RAVA_AVX2 inline __m256 ClampPs8(__m256 v, float lo, float hi) {
    __m256 valid = _mm256_and_ps(_mm256_cmp_ps(v, _mm256_set1_ps(-1000000.0f), _CMP_GE_OQ),
                                 _mm256_cmp_ps(v, _mm256_set1_ps(1000000.0f), _CMP_LE_OQ));
    return _mm256_and_ps(valid, _mm256_min_ps(_mm256_max_ps(v, _mm256_set1_ps(lo)), _mm256_set1_ps(hi)));
}

// Lanes with a zero or subnormal value (as an all-ones mask).
RAVA_AVX2 inline __m256i ZeroOrSubnormal8(__m256 v) {
    __m256i magnitude = _mm256_and_si256(_mm256_castps_si256(v), _mm256_set1_epi32(static_cast<int32_t>(kMagnitude)));
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int32_t>(kSmallestNormal)), magnitude);
}

// Lanes whose value is infinite or NaN (as an all-ones mask).
RAVA_AVX2 inline __m256i NonFinite8(__m256 s) {
    const __m256i exponent = _mm256_set1_epi32(0x7F800000);
    return _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_castps_si256(s), exponent), exponent);
}

RAVA_AVX2 inline __m256 Surrogate8(__m256 s) {
    __m256i magnitude = _mm256_and_si256(_mm256_castps_si256(s), _mm256_set1_epi32(static_cast<int32_t>(kMagnitude)));
    __m256i keep = _mm256_or_si256(_mm256_cmpeq_epi32(magnitude, _mm256_setzero_si256()), NonFinite8(s));
    __m256 unit = _mm256_or_ps(_mm256_set1_ps(1.0f), _mm256_and_ps(s, _mm256_set1_ps(-0.0f)));
    return _mm256_blendv_ps(unit, s, _mm256_castsi256_ps(keep));
}

// The shortcut for eight cells that all trace back to themselves.
RAVA_AVX2 void StillGroupAvx2(const TransportJob& t, int32_t k) {
    const __m256 factor = _mm256_set1_ps(t.factor);
    const __m256d scale = _mm256_set1_pd(std::fabs(static_cast<double>(t.factor)));
    const __m256i signOfFactor =
        _mm256_set1_epi32(static_cast<int32_t>(BitCast<uint32_t>(t.factor) & ~kMagnitude));
    const __m256i magnitudeMask = _mm256_set1_epi32(static_cast<int32_t>(kMagnitude));
    for (int f = 0; f < t.fields; ++f) {
        const float* s = t.src[f];
        __m256 v = _mm256_loadu_ps(s + k);
        __m256i bits = _mm256_castps_si256(v);
        __m256i magnitude = _mm256_and_si256(bits, magnitudeMask);
        __m256i small = ZeroOrSubnormal8(v);
        __m256i zero = _mm256_cmpeq_epi32(magnitude, _mm256_setzero_si256());
        // Normal lanes: the plain product (the others multiply a zero).
        __m256 result = _mm256_mul_ps(_mm256_andnot_ps(_mm256_castsi256_ps(small), v), factor);
        // Subnormal lanes: units of 2^-149, rounded to nearest even.
        __m256d lo = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(magnitude)), scale);
        __m256d hi = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(magnitude, 1)), scale);
        __m256i units = _mm256_set_m128i(_mm256_cvtpd_epi32(hi), _mm256_cvtpd_epi32(lo));
        __m256i sign = _mm256_andnot_si256(magnitudeMask, _mm256_xor_si256(bits, signOfFactor));
        result =
            _mm256_blendv_ps(result, _mm256_castsi256_ps(_mm256_or_si256(units, sign)), _mm256_castsi256_ps(small));
        __m256 s10 = _mm256_loadu_ps(s + k + 1), s01 = _mm256_loadu_ps(s + k + W), s11 = _mm256_loadu_ps(s + k + W + 1);
        __m256i full =
            _mm256_or_si256(zero, _mm256_or_si256(NonFinite8(s10), _mm256_or_si256(NonFinite8(s01), NonFinite8(s11))));
        if (!_mm256_testz_si256(full, full)) {
            const __m256 one = _mm256_set1_ps(1.0f), nil = _mm256_setzero_ps();
            __m256 top = _mm256_add_ps(_mm256_mul_ps(Surrogate8(v), one), _mm256_mul_ps(Surrogate8(s10), nil));
            __m256 bottom = _mm256_add_ps(_mm256_mul_ps(Surrogate8(s01), one), _mm256_mul_ps(Surrogate8(s11), nil));
            __m256 sum = _mm256_add_ps(_mm256_mul_ps(top, one), _mm256_mul_ps(bottom, nil));
            result = _mm256_blendv_ps(result, _mm256_mul_ps(sum, factor), _mm256_castsi256_ps(full));
        }
        _mm256_storeu_ps(t.dst[f] + k, result);
    }
}

// For eight lanes, the values at base and the next column: one 8-byte load
// per lane (cheaper than a gather here), then in-lane shuffles sort them.
RAVA_AVX2 inline void GatherPairs8(const float* s, const int32_t* base, __m256& left, __m256& right) {
    auto pair = [&](int lane) { return reinterpret_cast<const __m64*>(s + base[lane]); };
    __m128 a0 = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(0)), pair(1));
    __m128 b0 = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(2)), pair(3));
    __m128 a1 = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(4)), pair(5));
    __m128 b1 = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(6)), pair(7));
    __m256 a = _mm256_set_m128(a1, a0), b = _mm256_set_m128(b1, b0);
    left = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    right = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
}

RAVA_AVX2 void GroupAvx2(const TransportJob& t, int32_t i, int32_t j) {
    int32_t k = i * W + j;
    const __m256 dt = _mm256_set1_ps(t.dt);
    const __m256 one = _mm256_set1_ps(1.0f);
    __m256 cols = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(j)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
    __m256 x = ClampPs8(_mm256_sub_ps(cols, _mm256_mul_ps(_mm256_loadu_ps(t.vx + k), dt)), 0.5f, kMaxX);
    __m256 y =
        ClampPs8(_mm256_sub_ps(_mm256_set1_ps(static_cast<float>(i)), _mm256_mul_ps(_mm256_loadu_ps(t.vy + k), dt)),
                 0.5f, kMaxY);
    __m256i x0 = _mm256_cvttps_epi32(x), y0 = _mm256_cvttps_epi32(y);
    __m256 fx = _mm256_sub_ps(x, _mm256_cvtepi32_ps(x0)), fy = _mm256_sub_ps(y, _mm256_cvtepi32_ps(y0));
    __m256 gx = _mm256_sub_ps(one, fx), gy = _mm256_sub_ps(one, fy);
    const __m256 factor = _mm256_set1_ps(t.factor);
    // Most cells move less than a cell per step: when every lane's top-left
    // tap is its own cell or the one to the left / above, the four taps come
    // from nine contiguous loads around the group and per-lane selects.
    __m256i dx =
        _mm256_sub_epi32(x0, _mm256_add_epi32(_mm256_set1_epi32(j), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    __m256i dy = _mm256_sub_epi32(y0, _mm256_set1_epi32(i));
    const __m256i minusOne = _mm256_set1_epi32(-1);
    __m256i offsets = _mm256_or_si256(_mm256_sub_epi32(dx, minusOne), _mm256_sub_epi32(dy, minusOne));
    if (_mm256_testz_si256(offsets, _mm256_set1_epi32(~1))) {
        __m256 left = _mm256_castsi256_ps(_mm256_cmpeq_epi32(dx, minusOne));
        __m256 up = _mm256_castsi256_ps(_mm256_cmpeq_epi32(dy, minusOne));
        for (int f = 0; f < t.fields; ++f) {
            const float* c = t.src[f] + k;
            __m256 l[3], r[3];  // per row above, at and below: the left and right tap
            for (int row = 0; row < 3; ++row) {
                const float* p = c + (row - 1) * W;
                __m256 here = _mm256_loadu_ps(p);
                l[row] = _mm256_blendv_ps(here, _mm256_loadu_ps(p - 1), left);
                r[row] = _mm256_blendv_ps(_mm256_loadu_ps(p + 1), here, left);
            }
            __m256 s00 = _mm256_blendv_ps(l[1], l[0], up), s10 = _mm256_blendv_ps(r[1], r[0], up);
            __m256 s01 = _mm256_blendv_ps(l[2], l[1], up), s11 = _mm256_blendv_ps(r[2], r[1], up);
            __m256 top = _mm256_add_ps(_mm256_mul_ps(s00, gx), _mm256_mul_ps(s10, fx));
            __m256 bottom = _mm256_add_ps(_mm256_mul_ps(s01, gx), _mm256_mul_ps(s11, fx));
            __m256 v = _mm256_add_ps(_mm256_mul_ps(top, gy), _mm256_mul_ps(bottom, fy));
            _mm256_storeu_ps(t.dst[f] + k, _mm256_mul_ps(v, factor));
        }
        return;
    }
    __m256i base = _mm256_add_epi32(x0, _mm256_mullo_epi32(y0, _mm256_set1_epi32(W)));
    alignas(32) int32_t bases[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(bases), base);
    for (int f = 0; f < t.fields; ++f) {
        __m256 s00, s10, s01, s11;
        GatherPairs8(t.src[f], bases, s00, s10);
        GatherPairs8(t.src[f] + W, bases, s01, s11);
        __m256 top = _mm256_add_ps(_mm256_mul_ps(s00, gx), _mm256_mul_ps(s10, fx));
        __m256 bottom = _mm256_add_ps(_mm256_mul_ps(s01, gx), _mm256_mul_ps(s11, fx));
        __m256 v = _mm256_add_ps(_mm256_mul_ps(top, gy), _mm256_mul_ps(bottom, fy));
        _mm256_storeu_ps(t.dst[f] + k, _mm256_mul_ps(v, factor));
    }
}

RAVA_AVX2 void TransportAvx2(const TransportJob& t) {
    const bool stillAllowed = StillCellsAllowed(t);
    for (int32_t i = 1; i < H - 1; ++i) {
        // 94 interior columns: eleven groups from column 1 and a last one
        // overlapping the previous group (src and dst are separate, so a
        // cell computed twice gets the same value).
        for (int32_t j = 1; j < W - 1; j += 8) {
            if (j > W - 9) j = W - 9;
            int32_t k = i * W + j;
            __m256i still = _mm256_and_si256(ZeroOrSubnormal8(_mm256_loadu_ps(t.vx + k)),
                                             ZeroOrSubnormal8(_mm256_loadu_ps(t.vy + k)));
            if (stillAllowed && _mm256_movemask_ps(_mm256_castsi256_ps(still)) == 0xFF) {
                StillGroupAvx2(t, k);
            } else {
                GroupAvx2(t, i, j);
            }
        }
    }
}

#elif defined(RAVA_SIMD_WASM)
// ---- Four cells, WebAssembly SIMD ----

// ClampPs: the lanes it keeps hold no NaN, so pmin / pmax act as min / max.
inline v128_t ClampWasm(v128_t v, float lo, float hi) {
    v128_t valid = wasm_v128_and(wasm_f32x4_ge(v, wasm_f32x4_splat(-1000000.0f)),
                                 wasm_f32x4_le(v, wasm_f32x4_splat(1000000.0f)));
    return wasm_v128_and(valid, wasm_f32x4_pmin(wasm_f32x4_pmax(v, wasm_f32x4_splat(lo)), wasm_f32x4_splat(hi)));
}

// GroupSse2's steps; the lanes are clamped inside the grid, so the
// saturating truncation agrees with SSE2's.
void GroupWasm(const TransportJob& t, int32_t i, int32_t j) {
    int32_t k = i * W + j;
    const v128_t dt = wasm_f32x4_splat(t.dt);
    const v128_t one = wasm_f32x4_splat(1.0f);
    v128_t cols = wasm_f32x4_add(wasm_f32x4_splat(static_cast<float>(j)), wasm_f32x4_make(0, 1, 2, 3));
    v128_t x = ClampWasm(wasm_f32x4_sub(cols, wasm_f32x4_mul(wasm_v128_load(t.vx + k), dt)), 0.5f, kMaxX);
    v128_t y = ClampWasm(
        wasm_f32x4_sub(wasm_f32x4_splat(static_cast<float>(i)), wasm_f32x4_mul(wasm_v128_load(t.vy + k), dt)), 0.5f,
        kMaxY);
    v128_t x0 = wasm_i32x4_trunc_sat_f32x4(x), y0 = wasm_i32x4_trunc_sat_f32x4(y);
    v128_t fx = wasm_f32x4_sub(x, wasm_f32x4_convert_i32x4(x0)), fy = wasm_f32x4_sub(y, wasm_f32x4_convert_i32x4(y0));
    v128_t gx = wasm_f32x4_sub(one, fx), gy = wasm_f32x4_sub(one, fy);
    alignas(16) int32_t base[4];
    wasm_v128_store(base, wasm_i32x4_add(x0, wasm_i32x4_mul(y0, wasm_i32x4_splat(W))));
    const v128_t factor = wasm_f32x4_splat(t.factor);
    for (int f = 0; f < t.fields; ++f) {
        const float* s = t.src[f];
        auto at = [&](int32_t offset) {
            return wasm_f32x4_make(s[base[0] + offset], s[base[1] + offset], s[base[2] + offset], s[base[3] + offset]);
        };
        v128_t top = wasm_f32x4_add(wasm_f32x4_mul(at(0), gx), wasm_f32x4_mul(at(1), fx));
        v128_t bottom = wasm_f32x4_add(wasm_f32x4_mul(at(W), gx), wasm_f32x4_mul(at(W + 1), fx));
        v128_t v = wasm_f32x4_add(wasm_f32x4_mul(top, gy), wasm_f32x4_mul(bottom, fy));
        wasm_v128_store(t.dst[f] + k, wasm_f32x4_mul(v, factor));
    }
}
#endif

}  // namespace

// A width this build has no form for runs the scalar loop.
void TransportInterior(const TransportJob& job, Simd simd) {
    switch (simd) {
#if defined(RAVA_SIMD_X86)
        case Simd::kAvx2:
            TransportAvx2(job);
            return;
        case Simd::kSse2:
            TransportFours<GroupSse2>(job);
            return;
#elif defined(RAVA_SIMD_WASM)
        case Simd::kWasm128:
            TransportFours<GroupWasm>(job);
            return;
#endif
        default:
            for (int32_t i = 1; i < H - 1; ++i)
                for (int32_t j = 1; j < W - 1; ++j) TransportCell(job, i, j);
            return;
    }
}

}  // namespace rava
