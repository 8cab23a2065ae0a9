// The frame loop's order and lifetime on the fake: start-up sequence, frame
// time from the wrapping 32-bit clock, leaving on Escape or a window closed
// before or during a frame, the teardown, and errors that escape without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "fake_canvas.h"
#include "runtime/runtime.h"

namespace rava::testing {
namespace {

TEST(FrameTime, SignedDifferenceOfTheLowClockBitsLimitedToFortyMilliseconds) {
    const int64_t beforeWrap = (int64_t{7} << 32) - 10, beforeSign = (int64_t{1} << 31) - 5;
    const struct {
        int32_t last;
        int64_t now;
        float dt;
    } rows[] = {
        {1000, 1200, 0.04f},
        {1000, 1000, 0.001f},
        {1000, 1016, 0.016f},
        {1000, 900, 0.001f},                                  // a clock that stepped back
        {LowClockBits(beforeWrap), beforeWrap + 25, 0.025f},  // across the wrap of the low 32 bits
        {LowClockBits(beforeSign), beforeSign + 30, 0.03f},   // and across their sign
        {0, int64_t{2000000000}, 0.04f},                      // a month's stall is the longest frame, not 0
    };
    ASSERT_EQ(LowClockBits(beforeWrap), -10);
    ASSERT_EQ(LowClockBits(beforeSign), INT32_MAX - 4);
    for (const auto& r : rows) EXPECT_EQ(FrameSeconds(r.last, r.now), r.dt) << r.last << " " << r.now;
}

TEST(FrameLoop, StartsWithClockPlumesThenWindow) {
    Rig rig(5000, false);
    rig.loop.state.paused = true;  // overwritten by the initial values
    rig.loop.Start();
    EXPECT_EQ(rig.canvas.log, (std::vector<std::string>{"Clock", "Splat 28 30", "Splat 66 31",
                                                        "OpenWindow Rovovavev / Rava + Dudura fluid"}));
    EXPECT_EQ(rig.fluid.splats[0].dvx, 25.0f);
    EXPECT_EQ(rig.fluid.splats[0].b, 1.5f);
    EXPECT_EQ(rig.fluid.splats[1].dvy, 18.0f);
    EXPECT_EQ(rig.fluid.splats[1].g, 2.5f);
    EXPECT_FALSE(rig.loop.state.paused);
    EXPECT_EQ(rig.loop.state.lastFrameTime, 5000);
    EXPECT_EQ(rig.loop.state.exposure, 0.8f);
}

TEST(FrameLoop, FrameTimeDrivesSimulatedTime) {
    Rig rig;  // the first frame comes within the start-up millisecond
    rig.Frame();
    EXPECT_EQ(rig.loop.state.simTime, 0.001f);
    rig.frameMilliseconds = 200;
    rig.Frame();  // this frame still measured 40 ms
    rig.loop.state.simTime = 0.0f;
    rig.Frame();
    EXPECT_EQ(rig.loop.state.simTime, 0.04f);
    EXPECT_EQ(rig.fluid.steps.back(), 0.04f);
    rig.frameMilliseconds = 0;
    rig.Frame();
    rig.loop.state.simTime = 0.0f;
    rig.Frame();
    EXPECT_EQ(rig.loop.state.simTime, 0.001f);
}

TEST(FrameLoop, FrameTimeIsTrueAcrossTheClockWrap) {
    Rig rig((int64_t{3} << 32) - 20);
    rig.frameMilliseconds = 33;
    rig.Frames(2);
    EXPECT_EQ(rig.fluid.steps, (std::vector<float>{0.001f, 0.033f}));
}

// Runs the whole loop; the wait advances the clock and lets the test act.
struct LoopRun : Rig {
    LoopRun() : Rig(1000, false) {}
    int waits = 0;
    std::function<void(int)> afterWait;  // called with the number of waits so far

