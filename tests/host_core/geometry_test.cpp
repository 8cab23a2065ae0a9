// Rounded-rectangle radius rules, fan shape, and the font slot mapping.
#include <gtest/gtest.h>

#include <cmath>

#include "host/core/font_slots.h"
#include "host/core/rounded_rect.h"

namespace rava {
namespace {

TEST(RoundedRect, RadiusIsCappedAndTinyOrDegenerateOnesDrawAPlainRectangle) {
    struct Case {
        float w, h, r, effective;
        bool plain;
    };
    const Case cases[] = {
        {12, 44, 10, 6, false},   {100, 44, 30, 22, false}, {100, 44, 10, 10, false}, {100, 44, NAN, 0, true},
        {100, 44, 0.4f, 0.4f, true}, {100, 44, 0.5f, 0.5f, true}, {100, 44, 0.51f, 0.51f, false},
        {1, 44, 10, 0.5f, true},  // half of 1 is 0.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h << " radius " << c.r);
        EXPECT_FLOAT_EQ(EffectiveCornerRadius(c.w, c.h, c.r), c.effective);
        EXPECT_EQ(RoundedRectIsPlain(c.w, c.h, c.r), c.plain);
    }
    EXPECT_TRUE(RoundedRectIsPlain(100, -44, 10));  // negative height: plain, drawn upwards
}

TEST(RoundedRect, UnitVectorsRunClockwiseFromStraightUp) {
    const auto& u = CornerUnitVectors();
    EXPECT_FLOAT_EQ(u[0].sin, 0.0f);
    EXPECT_FLOAT_EQ(u[0].cos, 1.0f);
    // Last point of one arc repeats as the first of the next: 90, 180, 270 degrees.
    EXPECT_NEAR(u[8].sin, 1.0f, 1e-7);
    EXPECT_NEAR(u[9].sin, 1.0f, 1e-7);
    EXPECT_NEAR(u[17].cos, -1.0f, 1e-7);
    EXPECT_NEAR(u[27].sin, -1.0f, 1e-7);
    EXPECT_NEAR(u[35].cos, 1.0f, 1e-7);  // 360 degrees
    for (int i = 0; i < 36; ++i) {
        EXPECT_NEAR(u[i].sin * u[i].sin + u[i].cos * u[i].cos, 1.0f, 1e-6) << i;
        const double deg = ((i / 9) * 8 + i % 9) * 11.25;
        EXPECT_NEAR(u[i].sin, std::sin(deg * 3.14159265358979323846 / 180.0), 1e-6) << i;
    }
}

TEST(RoundedRect, FanStartsAtCentreAndClosesOnFirstArcPoint) {
    const auto fan = RoundedRectFan(10, 20, 100, 44, 10);
    ASSERT_EQ(fan.size(), 38u);
    EXPECT_FLOAT_EQ(fan[0].x, 60.0f);
    EXPECT_FLOAT_EQ(fan[0].y, 42.0f);
    // Top-right arc: from straight up at (x + w - r, y) to straight right at (x + w, y + r).
    EXPECT_FLOAT_EQ(fan[1].x, 100.0f);
    EXPECT_FLOAT_EQ(fan[1].y, 20.0f);
    EXPECT_NEAR(fan[9].x, 110.0f, 1e-4);
    EXPECT_NEAR(fan[9].y, 30.0f, 1e-4);
    // Bottom-right arc begins at the right edge, ends at the bottom edge.
    EXPECT_NEAR(fan[10].x, 110.0f, 1e-4);
    EXPECT_NEAR(fan[10].y, 54.0f, 1e-4);
    EXPECT_NEAR(fan[18].x, 100.0f, 1e-4);
    EXPECT_NEAR(fan[18].y, 64.0f, 1e-4);
    // Top-left arc ends straight up again at (x + r, y).
    EXPECT_NEAR(fan[36].x, 20.0f, 1e-4);
    EXPECT_NEAR(fan[36].y, 20.0f, 1e-4);
    EXPECT_FLOAT_EQ(fan[37].x, fan[1].x);
    EXPECT_FLOAT_EQ(fan[37].y, fan[1].y);
    for (const auto& p : fan) {
        EXPECT_GE(p.x, 10.0f - 1e-4);
        EXPECT_LE(p.x, 110.0f + 1e-4);
        EXPECT_GE(p.y, 20.0f - 1e-4);
        EXPECT_LE(p.y, 64.0f + 1e-4);
    }
}

TEST(FontSlots, SizeCodesSelectTheDocumentedPairs) {
    for (int code : {100, 150, 249, 0, -5, INT32_MIN}) {
        const FontPair p = FontPairForSizeCode(code);
        EXPECT_EQ(p.regularSlot, 4) << code;
        EXPECT_EQ(p.boldSlot, 5) << code;
        EXPECT_EQ(p.baselineOffset, 12) << code;
    }
    for (int code : {250, 331, 329, 1000, INT32_MAX}) {
        const FontPair p = FontPairForSizeCode(code);
        EXPECT_EQ(p.regularSlot, 6) << code;
        EXPECT_EQ(p.boldSlot, 7) << code;
        EXPECT_EQ(p.baselineOffset, 16) << code;
    }
    const FontPair big = FontPairForSizeCode(330);
    EXPECT_EQ(big.regularSlot, 8);
    EXPECT_EQ(big.boldSlot, 9);
    EXPECT_EQ(big.baselineOffset, 23);
}

TEST(FontSlots, SlotTableMatchesCreationOrder) {
    const auto& specs = CanvasFontSlotSpecs();
    const int sizes[] = {12, 12, 13, 13, 15, 15, 20, 20, 28, 28};
    for (int i = 0; i < kFontSlotCount; ++i) {
        EXPECT_EQ(specs[i].pixelSize, sizes[i]);
        EXPECT_EQ(specs[i].weight, i % 2 ? 700 : 400);
    }
    // A styled pair's offset is the offset of both of its slots.
    for (int code : {150, 250, 330}) {
        const FontPair p = FontPairForSizeCode(code);
        EXPECT_EQ(BaselineOffsetForSlot(p.regularSlot), p.baselineOffset);
        EXPECT_EQ(BaselineOffsetForSlot(p.boldSlot), p.baselineOffset);
    }
    EXPECT_EQ(BaselineOffsetForSlot(-1), -1);
    EXPECT_EQ(BaselineOffsetForSlot(10), -1);
}

}  // namespace
}  // namespace rava
