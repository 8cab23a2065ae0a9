// Rounded-rectangle fan geometry.
#include "host/core/rounded_rect.h"

#include <cmath>

namespace rava {

namespace {

std::array<UnitVector, 36> BuildUnitVectors() {
    constexpr double kPi = 3.14159265358979323846;
    std::array<UnitVector, 36> table{};
    for (int arc = 0; arc < 4; ++arc) {
        for (int j = 0; j < 9; ++j) {
            const double degrees = (arc * 8 + j) * 11.25;
            const double radians = degrees * kPi / 180.0;
            table[arc * 9 + j] = {static_cast<float>(std::sin(radians)), static_cast<float>(std::cos(radians))};
        }
    }
    return table;
}

}  // namespace

const std::array<UnitVector, 36>& CornerUnitVectors() {
    static const std::array<UnitVector, 36> table = BuildUnitVectors();
    return table;
}

float EffectiveCornerRadius(float width, float height, float radius) {
    float r = std::isnan(radius) ? 0.0f : radius;
    if (r > width / 2.0f) r = width / 2.0f;
    if (r > height / 2.0f) r = height / 2.0f;
    return r;
}

bool RoundedRectIsPlain(float width, float height, float radius) {
    // Written so that a NaN width or height also takes the plain path.
    return !(EffectiveCornerRadius(width, height, radius) > 0.5f);
}

std::vector<FanPoint> RoundedRectFan(float x, float y, float width, float height, float r) {
    const FanPoint centres[4] = {
        {x + width - r, y + r},           // top-right
        {x + width - r, y + height - r},  // bottom-right
        {x + r, y + height - r},          // bottom-left
        {x + r, y + r},                   // top-left
    };
    const auto& units = CornerUnitVectors();
    std::vector<FanPoint> fan;
    fan.reserve(38);
    fan.push_back({x + width / 2.0f, y + height / 2.0f});
    for (int arc = 0; arc < 4; ++arc) {
        for (int j = 0; j < 9; ++j) {
            const UnitVector& u = units[arc * 9 + j];
            fan.push_back({centres[arc].x + r * u.sin, centres[arc].y - r * u.cos});
        }
    }
    fan.push_back(fan[1]);
    return fan;
}

}  // namespace rava
