// Test seam storage.
#include "host/win32/canvas_faults.h"

namespace rava {

namespace {
uint32_t g_faults = 0;
}

void SetCanvasFaultsForTesting(uint32_t faults) { g_faults = faults; }
bool CanvasFaultInjected(CanvasFault fault) { return (g_faults & fault) != 0; }

}  // namespace rava
