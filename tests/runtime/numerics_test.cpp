// Checked clamp and the bounded trigonometry.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/runtime.h"

namespace rava {
namespace {

TEST(Clamp, LimitsOrdinaryValues) {
    EXPECT_EQ(Clamp(5, 0, 3), 3.0f);
    EXPECT_EQ(Clamp(-1, 0, 3), 0.0f);
    EXPECT_EQ(Clamp(2.5f, 0, 3), 2.5f);
    EXPECT_EQ(Clamp(3, 3, 3), 3.0f);
}

TEST(Clamp, GivesZeroForNaNHugeOrInvertedArguments) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Clamp(NAN, 1, 2), 0.0f);
    EXPECT_EQ(Clamp(1.5f, NAN, 2), 0.0f);
    EXPECT_EQ(Clamp(inf, 1, 2), 0.0f);
    EXPECT_EQ(Clamp(1000001.0f, 1, 2), 0.0f);
    EXPECT_EQ(Clamp(1000000.0f, 1, 2), 2.0f);
    EXPECT_EQ(Clamp(1.5f, 2, 1), 0.0f);
    EXPECT_EQ(Clamp(0.5f, 1, 2e6f), 0.0f);
}

TEST(Trig, TracksTheLibraryFunctionsAcrossTheRange) {
    for (float x = -4096.0f; x <= 4096.0f; x += 0.37f) {
        ASSERT_NEAR(Sin(x), std::sin(static_cast<double>(x)), 2e-3) << x;
        ASSERT_NEAR(Cos(x), std::cos(static_cast<double>(x)), 2e-3) << x;
    }
    EXPECT_EQ(Sin(0), 0.0f);
    EXPECT_NEAR(Cos(0), 1.0f, 1e-6);
    EXPECT_NEAR(Sin(1.5707964f), 1.0f, 1e-6);
}

TEST(Trig, GivesZeroOutsideTheBoundsAndForNaN) {
    for (float x : {4096.5f, -5000.0f, NAN, std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(Sin(x), 0.0f);
        EXPECT_EQ(Cos(x), 0.0f);
        EXPECT_EQ(WrapAngle(x), 0.0f);
    }
    EXPECT_NE(Sin(4095.0f), 0.0f);
}

TEST(Trig, WrapAngleStaysInOneTurn) {
    for (float x = -4096.0f; x <= 4096.0f; x += 0.731f) {
        float r = WrapAngle(x);
        ASSERT_GE(r, 0.0f) << x;
        ASSERT_LT(r, 6.2831855f) << x;
    }
    EXPECT_EQ(WrapAngle(1.0f), 1.0f);
    EXPECT_NEAR(WrapAngle(-1.0f), 6.2831855f - 1.0f, 1e-6);
}

}  // namespace
}  // namespace rava
