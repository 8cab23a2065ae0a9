// Geometry of the rounded rectangle: the effective corner radius and the
// triangle fan (centre, four 9-point arcs clockwise from the top-right corner,
// then the first arc point again), built from a fixed 36-entry unit-vector table.
#pragma once

#include <array>
#include <vector>

namespace rava {

struct FanPoint {
    float x = 0.0f;
    float y = 0.0f;
};

struct UnitVector {
    float sin = 0.0f;
    float cos = 0.0f;
};

// Entry arc * 9 + j holds the angle (arc * 8 + j) * 11.25 degrees.
const std::array<UnitVector, 36>& CornerUnitVectors();

// The requested radius capped at half the width and half the height; a NaN
// radius counts as 0.
float EffectiveCornerRadius(float width, float height, float radius);

// True when the shape is drawn as a plain rectangle (effective radius <= 0.5).
bool RoundedRectIsPlain(float width, float height, float radius);

// The 38 fan points for radius r (already effective).
std::vector<FanPoint> RoundedRectFan(float x, float y, float width, float height, float r);

}  // namespace rava
