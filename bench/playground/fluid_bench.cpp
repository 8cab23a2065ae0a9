// Step and Render of the solver against the plain baseline, on a freshly
// stirred field and on one aged by 100,000 steps, whose fading values have
// become subnormal. Prints the baseline/optimised time ratios at the end
// (of the medians when run with --benchmark_repetitions). BM_Paired times all
// four in turn and reports the ratios of the same moments.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>

#include "bench/playground/baseline_fluid.h"
#include "playground/color_fluid.h"
#include "runtime/runtime.h"

namespace {

constexpr float kDt = 0.016f;

void Stir(rava::ColorFluid& f, int steps) {
    f.Splat(28, 30, 25, -18, 4.5f, 0.06f, 1.5f);
    f.Splat(66, 31, -25, 18, 0.02f, 2.5f, 4.5f);
    for (int n = 0; n < steps; ++n) {
        if (n < 200) {
            float t = n * kDt;
            float sn = rava::Sin(0.55f * t), cs = rava::Cos(0.47f * t);
            f.Splat(32 + 13 * sn, 31 + 13 * cs, 110 * cs * kDt, -110 * sn * kDt, 7 * kDt, 0.03f * kDt, 1.6f * kDt);
        }
        f.Step(kDt);
    }
}

// Aged fields are expensive to make: build each once with the optimised
// solver and copy. The two solvers agree bit for bit (the tests show it), so
// the baseline starts from the very same field.
const rava::ColorFluid& Field(int steps) {
    static std::map<int, rava::ColorFluid> cache;
    auto it = cache.find(steps);
    if (it == cache.end()) {
        rava::ColorFluid f;
        Stir(f, steps);
        it = cache.emplace(steps, f).first;
    }
    return it->second;
}

rava::baseline::Fluid BaselineField(int steps) {
    const rava::ColorFluid& f = Field(steps);
    rava::baseline::Fluid b;
    b.vx = f.velocityX;
    b.vy = f.velocityY;
    b.r = f.dyeRed;
    b.g = f.dyeGreen;
    b.b = f.dyeBlue;
    return b;
}

void BM_Optimised(benchmark::State& state) {
    rava::ColorFluid f = Field(static_cast<int>(state.range(0)));
    rava::PixelBuffer px(rava::ColorFluid::kCells);
    for (auto _ : state) {
        f.Step(kDt);
        f.Render(px, 0.8f, true);
        benchmark::DoNotOptimize(px.data());
    }
}

void BM_Baseline(benchmark::State& state) {
    rava::baseline::Fluid f = BaselineField(static_cast<int>(state.range(0)));
    std::vector<uint32_t> px(rava::ColorFluid::kCells);
    for (auto _ : state) {
        f.Step(kDt);
        f.Render(px, 0.8f, true);
        benchmark::DoNotOptimize(px.data());
    }
}

template <bool kOptimised, bool kStep>
void BM_Part(benchmark::State& state) {
    rava::ColorFluid f = Field(static_cast<int>(state.range(0)));
    rava::baseline::Fluid b = BaselineField(static_cast<int>(state.range(0)));
    std::vector<uint32_t> px(rava::ColorFluid::kCells);
    for (auto _ : state) {
        if (kOptimised && kStep) f.Step(kDt);
        if (kOptimised && !kStep) f.Render(px, 0.8f, true);
        if (!kOptimised && kStep) b.Step(kDt);
        if (!kOptimised && !kStep) b.Render(px, 0.8f, true);
        benchmark::DoNotOptimize(px.data());
    }
}

double ThreadMicroseconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Both solvers on both fields in turn, each Step + Render timed on the
// thread's CPU clock, all four restarting from the cached fields every 100
// steps so the fresh field stays fresh. Ratios taken from the same moments do
// not drift with the load of a shared machine.
void BM_Paired(benchmark::State& state) {
    rava::PixelBuffer px(rava::ColorFluid::kCells);
    std::vector<uint32_t> plainPx(rava::ColorFluid::kCells);
    rava::ColorFluid fresh, aged;
    rava::baseline::Fluid plainFresh, plainAged;
    double optimisedFresh = 0, optimisedAged = 0, baselineFresh = 0, baselineAged = 0;
    auto timed = [](double& total, auto&& body) {
        double t0 = ThreadMicroseconds();
        body();
        total += ThreadMicroseconds() - t0;
    };
    int n = 0;
    for (auto _ : state) {
        if (n++ % 100 == 0) {
            fresh = Field(240);
            aged = Field(100000);
            plainFresh = BaselineField(240);
            plainAged = BaselineField(100000);
        }
        timed(optimisedFresh, [&] { fresh.Step(kDt), fresh.Render(px, 0.8f, true); });
        timed(baselineFresh, [&] { plainFresh.Step(kDt), plainFresh.Render(plainPx, 0.8f, true); });
        timed(optimisedAged, [&] { aged.Step(kDt), aged.Render(px, 0.8f, true); });
        timed(baselineAged, [&] { plainAged.Step(kDt), plainAged.Render(plainPx, 0.8f, true); });
        benchmark::DoNotOptimize(px.data());
        benchmark::DoNotOptimize(plainPx.data());
    }
    const double steps = static_cast<double>(state.iterations());
    state.counters["optimisedFreshUs"] = optimisedFresh / steps;
    state.counters["optimisedAgedUs"] = optimisedAged / steps;
    state.counters["baselineFreshUs"] = baselineFresh / steps;
    state.counters["baselineAgedUs"] = baselineAged / steps;
    state.counters["freshSpeedup"] = baselineFresh / optimisedFresh;
    state.counters["agedSpeedup"] = baselineAged / optimisedAged;
    state.counters["agedOverFresh"] = optimisedAged / optimisedFresh;
    std::printf(
        "paired, same moments: speedup fresh %.2fx, aged %.2fx; optimised aged/fresh %.2fx "
        "(baseline aged/fresh %.2fx)\n",
        baselineFresh / optimisedFresh, baselineAged / optimisedAged, optimisedAged / optimisedFresh,
        baselineAged / baselineFresh);
}

BENCHMARK(BM_Paired)->Iterations(1500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Optimised)->Arg(240)->Arg(100000);
BENCHMARK(BM_Baseline)->Arg(240)->Arg(100000);
BENCHMARK(BM_Part<true, true>)->Name("BM_StepOptimised")->Arg(240)->Arg(100000);
BENCHMARK(BM_Part<false, true>)->Name("BM_StepBaseline")->Arg(240)->Arg(100000);
BENCHMARK(BM_Part<true, false>)->Name("BM_RenderOptimised")->Arg(240)->Arg(100000);
BENCHMARK(BM_Part<false, false>)->Name("BM_RenderBaseline")->Arg(240)->Arg(100000);

// Records each run's time so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* steps : {"240", "100000"}) {
        for (const char* what : {"", "Step", "Render"}) {
            std::string base = std::string("BM_") + what + "Baseline/" + steps;
            std::string fast = std::string("BM_") + what + "Optimised/" + steps;
            // With --benchmark_repetitions, compare the medians.
            if (reporter.times.count(base + "_median") && reporter.times.count(fast + "_median")) {
                base += "_median";
                fast += "_median";
            }
            if (reporter.times.count(base) && reporter.times.count(fast) && reporter.times[fast] > 0)
                std::printf("ratio %-6s baseline/optimised after %6s steps: %.2fx\n", *what ? what : "Step+Render",
                            steps, reporter.times[base] / reporter.times[fast]);
        }
    }
    benchmark::Shutdown();
    return 0;
}
