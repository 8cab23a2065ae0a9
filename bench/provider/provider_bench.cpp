// Provider throughput: logging an event against formatting the same line alone (the baseline), a
// full diagnostics line, and node updates in small and large accessibility tables (lookups are linear).
#include <benchmark/benchmark.h>

#include <string>

#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace {

rava::ProviderConfig Config() {
    rava::ProviderConfig config;
    config.providerName = "bench";
    config.capabilities = rava::ProviderCapabilities{true, true, true, true, true, true, true};
    return config;
}

// Baseline: the two-stage formatting a log line needs, without the provider around it.
void BM_FormatEventLineBaseline(benchmark::State& state) {
    int32_t t = 0;
    for (auto _ : state) {
        std::string head =
            rava::Format("host-event {0}: time={1}; correlation={2}; category={3}", {t + 1, t, 7, "window"});
        std::string tail =
            rava::Format("subject={0}; state={1}; detail={2}", {"main", "resized", "correlated-window-runtime-event"});
        benchmark::DoNotOptimize(rava::Format("{0}; {1}", {head, tail}));
        ++t;
    }
}
BENCHMARK(BM_FormatEventLineBaseline);

void BM_ReportWindowEvent(benchmark::State& state) {
    rava::NativeUiHostProvider p(Config(), 1);
    p.Initialize(true, false, 1, 1, 1);
    int32_t t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.ReportWindowEvent("main", "resized", ++t, 7, 1));
        if (p.events.size() > 100000) {
            state.PauseTiming();
            p.events.clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_ReportWindowEvent);

void BM_ProviderDiagnostics(benchmark::State& state) {
    rava::NativeUiHostProvider p(Config(), 1);
    p.Initialize(true, false, 1, 1, 1);
    for (auto _ : state) benchmark::DoNotOptimize(p.ProviderDiagnostics());
}
BENCHMARK(BM_ProviderDiagnostics);

// Updates the last node of a table of range(0) nodes: cost of the linear identity lookup.
void BM_UpdateLastNode(benchmark::State& state) {
    rava::NativeUiHostProvider p(Config(), 1);
    p.Initialize(true, false, 1, 1, 1);
    p.BeginAccessibilityBatch(1, 2, 1);
    const int64_t count = state.range(0);
    for (int64_t i = 0; i < count; ++i) p.UpdateAccessibilityNode("node-" + std::to_string(i), 1, "button", "n", 1);
    const std::string last = "node-" + std::to_string(count - 1);
    for (auto _ : state) benchmark::DoNotOptimize(p.UpdateAccessibilityNode(last, 1, "button", "n", 1));
}
BENCHMARK(BM_UpdateLastNode)->Arg(10)->Arg(1000);

}  // namespace
