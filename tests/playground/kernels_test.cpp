// The vector forms of the solver's inner loops against their plain scalar
// loops, bit for bit, on fields mixing normal values, subnormals, signed
// zeros and non-finite values, with velocities that keep cells still, move
// them within the grid and throw them far outside it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "playground/color_fluid.h"
#include "playground/fluid_kernels.h"
#include "runtime/bit_cast.h"

namespace rava {
namespace {

constexpr int N = ColorFluid::kCells;

// Every vector width this processor runs (all but the scalar loop).
std::vector<Simd> VectorWidths() { return {SupportedSimd().begin() + 1, SupportedSimd().end()}; }

// pick 0..9: zero, subnormal, small, ordinary, large, non-finite.
float Value(std::mt19937& rng, int pick) {
    std::uniform_int_distribution<uint32_t> bits(0, 0x007FFFFF);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    uint32_t sign = rng() & 0x80000000u;
    switch (pick) {
        case 0:
            return BitCast<float>(sign);
        case 1:
        case 2:
        case 3:
            return BitCast<float>(sign | (bits(rng) >> (pick - 1) * 6));
        case 4:
            return u(rng) * 1e-36f;
        case 5:
        case 6:
            return u(rng) * 12.0f;
        case 7:
            return u(rng) * 900.0f;
        case 8:
            return u(rng) * 3e37f;
        default:
            return (rng() & 1) ? NAN : INFINITY;
    }
}

std::vector<float> Field(std::mt19937& rng, int lo, int hi) {
    std::uniform_int_distribution<int> pick(lo, hi);
    std::vector<float> f(N);
    for (float& v : f) v = Value(rng, pick(rng));
    return f;
}

// Every bit agrees, except that any NaN matches any NaN: which operand's
// payload and sign a NaN result carries follows the operand order the
// compiler picks, even in plain code.
bool Same(const std::vector<float>& a, const std::vector<float>& b) {
    for (int k = 0; k < N; ++k) {
        if (std::isnan(a[k]) && std::isnan(b[k])) continue;
        if (BitCast<uint32_t>(a[k]) != BitCast<uint32_t>(b[k])) return false;
    }
    return true;
}

TEST(FluidKernels, TransportWidthsMatchTheScalarLoop) {
    std::mt19937 rng(21);
    // Velocity kinds (still / moving / anything) x dt x factor.
    const struct {
        int velocityLo, velocityHi;
        float dt, factor;
    } cases[] = {
        {0, 3, 0.016f, 0.998f}, {0, 3, 0.04f, 0.9968f}, {0, 3, 0.0f, 1.0f},     {0, 3, -0.02f, 1.0016f},
        {0, 3, 0.016f, -0.5f},  {0, 3, 3e20f, 0.9f},    {0, 6, 0.016f, 0.998f}, {0, 9, 0.03f, 0.5f},
        {5, 8, 0.04f, 0.0f},    {0, 9, NAN, 0.998f},
    };
    for (const auto& c : cases) {
        std::vector<float> vx = Field(rng, c.velocityLo, c.velocityHi), vy = Field(rng, c.velocityLo, c.velocityHi);
        std::vector<float> src[3] = {Field(rng, 0, 9), Field(rng, 0, 3), Field(rng, 0, 6)};
        auto run = [&](Simd simd) {
            std::vector<std::vector<float>> dst(3, std::vector<float>(N, 7.0f));
            TransportInterior(TransportJob{vx.data(),
                                           vy.data(),
                                           c.dt,
                                           c.factor,
                                           3,
                                           {src[0].data(), src[1].data(), src[2].data()},
                                           {dst[0].data(), dst[1].data(), dst[2].data()}},
                              simd);
            return dst;
        };
        auto plain = run(Simd::kScalar);
        for (Simd simd : VectorWidths()) {
            auto fast = run(simd);
            for (int f = 0; f < 3; ++f)
                EXPECT_TRUE(Same(fast[f], plain[f]))
                    << c.dt << " " << c.factor << " field " << f << " width " << static_cast<int>(simd);
        }
    }
}

TEST(FluidKernels, BloomAndPixelWidthsMatchTheScalarLoop) {
    std::mt19937 rng(8);
    for (int round = 0; round < 4; ++round) {
        std::vector<float> dye[3] = {Field(rng, 0, 6), Field(rng, 0, 4), Field(rng, round == 3 ? 9 : 5, 9)};
        std::vector<float> blur[3], h(N);
        for (int c = 0; c < 3; ++c) {
            blur[c].assign(N, 0.0f);
            BloomChannel(dye[c].data(), h.data(), blur[c].data(), Simd::kScalar);
        }
        const float exposure = round == 2 ? 3e30f : 0.15f + 0.9f * round;
        auto pixels = [&](Simd simd, bool withBlur) {
            std::vector<uint32_t> out(N + 1, 0u);
            PixelJob job{{}, {dye[0].data(), dye[1].data(), dye[2].data()}, 0.65f, exposure, out.data(), N - 3};
            for (int c = 0; c < 3 && withBlur; ++c) job.blur[c] = blur[c].data();
            PackPixels(job, simd);
            return out;
        };
        for (Simd simd : VectorWidths()) {
            for (int c = 0; c < 3; ++c) {
                std::vector<float> out(N, 5.0f);
                BloomChannel(dye[c].data(), h.data(), out.data(), simd);
                EXPECT_TRUE(Same(out, blur[c])) << round << " channel " << c;
            }
            for (bool withBlur : {true, false})
                EXPECT_EQ(pixels(simd, withBlur), pixels(Simd::kScalar, withBlur)) << round << " " << withBlur;
        }
    }
}

// Where the display value of a radiance is an exact half (sqrt(y) x 255 =
// n + 0.5, which a few hundred floats give) every width rounds up as lround
// does. The first radiance of each byte value, found by bisecting the scalar
// tone map over the floats' bits, is such a half wherever the byte has one;
// each is fed with the float below it.
TEST(FluidKernels, PixelWidthsRoundExactHalvesUp) {
    std::vector<float> dye;
    for (int32_t byte = 1; byte <= 255; ++byte) {
        uint32_t lo = 0, hi = BitCast<uint32_t>(1e6f);
        ASSERT_EQ(ToneMap(BitCast<float>(hi), 1.0f), 255);
        while (hi - lo > 1) {
            uint32_t mid = lo + (hi - lo) / 2;
            (ToneMap(BitCast<float>(mid), 1.0f) >= byte ? hi : lo) = mid;
        }
        dye.push_back(BitCast<float>(hi));
        dye.push_back(BitCast<float>(lo));
    }
    const std::vector<float> dark(dye.size(), 0.0f);
    auto pixels = [&](Simd simd) {
        std::vector<uint32_t> out(dye.size());
        PackPixels(PixelJob{{}, {dye.data(), dye.data(), dark.data()}, 0.0f, 1.0f, out.data(),
                            static_cast<int32_t>(out.size())},
                   simd);
        return out;
    };
    for (Simd simd : VectorWidths()) EXPECT_EQ(pixels(simd), pixels(Simd::kScalar)) << SimdName(simd);
}

}  // namespace
}  // namespace rava
