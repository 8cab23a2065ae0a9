// The interactive mode on Windows: the frame loop on the Win32 host, the
// steady clock and the runtime's cancellable 16 ms wait between frames.
#include "playground/frame_loop.h"
#include "playground/interactive.h"
#include "playground/win32_canvas.h"
#include "runtime/runtime.h"

namespace rava {

void RunInteractive(const std::shared_ptr<ColorFluid>& fluid, const PixelBufferHandle& pixels) {
    Win32Canvas canvas;
    RunFrameLoop(canvas, *fluid, *pixels, SteadyClockMilliseconds, [] { CancellableSleepMilliseconds(16); });
}

}  // namespace rava
