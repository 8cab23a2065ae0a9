// What the web host does not offer: pointer lock and raw motion, the IME
// caret, the delayed clipboard, session events and the accessibility slot.
// Each gives the answer host.h documents for "cannot".
#include "host/host.h"

namespace rava {

bool RequestPointerLock() { return false; }
void ReleasePointerLock() {}
bool PointerLockEngaged() { return false; }
CanvasRawMotion TakeRawMotion() { return {}; }

void SetImeCaretRect(int32_t, int32_t, int32_t) {}

bool SetPendingClipboardText(std::string_view) { return false; }
CanvasClipboardCounters ReadClipboardCounters() { return {}; }

CanvasSessionRecord ReadSessionEvent() { return {}; }

bool EnableAccessibilitySlot(std::string_view) { return false; }

}  // namespace rava
