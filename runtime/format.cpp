// FormatPositional: the one formatter behind every message, label and
// signature of the system.
#include <stdexcept>

#include "runtime/runtime.h"

namespace rava {

std::string FormatPositionalViews(std::string_view templ, const std::string_view* args, size_t count) {
    // One allocation for the usual case where each argument is used once.
    size_t expected = templ.size();
    for (size_t i = 0; i < count; ++i) expected += args[i].size();
    std::string out;
    out.reserve(expected);
    size_t p = 0;
    while (p < templ.size()) {
        const size_t open = templ.find('{', p);
        if (open == std::string_view::npos) {
            out.append(templ.substr(p));
            break;
        }
        out.append(templ.substr(p, open - p));
        p = open;
        size_t close = templ.find('}', p + 1);
        if (close == std::string_view::npos) {
            out.push_back('{');
            ++p;
            continue;
        }
        std::string_view token = templ.substr(p + 1, close - p - 1);
        bool digits = !token.empty();
        for (char t : token) digits = digits && t >= '0' && t <= '9';
        if (!digits) {
            // Rescan after the brace: "{{0}" yields "{" plus argument 0.
            out.push_back('{');
            ++p;
            continue;
        }
        // Out-of-range tokens raise std::out_of_range("stoull"), uncaught here, as the standard
        // conversion would; parsed by hand because this runs for every placeholder of every message.
        uint64_t index = 0;
        for (char t : token) {
            const uint64_t digit = static_cast<uint64_t>(t - '0');
            if (index > (UINT64_MAX - digit) / 10) throw std::out_of_range("stoull");
            index = index * 10 + digit;
        }
        if (index < count) {
            out += args[index];
        } else {
            out.append(templ.substr(p, close - p + 1));
        }
        p = close + 1;
    }
    return out;
}

std::string FormatPositional(std::string_view templ, const std::vector<std::string>& args) {
    std::vector<std::string_view> views(args.begin(), args.end());
    return FormatPositionalViews(templ, views.data(), views.size());
}

}  // namespace rava
