// Baseline scalar solver: every loop over every cell, Clamp-checked samples,
// fresh work arrays per call, a tone-map call per channel.
#include "bench/playground/baseline_fluid.h"

#include <algorithm>
#include <cmath>

#include "runtime/runtime.h"

namespace rava::baseline {
namespace {
constexpr int W = 96, H = 64, N = W * H;

float Sample(const std::vector<float>& f, float x, float y) {
    x = Clamp(x, 0.5f, W - 1.5f);
    y = Clamp(y, 0.5f, H - 1.5f);
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    int k = x0 + W * y0;
    return (f[k] * (1 - fx) + f[k + 1] * fx) * (1 - fy) + (f[k + W] * (1 - fx) + f[k + W + 1] * fx) * fy;
}

void SetBoundaries(std::vector<float>& vx, std::vector<float>& vy) {
    for (int i = 0; i < H; ++i) vx[i * W] = vy[i * W] = vx[i * W + W - 1] = vy[i * W + W - 1] = 0;
    for (int j = 0; j < W; ++j) vx[j] = vy[j] = vx[(H - 1) * W + j] = vy[(H - 1) * W + j] = 0;
}
}  // namespace

Fluid::Fluid() : vx(N), vy(N), r(N), g(N), b(N) {}

void Fluid::Splat(float x, float y, float dvx, float dvy, float cr, float cg, float cb) {
    for (int i = 1; i < H - 1; ++i)
        for (int j = 1; j < W - 1; ++j) {
            float d2 = (j - x) * (j - x) + (i - y) * (i - y);
            if (!(d2 < 64)) continue;
            float w = (1 - d2 * 0.015625f) * (1 - d2 * 0.015625f);
            int k = i * W + j;
            vx[k] = Clamp(vx[k] + w * dvx, -80, 80);
            vy[k] = Clamp(vy[k] + w * dvy, -80, 80);
            r[k] = Clamp(r[k] + w * cr, 0, 12);
            g[k] = Clamp(g[k] + w * cg, 0, 12);
            b[k] = Clamp(b[k] + w * cb, 0, 12);
        }
}

void Fluid::Project() {
    SetBoundaries(vx, vy);
    std::vector<float> div(N, 0.0f), p(N, 0.0f);
    for (int i = 1; i < H - 1; ++i)
        for (int j = 1; j < W - 1; ++j) {
            int k = i * W + j;
            div[k] = 0.5f * (vx[k + 1] - vx[k - 1] + vy[k + W] - vy[k - W]);
        }
    for (int it = 0; it < 28; ++it) {
        std::vector<float> q = p;
        for (int i = 1; i < H - 1; ++i)
            for (int j = 1; j < W - 1; ++j) {
                int k = i * W + j;
                q[k] = (p[k - 1] + p[k + 1] + p[k - W] + p[k + W] - div[k]) * 0.25f;
            }
        p = q;
    }
    for (int i = 1; i < H - 1; ++i)
        for (int j = 1; j < W - 1; ++j) {
            int k = i * W + j;
            vx[k] = vx[k] - 0.5f * (p[k + 1] - p[k - 1]);
            vy[k] = vy[k] - 0.5f * (p[k + W] - p[k - W]);
        }
    SetBoundaries(vx, vy);
}

void Fluid::Step(float dt) {
    std::vector<float> vx0 = vx, vy0 = vy;
    for (int i = 1; i < H - 1; ++i)
        for (int j = 1; j < W - 1; ++j) {
            int k = i * W + j;
            float x = j - vx0[k] * dt, y = i - vy0[k] * dt;
            vx[k] = Sample(vx0, x, y) * 0.998f;
            vy[k] = Sample(vy0, x, y) * 0.998f;
        }
    Project();
    std::vector<float> r0 = r, g0 = g, b0 = b;
    float fade = 1 - 0.08f * dt;
    for (int i = 1; i < H - 1; ++i)
        for (int j = 1; j < W - 1; ++j) {
            int k = i * W + j;
            float x = j - vx[k] * dt, y = i - vy[k] * dt;
            r[k] = Sample(r0, x, y) * fade;
            g[k] = Sample(g0, x, y) * fade;
            b[k] = Sample(b0, x, y) * fade;
        }
}

std::vector<float> Fluid::Bloom(const std::vector<float>& c) const {
    const float wt[5] = {1, 4, 6, 4, 1};
    std::vector<float> h(N), out(N);
    for (int i = 0; i < H; ++i)
        for (int j = 0; j < W; ++j) {
            float s = 0;
            for (int t = 0; t < 5; ++t) {
                int col = std::clamp(j - 4 + 2 * t, 0, W - 1);
                s += wt[t] * std::max(c[i * W + col] - 0.8f, 0.0f);
            }
            h[i * W + j] = s * 0.0625f;
        }
    for (int i = 0; i < H; ++i)
        for (int j = 0; j < W; ++j) {
            float s = 0;
            for (int t = 0; t < 5; ++t) s += wt[t] * h[std::clamp(i - 4 + 2 * t, 0, H - 1) * W + j];
            out[i * W + j] = s * 0.0625f;
        }
    return out;
}

int32_t ToneMap(float value, float exposure) {
    float x = value * exposure;
    if (!(x > 0)) x = 0;
    float y = x * (2.51f * x + 0.03f) / (x * (2.43f * x + 0.59f) + 0.14f);
    y = std::clamp(y, 0.0f, 1.0f);
    return static_cast<int32_t>(std::lround(std::sqrt(y) * 255.0f));
}

void Fluid::Render(std::vector<uint32_t>& pixels, float exposure, bool bloomOn) const {
    std::vector<float> bR = Bloom(r), bG = Bloom(g), bB = Bloom(b);
    float k = bloomOn ? 0.65f : 0.0f;
    for (size_t n = 0; n < pixels.size(); ++n) {
        uint32_t r8 = ToneMap(bR[n] * k + r[n], exposure);
        uint32_t g8 = ToneMap(bG[n] * k + g[n], exposure);
        uint32_t b8 = ToneMap(bB[n] * k + b[n] + 0.006f, exposure);
        pixels[n] = 0xFF000000u | r8 << 16 | g8 << 8 | b8;
    }
}

}  // namespace rava::baseline
