// Inner loops of the solver's batched paths: semi-Lagrangian transport of the
// interior cells and tone-mapped pixel packing. Each exists as a plain scalar
// loop and in SSE2 and AVX2 forms that give the same bits; the solver runs the
// widest one the processor has.
#pragma once

#include <cstdint>

namespace rava {

enum class Simd { kScalar, kSse2, kAvx2 };

// AVX2 when the processor has it (checked once), otherwise SSE2.
Simd WidestSimd();

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
