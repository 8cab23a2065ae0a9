// Frame loop order and frame-time measurement. Only the low 32 bits of the
// millisecond clock are kept, so differences are taken modulo 2^32 and read
// as signed: a wrap between two frames still yields the true interval.
#include "playground/frame_loop.h"

#include <chrono>
#include <utility>

#include "playground/interaction.h"
#include "playground/overlay.h"
#include "runtime/runtime.h"

namespace rava {

int64_t SteadyClockMilliseconds() {
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return ns.count() / 1000000;
}

int32_t LowClockBits(int64_t milliseconds) { return static_cast<int32_t>(static_cast<uint32_t>(milliseconds)); }

float FrameSeconds(int32_t lastFrameTime, int64_t nowMilliseconds) {
    const auto elapsed =
        static_cast<int32_t>(static_cast<uint32_t>(nowMilliseconds) - static_cast<uint32_t>(lastFrameTime));
    float dt = static_cast<float>(elapsed) / 1000.0f;
    // Not the runtime's Clamp: a stall of more than 1000 s would read as 0.
    if (dt < 0.001f) dt = 0.001f;
    if (dt > 0.04f) dt = 0.04f;
    return dt;
}

FrameLoop::FrameLoop(Canvas& canvas, ColorFluid& fluid, PixelBuffer& pixels, MillisecondClock clock)
    : canvas_(canvas), fluid_(fluid), pixels_(pixels), clock_(std::move(clock)) {}

void FrameLoop::Start() {
    const int32_t startTime = LowClockBits(clock_());
    fluid_.Splat(28, 30, 25, -18, 4.5f, 0.06f, 1.5f);
    fluid_.Splat(66, 31, -25, 18, 0.02f, 2.5f, 4.5f);
    canvas_.OpenWindow(kWindowTitle);
    state = LoopState{};
    state.lastFrameTime = startTime;
}

FrameOutcome FrameLoop::RunFrame() {
    canvas_.PumpMessages();
    if (!canvas_.WindowOpen()) return FrameOutcome::kWindowClosed;
    try {
        return FrameBody();
    } catch (const rill_runtime_exception&) {
        // NOTE: the host pumps messages inside its pointer and key queries, so
        // a close request can be handled in the middle of a frame and the
        // next drawing call then finds no window. That is the user closing
        // the window, not a failure: end as a close at the next frame would.
        if (!canvas_.WindowOpen()) return FrameOutcome::kWindowClosed;
        throw;
    }
}

FrameOutcome FrameLoop::FrameBody() {
    frameNow_ = clock_();
    FrameInput input;
    input.dt = FrameSeconds(state.lastFrameTime, frameNow_);
    input.down = canvas_.PointerDown("LEFT");
    input.click = input.down && !state.previousDown;
    frameDown_ = input.down;

    ApplyControls(canvas_, fluid_, state, input);
    AdvanceSimulation(canvas_, fluid_, state, input);
    // Recorded while paused too: the first drag after resuming measures from here.
    state.previousX = canvas_.MouseX();
    state.previousY = canvas_.MouseY();

    DrawFrame(canvas_, fluid_, pixels_, state);
    if (canvas_.KeyPressed("ESCAPE")) return FrameOutcome::kEscape;
    return FrameOutcome::kContinue;
}

void FrameLoop::FinishFrame() {
    state.lastFrameTime = LowClockBits(frameNow_);
    state.previousDown = frameDown_;
}

void RunFrameLoop(Canvas& canvas, ColorFluid& fluid, PixelBuffer& pixels, const MillisecondClock& clock,
                  const std::function<void()>& wait) {
    FrameLoop loop(canvas, fluid, pixels, clock);
    loop.Start();
    while (loop.RunFrame() == FrameOutcome::kContinue) {
        wait();
        loop.FinishFrame();
    }
    canvas.DestroyAllWindows();
}

}  // namespace rava
