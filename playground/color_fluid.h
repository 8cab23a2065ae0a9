// ColorFluid: the 96 x 64 stable-fluids solver (velocity and three channels of
// linear HDR dye radiance, float32, row-major, row 0 at the top), with its
// bloom and tone-mapped rendering. Operations call each other through their
// virtual slots so a subclass can replace any of them.
#pragma once

#include <cstdint>
#include <vector>

#include "playground/pixel_buffer.h"

namespace rava {

class ColorFluid {
public:
    static constexpr int32_t kWidth = 96;
    static constexpr int32_t kHeight = 64;
    static constexpr int32_t kCells = kWidth * kHeight;

    ColorFluid();
    virtual ~ColorFluid() = default;

    virtual void Reset();
    virtual float Sample(const std::vector<float>& field, float x, float y);
    virtual void Splat(float x, float y, float dvx, float dvy, float r, float g, float b);
    virtual void SetBoundaries();
    virtual float Divergence();
    virtual void Project();
    virtual void Step(float dt);
    virtual std::vector<float> Bloom(const std::vector<float>& channel);
    virtual void Render(PixelBuffer& pixels, float exposure, bool bloomOn);

    int32_t width = kWidth;
    int32_t height = kHeight;
    std::vector<float> velocityX;
    std::vector<float> velocityY;
    std::vector<float> dyeRed;
    std::vector<float> dyeGreen;
    std::vector<float> dyeBlue;

private:
    // True when no operation is overridden by a subclass, so the batched
    // paths (same results, no per-sample virtual calls) may be used.
    bool UsesOwnOperations() const;
    void StepThroughSlots(float dt);
    void StepBatched(float dt);
    void ProjectBatched();

    // Work arrays, allocated once; they carry no state between calls.
    std::vector<float> scratchA, scratchB, scratchC, scratchD, scratchE;
};

// Filmic tone curve with exposure and square-root display encoding, 0..255.
int32_t ToneMap(float value, float exposure);

}  // namespace rava
