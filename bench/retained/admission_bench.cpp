// Admission and identity-index lookups at scale: time per admitted resource
// and per lookup from 1k to 64k resources, and lookups with the index near
// its 200,704-node limit.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "retained/retained_store.h"

namespace rava {
namespace {

std::string Id(const char* prefix, int64_t i) { return prefix + std::to_string(i); }

// A mix of the four small kinds so every table and key shape is exercised.
void AdmitMixed(RetainedResourceStore& store, AdmissionPlan& plan, StagingSet& staging, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        switch (i % 4) {
            case 0: store.AdmitPaint(plan, staging, {Id("paint-", i), 10, 20, 30, 255, 2, 1, 100}); break;
            case 1: store.AdmitClip(plan, staging, {Id("clip-", i), 0, 0, 10, 10, 1}); break;
            case 2: store.AdmitTransform(plan, staging, {Id("transform-", i), 1, 2, 100, 100, 0}); break;
            default: {
                RenderImage image;
                image.id = Id("image-", i);
                image.kind = "image";
                image.generation = 1;
                image.format = "bgra8-hex";
                image.colorSpace = "srgb";
                image.alphaMode = "straight";
                image.state = "loading";
                image.contentIdentity = image.id;
                image.source = "bench";
                store.AdmitImage(plan, staging, image);
            }
        }
    }
}

void CommitPending(RetainedResourceStore& store, const AdmissionPlan& plan) {
    for (const auto& p : plan.pendingPaints) store.CommitPaints(p);
    for (const auto& i : plan.pendingImages) store.CommitImages(i);
    for (const auto& c : plan.pendingClips) store.CommitClips(c);
    for (const auto& t : plan.pendingTransforms) store.CommitTransforms(t);
}

void BM_AdmitAndCommit(benchmark::State& state) {
    const int64_t n = state.range(0);
    for (auto _ : state) {
        RetainedResourceStore store("bench");
        AdmissionPlan plan("owner", 1);
        StagingSet staging(1);
        AdmitMixed(store, plan, staging, n);
        CommitPending(store, plan);
        benchmark::DoNotOptimize(store.EntryCount());
    }
    state.counters["per_resource"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AdmitAndCommit)->RangeMultiplier(4)->Range(1024, 65536)->Unit(benchmark::kMillisecond);

// Re-admitting everything already stored: one counted lookup and one
// comparison per resource, no validation.
void BM_ReadmitStored(benchmark::State& state) {
    const int64_t n = state.range(0);
    RetainedResourceStore store("bench");
    {
        AdmissionPlan plan("owner", 1);
        StagingSet staging(1);
        AdmitMixed(store, plan, staging, n);
        CommitPending(store, plan);
    }
    for (auto _ : state) {
        AdmissionPlan plan("owner", 1);
        StagingSet staging(1);
        AdmitMixed(store, plan, staging, n);
        benchmark::DoNotOptimize(plan.explicitComparisons);
    }
    state.counters["per_resource"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadmitStored)->RangeMultiplier(4)->Range(1024, 65536)->Unit(benchmark::kMillisecond);

void BM_IndexLookup(benchmark::State& state) {
    const int64_t n = state.range(0);
    RetainedResourceStore store("bench");
    std::vector<std::string> keys;
    keys.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        keys.push_back(IdentityKey("paint", Id("paint-", i), 0));
        store.PutKey(keys.back(), static_cast<int32_t>(i));
    }
    for (auto _ : state) {
        int64_t sum = 0;
        for (const auto& k : keys) sum += store.FindKey(k);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["per_lookup"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IndexLookup)->RangeMultiplier(4)->Range(1024, 65536)->Arg(200704)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rava
