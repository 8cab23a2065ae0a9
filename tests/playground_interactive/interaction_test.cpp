// Controls and dye injection driven through the frame loop on the fake:
// keys and button clicks, exposure limits, pausing, pointer strokes, and the
// fountains' paths.
#include "playground/interaction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fake_canvas.h"
#include "runtime/runtime.h"

namespace rava::testing {
namespace {

TEST(Controls, ColourKeyCyclesThroughThePaletteAndBack) {
    Rig rig;
    std::vector<int32_t> seen;
    for (int i = 0; i < 3; ++i) {
        rig.canvas.Press("c");
        rig.Frame();
        seen.push_back(rig.loop.state.colorIndex);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 0}));
}

TEST(Controls, KeysWorkWhilePausedAndToggleBack) {
    Rig rig;
    rig.canvas.Press("space");
    rig.Frame();
    ASSERT_TRUE(rig.loop.state.paused);
    for (const char* key : {"a", "b", "c"}) rig.canvas.Press(key);
    rig.Frame();
    EXPECT_FALSE(rig.loop.state.fountainsOn);
    EXPECT_FALSE(rig.loop.state.bloomOn);
    EXPECT_EQ(rig.loop.state.colorIndex, 1);
    for (const char* key : {"a", "b", "space"}) rig.canvas.Press(key);
    rig.Frame();
    EXPECT_TRUE(rig.loop.state.fountainsOn);
    EXPECT_TRUE(rig.loop.state.bloomOn);
    EXPECT_FALSE(rig.loop.state.paused);
}

TEST(Controls, ButtonsReactOnThePressFrameOnly) {
    Rig rig;
    rig.canvas.mouseX = 40;  // pause button
    rig.canvas.mouseY = 640;
    rig.canvas.leftDown = true;
    rig.Frame();
    EXPECT_TRUE(rig.loop.state.paused);
    rig.Frames(3);  // still held: no further toggles
    EXPECT_TRUE(rig.loop.state.paused);
    rig.canvas.leftDown = false;
    rig.Frame();
    // A press of Space and a click in the same frame toggle once.
    rig.canvas.leftDown = true;
    rig.canvas.Press("space");
    rig.Frame();
    EXPECT_FALSE(rig.loop.state.paused);

    rig.canvas.leftDown = false;
    rig.Frame();
    rig.canvas.mouseX = 400;  // fountains button
    rig.canvas.leftDown = true;
    rig.Frame();
    EXPECT_FALSE(rig.loop.state.fountainsOn);
    rig.canvas.leftDown = false;
    rig.Frame();
    rig.canvas.mouseX = 600;  // colour button
    rig.canvas.leftDown = true;
    rig.Frame();
    EXPECT_EQ(rig.loop.state.colorIndex, 1);
}

TEST(Controls, ClearButtonAndKeyResetTheFluidOnce) {
    Rig rig;
    rig.canvas.Press("r");
    rig.canvas.mouseX = 339;  // clear button's last column
    rig.canvas.mouseY = 627;
    rig.canvas.leftDown = true;
    rig.Frame();
    EXPECT_EQ(rig.fluid.resets, 1);
    rig.canvas.leftDown = false;
    rig.Frame();
    rig.canvas.mouseX = 340;  // just right of it
    rig.canvas.leftDown = true;
    rig.Frame();
    EXPECT_EQ(rig.fluid.resets, 1);
}

TEST(Controls, HoldingUpOrDownMovesExposureByFrameTimeWithinLimits) {
    Rig rig;
    rig.canvas.held = {"up"};
    rig.Frames(51);  // 0.001 s, then 50 frames of 0.04 s
    EXPECT_NEAR(rig.loop.state.exposure, 0.8f + 0.001f + 2.0f, 1e-4f);
    rig.Frames(24);  // 3 s of frames in all
    EXPECT_EQ(rig.loop.state.exposure, 3.0f);
    EXPECT_EQ(rig.canvas.LastFrame()[12].substr(0, 30), "Text \"Exposure: 300 / Up + Dow");

    rig.canvas.held = {"up", "down"};
    rig.Frames(5);
    EXPECT_EQ(rig.loop.state.exposure, 3.0f);
    rig.canvas.held = {"down"};
    rig.Frames(100);
    EXPECT_EQ(rig.loop.state.exposure, 0.15f);
}

