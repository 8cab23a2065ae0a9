// Display-topology and session-lifecycle services. Displays are validated and published one by one
// and take effect together at a commit that needs exactly one primary; the session toggles between
// "active" and "suspended" and refuses repeats.
#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace rava {

std::string ValidateDisplay(const DisplayRecord& d) {
    if (d.id.empty() || d.width <= 0 || d.height <= 0 || d.workWidth <= 0 || d.workHeight <= 0 || d.scale <= 0) {
        return "invalid-display-geometry";
    }
    // NOTE: far edges in 64 bits; in 32 bits x + width wraps for displays placed near INT32_MAX.
    const int64_t right = int64_t{d.x} + d.width;
    const int64_t bottom = int64_t{d.y} + d.height;
    const int64_t workRight = int64_t{d.workX} + d.workWidth;
    const int64_t workBottom = int64_t{d.workY} + d.workHeight;
    if (d.workX >= d.x && d.workY >= d.y && right >= workRight && bottom >= workBottom) return "ok";
    return "work-area-outside-display";
}

int32_t NativeUiHostProvider::FindDisplay(std::string_view displayId) const {
    return displayIndex_.Find(displayId, displays_);
}

bool NativeUiHostProvider::PublishDisplay(const DisplayRecord& display, int32_t thread) {
    if (!RequireCapability(thread, "display-topology")) return false;
    std::string verdict = ValidateDisplay(display);
    if (verdict != "ok") return Reject("display-publish", verdict);
    const int32_t k = FindDisplay(display.id);
    if (k < 0) {
        displayIndex_.Add(display.id, static_cast<int32_t>(displays_.size()));
        displays_.push_back(display);
        allocations += 11;  // one entry in each of the eleven display columns
    } else {
        displays_[static_cast<size_t>(k)] = display;
    }
    return true;
}

bool NativeUiHostProvider::CommitDisplayTopology(int32_t thread, int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "display-topology")) return false;
    if (displays_.empty()) return Reject("display-topology", "no-displays");
    int64_t primaries = 0;
    for (const DisplayRecord& d : displays_) primaries += d.primary ? 1 : 0;
    if (primaries != 1) return Reject("display-topology", Format("primary-count={0}", {primaries}));
    ++topologyRevision;
    LogHostEvent("display", "topology", "changed",
                 Format("revision={0}; displays={1}", {topologyRevision, static_cast<int64_t>(displays_.size())}), time,
                 correlation, 2);
    return true;
}

bool NativeUiHostProvider::TransitionSession(bool suspend, std::string_view reason, int32_t thread, int32_t time,
                                             int32_t correlation) {
    if (!RequireCapability(thread, "session-lifecycle")) return false;
    const std::string_view target = suspend ? "suspended" : "active";
    if (target == sessionState) return Reject("session-transition", Format("duplicate-state={0}", {target}));
    sessionState = target;
    LogHostEvent("session", "application", target, reason, time, correlation, 1);
    return true;
}

}  // namespace rava
