// Trees built without the host folder have no window to open.
#include "playground/interactive.h"
#include "runtime/runtime.h"

namespace rava {

void RunInteractive(const std::shared_ptr<ColorFluid>&, const PixelBufferHandle&) {
    throw rill_runtime_exception(RuntimeErrorRecord{"window.canvas", "interactive mode needs the window/canvas host",
                                                    0, "", ""});
}

}  // namespace rava
