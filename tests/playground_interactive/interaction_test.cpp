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

TEST(Controls, KeysWorkWhilePausedToggleBackAndColourWraps) {
    Rig rig;
    rig.canvas.Press("space");
    rig.Frame();
    ASSERT_TRUE(rig.loop.state.paused);
    for (const char* key : {"a", "b", "c"}) rig.canvas.Press(key);
    rig.Frame();
    EXPECT_FALSE(rig.loop.state.fountainsOn);
    EXPECT_FALSE(rig.loop.state.bloomOn);
    EXPECT_EQ(rig.loop.state.colorIndex, 1);
    for (const char* key : {"a", "b", "space", "c"}) rig.canvas.Press(key);
    rig.Frame();
    EXPECT_TRUE(rig.loop.state.fountainsOn);
    EXPECT_TRUE(rig.loop.state.bloomOn);
    EXPECT_FALSE(rig.loop.state.paused);
    EXPECT_EQ(rig.loop.state.colorIndex, 2);
    rig.canvas.Press("c");
    rig.Frame();
    EXPECT_EQ(rig.loop.state.colorIndex, 0);
}

// Each row: release, then press (with its key, if any) and hold for two more
// frames; the state after every held frame must be the row's.
TEST(Controls, ButtonsReactOnThePressFrameOnlyAndOnceWithTheirKey) {
    const struct {
        const char* what;
        int32_t x, y;
        const char* key;
        bool paused, fountainsOn;
        int32_t colorIndex;
        int resets;
    } rows[] = {
        {"pause", 40, 640, nullptr, true, true, 0, 0},
        {"pause and Space together", 40, 640, "space", false, true, 0, 0},
        {"fountains", 400, 640, nullptr, false, false, 0, 0},
        {"colour", 600, 640, nullptr, false, false, 1, 0},
        {"clear's last column and R together", 339, 627, "r", false, false, 1, 1},
        {"just right of clear", 340, 627, nullptr, false, false, 1, 1},
    };
    Rig rig;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        rig.FrameAt(r.x, r.y, false);
        if (r.key) rig.canvas.Press(r.key);
        for (int frame = 0; frame < 3; ++frame) {
            rig.FrameAt(r.x, r.y, true);
            EXPECT_EQ(rig.loop.state.paused, r.paused);
            EXPECT_EQ(rig.loop.state.fountainsOn, r.fountainsOn);
            EXPECT_EQ(rig.loop.state.colorIndex, r.colorIndex);
            EXPECT_EQ(rig.fluid.resets, r.resets);
        }
        if (r.key) {
            EXPECT_EQ(rig.canvas.presses[r.key], 0);  // the key was read
        }
    }
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
    for (int32_t x : {300, 300, 300, 360, 360, 360}) rig.FrameAt(x, 300, true);
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

TEST(Painting, ClickFrameAddsDyeWithoutMomentumThenDragsAddMovement) {
    StrokeRig rig;
    rig.FrameAt(34 + 7 * 40, 161 + 7 * 20, true);  // far from the previous position (0, 0)
    ASSERT_EQ(rig.fluid.splats.size(), 3u);        // two opening plumes, one stroke
    const float click = 24.0f * 0.001f;            // the first frame's dt
    EXPECT_EQ(rig.fluid.splats.back(), (SplatCall{40, 20, 0, 0, click * 0.9f, click * 0.1f, click * 0.5f}));
    EXPECT_GT(rig.fluid.dyeRed[20 * 96 + 40], 0.0f);
    EXPECT_EQ(rig.fluid.velocityX[20 * 96 + 40], 0.0f);

    // 14 pixels right and 7 down in one 40 ms frame: momentum of four and
    // two cells per second at the centre, in cyan after C.
    const int centre = 21 * 96 + 42;
    const float velocityXBefore = rig.fluid.velocityX[centre], velocityYBefore = rig.fluid.velocityY[centre];
    rig.canvas.Press("c");
    rig.FrameAt(34 + 7 * 40 + 14, 161 + 7 * 20 + 7, true);
    const float drag = 24.0f * 0.04f;
    EXPECT_EQ(rig.fluid.splats.back(), (SplatCall{42, 21, 4, 2, drag * 0.1f, drag * 0.8f, drag * 0.95f}));
    EXPECT_EQ(rig.fluid.velocityX[centre] - velocityXBefore, 4.0f);
    EXPECT_EQ(rig.fluid.velocityY[centre] - velocityYBefore, 2.0f);
}

