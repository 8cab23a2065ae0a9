// The pressure solve's Jacobi sweeps, p <- (p_left + p_right + p_up + p_down
// - div) x 0.25 on interior cells with the border held at 0, in two widths
// with bit-identical results: SSE2 (every x86-64) and AVX2 where present.
#pragma once

namespace rava {

// Runs `iterations` sweeps; p and q are two 6144-entry buffers whose border
// entries are 0. Returns whichever buffer holds the result.
float* JacobiSweepsSse2(float* p, float* q, const float* div, int iterations);
float* JacobiSweepsAvx2(float* p, float* q, const float* div, int iterations);
bool CpuHasAvx2();

}  // namespace rava
