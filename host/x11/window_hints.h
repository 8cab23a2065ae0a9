// What a new window tells the desktop, decided without a display: where it
// opens (centred on the monitor under the pointer) and its legacy Latin-1
// title. Pure functions, fed by open_window.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rava {

struct MonitorArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct WindowPlace {
    int32_t x = 0;
    int32_t y = 0;
};

// The top-left corner of a width x height window centred on the monitor
// that holds the pointer (else the first monitor; with none, the whole
// screen), moved right and down onto that monitor when it is too big.
WindowPlace CentreOnMonitor(std::span<const MonitorArea> monitors, int32_t pointerX, int32_t pointerY,
                            MonitorArea screen, int32_t width, int32_t height);

// The title in Latin-1 for the legacy WM_NAME: each character of valid UTF-8
// up to U+00FF as its byte, any other as "?".
std::string Latin1Title(std::string_view utf8);

}  // namespace rava
