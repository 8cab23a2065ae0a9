// BitCast: the object representation of one trivially copyable value as
// another type, for the standard libraries (the web tree's) without std::bit_cast.
#pragma once

#include <type_traits>

namespace rava {

template <class To, class From>
constexpr To BitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                  std::is_trivially_copyable_v<From>);
    return __builtin_bit_cast(To, from);
}

}  // namespace rava
