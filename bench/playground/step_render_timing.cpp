// A plain timer of the solver's Step + Render for trees without Google
// Benchmark (WebAssembly under node): prints the median microseconds of one
// Step + Render on a freshly stirred field. tools/bench runs it natively and
// under node in the same run and prints the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "playground/color_fluid.h"
#include "runtime/runtime.h"

namespace {

constexpr float kDt = 0.016f;

// The stirring of the Google Benchmark programs: two splats, then a moving one.
rava::ColorFluid Stirred(int steps) {
    rava::ColorFluid f;
    f.Splat(28, 30, 25, -18, 4.5f, 0.06f, 1.5f);
    f.Splat(66, 31, -25, 18, 0.02f, 2.5f, 4.5f);
    for (int n = 0; n < steps; ++n) {
        float t = static_cast<float>(n) * kDt;
        float sn = rava::Sin(0.55f * t), cs = rava::Cos(0.47f * t);
        f.Splat(32 + 13 * sn, 31 + 13 * cs, 110 * cs * kDt, -110 * sn * kDt, 7 * kDt, 0.03f * kDt, 1.6f * kDt);
        f.Step(kDt);
    }
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const rava::ColorFluid start = Stirred(240);
    rava::ColorFluid f = start;
    rava::PixelBuffer pixels(rava::ColorFluid::kCells);
    std::vector<double> micros;
    micros.reserve(frames);
    uint32_t sink = 0;
    for (int n = 0; n < frames; ++n) {
        // Back to the stirred field now and then, so it stays fresh.
        if (n % 100 == 0) f = start;
        auto t0 = std::chrono::steady_clock::now();
        f.Step(kDt);
        f.Render(pixels, 0.8f, true);
        auto t1 = std::chrono::steady_clock::now();
        sink ^= pixels[static_cast<size_t>(n) % pixels.size()];
        micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    std::nth_element(micros.begin(), micros.begin() + frames / 2, micros.end());
    // The pixel mix keeps the work from being optimised away.
    std::printf("%.1f %08x\n", micros[frames / 2], static_cast<unsigned>(sink));
    return 0;
}
