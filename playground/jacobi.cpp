// Jacobi sweeps four and eight cells at a time. Whole rows are computed,
// borders included, and the two border cells of each row are put back to 0:
// cheaper than peeling, and the wrapped neighbours they read are in range.
#include "playground/jacobi.h"

#include <immintrin.h>

#include <utility>

#include "playground/color_fluid.h"

namespace rava {
namespace {
constexpr int W = ColorFluid::kWidth;
constexpr int H = ColorFluid::kHeight;
}  // namespace

float* JacobiSweepsSse2(float* p, float* q, const float* div, int iterations) {
    const __m128 quarter = _mm_set1_ps(0.25f);
    for (int it = 0; it < iterations; ++it) {
        for (int i = 1; i < H - 1; ++i) {
            const int row = i * W;
            for (int j = 0; j < W; j += 4) {
                const int k = row + j;
                __m128 s = _mm_add_ps(_mm_loadu_ps(p + k - 1), _mm_loadu_ps(p + k + 1));
                s = _mm_add_ps(s, _mm_loadu_ps(p + k - W));
                s = _mm_add_ps(s, _mm_loadu_ps(p + k + W));
                s = _mm_sub_ps(s, _mm_loadu_ps(div + k));
                _mm_storeu_ps(q + k, _mm_mul_ps(s, quarter));
            }
            q[row] = 0.0f;
            q[row + W - 1] = 0.0f;
        }
        std::swap(p, q);
    }
    return p;
}

__attribute__((target("avx2"))) float* JacobiSweepsAvx2(float* p, float* q, const float* div, int iterations) {
    const __m256 quarter = _mm256_set1_ps(0.25f);
    for (int it = 0; it < iterations; ++it) {
        for (int i = 1; i < H - 1; ++i) {
            const int row = i * W;
            for (int j = 0; j < W; j += 8) {
                const int k = row + j;
                __m256 s = _mm256_add_ps(_mm256_loadu_ps(p + k - 1), _mm256_loadu_ps(p + k + 1));
                s = _mm256_add_ps(s, _mm256_loadu_ps(p + k - W));
                s = _mm256_add_ps(s, _mm256_loadu_ps(p + k + W));
                s = _mm256_sub_ps(s, _mm256_loadu_ps(div + k));
                _mm256_storeu_ps(q + k, _mm256_mul_ps(s, quarter));
            }
            q[row] = 0.0f;
            q[row + W - 1] = 0.0f;
        }
        std::swap(p, q);
    }
    return p;
}

bool CpuHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

}  // namespace rava
