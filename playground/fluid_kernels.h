// Inner loops of the solver's batched paths: semi-Lagrangian transport of the
// interior cells and tone-mapped pixel packing. Each exists as a plain scalar
// loop and in vector forms that give the same bits (SSE2 and AVX2 on x86-64,
// 128-bit SIMD in WebAssembly); the solver runs the widest one the processor
// has unless a width is forced.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#define RAVA_SIMD_X86 1
#elif defined(__wasm_simd128__)
#define RAVA_SIMD_WASM 1
#endif

namespace rava {

enum class Simd { kScalar, kSse2, kAvx2, kWasm128 };

// The widths this processor runs, narrowest first: scalar, SSE2 and, when
// present (checked once), AVX2 on x86-64; scalar and 128-bit SIMD in WebAssembly.
const std::vector<Simd>& SupportedSimd();
Simd WidestSimd();

// The width ColorFluid's batched paths use: the widest, unless forced to
// another supported one, so that every path a processor may take can be
// checked on the one at hand. Returns false (and changes nothing) for a width
// this processor does not run.
Simd SolverSimd();
bool ForceSolverSimd(Simd simd);

// "scalar", "sse2", "avx2", "simd128"; and back.
std::string_view SimdName(Simd simd);
std::optional<Simd> SimdFromName(std::string_view name);

// dst[f][k] = bilinear sample of src[f] at interior cell k traced back by
// (vx, vy) x dt, times factor. Only interior cells of dst are written; src
// and dst must not overlap.
struct TransportJob {
    const float* vx;
    const float* vy;
    float dt;
    float factor;
    int fields;
    const float* src[3];
    float* dst[3];
};
void TransportInterior(const TransportJob& job, Simd simd);

// out[n] = 0xFF000000 | r8 << 16 | g8 << 8 | b8 for n < count, the channels
// tone-mapped from blur[c][n] x k + dye[c][n] (blue plus the 0.006 floor).
// A null blur[c] adds nothing.
// The bright-passed, separably blurred copy of one channel into out, using h
// for the horizontal pass (both 6144 entries).
void BloomChannel(const float* channel, float* h, float* out, Simd simd);

struct PixelJob {
    const float* blur[3];
    const float* dye[3];
    float k;
    float exposure;
    uint32_t* out;
    int32_t count;
};
void PackPixels(const PixelJob& job, Simd simd);

}  // namespace rava
