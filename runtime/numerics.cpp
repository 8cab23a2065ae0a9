// Bounded float32 trigonometry for the fountains (Clamp lives inline in the header). Every
// operation is plain float32 in the written order (no contraction).
#include <cmath>

#include "runtime/runtime.h"

namespace rava {
namespace {
constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

bool OutOfTrigRange(float x) { return std::isnan(x) || std::fabs(x) > 4096.0f; }
}  // namespace

float WrapAngle(float x) {
    if (OutOfTrigRange(x)) return 0.0f;
    float b = x / kTwoPi;
    float n = std::nearbyint(b);
    if (b < n) n = n - 1.0f;
    float r = x - n * kTwoPi;
    if (r < 0.0f) {
        r = r + kTwoPi;
    } else if (r >= kTwoPi) {
        r = r - kTwoPi;
    }
    if (!(r >= 0.0f && r < kTwoPi)) return 0.0f;
    return r;
}

float Sin(float x) {
    if (OutOfTrigRange(x)) return 0.0f;
    float r = WrapAngle(x);
    if (r > kPi) r = r - kTwoPi;
    if (r < -kHalfPi) {
        r = -kPi - r;
    } else if (r > kHalfPi) {
        r = kPi - r;
    }
    float q = r * r;
    return r * (1.0f + q * (-0.16666667f +
                            q * (0.008333333f +
                                 q * (-0.0001984127f + q * (2.755732e-6f + q * (-2.50521e-8f + q * 1.605904e-10f))))));
}

float Cos(float x) {
    if (OutOfTrigRange(x)) return 0.0f;
    return Sin(WrapAngle(x) + kHalfPi);
}

}  // namespace rava
