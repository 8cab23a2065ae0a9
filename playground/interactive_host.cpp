// The interactive mode: the frame loop on the window/canvas host, the steady
// clock and the runtime's cancellable 16 ms wait between frames.
#include "playground/frame_loop.h"
#include "playground/host_canvas.h"
#include "playground/interactive.h"
#include "runtime/runtime.h"

namespace rava {

void RunInteractive(const std::shared_ptr<ColorFluid>& fluid, const PixelBufferHandle& pixels) {
    HostCanvas canvas;
    RunFrameLoop(canvas, *fluid, *pixels, SteadyClockMilliseconds, [] { CancellableSleepMilliseconds(16); });
}

}  // namespace rava
