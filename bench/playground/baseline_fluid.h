// The plain scalar solver and renderer, written straight from the scheme's
// description, kept as the benchmark baseline and as the reference that the
// optimised solver must match bit for bit.
#pragma once

#include <cstdint>
#include <vector>

namespace rava::baseline {

struct Fluid {
    std::vector<float> vx, vy, r, g, b;
    Fluid();
    void Splat(float x, float y, float dvx, float dvy, float cr, float cg, float cb);
    void Project();
    void Step(float dt);
    std::vector<float> Bloom(const std::vector<float>& channel) const;
    void Render(std::vector<uint32_t>& pixels, float exposure, bool bloomOn) const;
};

int32_t ToneMap(float value, float exposure);

}  // namespace rava::baseline
