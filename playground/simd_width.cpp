// Which vector width the solver's kernels run: the ones this processor has,
// the widest of them by default, or one forced by a test or the digest program.
#include <algorithm>

#include "playground/fluid_kernels.h"

namespace rava {
namespace {

std::vector<Simd> Detect() {
#if defined(RAVA_SIMD_X86)
    std::vector<Simd> widths{Simd::kScalar, Simd::kSse2};
    if (__builtin_cpu_supports("avx2")) widths.push_back(Simd::kAvx2);
    return widths;
#elif defined(RAVA_SIMD_WASM)
    return {Simd::kScalar, Simd::kWasm128};
#else
    return {Simd::kScalar};
#endif
}

// Read by every step and frame; set only between runs by a single thread.
std::optional<Simd> forced;

constexpr std::pair<Simd, std::string_view> kNames[] = {
    {Simd::kScalar, "scalar"}, {Simd::kSse2, "sse2"}, {Simd::kAvx2, "avx2"}, {Simd::kWasm128, "simd128"}};

}  // namespace

const std::vector<Simd>& SupportedSimd() {
    static const std::vector<Simd> widths = Detect();
    return widths;
}

Simd WidestSimd() { return SupportedSimd().back(); }

Simd SolverSimd() { return forced ? *forced : WidestSimd(); }

bool ForceSolverSimd(Simd simd) {
    const auto& widths = SupportedSimd();
    if (std::find(widths.begin(), widths.end(), simd) == widths.end()) return false;
    forced = simd;
    return true;
}

std::string_view SimdName(Simd simd) {
    for (const auto& [value, name] : kNames)
        if (value == simd) return name;
    return "unknown";
}

std::optional<Simd> SimdFromName(std::string_view name) {
    for (const auto& [value, known] : kNames)
        if (known == name) return value;
    return std::nullopt;
}

}  // namespace rava
