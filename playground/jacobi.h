// The pressure solve's Jacobi sweeps, p <- (p_left + p_right + p_up + p_down
// - div) x 0.25 on interior cells with the border held at 0, as a plain loop
// and in SSE2 and AVX2 forms with bit-identical results.
#pragma once

#include "playground/fluid_kernels.h"

namespace rava {

// Runs `iterations` sweeps; p, q and div are 6144-entry buffers, p and q
// zero on the border. Returns whichever of p and q holds the result. div may
// be overwritten (it serves as work space).
float* JacobiSweeps(float* p, float* q, float* div, int iterations, Simd simd);

}  // namespace rava
