// Saturating int32 counter arithmetic for the store's work counters. Sums of
// hostile sizes are taken in 64 bits; in-range results are the plain sums.
#pragma once

#include <cstdint>
#include <limits>

namespace rava {

inline int32_t SaturateToInt32(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Counters only grow; a counter that reached the int32 ceiling stays there
// instead of wrapping into negative numbers.
inline void AddCounter(int32_t& counter, int64_t amount) {
    counter = SaturateToInt32(static_cast<int64_t>(counter) + amount);
}

}  // namespace rava
