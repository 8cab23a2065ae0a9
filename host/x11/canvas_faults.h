// Test seam of the X11 canvas host: a test can make chosen GLX steps of
// opening fail so that the fallback and failure paths run for real.
// Not part of the public header; production code never sets it.
#pragma once

#include <cstdint>

namespace rava {

enum CanvasFault : uint32_t {
    kFaultNone = 0,
    kFaultNoSrgbConfig = 1u << 0,  // no framebuffer config is sRGB-capable
    kFaultNoConfig = 1u << 1,      // no framebuffer config at all
    kFaultWindowBadMatch = 1u << 2,  // the X window is made with a depth its visual lacks
};

void SetCanvasFaultsForTesting(uint32_t faults);
bool CanvasFaultInjected(CanvasFault fault);

}  // namespace rava
