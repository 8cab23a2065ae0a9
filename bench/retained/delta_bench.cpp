// Delta application at scale: binding owners of 16 commands with their paints
// and clips, updating them all, and one candidate batch of every update;
// time per command from 256 to 4096 owners. Inputs and stores are built
// outside the timed region, and one untimed round first touches the memory
// the timed rounds reuse. tools/bench interleaves the repetitions of all
// sizes at random, so a drift in the machine's speed falls on every size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/keep_freed_memory.h"
#include "retained/retained_store.h"

namespace rava {
namespace {

constexpr int kCommandsPerOwner = 16;

struct OwnerInputs {
    std::vector<RenderFragment> fragments;
    std::vector<ResourceDelta> deltas;
};

OwnerInputs MakeOwners(int owners) {
    OwnerInputs in;
    for (int o = 0; o < owners; ++o) {
        std::string id = "owner-" + std::to_string(o);
        RenderFragment f;
        f.id = id;
        f.generation = 1;
        f.layoutBounds = {0, 0, 200, 20};
        f.inkBounds = {0, 0, 200, 20};
        f.dependencyKey1 = f.dependencyKey2 = f.dependencyKey3 = f.dependencyKey4 = f.dependencyKey5 = "dep";
        f.dependencySource = "layout";
        f.source = "bench";
        ResourceDelta d;
        d.surface = "bench";
        for (int k = 0; k < 4; ++k) {
            d.paints.push_back({id + "-paint-" + std::to_string(k), 10 * k, 20, 30, 255, 2, 1, 100});
        }
        d.clips.push_back({id + "-clip", 0, 0, 200, 20, 2});
        for (int c = 0; c < kCommandsPerOwner; ++c) {
            RenderCommand cmd;
            cmd.sequence = o * kCommandsPerOwner + c;
            cmd.owner = id + ".row";
            cmd.kind = "rect";
            cmd.paintId = d.paints[c % 4].id;
            cmd.clipId = d.clips[0].id;
            cmd.transformId = "identity";
            cmd.intArg1 = c * 10;
            cmd.stringArg1 = "label";
            f.commands.push_back(cmd);
        }
        in.fragments.push_back(std::move(f));
        in.deltas.push_back(std::move(d));
    }
    return in;
}

void BindAll(RetainedResourceStore& store, const OwnerInputs& in) {
    for (size_t i = 0; i < in.fragments.size(); ++i) {
        if (!store.BindOwner(in.fragments[i], in.deltas[i], store.Revision()).accepted) std::abort();
    }
}

void SetGeneration(OwnerInputs& in, int32_t generation) {
    for (auto& f : in.fragments) f.generation = generation;
}

// Three repetitions of at least 1.5 s each, reported as median, spread
// (largest over smallest, minus one) and the rest: the ratios between sizes
// are read from the medians, and the spread shows whether a run can be trusted.
void AtScale(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(4)
        ->Range(256, 4096)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.5)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("spread", [](const std::vector<double>& v) {
            return *std::max_element(v.begin(), v.end()) / *std::min_element(v.begin(), v.end()) - 1.0;
        });
}

void PerCommand(benchmark::State& state) {
    state.counters["per_command"] = benchmark::Counter(static_cast<double>(state.range(0) * kCommandsPerOwner),
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

void BM_BindOwners(benchmark::State& state) {
    bench::KeepFreedMemory();
    OwnerInputs in = MakeOwners(static_cast<int>(state.range(0)));
    auto store = std::make_unique<RetainedResourceStore>("bench");
    BindAll(*store, in);
    for (auto _ : state) {
        state.PauseTiming();
        store = std::make_unique<RetainedResourceStore>("bench");
        state.ResumeTiming();
        BindAll(*store, in);
        benchmark::DoNotOptimize(store->CommandCount());
    }
    PerCommand(state);
}
BENCHMARK(BM_BindOwners)->Apply(AtScale);

void UpdateAll(RetainedResourceStore& store, const OwnerInputs& in) {
    for (size_t i = 0; i < in.fragments.size(); ++i) {
        if (!store.UpdateOwner(in.fragments[i], in.deltas[i], store.Revision()).accepted) std::abort();
    }
}

void BM_UpdateOwners(benchmark::State& state) {
    bench::KeepFreedMemory();
    OwnerInputs in = MakeOwners(static_cast<int>(state.range(0)));
    RetainedResourceStore store("bench");
    BindAll(store, in);
    int32_t generation = 1;
    SetGeneration(in, ++generation);
    UpdateAll(store, in);
    for (auto _ : state) {
        state.PauseTiming();
        SetGeneration(in, ++generation);
        state.ResumeTiming();
        UpdateAll(store, in);
    }
    PerCommand(state);
}
BENCHMARK(BM_UpdateOwners)->Apply(AtScale);

void CommitBatch(RetainedResourceStore& store, const OwnerInputs& in) {
    auto batch = store.PreflightCandidateBatch(in.fragments, in.deltas, store.Revision());
    if (!store.CommitPreparedCandidateBatch(batch, in.fragments, in.deltas).accepted) std::abort();
}

void BM_CandidateBatch(benchmark::State& state) {
    bench::KeepFreedMemory();
    OwnerInputs in = MakeOwners(static_cast<int>(state.range(0)));
    RetainedResourceStore store("bench");
    BindAll(store, in);
    int32_t generation = 1;
    SetGeneration(in, ++generation);
    CommitBatch(store, in);
    for (auto _ : state) {
        state.PauseTiming();
        SetGeneration(in, ++generation);
        state.ResumeTiming();
        CommitBatch(store, in);
    }
    PerCommand(state);
}
BENCHMARK(BM_CandidateBatch)->Apply(AtScale);

}  // namespace
}  // namespace rava
