// sRGB table and premultiplied quantiser.
#include "host/core/srgb.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rava {
namespace {

double ReferenceEotf(int i) {
    const double c = i / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

TEST(SrgbTable, EndsAreExactAndEntriesFollowTheTransferFunction) {
    const auto& table = SrgbToLinearTable();
    EXPECT_EQ(table[0], 0.0f);
    EXPECT_EQ(table[255], 1.0f);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(table[i], ReferenceEotf(i), 1e-7) << i;
        if (i > 0) {
            EXPECT_GT(table[i], table[i - 1]) << i;
        }
    }
    // The linear segment ends at 0.04045 (code 10); code 11 is on the power curve.
    EXPECT_NEAR(table[10], 10.0 / 255.0 / 12.92, 1e-9);
    EXPECT_NEAR(table[128], 0.21586, 1e-5);
}

TEST(SrgbTable, LookupClampsItsIndex) {
    EXPECT_EQ(SrgbToLinear(-4), 0.0f);
    EXPECT_EQ(SrgbToLinear(300), 1.0f);
    EXPECT_EQ(SrgbToLinear(INT32_MIN), 0.0f);
    EXPECT_EQ(SrgbToLinear(INT32_MAX), 1.0f);
    EXPECT_EQ(ClampChannel(300), 255);
    EXPECT_EQ(ClampChannel(-4), 0);
    EXPECT_EQ(ClampChannel(77), 77);
}

TEST(PremultipliedSrgb, OpaqueAlphaInvertsTheTableZeroGivesZeroAndExcessSaturates) {
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(PremultipliedSrgbCode(static_cast<uint8_t>(v), 255), v) << v;
    }
    EXPECT_EQ(PremultipliedSrgbCode(255, 0), 0);
    EXPECT_EQ(PremultipliedSrgbCode(0, 0), 0);
    // A channel brighter than its alpha allows clamps d to 1 -> code 255 -> a.
    EXPECT_EQ(PremultipliedSrgbCode(255, 128), (128 * 255 + 127) / 255);
    EXPECT_EQ(PremultipliedSrgbCode(200, 10), 10);
}

TEST(PremultipliedSrgb, HalfAlphaPicksTheNearestCodeThenScales) {
    const auto& table = SrgbToLinearTable();
    for (int a : {1, 37, 128, 254}) {
        for (int v = 0; v < 256; ++v) {
            const float d = std::fmin(1.0f, table[v] * 255.0f / static_cast<float>(a));
            int best = 0;
            for (int s = 1; s < 256; ++s) {
                // Strictly nearer wins, so an exact tie keeps the lower code.
                if (std::fabs(d - table[s]) < std::fabs(d - table[best])) best = s;
            }
            EXPECT_EQ(PremultipliedSrgbCode(static_cast<uint8_t>(v), static_cast<uint8_t>(a)), (a * best + 127) / 255)
                << "v=" << v << " a=" << a;
        }
    }
}

TEST(PremultipliedSrgb, LookupTableAgreesWithTheSearch) {
    const auto& table = PremultipliedSrgbTable();
    for (int a = 0; a < 256; ++a) {
        for (int v = 0; v < 256; ++v) {
            ASSERT_EQ(table[a * 256 + v], PremultipliedSrgbCode(static_cast<uint8_t>(v), static_cast<uint8_t>(a)))
                << "v=" << v << " a=" << a;
        }
    }
}

}  // namespace
}  // namespace rava
