// Checked clamp and the bounded trigonometry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/bit_cast.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

TEST(Clamp, LimitsOrdinaryValuesAndGivesZeroForNaNHugeOrInvertedArguments) {
    const float inf = std::numeric_limits<float>::infinity();
    // 1e6 is the largest value still checked.
    const struct {
        float v, lo, hi, expected;
    } rows[] = {{5, 0, 3, 3},          {-1, 0, 3, 0},     {2.5f, 0, 3, 2.5f}, {3, 3, 3, 3},
                {NAN, 1, 2, 0},        {1.5f, NAN, 2, 0}, {inf, 1, 2, 0},     {1000001.0f, 1, 2, 0},
                {1000000.0f, 1, 2, 2}, {1.5f, 2, 1, 0},   {0.5f, 1, 2e6f, 0}};
    for (const auto& r : rows) EXPECT_EQ(Clamp(r.v, r.lo, r.hi), r.expected) << r.v << " in " << r.lo << ".." << r.hi;
}

TEST(Trig, TracksTheLibraryFunctionsAndWrapsIntoOneTurnAcrossTheRange) {
    for (float x = -4096.0f; x <= 4096.0f; x += 0.37f) {
        ASSERT_NEAR(Sin(x), std::sin(static_cast<double>(x)), 2e-3) << x;
        ASSERT_NEAR(Cos(x), std::cos(static_cast<double>(x)), 2e-3) << x;
        const float turn = WrapAngle(x);
        ASSERT_GE(turn, 0.0f) << x;
        ASSERT_LT(turn, 6.2831855f) << x;
    }
    EXPECT_EQ(Sin(0), 0.0f);
    EXPECT_NEAR(Cos(0), 1.0f, 1e-6);
    EXPECT_NEAR(Sin(1.5707964f), 1.0f, 1e-6);
    EXPECT_EQ(WrapAngle(1.0f), 1.0f);
    EXPECT_NEAR(WrapAngle(-1.0f), 6.2831855f - 1.0f, 1e-6);
    // Rounding leaves this one a hair above a whole turn before the last wrap.
    EXPECT_EQ(WrapAngle(-3166.72559f), 6.28320312f - 6.2831855f);
}

TEST(Trig, GivesTheSameBitsInEveryBuild) {
    // Angles in every quadrant fold; the last three move with the high-order coefficients.
    const struct {
        float x;
        uint32_t sinBits, cosBits;
    } rows[] = {{0.5f, 0x3ef57744, 0x3f60a940},         {1.5f, 0x3f7f5bd4, 0x3d90dea1},
                {2.0f, 0x3f68c7b9, 0xbed51135},         {-2.5f, 0xbf193579, 0xbf4d17be},
                {100.0f, 0xbf01a134, 0x3f5cc0ec},       {-6.30000019f, 0xbc89bd56, 0x3f7ff6bd},
                {-5.14499998f, 0x3f686a72, 0x3ed6a6f3}, {-0.0700001717f, 0xbd8f3e49, 0x3f7f5f7f}};
    for (const auto& r : rows) {
        EXPECT_EQ(BitCast<uint32_t>(Sin(r.x)), r.sinBits) << r.x;
        EXPECT_EQ(BitCast<uint32_t>(Cos(r.x)), r.cosBits) << r.x;
    }
}

TEST(Trig, GivesZeroOutsideTheBoundsAndForNaN) {
    for (float x : {4096.5f, -5000.0f, NAN, std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(Sin(x), 0.0f);
        EXPECT_EQ(Cos(x), 0.0f);
        EXPECT_EQ(WrapAngle(x), 0.0f);
    }
    EXPECT_NE(Sin(4095.0f), 0.0f);
}

}  // namespace
}  // namespace rava
