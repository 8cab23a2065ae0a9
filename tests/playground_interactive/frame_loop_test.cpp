// The frame loop's order and lifetime on the fake: start-up sequence, frame
// time from the wrapping 32-bit clock, leaving on Escape or a window closed
// before or during a frame, the teardown, and errors that escape without it.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "fake_canvas.h"
#include "runtime/runtime.h"

namespace rava::testing {
namespace {

TEST(FrameTime, SignedDifferenceOfTheLowClockBitsLimitedToFortyMilliseconds) {
    EXPECT_EQ(FrameSeconds(1000, 1200), 0.04f);
    EXPECT_EQ(FrameSeconds(1000, 1000), 0.001f);
    EXPECT_EQ(FrameSeconds(1000, 1016), 0.016f);
    EXPECT_EQ(FrameSeconds(1000, 900), 0.001f);  // a clock that stepped back
    // Across the wrap of the low 32 bits, from either side of the sign.
    const int64_t beforeWrap = (int64_t{7} << 32) - 10;
    EXPECT_EQ(FrameSeconds(LowClockBits(beforeWrap), beforeWrap + 25), 0.025f);
    const int64_t beforeSign = (int64_t{1} << 31) - 5;
    EXPECT_EQ(FrameSeconds(LowClockBits(beforeSign), beforeSign + 30), 0.03f);
    // A stall of a month still reads as the longest frame, not as 0.
    EXPECT_EQ(FrameSeconds(0, int64_t{2000000000}), 0.04f);
}

TEST(FrameLoop, StartsWithClockPlumesThenWindow) {
    FakeCanvas canvas;
    RecordingFluid fluid(&canvas.log);
    PixelBuffer pixels(ColorFluid::kCells);
    FakeClock clock{5000, &canvas.log};
    FrameLoop loop(canvas, fluid, pixels, clock.Reader());
    loop.state.paused = true;  // overwritten by the initial values
    loop.Start();
    EXPECT_EQ(canvas.log, (std::vector<std::string>{"Clock", "Splat 28 30", "Splat 66 31",
                                                    "OpenWindow Rovovavev / Rava + Dudura fluid"}));
    EXPECT_EQ(fluid.splats[0].dvx, 25.0f);
    EXPECT_EQ(fluid.splats[0].b, 1.5f);
    EXPECT_EQ(fluid.splats[1].dvy, 18.0f);
    EXPECT_EQ(fluid.splats[1].g, 2.5f);
    EXPECT_FALSE(loop.state.paused);
    EXPECT_EQ(loop.state.lastFrameTime, 5000);
    EXPECT_EQ(loop.state.exposure, 0.8f);
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
    FakeCanvas canvas;
    RecordingFluid fluid(&canvas.log);
    PixelBuffer pixels(ColorFluid::kCells);
    FakeClock clock{(int64_t{3} << 32) - 20};
    FrameLoop loop(canvas, fluid, pixels, clock.Reader());
    loop.Start();
    clock.now += 33;
    loop.RunFrame();
    EXPECT_EQ(fluid.steps.back(), 0.033f);
}

// Runs the whole loop; the wait advances the clock and lets the test act.
struct LoopRun {
    FakeCanvas canvas;
    RecordingFluid fluid{&canvas.log};
    PixelBuffer pixels = PixelBuffer(ColorFluid::kCells, 0u);
    FakeClock clock;
    int waits = 0;
    std::function<void(int)> afterWait;  // called with the number of waits so far

