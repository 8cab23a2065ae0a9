// Jacobi sweeps one, four and eight cells at a time. The vector forms compute
// whole rows, borders included, and put the two border cells of each row back
// to 0: cheaper than peeling, and the wrapped neighbours they read are in
// range. Two sweeps share one pass over the rows (the second trails the first
// by a row), so the working set stays a few rows instead of three grids.
//
// A nearly still field has a divergence made of float subnormals, on which
// the additions and the multiplication are several times slower. When every
// divergence is below 2^-132 the sweeps run on whole units of 2^-149 instead:
// every sum then stays below 2^-126 and is exact either way, and the product
// with 0.25 is rounded to whole units (ties to even, keeping the sign of a
// zero) exactly as the subnormal product is rounded. The results are the
// same bits.
#include "playground/jacobi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

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

constexpr int W = ColorFluid::kWidth;
constexpr int H = ColorFluid::kHeight;
constexpr int N = ColorFluid::kCells;
constexpr uint32_t kMagnitude = 0x7FFFFFFFu;
constexpr uint32_t kSign = 0x80000000u;
// 2^-132 in units of 2^-149: 28 sweeps keep |p| below 7 x 2^17 + 14 units.
constexpr uint32_t kUnitsLimit = 1u << 17;
// Adding and removing 1.5 x 2^23 rounds |x| < 2^22 to a whole number, ties to even.
constexpr float kRoundingBias = 12582912.0f;

inline float RoundUnits(float x) {
    float r = (x + kRoundingBias) - kRoundingBias;
    return BitCast<float>(BitCast<uint32_t>(r) | (BitCast<uint32_t>(x) & kSign));
}

// dst row i from src rows i - 1 .. i + 1; kUnits rounds the product.
template <bool kUnits>
inline void RowScalar(float* dst, const float* src, const float* div, int i) {
    for (int j = 1; j < W - 1; ++j) {
        const int k = i * W + j;
        float q = (src[k - 1] + src[k + 1] + src[k - W] + src[k + W] - div[k]) * 0.25f;
        dst[k] = kUnits ? RoundUnits(q) : q;
    }
}

#if defined(RAVA_SIMD_X86)
template <bool kUnits>
inline void RowSse2(float* dst, const float* src, const float* div, int i) {
    const __m128 quarter = _mm_set1_ps(0.25f), bias = _mm_set1_ps(kRoundingBias);
    const __m128 sign = _mm_castsi128_ps(_mm_set1_epi32(static_cast<int32_t>(kSign)));
    const int row = i * W;
    for (int j = 0; j < W; j += 4) {
        const int k = row + j;
        __m128 s = _mm_add_ps(_mm_loadu_ps(src + k - 1), _mm_loadu_ps(src + k + 1));
        s = _mm_add_ps(s, _mm_loadu_ps(src + k - W));
        s = _mm_add_ps(s, _mm_loadu_ps(src + k + W));
        s = _mm_sub_ps(s, _mm_loadu_ps(div + k));
        __m128 q = _mm_mul_ps(s, quarter);
        if (kUnits) q = _mm_or_ps(_mm_sub_ps(_mm_add_ps(q, bias), bias), _mm_and_ps(q, sign));
        _mm_storeu_ps(dst + k, q);
    }
    dst[row] = 0.0f;
    dst[row + W - 1] = 0.0f;
}