TEST(Painting, OnlyInsideTheHalfOpenFluidView) {
    const struct {
        int32_t x, y;
        bool paints;
        float cellX, cellY;
    } rows[] = {
        {706, 300, false, 0, 0},  // right edge is exclusive
        {34, 161, true, 0, 0},    // top-left pixel is cell (0, 0)
        {34, 609, false, 0, 0},   // bottom edge is exclusive too
        {33, 300, false, 0, 0},  {705, 608, true, 671.0f / 7.0f, 447.0f / 7.0f},
    };
    StrokeRig rig;
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.x) + "," + std::to_string(r.y));
        const size_t before = rig.fluid.splats.size();
        rig.FrameAt(r.x, r.y, true);
        ASSERT_EQ(rig.fluid.splats.size(), before + (r.paints ? 1 : 0));
        if (r.paints) {
            EXPECT_EQ(rig.fluid.splats.back().x, r.cellX);
            EXPECT_EQ(rig.fluid.splats.back().y, r.cellY);
        }
    }
}

TEST(Painting, ExtremePointerPositionsNeverOverflow) {
    StrokeRig rig;
    const int32_t extremes[] = {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), -1};
    for (int32_t x : extremes) {
        for (int32_t y : extremes) {
            rig.FrameAt(x, y, !rig.canvas.leftDown);
            EXPECT_FALSE(PointerInRect(rig.canvas, kFluidView));
        }
    }
    EXPECT_EQ(rig.fluid.splats.size(), 2u);
    // From the most negative position straight into the view: a huge but
    // finite stroke, which the solver's checked clamp turns into no momentum.
    rig.FrameAt(std::numeric_limits<int32_t>::min(), -1, true);
    rig.FrameAt(300, 300, true);
    ASSERT_EQ(rig.fluid.splats.size(), 3u);
    EXPECT_GT(rig.fluid.splats.back().dvx, 6.0e8f);
    EXPECT_EQ(rig.fluid.velocityX[20 * 96 + 38], 0.0f);
    EXPECT_GT(rig.fluid.dyeRed[20 * 96 + 38], 0.0f);
}

TEST(Painting, MovementWhilePausedCountsForTheFirstStrokeAfterResuming) {
    StrokeRig rig;
    rig.canvas.Press("space");
    rig.FrameAt(100, 300, true);
    rig.FrameAt(200, 300, true);  // dragged while paused: no splat, but recorded
    EXPECT_EQ(rig.fluid.splats.size(), 2u);
    rig.canvas.Press("space");
    rig.FrameAt(207, 300, true);
    ASSERT_EQ(rig.fluid.splats.size(), 3u);
    EXPECT_EQ(rig.fluid.splats.back().dvx, 2.0f);  // 7 pixels since the last paused frame
}

// The three fountain splats from splats[first] on for the given sine, cosine
// and frame time.
void ExpectFountains(const std::vector<SplatCall>& splats, size_t first, float sn, float cs, float dt) {
    ASSERT_GE(splats.size(), first + 3);
    EXPECT_EQ(splats[first], (SplatCall{32.0f + 13.0f * sn, 31.0f + 13.0f * cs, 110.0f * cs * dt, -110.0f * sn * dt,
                                        7.0f * dt, 0.03f * dt, 1.6f * dt}));
    EXPECT_EQ(splats[first + 1], (SplatCall{62.0f - 13.0f * sn, 31.0f - 13.0f * cs, -110.0f * cs * dt, 110.0f * sn * dt,
                                            0.02f * dt, 3.5f * dt, 7.0f * dt}));
    EXPECT_EQ(splats[first + 2], (SplatCall{48.0f + 19.0f * cs, 33.0f + 17.0f * sn, -55.0f * sn * dt, 55.0f * cs * dt,
                                            5.0f * dt, 2.4f * dt, 0.02f * dt}));
}

TEST(Fountains, ThreeSplatsOnTheirPathsPerSecondOfSimulation) {
    Rig rig;
    rig.Frames(2);
    ASSERT_EQ(rig.fluid.splats.size(), 2u + 6u);
    const float t = rig.loop.state.simTime, dt = 0.04f;
    ASSERT_EQ(t, 0.001f + 0.04f);
    ExpectFountains(rig.fluid.splats, 5, Sin(0.55f * t), Cos(0.47f * t), dt);
    EXPECT_EQ(rig.fluid.steps.back(), dt);
}

// Past 4096 radians the bounded sine and cosine read 0 and the paths stop.
TEST(Fountains, StopMovingOnceTheAnglesLeaveTheBoundedRange) {
    Rig rig;
    rig.loop.state.simTime = 7448.0f;  // 0.55 x simTime > 4096, 0.47 x simTime < 4096
    rig.Frame();
    const float cs = Cos(0.47f * rig.loop.state.simTime);
    ASSERT_NE(cs, 0.0f);
    ExpectFountains(rig.fluid.splats, 2, 0.0f, cs, 0.001f);
    rig.loop.state.simTime = 8716.0f;  // both beyond
    rig.Frame();
    ExpectFountains(rig.fluid.splats, 5, 0.0f, 0.0f, 0.04f);
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
