// The parts of the host that have no X11 implementation yet: the IME caret,
// session events and the accessibility slot. Each gives the answer host.h
// documents for "cannot".
#include "host/host.h"

namespace rava {

void SetImeCaretRect(int32_t, int32_t, int32_t) {}

CanvasSessionRecord ReadSessionEvent() { return {}; }

bool EnableAccessibilitySlot(std::string_view) { return false; }

}  // namespace rava
