// ColorFluid solver operations: splatting, boundaries, divergence, Jacobi
// projection and semi-Lagrangian stepping. Every expression keeps the float32
// order of operations of the reference scheme, so the batched paths below give
// bit-identical results to the one-sample-at-a-time path through the slots.
#include "playground/color_fluid.h"

#include <emmintrin.h>

#include <bit>
#include <cmath>
#include <typeinfo>

#include "playground/jacobi.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

constexpr int32_t W = ColorFluid::kWidth;
constexpr int32_t H = ColorFluid::kHeight;
constexpr int32_t N = ColorFluid::kCells;
constexpr float kRetention = 0.998f;
constexpr int kJacobiIterations = 28;

// Bilinear weights of one traced-back position, shared by every field sampled
// there. Same steps as Sample: clamp, floor, fractions.
struct Tap {
    int32_t k;
    float fx, fy;
};

inline Tap TapAt(float x, float y) {
    x = Clamp(x, 0.5f, static_cast<float>(W) - 1.5f);
    y = Clamp(y, 0.5f, static_cast<float>(H) - 1.5f);
    // Both are clamped to be non-negative, where truncation is floor.
    int32_t x0 = static_cast<int32_t>(x);
    int32_t y0 = static_cast<int32_t>(y);
    return Tap{x0 + W * y0, x - static_cast<float>(x0), y - static_cast<float>(y0)};
}

inline float Bilinear(const float* f, const Tap& t) {
    float s00 = f[t.k], s10 = f[t.k + 1], s01 = f[t.k + W], s11 = f[t.k + W + 1];
    return (s00 * (1.0f - t.fx) + s10 * t.fx) * (1.0f - t.fy) + (s01 * (1.0f - t.fx) + s11 * t.fx) * t.fy;
}

// Faded fields end up full of float subnormals, and arithmetic on those is
// several times slower than on normal numbers. Flushing them to zero would
// change results, so the hot cases are computed exactly without touching a
// subnormal in the floating-point unit: a subnormal is m x 2^-149 with the
// integer m in its bit pattern, and its product with a constant c is the
// nearest (ties to even) multiple of 2^-149 to m x c, found exactly in
// double precision as long as it stays below 2^24 units.
constexpr uint32_t kMagnitudeMask = 0x7FFFFFFFu;
constexpr uint32_t kSmallestNormalBits = 0x00800000u;

inline bool IsZeroOrSubnormal(float v) { return (std::bit_cast<uint32_t>(v) & kMagnitudeMask) < kSmallestNormalBits; }
inline bool IsZero(float v) { return (std::bit_cast<uint32_t>(v) & kMagnitudeMask) == 0; }

inline float MulExact(float v, float c) {
    uint32_t bits = std::bit_cast<uint32_t>(v);
    uint32_t magnitude = bits & kMagnitudeMask;
    if (magnitude == 0 || magnitude >= kSmallestNormalBits) return v * c;
    double product = static_cast<double>(magnitude) * std::fabs(static_cast<double>(c));
    if (!(product < 8388608.0)) return v * c;  // leaves the subnormal grid (or c is not finite)
    // Adding and removing 2^52 rounds to an integer, ties to even.
    double units = (product + 4503599627370496.0) - 4503599627370496.0;
    uint32_t sign = (bits ^ std::bit_cast<uint32_t>(c)) & ~kMagnitudeMask;
    return std::bit_cast<float>(sign | static_cast<uint32_t>(units));
}

// A cell whose velocity components are zero or subnormal traces back to
// itself: j - v dt rounds to j exactly while |v dt| < 2^-26.
inline bool TracesToItself(float vx, float vy, float dt) {
    return IsZeroOrSubnormal(vx) && IsZeroOrSubnormal(vy) && std::fabs(dt) < 1e20f;
}

// Bilinear sample at the cell's own centre (fx = fy = 0): the weighted sum
// collapses to the cell's value unless that is a zero, whose sign the full
// sum decides.
inline float SampleAtCell(const float* f, int32_t k) {
    float v = f[k];
    return IsZero(v) ? Bilinear(f, Tap{k, 0.0f, 0.0f}) : v;
}

inline float CentralDivergence(const float* vx, const float* vy, int32_t k) {
    return 0.5f * (vx[k + 1] - vx[k - 1] + vy[k + W] - vy[k - W]);
}

}  // namespace

ColorFluid::ColorFluid() {
    for (auto* s : {&scratchA, &scratchB, &scratchC, &scratchD, &scratchE}) s->assign(N, 0.0f);
    Reset();
}

bool ColorFluid::UsesOwnOperations() const { return typeid(*this) == typeid(ColorFluid); }

