// Prints a digest of all five fields and the rendered pixels after a fixed
// sequence of splats and 120 steps; every build (native, Windows, WebAssembly)
// must print the same line, at every vector width (an argument such as
// "scalar" forces one; exit status 77 when this processor lacks it).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "playground/color_fluid.h"
#include "playground/fluid_kernels.h"
#include "runtime/runtime.h"

namespace {
uint64_t Mix(uint64_t h, const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        auto simd = rava::SimdFromName(argv[1]);
        if (!simd) {
            std::fprintf(stderr, "unknown width %s\n", argv[1]);
            return 2;
        }
        if (!rava::ForceSolverSimd(*simd)) {
            std::fprintf(stderr, "this processor does not run %s\n", argv[1]);
            return 77;
        }
    }
    rava::ColorFluid fluid;
    rava::PixelBuffer pixels(rava::ColorFluid::kCells);
    fluid.Splat(28, 30, 25, -18, 4.5f, 0.06f, 1.5f);
    fluid.Splat(66, 31, -25, 18, 0.02f, 2.5f, 4.5f);
    for (int n = 0; n < 120; ++n) {
        float dt = n % 5 == 0 ? 0.04f : 0.016f;
        float t = static_cast<float>(n) * 0.016f;
        fluid.Splat(32 + 13 * rava::Sin(0.55f * t), 31 + 13 * rava::Cos(0.47f * t), 110 * dt, -110 * dt, 7 * dt,
                    0.03f * dt, 1.6f * dt);
        fluid.Step(dt);
    }
    uint64_t h = 1469598103934665603ull;
    for (auto* field : {&fluid.velocityX, &fluid.velocityY, &fluid.dyeRed, &fluid.dyeGreen, &fluid.dyeBlue})
        h = Mix(h, field->data(), field->size() * sizeof(float));
    fluid.Render(pixels, 0.8f, true);
    h = Mix(h, pixels.data(), pixels.size() * sizeof(uint32_t));
    fluid.Render(pixels, 2.2f, false);
    h = Mix(h, pixels.data(), pixels.size() * sizeof(uint32_t));
    std::printf("%016llx\n", static_cast<unsigned long long>(h));
    return 0;
}
