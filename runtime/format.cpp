// FormatPositional: the one formatter behind every message, label and
// signature of the system.
#include "runtime/runtime.h"

namespace rava {

std::string FormatPositional(std::string_view templ, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(templ.size());
    size_t p = 0;
    while (p < templ.size()) {
        char c = templ[p];
        if (c != '{') {
            out.push_back(c);
            ++p;
            continue;
        }
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
        // Out-of-range tokens raise std::out_of_range("stoull"), uncaught here.
        unsigned long long index = std::stoull(std::string(token));
        if (index < args.size()) {
            out += args[index];
        } else {
            out.append(templ.substr(p, close - p + 1));
        }
        p = close + 1;
    }
    return out;
}

}  // namespace rava
