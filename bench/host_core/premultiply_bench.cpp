// Premultiplying a 1000 x 700 frame for layered presentation: the per-channel
// binary search against the 64 KiB (alpha, value) table the presenter uses.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "host/core/srgb.h"

namespace {

std::vector<uint32_t> Frame() {
    std::vector<uint32_t> pixels(1000 * 700);
    uint32_t x = 12345;
    for (uint32_t& p : pixels) {
        x = x * 1664525u + 1013904223u;
        p = x;
    }
    return pixels;
}

void BM_PremultiplySearch(benchmark::State& state) {
    const std::vector<uint32_t> source = Frame();
    std::vector<uint32_t> pixels;
    for (auto _ : state) {
        pixels = source;
        for (uint32_t& p : pixels) {
            const auto a = static_cast<uint8_t>(p >> 24);
            p = (p & 0xFF000000u) | (uint32_t{rava::PremultipliedSrgbCode(static_cast<uint8_t>(p >> 16), a)} << 16) |
                (uint32_t{rava::PremultipliedSrgbCode(static_cast<uint8_t>(p >> 8), a)} << 8) |
                rava::PremultipliedSrgbCode(static_cast<uint8_t>(p), a);
        }
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_PremultiplySearch)->Unit(benchmark::kMillisecond);

void BM_PremultiplyTable(benchmark::State& state) {
    const auto& table = rava::PremultipliedSrgbTable();
    const std::vector<uint32_t> source = Frame();
    std::vector<uint32_t> pixels;
    for (auto _ : state) {
        pixels = source;
        for (uint32_t& p : pixels) {
            const uint8_t* row = &table[(p >> 24) * 256];
            p = (p & 0xFF000000u) | (uint32_t{row[(p >> 16) & 0xFF]} << 16) | (uint32_t{row[(p >> 8) & 0xFF]} << 8) |
                row[p & 0xFF];
        }
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_PremultiplyTable)->Unit(benchmark::kMillisecond);

}  // namespace