void ColorFluid::Reset() {
    for (auto* f : {&velocityX, &velocityY, &dyeRed, &dyeGreen, &dyeBlue}) f->assign(N, 0.0f);
}

float ColorFluid::Sample(const std::vector<float>& field, float x, float y) {
    if (field.size() < static_cast<size_t>(N)) {
        // A caller's array shorter than the grid: its missing cells read as 0.
        std::vector<float> full(field);
        full.resize(N, 0.0f);
        return Bilinear(full.data(), TapAt(x, y));
    }
    return Bilinear(field.data(), TapAt(x, y));
}

void ColorFluid::Splat(float x, float y, float dvx, float dvy, float r, float g, float b) {
    // Only cells with d^2 < 64 change; limit the scan to the 8-cell box around
    // the centre (a NaN or far-away centre touches nothing).
    if (!(x > -9.0f && x < static_cast<float>(W) + 8.0f && y > -9.0f && y < static_cast<float>(H) + 8.0f)) return;
    int32_t iLo = std::max<int32_t>(1, static_cast<int32_t>(std::floor(y)) - 8);
    int32_t iHi = std::min<int32_t>(H - 2, static_cast<int32_t>(std::floor(y)) + 9);
    int32_t jLo = std::max<int32_t>(1, static_cast<int32_t>(std::floor(x)) - 8);
    int32_t jHi = std::min<int32_t>(W - 2, static_cast<int32_t>(std::floor(x)) + 9);
    for (int32_t i = iLo; i <= iHi; ++i) {
        for (int32_t j = jLo; j <= jHi; ++j) {
            float dx = static_cast<float>(j) - x;
            float dy = static_cast<float>(i) - y;
            float d2 = dx * dx + dy * dy;
            if (!(d2 < 64.0f)) continue;
            float t = 1.0f - d2 * 0.015625f;
            float w = t * t;
            int32_t k = i * W + j;
            velocityX[k] = Clamp(velocityX[k] + w * dvx, -80.0f, 80.0f);
            velocityY[k] = Clamp(velocityY[k] + w * dvy, -80.0f, 80.0f);
            dyeRed[k] = Clamp(dyeRed[k] + w * r, 0.0f, 12.0f);
            dyeGreen[k] = Clamp(dyeGreen[k] + w * g, 0.0f, 12.0f);
            dyeBlue[k] = Clamp(dyeBlue[k] + w * b, 0.0f, 12.0f);
        }
    }
}

void ColorFluid::SetBoundaries() {
    for (int32_t i = 0; i < H; ++i) {
        for (int32_t k : {i * W, i * W + W - 1}) velocityX[k] = velocityY[k] = 0.0f;
    }
    for (int32_t j = 0; j < W; ++j) {
        for (int32_t k : {j, (H - 1) * W + j}) velocityX[k] = velocityY[k] = 0.0f;
    }
}

float ColorFluid::Divergence() {
    float sum = 0.0f;
    for (int32_t i = 1; i < H - 1; ++i) {
        for (int32_t j = 1; j < W - 1; ++j) {
            float d = CentralDivergence(velocityX.data(), velocityY.data(), i * W + j);
            sum += d * d;
        }
    }
    return sum / static_cast<float>(N);
}

void ColorFluid::Project() {
    if (UsesOwnOperations()) {
        ProjectBatched();
        return;
    }
    SetBoundaries();
    std::vector<float> div(N, 0.0f), p(N, 0.0f);
    for (int32_t i = 1; i < H - 1; ++i)
        for (int32_t j = 1; j < W - 1; ++j) div[i * W + j] = CentralDivergence(velocityX.data(), velocityY.data(), i * W + j);
    for (int it = 0; it < kJacobiIterations; ++it) {
        std::vector<float> q = p;
        for (int32_t i = 1; i < H - 1; ++i)
            for (int32_t j = 1; j < W - 1; ++j) {
                int32_t k = i * W + j;
                q[k] = (p[k - 1] + p[k + 1] + p[k - W] + p[k + W] - div[k]) * 0.25f;
            }
        p = std::move(q);
    }
    for (int32_t i = 1; i < H - 1; ++i)
        for (int32_t j = 1; j < W - 1; ++j) {
            int32_t k = i * W + j;
            velocityX[k] = velocityX[k] - 0.5f * (p[k + 1] - p[k - 1]);
            velocityY[k] = velocityY[k] - 0.5f * (p[k + W] - p[k - W]);
        }
    SetBoundaries();
}

