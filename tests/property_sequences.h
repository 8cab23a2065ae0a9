// How many random sequences a property test runs: RAVA_PROPERTY_SEQUENCES when it holds a positive
// decimal number, otherwise the test's own default. Soak runs raise it; ordinary runs stay quick.
#pragma once

#include <charconv>
#include <string>
#include <system_error>

#include "runtime/runtime.h"

namespace rava::testing {

inline int PropertySequences(int fallback) {
    const std::string text = ReadEnvironmentText("RAVA_PROPERTY_SEQUENCES");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0 ? value : fallback;
}

}  // namespace rava::testing
