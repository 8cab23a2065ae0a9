// Provider throughput: logging an event against formatting the same line alone (the baseline), a
// full diagnostics line, node updates in small and large accessibility tables, and whole tables of
// many distinct node and display ids (their cost must grow linearly with the id count).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/keep_freed_memory.h"
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

// Updates the last node of a table of range(0) nodes: cost of one identity lookup.
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

std::vector<std::string> DistinctIds(const char* prefix, int64_t count) {
    std::vector<std::string> ids;
    ids.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) ids.push_back(prefix + std::to_string(i));
    return ids;
}

// One batch that adds the nodes, updates each once more, and commits.
void DistinctNodesBatch(const std::vector<std::string>& ids) {
    rava::NativeUiHostProvider p(Config(), 1);
    p.Initialize(true, false, 1, 1, 1);
    p.BeginAccessibilityBatch(1, 2, 1);
    for (const std::string& id : ids) p.UpdateAccessibilityNode(id, 1, "button", "n", 1);
    for (const std::string& id : ids) p.UpdateAccessibilityNode(id, 2, "button", "m", 1);
    benchmark::DoNotOptimize(p.CommitAccessibilityBatch(1, 3, 1));
}

// Publishes the displays, republishes each once more, and commits the topology.
void DistinctDisplaysTopology(const std::vector<std::string>& ids) {
    rava::NativeUiHostProvider p(Config(), 1);
    p.Initialize(true, false, 1, 1, 1);
    rava::DisplayRecord d{"", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, false};
    for (int pass = 0; pass < 2; ++pass) {
        for (const std::string& id : ids) {
            d.id = id;
            d.primary = &id == &ids.front();
            p.PublishDisplay(d, 1);
        }
    }
    benchmark::DoNotOptimize(p.CommitDisplayTopology(1, 2, 1));
}

// range(0) distinct ids through one of the above. An untimed round first
// touches the memory the timed rounds reuse; three repetitions give a median.
template <void (*Round)(const std::vector<std::string>&)>
void BM_DistinctIds(benchmark::State& state) {
    rava::bench::KeepFreedMemory();
    const std::vector<std::string> ids = DistinctIds("id-", state.range(0));
    Round(ids);
    for (auto _ : state) Round(ids);
}
BENCHMARK_TEMPLATE(BM_DistinctIds, DistinctNodesBatch)
    ->Name("BM_DistinctNodesBatch")
    ->Arg(20000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK_TEMPLATE(BM_DistinctIds, DistinctDisplaysTopology)
    ->Name("BM_DistinctDisplaysTopology")
    ->Arg(20000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
