// Solver behaviour: splats, boundaries, projection, stepping, sampling, the
// reference values of the self-test sequence, and bit-identity with the
// plain baseline solver.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "bench/playground/baseline_fluid.h"
#include "playground/color_fluid.h"
#include "playground/jacobi.h"
#include "runtime/bit_cast.h"

namespace rava {
namespace {

constexpr int W = ColorFluid::kWidth, H = ColorFluid::kHeight, N = ColorFluid::kCells;

float MaxOf(const std::vector<float>& v) { return *std::max_element(v.begin(), v.end()); }

// Every bit of all five fields agrees (memcmp: -0 and +0 differ).
void ExpectSameFields(const ColorFluid& f, const baseline::Fluid& b) {
    auto same = [](const std::vector<float>& x, const std::vector<float>& y) {
        return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(float)) == 0;
    };
    EXPECT_TRUE(same(f.velocityX, b.vx));
    EXPECT_TRUE(same(f.velocityY, b.vy));
    EXPECT_TRUE(same(f.dyeRed, b.r));
    EXPECT_TRUE(same(f.dyeGreen, b.g));
    EXPECT_TRUE(same(f.dyeBlue, b.b));
}

bool BordersStill(const ColorFluid& f) {
    for (int k = 0; k < N; ++k) {
        int i = k / W, j = k % W;
        bool border = i == 0 || i == H - 1 || j == 0 || j == W - 1;
        if (border && (f.velocityX[k] != 0.0f || f.velocityY[k] != 0.0f)) return false;
    }
    return true;
}

TEST(ColorFluid, StartsAndResetsToAllZeros) {
    ColorFluid f;
    f.Splat(45, 30, 30, 17, 1, 1, 1);
    f.Step(0.02f);
    f.Reset();
    for (auto* field : {&f.velocityX, &f.velocityY, &f.dyeRed, &f.dyeGreen, &f.dyeBlue}) {
        ASSERT_EQ(field->size(), 6144u);
        for (float v : *field) ASSERT_EQ(v, 0.0f);
    }
    EXPECT_EQ(f.Divergence(), 0.0f);
}

TEST(ColorFluid, SplatGivesFullAmountAtCentreAndNothingFromEightCells) {
    ColorFluid f;
    f.Splat(45, 30, 0, 0, 5, 2, 0.5f);
    EXPECT_EQ(f.dyeRed[30 * W + 45], 5.0f);
    EXPECT_EQ(f.dyeGreen[30 * W + 45], 2.0f);
    for (int k = 0; k < N; ++k) {
        float dx = k % W - 45.0f, dy = k / W - 30.0f;
        if (dx * dx + dy * dy >= 64.0f) {
            ASSERT_EQ(f.dyeRed[k], 0.0f) << k;
        }
    }
    EXPECT_GT(f.dyeRed[30 * W + 52], 0.0f);  // seven cells away still receives some
}

TEST(ColorFluid, RepeatedSplatsSaturate) {
    ColorFluid f;
    for (int n = 0; n < 40; ++n) f.Splat(20, 20, 50, -50, 3, 3, 3);
    EXPECT_EQ(MaxOf(f.dyeRed), 12.0f);
    EXPECT_EQ(MaxOf(f.velocityX), 80.0f);
    EXPECT_EQ(*std::min_element(f.velocityY.begin(), f.velocityY.end()), -80.0f);
}

TEST(ColorFluid, NonFiniteOrHugeSplatInputsBecomeZero) {
    ColorFluid f;
    f.Splat(10, 10, 5, 5, 1, 1, 1);
    const float inf = std::numeric_limits<float>::infinity();
    f.Splat(10, 10, inf, 2e6f, NAN, 1, 1);
    EXPECT_EQ(f.velocityX[10 * W + 10], 0.0f);
    EXPECT_EQ(f.velocityY[10 * W + 10], 0.0f);
    EXPECT_EQ(f.dyeRed[10 * W + 10], 0.0f);
    EXPECT_EQ(f.dyeGreen[10 * W + 10], 2.0f);
    ColorFluid g;
    g.Splat(NAN, 10, 1, 1, 1, 1, 1);  // touches no cell
    g.Splat(-3e38f, inf, 1, 1, 1, 1, 1);
    EXPECT_EQ(MaxOf(g.dyeRed), 0.0f);
}

TEST(ColorFluid, SplatNearTheEdgeLeavesBordersAndReachesInterior) {
    ColorFluid f;
    f.Splat(0, 0, 30, 30, 1, 1, 1);
    EXPECT_EQ(f.dyeRed[0], 0.0f);
    EXPECT_GT(f.dyeRed[1 * W + 1], 0.0f);
    f.Splat(-5, 30, 0, 0, 1, 0, 0);  // centre outside the grid, 6 cells from column 1
    EXPECT_GT(f.dyeRed[30 * W + 1], 0.0f);
    f.Splat(40, 62, 20, 20, 1, 1, 1);  // on the last interior row: row 63 stays 0
    EXPECT_GT(f.dyeRed[62 * W + 40], 0.0f);
    for (auto* field : {&f.velocityX, &f.velocityY, &f.dyeRed, &f.dyeGreen, &f.dyeBlue})
        for (int j = 0; j < W; ++j) ASSERT_EQ((*field)[(H - 1) * W + j], 0.0f) << j;
    f.Step(0.03f);
    EXPECT_TRUE(BordersStill(f));
}

TEST(ColorFluid, ProjectionReducesDivergenceAndMatchesReferenceValues) {
    ColorFluid f;
    f.Splat(45, 30, 30, 17, 1, 0.2f, 0.7f);
    float d1 = f.Divergence();
    f.Project();
    float d2 = f.Divergence();
    EXPECT_NEAR(d1, 0.383299, 5e-7);
    EXPECT_NEAR(d2, 0.070894, 5e-7);
    f.Step(0.033f);
    EXPECT_NEAR(MaxOf(f.dyeRed), 0.974979, 5e-7);
    f.Splat(45, 30, 0, 0, 5, 2, 0.5f);
    EXPECT_NEAR(f.dyeRed[2925], 5.967057, 5e-7);
}

TEST(ColorFluid, StepZeroKeepsDyeAndDampsVelocityBeforeProjecting) {
    ColorFluid f, expected;
    for (ColorFluid* x : {&f, &expected}) x->Splat(40, 30, 12, -7, 2, 1, 0.5f);
    std::vector<float> dye = f.dyeRed;
    f.Step(0.0f);
    EXPECT_EQ(f.dyeRed, dye);
    for (int k = 0; k < N; ++k) {
        expected.velocityX[k] *= 0.998f;
        expected.velocityY[k] *= 0.998f;
    }
    expected.Project();
    EXPECT_EQ(f.velocityX, expected.velocityX);
    EXPECT_EQ(f.velocityY, expected.velocityY);
}

TEST(ColorFluid, SampleClampsToTheSamplingBounds) {
    ColorFluid f;
    for (int k = 0; k < N; ++k) f.dyeRed[k] = static_cast<float>(k % 97) * 0.25f;
    EXPECT_EQ(f.Sample(f.dyeRed, -5, 20), f.Sample(f.dyeRed, 0.5f, 20));
    EXPECT_EQ(f.Sample(f.dyeRed, 200, 20), f.Sample(f.dyeRed, 94.5f, 20));
    EXPECT_EQ(f.Sample(f.dyeRed, 30, 20), f.dyeRed[20 * W + 30]);
    EXPECT_EQ(f.Sample(f.dyeRed, 10, 99), f.Sample(f.dyeRed, 10, 62.5f));
    // NaN and far-off coordinates clamp to 0 and sample column 0 / row 0.
    EXPECT_EQ(f.Sample(f.dyeRed, NAN, 20), f.dyeRed[20 * W]);
    EXPECT_EQ(f.Sample(f.dyeRed, 30, 2e7f), f.dyeRed[30]);
    // A caller's array shorter than the grid is never read past its end.
    EXPECT_EQ(f.Sample(std::vector<float>(10, 4.0f), 5, 0.5f), 2.0f);
    EXPECT_EQ(f.Sample({}, 40, 30), 0.0f);
}

// Drives both solvers through splats, steps and projections and requires every
// bit of every field and pixel to agree.
TEST(ColorFluid, MatchesTheBaselineSolverBitForBit) {
    ColorFluid f;
    baseline::Fluid b;
    auto splat = [&](float x, float y, float dvx, float dvy, float r, float g, float bl) {
        f.Splat(x, y, dvx, dvy, r, g, bl);
        b.Splat(x, y, dvx, dvy, r, g, bl);
    };
    splat(28, 30, 25, -18, 4.5f, 0.06f, 1.5f);
    splat(66, 31, -25, 18, 0.02f, 2.5f, 4.5f);
    PixelBuffer fast(N), plain(N);
    for (int n = 0; n < 150; ++n) {
        float dt = 0.001f + 0.039f * static_cast<float>(n % 7) / 6.0f;
        splat(32 + 13 * std::sin(n * 0.1f), 31, 110 * dt, -50 * dt, 7 * dt, 0.03f * dt, 1.6f * dt);
        f.Step(dt);
        b.Step(dt);
        if (n % 30 == 0) {
            f.Render(fast, 0.8f + n * 0.01f, n % 60 == 0);
            b.Render(plain, 0.8f + n * 0.01f, n % 60 == 0);
            ASSERT_EQ(fast, plain) << "frame " << n;
        }
    }
    ExpectSameFields(f, b);
}

// Long-faded fields hold float subnormals, signed zeros and a few normal
// values side by side; the solver's subnormal shortcuts must not change a bit.
TEST(ColorFluid, MatchesTheBaselineOnFadedSubnormalFields) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<uint32_t> mantissa(1, 0x007FFFFF);
    std::uniform_int_distribution<int> kind(0, 9);
    auto value = [&](bool allowNormal) {
        int pick = kind(rng);
        uint32_t sign = (pick & 1) ? 0x80000000u : 0u;
        if (pick == 0) return BitCast<float>(sign);                                               // +0 or -0
        if (pick == 9 && allowNormal) return BitCast<float>(sign | 0x3E000000u | mantissa(rng));  // about 0.1
        return BitCast<float>(sign | (mantissa(rng) >> (pick % 4)));                              // subnormal
    };
    for (float dt : {0.016f, 0.04f, 0.001f, 0.0f, -0.02f}) {
        ColorFluid f;
        baseline::Fluid b;
        for (int k = 0; k < N; ++k) {
            int i = k / W, j = k % W;
            bool interior = i > 0 && i < H - 1 && j > 0 && j < W - 1;
            // Velocity: subnormal on the left half, occasionally normal on the right.
            f.velocityX[k] = b.vx[k] = interior ? value(j > 48) : 0.0f;
            f.velocityY[k] = b.vy[k] = interior ? value(j > 48) : 0.0f;
            f.dyeRed[k] = b.r[k] = interior ? value(true) : 0.0f;
            f.dyeGreen[k] = b.g[k] = interior ? value(false) : 0.0f;
            f.dyeBlue[k] = b.b[k] = interior ? value(true) : 0.0f;
        }
        for (int n = 0; n < 3; ++n) {
            f.Step(dt);
            b.Step(dt);
        }
        SCOPED_TRACE(dt);
        ExpectSameFields(f, b);
    }
}