template <bool kUnits>
RAVA_AVX2 inline void RowAvx2(float* dst, const float* src, const float* div, int i) {
    const __m256 quarter = _mm256_set1_ps(0.25f);
    const int row = i * W;
    for (int j = 0; j < W; j += 8) {
        const int k = row + j;
        __m256 s = _mm256_add_ps(_mm256_loadu_ps(src + k - 1), _mm256_loadu_ps(src + k + 1));
        s = _mm256_add_ps(s, _mm256_loadu_ps(src + k - W));
        s = _mm256_add_ps(s, _mm256_loadu_ps(src + k + W));
        s = _mm256_sub_ps(s, _mm256_loadu_ps(div + k));
        __m256 q = _mm256_mul_ps(s, quarter);
        // Ties to even, and a zero keeps the sign of q.
        if (kUnits) q = _mm256_round_ps(q, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        _mm256_storeu_ps(dst + k, q);
    }
    dst[row] = 0.0f;
    dst[row + W - 1] = 0.0f;
}
#endif

#if defined(RAVA_SIMD_WASM)
template <bool kUnits>
inline void RowWasm(float* dst, const float* src, const float* div, int i) {
    const v128_t quarter = wasm_f32x4_splat(0.25f), bias = wasm_f32x4_splat(kRoundingBias);
    const v128_t sign = wasm_i32x4_splat(static_cast<int32_t>(kSign));
    const int row = i * W;
    for (int j = 0; j < W; j += 4) {
        const int k = row + j;
        v128_t s = wasm_f32x4_add(wasm_v128_load(src + k - 1), wasm_v128_load(src + k + 1));
        s = wasm_f32x4_add(s, wasm_v128_load(src + k - W));
        s = wasm_f32x4_add(s, wasm_v128_load(src + k + W));
        s = wasm_f32x4_sub(s, wasm_v128_load(div + k));
        v128_t q = wasm_f32x4_mul(s, quarter);
        if (kUnits) q = wasm_v128_or(wasm_f32x4_sub(wasm_f32x4_add(q, bias), bias), wasm_v128_and(q, sign));
        wasm_v128_store(dst + k, q);
    }
    dst[row] = 0.0f;
    dst[row + W - 1] = 0.0f;
}
#endif

// p -> q -> p in one pass: once q row i exists, p row i - 1 is no longer
// read by the first sweep and takes the second sweep's value.
template <void (*Row)(float*, const float*, const float*, int)>
inline float* Sweeps(float* p, float* q, const float* div, int iterations) {
    for (int it = 0; it + 2 <= iterations; it += 2) {
        for (int i = 1; i < H - 1; ++i) {
            Row(q, p, div, i);
            if (i >= 2) Row(p, q, div, i - 1);
        }
        Row(p, q, div, H - 2);
    }
    if (iterations % 2 != 0) {
        for (int i = 1; i < H - 1; ++i) Row(q, p, div, i);
        std::swap(p, q);
    }
    return p;
}

#if defined(RAVA_SIMD_X86)
template <bool kUnits>
RAVA_AVX2 float* SweepsAvx2(float* p, float* q, const float* div, int iterations) {
    return Sweeps<RowAvx2<kUnits>>(p, q, div, iterations);
}
#endif

// A width this build has no form for runs the scalar loop.
template <bool kUnits>
float* SweepsAt(float* p, float* q, const float* div, int iterations, Simd simd) {
    switch (simd) {
#if defined(RAVA_SIMD_X86)
        case Simd::kAvx2:
            return SweepsAvx2<kUnits>(p, q, div, iterations);
        case Simd::kSse2:
            return Sweeps<RowSse2<kUnits>>(p, q, div, iterations);
#elif defined(RAVA_SIMD_WASM)
        case Simd::kWasm128:
            return Sweeps<RowWasm<kUnits>>(p, q, div, iterations);
#endif
        default:
            break;
    }
    return Sweeps<RowScalar<kUnits>>(p, q, div, iterations);
}

bool InteriorBelowUnitsLimit(const float* div) {
    uint32_t below = 1;
    for (int i = 1; i < H - 1; ++i)
        for (int j = 1; j < W - 1; ++j) below &= (BitCast<uint32_t>(div[i * W + j]) & kMagnitude) < kUnitsLimit;
    return below != 0;
}

// A float below 2^-126 holds its value in units of 2^-149 as its magnitude
// bits; these convert between the two without floating-point arithmetic on
// subnormals. Border entries of div are never used (border cells are reset
// to 0), so their conversion only has to stay finite, hence the mask.
void ToUnits(float* v) {
    for (int k = 0; k < N; ++k) {
        uint32_t bits = BitCast<uint32_t>(v[k]);
        float units = static_cast<float>(static_cast<int32_t>(bits & kMagnitude & (kUnitsLimit * 16 - 1)));
        v[k] = BitCast<float>(BitCast<uint32_t>(units) | (bits & kSign));
    }
}

void FromUnits(float* v) {
    for (int k = 0; k < N; ++k) {
        uint32_t bits = BitCast<uint32_t>(v[k]);
        auto units = static_cast<uint32_t>(static_cast<int32_t>(std::fabs(v[k])));
        v[k] = BitCast<float>(units | (bits & kSign));
    }
}

}  // namespace

float* JacobiSweeps(float* p, float* q, float* div, int iterations, Simd simd) {
    if (!InteriorBelowUnitsLimit(div)) return SweepsAt<false>(p, q, div, iterations, simd);
    ToUnits(div);
    float* result = SweepsAt<true>(p, q, div, iterations, simd);
    FromUnits(result);
    return result;
}

}  // namespace rava
