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
    std::string head =
        Format("host-event {0}: time={1}; correlation={2}; category={3}", {n, eventTime, eventCorrelation, category});
    std::string tail = Format("subject={0}; state={1}; detail={2}", {subject, state, detail});
    events.push_back(Format("{0}; {1}", {head, tail}));
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
    std::string identity = Format("native-ui-host-provider: schema={0}; version={1}; provider={2}; state={3}",
                                  {schema, schemaVersion, providerName, state});
    std::string position = Format("owner-thread={0}; sequence={1}; timestamp={2}; correlation={3}",
                                  {ownerThread, nextEventSequence - 1, lastEventTime, lastCorrelation});
    std::string tables = Format("events={0}; nodes={1}; displays={2}; topology={3}",
                                {static_cast<int64_t>(events.size()), static_cast<int64_t>(nodes_.size()),
                                 static_cast<int64_t>(displays_.size()), topologyRevision});
    std::string session = Format("session={0}; composition={1}; keyboard-requested={2}; keyboard-visible={3}",
                                 {sessionState, compositionActive, keyboardRequested, keyboardVisible});
    std::string counters = Format("clipboard-format={0}; failures={1}; allocations={2}; max-latency-us={3}",
                                  {clipboardFormat, failures, allocations, maxLatencyMicroseconds});
    return Format("{0}; {1}; {2}; {3}", {Format("{0}; {1}", {identity, position}), tables, session,
                                         Format("{0}; diagnostic={1}", {counters, lastResult})});
}

}  // namespace rava
