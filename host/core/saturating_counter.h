// The hosts' event counters stop at their largest value instead of
// overflowing: a reader comparing two readings never sees one go backwards.
#pragma once

#include <cstdint>

namespace rava {

inline void BumpCounter(int64_t& counter) {
    if (counter < INT64_MAX) ++counter;
}

}  // namespace rava
