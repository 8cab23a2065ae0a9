// The interactive frame loop: opening splats and window, then per frame the
// message pump, window check, measured dt, controls, simulation, drawing and
// Escape; the wait between frames and the clock are injected, so tests run
// it without a window or real time. Leaving the loop tears every window down.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "playground/canvas.h"
#include "playground/color_fluid.h"
#include "playground/loop_state.h"

namespace rava {

inline constexpr std::string_view kWindowTitle = "Rovovavev / Rava + Dudura fluid";

// Monotonic milliseconds (steady clock nanoseconds / 1,000,000).
using MillisecondClock = std::function<int64_t()>;
int64_t SteadyClockMilliseconds();

// The clock's low 32 bits as the loop keeps them.
int32_t LowClockBits(int64_t milliseconds);
// Seconds since the previous frame from the signed 32-bit difference of the
// low clock bits (so a wrap still gives the true time), limited to [0.001, 0.04].
float FrameSeconds(int32_t lastFrameTime, int64_t nowMilliseconds);

enum class FrameOutcome { kContinue, kWindowClosed, kEscape };

class FrameLoop {
public:
    FrameLoop(Canvas& canvas, ColorFluid& fluid, PixelBuffer& pixels, MillisecondClock clock);

    // Clock, the two opening plumes, the window, then the initial state.
    void Start();
    // One frame up to and including Escape. kWindowClosed when the window was
    // closed before the frame or while it ran (its remaining calls skipped).
    FrameOutcome RunFrame();
    // After the wait: remember this frame's clock and button for the next.
    void FinishFrame();

    LoopState state;

private:
    FrameOutcome FrameBody();

    Canvas& canvas_;
    ColorFluid& fluid_;
    PixelBuffer& pixels_;
    MillisecondClock clock_;
    int64_t frameNow_ = 0;
    bool frameDown_ = false;
};

// Runs the interactive mode until the window closes or Escape, waiting with
// wait() between frames, then destroys every window. Errors raised while the
// window is still open propagate at once, without the teardown.
void RunFrameLoop(Canvas& canvas, ColorFluid& fluid, PixelBuffer& pixels, const MillisecondClock& clock,
                  const std::function<void()>& wait);

}  // namespace rava