    void Run() {
        RunFrameLoop(canvas, fluid, pixels, clock.Reader(), [this] {
            ++waits;
            if (waits > 500) throw std::runtime_error("the loop did not end");
            canvas.log.push_back("Wait");
            clock.now += 16;
            if (afterWait) afterWait(waits);
        });
    }
};

TEST(FrameLoop, EscapeEndsAfterThePresentedFrameWithoutWaiting) {
    LoopRun run;
    run.afterWait = [&](int waits) {
        if (waits == 3) run.canvas.Press("escape");
    };
    run.Run();
    EXPECT_EQ(run.waits, 3);
    ASSERT_GE(run.canvas.log.size(), 3u);
    const auto tail = std::vector<std::string>(run.canvas.log.end() - 3, run.canvas.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Rect 784 662 1x1 (236,93,168)", "EndFrame", "DestroyAllWindows"}));
    EXPECT_EQ(run.canvas.Calls("EndFrame").size(), 4u);
    EXPECT_EQ(run.canvas.Calls("DestroyAllWindows").size(), 1u);
}

TEST(FrameLoop, ClosedWindowEndsAtTheNextFrameBeforeDrawing) {
    LoopRun run;
    run.afterWait = [&](int waits) {
        if (waits == 2) run.canvas.open = false;  // the system close arrived
    };
    run.Run();
    const auto tail = std::vector<std::string>(run.canvas.log.end() - 4, run.canvas.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"EndFrame", "Wait", "Pump", "DestroyAllWindows"}));
    EXPECT_EQ(run.canvas.Calls("BeginFrame").size(), 2u);
}

TEST(FrameLoop, FrameOrderPumpMeasureSimulateDraw) {
    LoopRun run;
    run.clock.log = &run.canvas.log;
    run.afterWait = [&](int) { run.canvas.Press("escape"); };
    run.Run();
    // Start-up, first frame (wait), second frame, teardown.
    std::vector<std::string> order;
    for (const auto& entry : run.canvas.log) {
        if (entry.rfind("Text", 0) == 0 || entry.rfind("Rect", 0) == 0 || entry.rfind("RoundedRect", 0) == 0) continue;
        order.push_back(entry.substr(0, entry.find(' ')));
    }
    const std::vector<std::string> frame = {"Pump", "Clock",      "Splat",  "Splat",   "Splat",
                                            "Step", "BeginFrame", "Pixels", "EndFrame"};
    std::vector<std::string> expected = {"Clock", "Splat", "Splat", "OpenWindow"};
    expected.insert(expected.end(), frame.begin(), frame.end());
    expected.push_back("Wait");
    expected.insert(expected.end(), frame.begin(), frame.end());
    expected.push_back("DestroyAllWindows");
    EXPECT_EQ(order, expected);
}

TEST(FrameLoop, WindowClosedDuringAFrameEndsLikeAClose) {
    LoopRun run;
    // The host pumps inside the pointer queries, so a close can land mid-frame.
    run.afterWait = [&](int waits) {
        if (waits == 2) run.canvas.onMouseQuery = [&] { run.canvas.open = false; };
    };
    run.Run();
    EXPECT_EQ(run.canvas.Calls("BeginFrame").size(), 2u);
    EXPECT_EQ(run.canvas.log.back(), "DestroyAllWindows");
    EXPECT_EQ(run.waits, 2);
}

TEST(FrameLoop, HostErrorWithTheWindowOpenEscapesWithoutTeardown) {
    LoopRun run;
    run.afterWait = [&](int waits) {
        if (waits == 2) run.canvas.failPixels = true;
    };
    try {
        run.Run();
        FAIL() << "no error";
    } catch (const rill_runtime_exception& error) {
        EXPECT_STREQ(error.what(), "window.canvas: failed to upload window/canvas pixels");
    }
    EXPECT_EQ(run.canvas.Calls("BeginFrame").size(), 3u);
    EXPECT_EQ(run.canvas.Calls("EndFrame").size(), 2u);
    EXPECT_TRUE(run.canvas.Calls("DestroyAllWindows").empty());
}

TEST(FrameLoop, OpeningFailureEscapesBeforeAnyFrame) {
    LoopRun run;
    run.canvas.failOpen = true;
    try {
        run.Run();
        FAIL() << "no error";
    } catch (const rill_runtime_exception& error) {
        EXPECT_STREQ(error.what(), "window.canvas: failed to create window/canvas window");
    }
    EXPECT_EQ(run.canvas.pumps, 0);
    EXPECT_TRUE(run.canvas.Calls("DestroyAllWindows").empty());
}

}  // namespace
}  // namespace rava::testing
