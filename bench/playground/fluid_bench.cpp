// Step and Render of the solver against the plain baseline, on a freshly
// stirred field and on one aged by 100,000 steps, whose fading values have
// become subnormal. Prints the baseline/optimised time ratios at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
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
            if (reporter.times.count(base) && reporter.times.count(fast) && reporter.times[fast] > 0)
                std::printf("ratio %-6s baseline/optimised after %6s steps: %.2fx\n", *what ? what : "Step+Render",
                            steps, reporter.times[base] / reporter.times[fast]);
        }
    }
    benchmark::Shutdown();
    return 0;
}