    // What escaped from the loop, or "" when it ended normally.
    std::string Run() {
        try {
            RunFrameLoop(canvas, fluid, pixels, clock.Reader(), [this] {
                ++waits;
                if (waits > 500) throw std::runtime_error("the loop did not end");
                canvas.log.push_back("Wait");
                clock.now += 16;
                if (afterWait) afterWait(waits);
            });
        } catch (const rill_runtime_exception& error) {
            return error.what();
        }
        return "";
    }
    std::vector<std::string> Tail(size_t count) const {
        return {canvas.log.end() - static_cast<std::ptrdiff_t>(std::min(count, canvas.log.size())), canvas.log.end()};
    }
};

// Escape, pressed during the first wait, ends the loop right after the
// second frame is presented, without another wait.
TEST(FrameLoop, FrameOrderPumpMeasureSimulateDrawThenEscape) {
    LoopRun run;
    run.afterWait = [&](int) { run.canvas.Press("escape"); };
    EXPECT_EQ(run.Run(), "");
    EXPECT_EQ(run.waits, 1);
    EXPECT_EQ(run.Tail(3),
              (std::vector<std::string>{"Rect 784 662 1x1 (236,93,168)", "EndFrame", "DestroyAllWindows"}));
    std::string order;  // first word of every call but the text and rectangles
    for (const auto& entry : run.canvas.log) {
        if (entry.rfind("Text", 0) == 0 || entry.rfind("Rect", 0) == 0 || entry.rfind("RoundedRect", 0) == 0) continue;
        order += entry.substr(0, entry.find(' ')) + " ";
    }
    const std::string frame = "Pump Clock Splat Splat Splat Step BeginFrame Pixels EndFrame ";
    EXPECT_EQ(order, "Clock Splat Splat OpenWindow " + frame + "Wait " + frame + "DestroyAllWindows ");
}

// A close arriving during the second wait ends the loop at the next pump; one
// handled inside a pointer query (the host pumps there) ends it mid-frame.
TEST(FrameLoop, ClosedWindowEndsTheLoopWithTheTeardown) {
    for (bool midFrame : {false, true}) {
        SCOPED_TRACE(midFrame ? "inside a pointer query" : "between frames");
        LoopRun run;
        run.afterWait = [&](int waits) {
            if (waits != 2) return;
            if (midFrame) {
                run.canvas.onMouseQuery = [&] { run.canvas.open = false; };
            } else {
                run.canvas.open = false;
            }
        };
        EXPECT_EQ(run.Run(), "");
        EXPECT_EQ(run.waits, 2);
        EXPECT_EQ(run.canvas.Calls("BeginFrame").size(), 2u);
        EXPECT_EQ(run.Tail(2),
                  (std::vector<std::string>{midFrame ? "Step " + Num(0.016f) : "Pump", "DestroyAllWindows"}));
    }
}

// Errors raised with the window open leave at once, without the teardown:
// the window failing to open, or an upload failing in the third frame.
TEST(FrameLoop, HostErrorsEscapeWithoutTeardown) {
    for (bool atOpen : {true, false}) {
        SCOPED_TRACE(atOpen ? "opening" : "upload");
        LoopRun run;
        run.canvas.failOpen = atOpen;
        run.afterWait = [&](int waits) { run.canvas.failPixels = waits == 2; };
        EXPECT_EQ(run.Run(), atOpen ? "window.canvas: failed to create window/canvas window"
                                    : "window.canvas: failed to upload window/canvas pixels");
        EXPECT_EQ(run.canvas.pumps, atOpen ? 0 : 3);
        EXPECT_EQ(run.canvas.Calls("BeginFrame").size(), atOpen ? 0u : 3u);
        EXPECT_EQ(run.canvas.Calls("EndFrame").size(), atOpen ? 0u : 2u);
        EXPECT_TRUE(run.canvas.Calls("DestroyAllWindows").empty());
    }
}

}  // namespace
}  // namespace rava::testing
