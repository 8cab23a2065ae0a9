// Provider construction, the rejection record, the capability gate and the lifecycle
// (initialize, provider loss, teardown). Only "ready" admits service calls; every refusal
// leaves the state as it was, apart from the documented moves to "unavailable" and "failed".
#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace rava {

NativeUiHostProvider::NativeUiHostProvider(const ProviderConfig& config, int32_t ownerThread)
    : providerName(config.providerName),
      contractId(config.contractId),
      contractVersion(config.contractVersion),
      ownerThread(ownerThread),
      capabilities(config.capabilities) {}

NativeUiHostProvider::~NativeUiHostProvider() = default;

bool NativeUiHostProvider::Reject(std::string_view operation, std::string_view reason) {
    lastResult = Format("host.ui_services {0} rejected: {1}", {operation, reason});
    ++failures;
    return false;
}

bool NativeUiHostProvider::HasCapability(std::string_view name) const {
    if (name == "accessibility") return capabilities.accessibility;
    if (name == "text-input") return capabilities.textInput;
    if (name == "clipboard") return capabilities.clipboard;
    if (name == "display-topology") return capabilities.displayTopology;
    if (name == "session-lifecycle") return capabilities.sessionLifecycle;
    if (name == "virtual-keyboard") return capabilities.virtualKeyboard;
    if (name == "delayed-clipboard") return capabilities.delayedClipboard;
    return false;
}

bool NativeUiHostProvider::RequireCapability(int32_t thread, std::string_view capability) {
    if (state != "ready") return Reject(capability, Format("provider-state={0}", {state}));
    if (thread != ownerThread) {
        return Reject(capability, Format("wrong-thread expected={0} actual={1}", {ownerThread, thread}));
    }
    if (!HasCapability(capability)) return Reject(capability, "capability-unavailable-before-effect");
    return true;
}

bool NativeUiHostProvider::Initialize(bool hostAvailable, bool partialFailure, int32_t thread, int32_t time,
                                      int32_t correlation) {
    if (state != "new" || thread != ownerThread) return Reject("initialize", "invalid-state-or-thread");
    if (contractId != kNativeUiHostContractId || contractVersion != 1 || providerName.empty()) {
        state = "unavailable";
        return Reject("initialize", "incompatible-capability-contract");
    }
    if (!hostAvailable) {
        state = "unavailable";
        return Reject("initialize", "provider-unavailable");
    }
    state = "initializing";
    if (partialFailure) {
        // Nothing was published yet, so the partial start is logged as already cleaned up.
        state = "failed";
        LogHostEvent("provider", providerName, "partial-initialization-cleaned",
                     "capabilities-created-services-not-published", time, correlation, 0);
        return Reject("initialize", "partial-initialization");
    }
    state = "ready";
    LogHostEvent("provider", providerName, "ready", "owner-thread-bound", time, correlation, 0);
    lastResult = "ok";
    return true;
}

bool NativeUiHostProvider::ReportProviderLoss(std::string_view reason, int32_t thread, int32_t time,
                                              int32_t correlation) {
    if (state != "ready" || thread != ownerThread) return Reject("provider-loss", "invalid-state-or-thread");
    // Only what the vanished native side held is dropped; requests, focus, format, nodes and
    // displays describe the client and survive.
    compositionActive = false;
    keyboardVisible = false;
    clipboardOwner.clear();
    clipboardPayload.clear();
    clipboardDelayed = false;
    LogHostEvent("provider", providerName, "lost", reason, time, correlation, 1);
    state = "lost";
    return true;
}

bool NativeUiHostProvider::Teardown(int32_t thread, int32_t time, int32_t correlation) {
    if (thread != ownerThread) return Reject("teardown", "wrong-thread");
    if (state == "torn-down") return true;
    if (state == "ready" || state == "lost" || state == "failed" || state == "unavailable") {
        LogHostEvent("provider", providerName, "torn-down", "queues-quiesced-identities-invalidated", time, correlation,
                     1);
        state = "torn-down";
        actionInProgress = false;
        compositionActive = false;
        keyboardRequested = false;
        batchOpen = false;
        return true;
    }
    return Reject("teardown", Format("invalid-state={0}", {state}));
}

}  // namespace rava