void ColorFluid::ProjectBatched() {
    SetBoundaries();
    float* vx = velocityX.data();
    float* vy = velocityY.data();
    float* div = scratchA.data();
    float* p = scratchB.data();
    float* q = scratchC.data();
    bool anyDivergence = false;
    for (int32_t i = 1; i < H - 1; ++i)
        for (int32_t j = 1; j < W - 1; ++j) {
            int32_t k = i * W + j;
            div[k] = CentralDivergence(vx, vy, k);
            anyDivergence = anyDivergence || div[k] != 0.0f;
        }
    // With no divergence every sweep keeps p at exactly 0 and the correction
    // subtracts 0; skipping them changes no bit (x - 0 == x, also for -0).
    if (anyDivergence) {
        std::fill(p, p + N, 0.0f);
        std::fill(q, q + N, 0.0f);
        p = CpuHasAvx2() ? JacobiSweepsAvx2(p, q, div, kJacobiIterations)
                         : JacobiSweepsSse2(p, q, div, kJacobiIterations);
        for (int32_t i = 1; i < H - 1; ++i)
            for (int32_t j = 1; j < W - 1; ++j) {
                int32_t k = i * W + j;
                vx[k] = vx[k] - 0.5f * (p[k + 1] - p[k - 1]);
                vy[k] = vy[k] - 0.5f * (p[k + W] - p[k - W]);
            }
    }
    SetBoundaries();
}

void ColorFluid::Step(float dt) {
    if (UsesOwnOperations()) {
        StepBatched(dt);
    } else {
        StepThroughSlots(dt);
    }
}

void ColorFluid::StepThroughSlots(float dt) {
    std::vector<float> vx0 = velocityX, vy0 = velocityY;
    for (int32_t i = 1; i < H - 1; ++i)
        for (int32_t j = 1; j < W - 1; ++j) {
            int32_t k = i * W + j;
            float x = static_cast<float>(j) - vx0[k] * dt;
            float y = static_cast<float>(i) - vy0[k] * dt;
            velocityX[k] = Sample(vx0, x, y) * kRetention;
            velocityY[k] = Sample(vy0, x, y) * kRetention;
        }
    Project();
    std::vector<float> r0 = dyeRed, g0 = dyeGreen, b0 = dyeBlue;
    float fade = 1.0f - 0.08f * dt;
    for (int32_t i = 1; i < H - 1; ++i)
        for (int32_t j = 1; j < W - 1; ++j) {
            int32_t k = i * W + j;
            float x = static_cast<float>(j) - velocityX[k] * dt;
            float y = static_cast<float>(i) - velocityY[k] * dt;
            dyeRed[k] = Sample(r0, x, y) * fade;
            dyeGreen[k] = Sample(g0, x, y) * fade;
            dyeBlue[k] = Sample(b0, x, y) * fade;
        }
}

namespace {

// Semi-Lagrangian transport of up to three fields along one velocity field:
// dst[f][k] = Bilinear(src[f], cell k traced back by (vx, vy) dt) x factor.
// Four cells of a row go through SSE2 together; groups whose cells all
// trace to themselves take the exact subnormal-safe shortcut instead.
struct Transport {
    const float* vx;
    const float* vy;
    float dt;
    float factor;
    int fields;
    const float* src[3];
    float* dst[3];
};

inline void TransportCellScalar(const Transport& t, int32_t i, int32_t j) {
    int32_t k = i * W + j;
    if (TracesToItself(t.vx[k], t.vy[k], t.dt)) {
        for (int f = 0; f < t.fields; ++f) t.dst[f][k] = MulExact(SampleAtCell(t.src[f], k), t.factor);
        return;
    }
    Tap tap = TapAt(static_cast<float>(j) - t.vx[k] * t.dt, static_cast<float>(i) - t.vy[k] * t.dt);
    for (int f = 0; f < t.fields; ++f) t.dst[f][k] = Bilinear(t.src[f], tap) * t.factor;
}

// Clamp's rule for four lanes: NaN or |v| > 1e6 gives 0, otherwise lo..hi.
inline __m128 ClampPs(__m128 v, float lo, float hi) {
    __m128 valid = _mm_and_ps(_mm_cmpge_ps(v, _mm_set1_ps(-1000000.0f)), _mm_cmple_ps(v, _mm_set1_ps(1000000.0f)));
    __m128 c = _mm_min_ps(_mm_max_ps(v, _mm_set1_ps(lo)), _mm_set1_ps(hi));
    return _mm_and_ps(valid, c);
}

// For four lanes, the values at base + offset and the next column: each lane
// is one 8-byte load of the horizontal pair, then two shuffles sort them.
inline void GatherPairs(const float* s, const int32_t* base, int32_t offset, __m128& left, __m128& right) {
    auto pair = [&](int lane) { return reinterpret_cast<const __m64*>(s + base[lane] + offset); };
    __m128 a = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(0)), pair(1));
    __m128 b = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(2)), pair(3));
    left = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    right = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
}

