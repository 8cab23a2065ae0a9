// Accessibility service: a node table (id, generation, role, name) that changes only inside an
// open batch, with generations that never go back, and actions guarded against re-entry.
#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace rava {

int32_t NativeUiHostProvider::FindNode(std::string_view nodeId) const { return nodeIndex_.Find(nodeId, nodes_); }

bool NativeUiHostProvider::BeginAccessibilityBatch(int32_t thread, int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "accessibility")) return false;
    if (batchOpen) return Reject("accessibility-batch", "nested-batch");
    batchOpen = true;
    LogHostEvent("accessibility", "tree", "batch-begin", "updates-hidden-until-commit", time, correlation, 0);
    return true;
}

bool NativeUiHostProvider::UpdateAccessibilityNode(std::string_view nodeId, int32_t generation, std::string_view role,
                                                   std::string_view name, int32_t thread) {
    if (!RequireCapability(thread, "accessibility")) return false;
    if (!batchOpen || nodeId.empty() || generation <= 0 || role.empty() || name.empty()) {
        return Reject("accessibility-update", "invalid-batch-node-role-or-name");
    }
    const int32_t k = FindNode(nodeId);
    if (k < 0) {
        nodeIndex_.Add(nodeId, static_cast<int32_t>(nodes_.size()));
        nodes_.push_back(AccessibilityNode{std::string(nodeId), generation, std::string(role), std::string(name)});
        allocations += 4;  // one entry in each of the id, generation, role and name columns
        return true;
    }
    AccessibilityNode& node = nodes_[static_cast<size_t>(k)];
    if (generation < node.generation) return Reject("accessibility-update", "stale-generation");
    node.generation = generation;
    node.role = role;
    node.name = name;
    return true;
}

bool NativeUiHostProvider::CommitAccessibilityBatch(int32_t thread, int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "accessibility")) return false;
    if (!batchOpen) return Reject("accessibility-batch", "no-active-batch");
    batchOpen = false;
    LogHostEvent("accessibility", "tree", "batch-commit", Format("nodes={0}", {static_cast<int64_t>(nodes_.size())}),
                 time, correlation, 1);
    return true;
}

bool NativeUiHostProvider::PerformAccessibilityAction(std::string_view nodeId, int32_t generation,
                                                      std::string_view action, bool reentrant, int32_t thread,
                                                      int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "accessibility")) return false;
    if (actionInProgress) return Reject("accessibility-action", "reentrant-or-unavailable");
    const int32_t k = FindNode(nodeId);
    if (k < 0 || generation != nodes_[static_cast<size_t>(k)].generation) {
        return Reject("accessibility-action", "stale-or-missing-node-identity");
    }
    actionInProgress = true;
    if (reentrant) {
        // The callback tried to re-enter: drop the action but leave the guard open for the next one.
        actionInProgress = false;
        return Reject("accessibility-action", "callback-reentrancy-blocked");
    }
    LogHostEvent("accessibility", nodeId, "action", action, time, correlation, 2);
    actionInProgress = false;
    return true;
}

}  // namespace rava
