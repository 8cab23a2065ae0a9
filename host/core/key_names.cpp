// Key-name table of the input queries. Matching happens after ASCII
// lower-casing; the first matching rule wins.
#include "host/core/key_names.h"

#include <array>
#include <utility>

namespace rava {

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

int VirtualKeyForName(std::string_view name) {
    const std::string key = AsciiLower(name);
    if (key.size() == 1) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return 'A' + (c - 'a');
        if (c >= '0' && c <= '9') return c;
        return 0;
    }
    // "f1".."f12" only: no leading zeros, no "f0", nothing above 12.
    if ((key.size() == 2 || key.size() == 3) && key[0] == 'f') {
        if (key.size() == 2 && key[1] >= '1' && key[1] <= '9') return 112 + (key[1] - '1');
        if (key.size() == 3 && key[1] == '1' && key[2] >= '0' && key[2] <= '2') return 121 + (key[2] - '0');
        return 0;
    }
    static constexpr std::array<std::pair<std::string_view, int>, 14> kNamed = {{
        {"left", 37},
        {"right", 39},
        {"up", 38},
        {"down", 40},
        {"space", 32},
        {"enter", 13},
        {"return", 13},
        {"tab", 9},
        {"home", 36},
        {"end", 35},
        {"pageup", 33},
        {"pagedown", 34},
        {"escape", 27},
        {"esc", 27},
    }};
    for (const auto& [word, code] : kNamed) {
        if (key == word) return code;
    }
    if (key == "shift") return 16;
    return 0;
}

int PointerButtonVirtualKey(std::string_view name) {
    const std::string button = AsciiLower(name);
    if (button == "left" || button == "primary" || button == "l") return 1;
    if (button == "right" || button == "secondary" || button == "r") return 2;
    if (button == "middle" || button == "m") return 4;
    return 0;
}

}  // namespace rava