void TransportGroup(const Transport& t, int32_t i, int32_t j) {
    int32_t k = i * W + j;
    const __m128 dt = _mm_set1_ps(t.dt);
    const __m128 one = _mm_set1_ps(1.0f);
    __m128 cols = _mm_setr_ps(static_cast<float>(j), static_cast<float>(j + 1), static_cast<float>(j + 2),
                              static_cast<float>(j + 3));
    __m128 x = _mm_sub_ps(cols, _mm_mul_ps(_mm_loadu_ps(t.vx + k), dt));
    __m128 y = _mm_sub_ps(_mm_set1_ps(static_cast<float>(i)), _mm_mul_ps(_mm_loadu_ps(t.vy + k), dt));
    x = ClampPs(x, 0.5f, static_cast<float>(W) - 1.5f);
    y = ClampPs(y, 0.5f, static_cast<float>(H) - 1.5f);
    __m128i x0 = _mm_cvttps_epi32(x);  // non-negative: truncation is floor
    __m128i y0 = _mm_cvttps_epi32(y);
    __m128 fx = _mm_sub_ps(x, _mm_cvtepi32_ps(x0));
    __m128 fy = _mm_sub_ps(y, _mm_cvtepi32_ps(y0));
    __m128 gx = _mm_sub_ps(one, fx), gy = _mm_sub_ps(one, fy);
    alignas(16) int32_t base[4];
    // y0 x 96 as shifts: SSE2 has no 32-bit lane multiply.
    __m128i rows = _mm_add_epi32(_mm_slli_epi32(y0, 6), _mm_slli_epi32(y0, 5));
    _mm_store_si128(reinterpret_cast<__m128i*>(base), _mm_add_epi32(x0, rows));
    const __m128 factor = _mm_set1_ps(t.factor);
    for (int f = 0; f < t.fields; ++f) {
        const float* s = t.src[f];
        __m128 s00, s10, s01, s11;
        GatherPairs(s, base, 0, s00, s10);
        GatherPairs(s, base, W, s01, s11);
        __m128 top = _mm_add_ps(_mm_mul_ps(s00, gx), _mm_mul_ps(s10, fx));
        __m128 bottom = _mm_add_ps(_mm_mul_ps(s01, gx), _mm_mul_ps(s11, fx));
        __m128 v = _mm_add_ps(_mm_mul_ps(top, gy), _mm_mul_ps(bottom, fy));
        _mm_storeu_ps(t.dst[f] + k, _mm_mul_ps(v, factor));
    }
}

void TransportAll(const Transport& t) {
    for (int32_t i = 1; i < H - 1; ++i) {
        int32_t j = 1;
        for (; j + 4 <= W - 1; j += 4) {
            int32_t k = i * W + j;
            bool allStill = true;
            for (int32_t c = 0; c < 4; ++c) allStill = allStill && TracesToItself(t.vx[k + c], t.vy[k + c], t.dt);
            if (allStill) {
                for (int32_t c = 0; c < 4; ++c) TransportCellScalar(t, i, j + c);
            } else {
                TransportGroup(t, i, j);
            }
        }
        for (; j < W - 1; ++j) TransportCellScalar(t, i, j);
    }
}

}  // namespace

void ColorFluid::StepBatched(float dt) {
    float* vx0 = scratchD.data();
    float* vy0 = scratchE.data();
    std::copy(velocityX.begin(), velocityX.end(), vx0);
    std::copy(velocityY.begin(), velocityY.end(), vy0);
    // Both components are traced with the velocity before this step.
    TransportAll(Transport{vx0, vy0, dt, kRetention, 2, {vx0, vy0, nullptr},
                           {velocityX.data(), velocityY.data(), nullptr}});
    ProjectBatched();
    // The projection is done with its work arrays; reuse them for the dye copies.
    float* r0 = scratchA.data();
    float* g0 = scratchB.data();
    float* b0 = scratchC.data();
    std::copy(dyeRed.begin(), dyeRed.end(), r0);
    std::copy(dyeGreen.begin(), dyeGreen.end(), g0);
    std::copy(dyeBlue.begin(), dyeBlue.end(), b0);
    float fade = 1.0f - 0.08f * dt;
    TransportAll(Transport{velocityX.data(), velocityY.data(), dt, fade, 3, {r0, g0, b0},
                           {dyeRed.data(), dyeGreen.data(), dyeBlue.data()}});
}

}  // namespace rava
