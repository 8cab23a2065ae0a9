// Bloom, tone curve and pixel packing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "bench/playground/baseline_fluid.h"
#include "playground/color_fluid.h"

namespace rava {
namespace {

constexpr int W = ColorFluid::kWidth, N = ColorFluid::kCells;

TEST(ToneMap, GivesTheReferenceValuesAndSaturates) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value, exposure;
        int expected;
    } rows[] = {
        {1, 0.3f, 169}, {4, 0.3f, 234}, {1, 0.8f, 221},      {0.006f, 0.8f, 10}, {12, 3, 255},    {0, 2.5f, 0},
        {-3, 0.8f, 0},  {NAN, 0.8f, 0}, {1e30f, 1e30f, 255}, {inf, 1, 255},      {3e38f, 1, 255},
    };
    for (const auto& r : rows) EXPECT_EQ(ToneMap(r.value, r.exposure), r.expected) << r.value << " x " << r.exposure;
}

TEST(ToneMap, NeverDecreasesWithTheProduct) {
    int previous = 0;
    for (float x = 0; x < 40; x += 0.001f) {
        int v = ToneMap(x, 1);
        ASSERT_GE(v, previous) << x;
        previous = v;
    }
}

TEST(Bloom, SpreadsASingleBrightCellOnEvenOffsetsOnly) {
    ColorFluid f;
    std::vector<float> c(N, 0.8f);  // at the threshold: contributes nothing
    for (float v : f.Bloom(c)) ASSERT_EQ(v, 0.0f);
    const int ci = 30, cj = 40;
    c[ci * W + cj] = 2.8f;
    std::vector<float> out = f.Bloom(c);
    EXPECT_FLOAT_EQ(out[ci * W + cj], 0.140625f * 2.0f);
    for (int k = 0; k < N; ++k) {
        int di = std::abs(k / W - ci), dj = std::abs(k % W - cj);
        bool reached = di <= 4 && dj <= 4 && di % 2 == 0 && dj % 2 == 0;
        ASSERT_EQ(out[k] != 0.0f, reached) << di << "," << dj;
    }
}

// Arrays shorter than the grid, from a caller or from an overriding Bloom,
// read as if their missing cells were 0, never past their end.
struct ShortBloom : ColorFluid {
    std::vector<float> Bloom(const std::vector<float>&) override { return std::vector<float>(5, 1.0f); }
};

TEST(Bloom, ShortArraysReadMissingCellsAsZero) {
    ColorFluid f;
    std::vector<float> full(N, 0.0f), cut(31 * W, 0.0f);
    full[30 * W + 40] = cut[30 * W + 40] = 2.8f;
    EXPECT_EQ(f.Bloom(cut), f.Bloom(full));
    EXPECT_EQ(f.Bloom({}), std::vector<float>(N, 0.0f));
    // Dye arrays a caller cut short render like full ones with zeros beyond.
    ColorFluid whole, shortened;
    for (ColorFluid* x : {&whole, &shortened}) x->dyeRed[30 * W + 40] = x->dyeBlue[2 * W + 3] = 2.8f;
    // Fresh vectors, so that no spare capacity hides a read past the end.
    auto prefix = [](const std::vector<float>& v, int n) { return std::vector<float>(v.begin(), v.begin() + n); };
    shortened.dyeRed = prefix(whole.dyeRed, 31 * W);
    shortened.dyeGreen = {};
    shortened.dyeBlue = prefix(whole.dyeBlue, 2 * W + 4);
    for (bool bloom : {true, false}) {
        PixelBuffer expected(N), actual(N);
        whole.Render(expected, 0.8f, bloom);
        shortened.Render(actual, 0.8f, bloom);
        EXPECT_EQ(actual, expected) << bloom;
    }
    ShortBloom s;
    PixelBuffer px(N, 0);
    s.Render(px, 0.8f, true);
    const auto lit = static_cast<uint32_t>(ToneMap(0.65f, 0.8f));
    EXPECT_EQ(px[4], 0xFF000000u | lit << 16 | lit << 8 | static_cast<uint32_t>(ToneMap(0.65f + 0.006f, 0.8f)));
    EXPECT_EQ(px[5], 0xFF00000Au);
}

TEST(Render, BloomChangesOnlyPixelsNearBrightDye) {
    ColorFluid f;
    f.dyeRed[20 * W + 20] = 6.0f;
    f.dyeGreen[20 * W + 20] = 0.5f;
    PixelBuffer on(N), off(N);
    f.Render(on, 0.8f, true);
    f.Render(off, 0.8f, false);
    int changed = 0;
    for (int k = 0; k < N; ++k) {
        if (on[k] == off[k]) continue;
        ++changed;
        ASSERT_LE(std::abs(k / W - 20), 4);
        ASSERT_LE(std::abs(k % W - 20), 4);
    }
    EXPECT_GT(changed, 0);
}

// A cleared field is dark blue everywhere; buffers of any size get exactly
// the pixels they hold.
TEST(Render, ClearedFieldIsDarkBlueInBuffersOfAnySize) {
    ColorFluid f;
    for (bool bloom : {true, false}) {
        PixelBuffer exact(N, 0), small(10, 0), large(N + 3, 7u);
        f.Render(exact, 0.8f, bloom);
        f.Render(small, 0.8f, bloom);
        f.Render(large, 0.8f, bloom);
        EXPECT_EQ(exact, PixelBuffer(N, 0xFF00000Au)) << bloom;
        EXPECT_EQ(small, PixelBuffer(10, 0xFF00000Au)) << bloom;
        EXPECT_EQ(large[N - 1], 0xFF00000Au) << bloom;
        EXPECT_EQ(large[N], 7u) << bloom;
    }
}

// The vectorised tone mapping inside Render against the scalar baseline, over
// random radiance including values near every rounding boundary.
TEST(Render, AgreesWithScalarToneMapOnRandomRadiance) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> radiance(0.0f, 12.0f);
    ColorFluid f;
    baseline::Fluid b;
    for (int round = 0; round < 20; ++round) {
        for (int k = 0; k < N; ++k) {
            f.dyeRed[k] = b.r[k] = radiance(rng);
            f.dyeGreen[k] = b.g[k] = radiance(rng) * (round % 3 == 0 ? 0.001f : 1.0f);
            f.dyeBlue[k] = b.b[k] = radiance(rng) * 0.05f;
        }
        float exposure = 0.15f + 0.14f * round;
        PixelBuffer fast(N), plain(N);
        f.Render(fast, exposure, round % 2 == 0);
        b.Render(plain, exposure, round % 2 == 0);
        ASSERT_EQ(fast, plain) << round;
    }
    for (float v = 0; v < 3; v += 0.0001f) ASSERT_EQ(ToneMap(v, 1), baseline::ToneMap(v, 1)) << v;
}

}  // namespace
}  // namespace rava
