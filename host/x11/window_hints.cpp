// Window placement on a multi-monitor desktop and the Latin-1 legacy title.
#include "host/x11/window_hints.h"

#include <algorithm>

namespace rava {

WindowPlace CentreOnMonitor(std::span<const MonitorArea> monitors, int32_t pointerX, int32_t pointerY,
                            MonitorArea screen, int32_t width, int32_t height) {
    MonitorArea area = monitors.empty() ? screen : monitors.front();
    for (const MonitorArea& m : monitors) {
        const int64_t right = int64_t{m.x} + m.width;
        const int64_t bottom = int64_t{m.y} + m.height;
        if (pointerX >= m.x && pointerX < right && pointerY >= m.y && pointerY < bottom) {
            area = m;
            break;
        }
    }
    const int64_t x = int64_t{area.x} + (int64_t{area.width} - width) / 2;
    const int64_t y = int64_t{area.y} + (int64_t{area.height} - height) / 2;
    return {static_cast<int32_t>(std::max<int64_t>(x, area.x)), static_cast<int32_t>(std::max<int64_t>(y, area.y))};
}

std::string Latin1Title(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        // Lengths of a well-formed sequence; the caller passes valid UTF-8.
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (length == 1) {
            out += static_cast<char>(lead);
        } else if (length == 2 && i + 1 < utf8.size()) {
            const unsigned codePoint = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out += codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
        } else {
            out += '?';
        }
        i += length;
    }
    return out;
}

}  // namespace rava