TEST(Controls, PausedFieldIgnoresFountainsAndDraggingButClears) {
    Rig rig;
    rig.canvas.Press("space");
    rig.Frame();
    const ColorFluid before = rig.fluid;
    rig.canvas.mouseX = 300;
    rig.canvas.mouseY = 300;
    rig.canvas.leftDown = true;
    rig.Frames(3);
    rig.canvas.mouseX = 360;
    rig.Frames(3);
    EXPECT_EQ(rig.fluid.dyeRed, before.dyeRed);
    EXPECT_EQ(rig.fluid.velocityX, before.velocityX);
    EXPECT_TRUE(rig.fluid.steps.empty());
    EXPECT_EQ(rig.loop.state.simTime, 0.0f);

    rig.canvas.Press("r");
    rig.Frame();
    EXPECT_EQ(rig.fluid.dyeRed, std::vector<float>(ColorFluid::kCells, 0.0f));
    EXPECT_EQ(rig.fluid.Divergence(), 0.0f);
}

// A rig with a still field: fountains off and Step recorded but not applied.
struct StrokeRig : Rig {
    StrokeRig() {
        loop.state.fountainsOn = false;
        fluid.Reset();
        fluid.freezeSteps = true;
    }
};

TEST(Painting, ClickFrameAddsDyeWithoutMomentum) {
    StrokeRig rig;
    rig.canvas.mouseX = 34 + 7 * 40;  // far from the previous position (0, 0)
    rig.canvas.mouseY = 161 + 7 * 20;
    rig.canvas.leftDown = true;
    rig.Frame();
    ASSERT_EQ(rig.fluid.splats.size(), 3u);  // two opening plumes, one stroke
    const SplatCall s = rig.fluid.splats.back();
    EXPECT_EQ(s.x, 40.0f);
    EXPECT_EQ(s.y, 20.0f);
    EXPECT_EQ(s.dvx, 0.0f);
    EXPECT_EQ(s.dvy, 0.0f);
    const float amount = 24.0f * 0.001f;  // the first frame's dt
    EXPECT_EQ(s.r, amount * 0.9f);
    EXPECT_EQ(s.g, amount * 0.1f);
    EXPECT_EQ(s.b, amount * 0.5f);
    EXPECT_GT(rig.fluid.dyeRed[20 * 96 + 40], 0.0f);
    EXPECT_EQ(rig.fluid.velocityX[20 * 96 + 40], 0.0f);
}

TEST(Painting, DragOfFourteenPixelsAddsFourCellsPerSecondAtTheCentre) {
    StrokeRig rig;
    rig.canvas.mouseX = 34 + 7 * 30;
    rig.canvas.mouseY = 161 + 7 * 25;
    rig.canvas.leftDown = true;
    rig.canvas.Press("c");
    rig.Frame();
    const float velocityAfterClick = rig.fluid.velocityX[25 * 96 + 32];
    rig.canvas.mouseX += 14;
    rig.Frame();
    const SplatCall s = rig.fluid.splats.back();
    EXPECT_EQ(s.x, 32.0f);
    EXPECT_EQ(s.dvx, 4.0f);
    EXPECT_EQ(s.dvy, 0.0f);
    EXPECT_EQ(s.g, 24.0f * 0.04f * 0.8f);  // cyan after C
    EXPECT_EQ(rig.fluid.velocityX[25 * 96 + 32] - velocityAfterClick, 4.0f);
}

TEST(Painting, OnlyInsideTheFluidView) {
    StrokeRig rig;
    rig.canvas.leftDown = true;
    rig.canvas.mouseX = 706;  // right edge is exclusive
    rig.canvas.mouseY = 300;
    rig.Frame();
    EXPECT_EQ(rig.fluid.splats.size(), 2u);
    rig.canvas.mouseX = 34;
    rig.canvas.mouseY = 161;
    rig.Frame();
    ASSERT_EQ(rig.fluid.splats.size(), 3u);
    EXPECT_EQ(rig.fluid.splats.back().x, 0.0f);
    EXPECT_EQ(rig.fluid.splats.back().y, 0.0f);
    rig.canvas.mouseY = 609;  // bottom edge is exclusive too
    rig.Frame();
    EXPECT_EQ(rig.fluid.splats.size(), 3u);
}

TEST(Painting, ExtremePointerPositionsNeverOverflow) {
    StrokeRig rig;
    const int32_t extremes[] = {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), -1};
    for (int32_t x : extremes) {
        for (int32_t y : extremes) {
            rig.canvas.mouseX = x;
            rig.canvas.mouseY = y;
            rig.canvas.leftDown = !rig.canvas.leftDown;
            rig.Frame();
            EXPECT_FALSE(PointerInRect(rig.canvas, kFluidView));
        }
    }
    EXPECT_EQ(rig.fluid.splats.size(), 2u);
    // From the most negative position straight into the view: a huge but
    // finite stroke, which the solver's checked clamp turns into no momentum.
    rig.canvas.leftDown = true;
    rig.canvas.mouseX = std::numeric_limits<int32_t>::min();
    rig.Frame();
    rig.canvas.mouseX = 300;
    rig.canvas.mouseY = 300;
    rig.Frame();
    ASSERT_EQ(rig.fluid.splats.size(), 3u);
    EXPECT_GT(rig.fluid.splats.back().dvx, 6.0e8f);
    EXPECT_EQ(rig.fluid.velocityX[20 * 96 + 38], 0.0f);
    EXPECT_GT(rig.fluid.dyeRed[20 * 96 + 38], 0.0f);
}

