// ColorFluid solver operations: splatting, boundaries, divergence, Jacobi
// projection and semi-Lagrangian stepping. Every expression keeps the float32
// order of operations of the reference scheme, so the batched paths below give
// bit-identical results to the one-sample-at-a-time path through the slots.
#include "playground/color_fluid.h"

#include <cmath>
#include <typeinfo>

#include "playground/fluid_kernels.h"
#if defined(RAVA_SIMD_X86)
#include <immintrin.h>
#endif
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

inline float CentralDivergence(const float* vx, const float* vy, int32_t k) {
    return 0.5f * (vx[k + 1] - vx[k - 1] + vy[k + W] - vy[k - W]);
}

#if defined(RAVA_SIMD_X86)
// The projection's two other passes eight cells at a time over whole rows
// 1 to 62, border columns included: the wrapped neighbours those read are in
// range and finite enough, and what they write is never read (the divergence
// of a border cell) or cleared by SetBoundaries right after (the velocity).
__attribute__((target("avx2"))) bool DivergenceRowsAvx2(const float* vx, const float* vy, float* div) {
    const __m256 half = _mm256_set1_ps(0.5f);
    int nonZero = 0;
    for (int32_t k = W; k < (H - 1) * W; k += 8) {
        __m256 d = _mm256_sub_ps(_mm256_loadu_ps(vx + k + 1), _mm256_loadu_ps(vx + k - 1));
        d = _mm256_add_ps(d, _mm256_loadu_ps(vy + k + W));
        d = _mm256_sub_ps(d, _mm256_loadu_ps(vy + k - W));
        d = _mm256_mul_ps(half, d);
        _mm256_storeu_ps(div + k, d);
        // Only interior lanes count: not column 0 (first group of a row) nor 95 (last).
        int column = k % W;
        int lanes = column == 0 ? 0xFE : column == W - 8 ? 0x7F : 0xFF;
        nonZero |= _mm256_movemask_ps(_mm256_cmp_ps(d, _mm256_setzero_ps(), _CMP_NEQ_UQ)) & lanes;
    }
    return nonZero != 0;
}

__attribute__((target("avx2"))) void SubtractGradientRowsAvx2(float* vx, float* vy, const float* p) {
    const __m256 half = _mm256_set1_ps(0.5f);
    for (int32_t k = W; k < (H - 1) * W; k += 8) {
        __m256 gx = _mm256_mul_ps(half, _mm256_sub_ps(_mm256_loadu_ps(p + k + 1), _mm256_loadu_ps(p + k - 1)));
        __m256 gy = _mm256_mul_ps(half, _mm256_sub_ps(_mm256_loadu_ps(p + k + W), _mm256_loadu_ps(p + k - W)));
        _mm256_storeu_ps(vx + k, _mm256_sub_ps(_mm256_loadu_ps(vx + k), gx));
        _mm256_storeu_ps(vy + k, _mm256_sub_ps(_mm256_loadu_ps(vy + k), gy));
    }
}
#endif

// The interior divergence into div; true when any of it is non-zero. The
// narrower widths run the plain loops (the compiler vectorises them).
bool DivergenceRows(const float* vx, const float* vy, float* div, Simd simd) {
#if defined(RAVA_SIMD_X86)
    if (simd == Simd::kAvx2) return DivergenceRowsAvx2(vx, vy, div);
#endif
    (void)simd;
    bool anyDivergence = false;
    for (int32_t i = 1; i < H - 1; ++i)
        for (int32_t j = 1; j < W - 1; ++j) {
            int32_t k = i * W + j;
            div[k] = CentralDivergence(vx, vy, k);
            anyDivergence |= div[k] != 0.0f;
        }
    return anyDivergence;
}

void SubtractGradientRows(float* vx, float* vy, const float* p, Simd simd) {
#if defined(RAVA_SIMD_X86)
    if (simd == Simd::kAvx2) {
        SubtractGradientRowsAvx2(vx, vy, p);
        return;
    }
#endif
    (void)simd;
    for (int32_t i = 1; i < H - 1; ++i)
        for (int32_t j = 1; j < W - 1; ++j) {
            int32_t k = i * W + j;
            vx[k] = vx[k] - 0.5f * (p[k + 1] - p[k - 1]);
            vy[k] = vy[k] - 0.5f * (p[k + W] - p[k - W]);
        }
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
        for (int32_t j = 1; j < W - 1; ++j)
            div[i * W + j] = CentralDivergence(velocityX.data(), velocityY.data(), i * W + j);
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
    const Simd simd = SolverSimd();
    // With no divergence every sweep keeps p at exactly 0 and the correction
    // subtracts 0; skipping them changes no bit (x - 0 == x, also for -0).
    if (DivergenceRows(vx, vy, div, simd)) {
        std::fill(p, p + N, 0.0f);
        std::fill(q, q + N, 0.0f);
        p = JacobiSweeps(p, q, div, kJacobiIterations, simd);
        SubtractGradientRows(vx, vy, p, simd);
    }
    // Also clears the border cells that the whole-row vector forms wrote.
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

void ColorFluid::StepBatched(float dt) {
    float* vx0 = scratchD.data();
    float* vy0 = scratchE.data();
    std::copy(velocityX.begin(), velocityX.end(), vx0);
    std::copy(velocityY.begin(), velocityY.end(), vy0);
    // Both components are traced with the velocity before this step.
    TransportInterior(
        TransportJob{vx0, vy0, dt, kRetention, 2, {vx0, vy0, nullptr}, {velocityX.data(), velocityY.data(), nullptr}},
        SolverSimd());
    ProjectBatched();
    // The projection is done with its work arrays; reuse them for the dye copies.
    float* r0 = scratchA.data();
    float* g0 = scratchB.data();
    float* b0 = scratchC.data();
    std::copy(dyeRed.begin(), dyeRed.end(), r0);
    std::copy(dyeGreen.begin(), dyeGreen.end(), g0);
    std::copy(dyeBlue.begin(), dyeBlue.end(), b0);
    float fade = 1.0f - 0.08f * dt;
    TransportInterior(TransportJob{velocityX.data(),
                                   velocityY.data(),
                                   dt,
                                   fade,
                                   3,
                                   {r0, g0, b0},
                                   {dyeRed.data(), dyeGreen.data(), dyeBlue.data()}},
                      SolverSimd());
}

}  // namespace rava
