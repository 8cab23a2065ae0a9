// Host-event log, window events and the one-line diagnostics. Event times strictly increase,
// non-positive correlations continue the last one, and the log only ever grows.
#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace rava {

void NativeUiHostProvider::LogHostEvent(std::string_view category, std::string_view subject, std::string_view state,
                                        std::string_view detail, int32_t time, int32_t correlation, int32_t latency) {
    int64_t eventTime = time;
    if (lastEventTime >= eventTime) eventTime = lastEventTime + 1;
    int64_t eventCorrelation = correlation;
    if (eventCorrelation <= 0) eventCorrelation = lastCorrelation + 1;
    if (latency > maxLatencyMicroseconds) maxLatencyMicroseconds = latency;
    const int64_t n = nextEventSequence;
    // One pass for the head and the tail: argument texts are never rescanned, so this is the same
    // line as joining the two separately formatted halves with "; ".
    events.push_back(
        Format("host-event {0}: time={1}; correlation={2}; category={3}; subject={4}; state={5}; detail={6}",
               {n, eventTime, eventCorrelation, category, subject, state, detail}));
    ++allocations;
    nextEventSequence = n + 1;
    lastEventTime = eventTime;
    lastCorrelation = eventCorrelation;
}

bool NativeUiHostProvider::ReportWindowEvent(std::string_view windowId, std::string_view eventName, int32_t time,
                                             int32_t correlation, int32_t thread) {
    if (state == "ready" && thread == ownerThread && !windowId.empty()) {
        LogHostEvent("window", windowId, eventName, "correlated-window-runtime-event", time, correlation, 0);
        return true;
    }
    return Reject("window-event", "invalid-state-thread-or-window");
}

std::string NativeUiHostProvider::EventAt(int64_t index) const {
    if (index < 0 || static_cast<uint64_t>(index) >= events.size()) return std::string();
    return events[static_cast<size_t>(index)];
}

std::string NativeUiHostProvider::ProviderDiagnostics() const {
    // The five groups in one pass (the same text as formatting each and joining them with "; ").
    return Format(
        "native-ui-host-provider: schema={0}; version={1}; provider={2}; state={3}; "
        "owner-thread={4}; sequence={5}; timestamp={6}; correlation={7}; "
        "events={8}; nodes={9}; displays={10}; topology={11}; "
        "session={12}; composition={13}; keyboard-requested={14}; keyboard-visible={15}; "
        "clipboard-format={16}; failures={17}; allocations={18}; max-latency-us={19}; diagnostic={20}",
        {schema,
         schemaVersion,
         providerName,
         state,
         ownerThread,
         nextEventSequence - 1,
         lastEventTime,
         lastCorrelation,
         static_cast<int64_t>(events.size()),
         static_cast<int64_t>(nodes_.size()),
         static_cast<int64_t>(displays_.size()),
         topologyRevision,
         sessionState,
         compositionActive,
         keyboardRequested,
         keyboardVisible,
         clipboardFormat,
         failures,
         allocations,
         maxLatencyMicroseconds,
         lastResult});
}

}  // namespace rava