// Every sweep width, on an ordinary divergence and on a subnormal one (which
// runs on whole units of 2^-149), agrees bit for bit with a cell-by-cell sweep.
TEST(JacobiSweeps, AllWidthsAgreeWithThePlainSweep) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-3.0f, 3.0f);
    // Every fifth column scaled apart: normal next to subnormal, or subnormals
    // of two sizes (all below 2^-132).
    const float scales[][2] = {{1.0f, 1e-39f}, {1e-41f, 3e-43f}};
    for (const auto& scale : scales) {
        std::vector<float> div(N, 0.0f);
        for (int i = 1; i < H - 1; ++i)
            for (int j = 1; j < W - 1; ++j) div[i * W + j] = u(rng) * scale[j % 5 == 0];
        std::vector<float> p(N, 0.0f), q(N, 0.0f);
        for (int it = 0; it < 28; ++it) {
            for (int i = 1; i < H - 1; ++i)
                for (int j = 1; j < W - 1; ++j) {
                    int k = i * W + j;
                    q[k] = (p[k - 1] + p[k + 1] + p[k - W] + p[k + W] - div[k]) * 0.25f;
                }
            std::swap(p, q);
        }
        for (Simd simd : SupportedSimd()) {
            std::vector<float> a(N, 0.0f), b(N, 0.0f), work = div;
            const float* out = JacobiSweeps(a.data(), b.data(), work.data(), 28, simd);
            EXPECT_EQ(std::memcmp(out, p.data(), N * sizeof(float)), 0) << scale[0] << " " << static_cast<int>(simd);
        }
    }
}

// A subclass that only counts samples takes the one-at-a-time path through the
// slots; it must agree with the batched path of the plain class.
struct CountingFluid : ColorFluid {
    int samples = 0;
    float Sample(const std::vector<float>& field, float x, float y) override {
        ++samples;
        return ColorFluid::Sample(field, x, y);
    }
};

// At every width the processor runs, as the batched path may take any of them.
TEST(ColorFluid, StepCallsSampleThroughItsSlotWithTheSameResult) {
    for (Simd simd : SupportedSimd()) {
        ASSERT_TRUE(ForceSolverSimd(simd));
        ColorFluid plain;
        CountingFluid counting;
        for (ColorFluid* f : {static_cast<ColorFluid*>(&plain), static_cast<ColorFluid*>(&counting)})
            f->Splat(50, 20, -20, 30, 3, 2, 1);
        plain.Step(0.03f);
        counting.Step(0.03f);
        EXPECT_EQ(counting.samples, 5 * 5828);
        EXPECT_EQ(plain.velocityX, counting.velocityX) << SimdName(simd);
        EXPECT_EQ(plain.dyeBlue, counting.dyeBlue) << SimdName(simd);
    }
    ForceSolverSimd(WidestSimd());
}

}  // namespace
}  // namespace rava