TEST(Painting, MovementWhilePausedCountsForTheFirstStrokeAfterResuming) {
    StrokeRig rig;
    rig.canvas.Press("space");
    rig.canvas.mouseX = 100;
    rig.canvas.mouseY = 300;
    rig.canvas.leftDown = true;
    rig.Frame();
    rig.canvas.mouseX = 200;  // dragged while paused: no splat, but recorded
    rig.Frame();
    EXPECT_EQ(rig.fluid.splats.size(), 2u);
    rig.canvas.Press("space");
    rig.canvas.mouseX = 207;
    rig.Frame();
    ASSERT_EQ(rig.fluid.splats.size(), 3u);
    EXPECT_EQ(rig.fluid.splats.back().dvx, 2.0f);  // 7 pixels since the last paused frame
}

TEST(Fountains, ThreeSplatsOnTheirPathsPerSecondOfSimulation) {
    Rig rig;
    rig.Frame();
    rig.Frame();
    ASSERT_EQ(rig.fluid.splats.size(), 2u + 6u);
    const float t = rig.loop.state.simTime, dt = 0.04f;
    ASSERT_EQ(t, 0.001f + 0.04f);
    const float sn = Sin(0.55f * t), cs = Cos(0.47f * t);
    const SplatCall* f = &rig.fluid.splats[5];
    EXPECT_EQ(f[0].x, 32.0f + 13.0f * sn);
    EXPECT_EQ(f[0].y, 31.0f + 13.0f * cs);
    EXPECT_EQ(f[0].dvx, 110.0f * cs * dt);
    EXPECT_EQ(f[0].dvy, -110.0f * sn * dt);
    EXPECT_EQ(f[0].r, 7.0f * dt);
    EXPECT_EQ(f[1].x, 62.0f - 13.0f * sn);
    EXPECT_EQ(f[1].y, 31.0f - 13.0f * cs);
    EXPECT_EQ(f[1].b, 7.0f * dt);
    EXPECT_EQ(f[2].x, 48.0f + 19.0f * cs);
    EXPECT_EQ(f[2].y, 33.0f + 17.0f * sn);
    EXPECT_EQ(f[2].dvy, 55.0f * cs * dt);
    EXPECT_EQ(rig.fluid.steps.back(), dt);
}

TEST(Fountains, StopMovingOnceTheAnglesLeaveTheBoundedRange) {
    Rig rig;
    rig.loop.state.simTime = 7448.0f;  // 0.55 x simTime > 4096, 0.47 x simTime < 4096
    rig.Frame();
    const SplatCall* f = &rig.fluid.splats[2];
    EXPECT_EQ(f[0].x, 32.0f);
    EXPECT_EQ(f[0].dvy, 0.0f);
    EXPECT_NE(f[0].y, 31.0f);
    EXPECT_EQ(f[1].x, 62.0f);
    EXPECT_EQ(f[2].y, 33.0f);
    rig.loop.state.simTime = 8716.0f;  // both beyond
    rig.Frame();
    f = &rig.fluid.splats[5];
    EXPECT_EQ(f[0].x, 32.0f);
    EXPECT_EQ(f[0].y, 31.0f);
    EXPECT_EQ(f[0].dvx, 0.0f);
    EXPECT_EQ(f[1].y, 31.0f);
    EXPECT_EQ(f[2].x, 48.0f);
}

TEST(PointerInRect, HalfOpenOnTheRightAndBottom) {
    FakeCanvas canvas;
    canvas.open = true;
    const struct {
        int32_t x, y;
        bool inside;
    } cases[] = {{10, 20, true}, {39, 29, true}, {40, 20, false}, {10, 30, false}, {9, 20, false}, {10, 19, false}};
    for (const auto& c : cases) {
        canvas.mouseX = c.x;
        canvas.mouseY = c.y;
        EXPECT_EQ(PointerInRect(canvas, 10, 20, 30, 10), c.inside) << c.x << "," << c.y;
    }
    canvas.mouseX = std::numeric_limits<int32_t>::max();
    canvas.mouseY = 25;
    // The right edge x + width lies beyond the int32 range: taken in 64 bits.
    EXPECT_TRUE(PointerInRect(canvas, std::numeric_limits<int32_t>::max() - 5, 20, 30, 10));
}

}  // namespace
}  // namespace rava::testing
