// Keysym table: letters, digits, F1..F12, the navigation keys and the
// modifiers; the keypad as navigation keys (NumLock off) or keypad digits
// (NumLock on, codes no name reaches, as on Windows); US key positions.
#include "host/x11/key_map.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

namespace rava {

namespace {

constexpr uint32_t kNumpad0 = 0x60;

bool IsLatinLetterOrDigit(uint32_t code) { return (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'); }

uint32_t VirtualKeyForKeypad(unsigned long keysym) {
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return kNumpad0 + static_cast<uint32_t>(keysym - XK_KP_0);
    static constexpr std::array<std::pair<unsigned long, uint32_t>, 9> kKeypad = {{
        {XK_KP_Left, 37},
        {XK_KP_Up, 38},
        {XK_KP_Right, 39},
        {XK_KP_Down, 40},
        {XK_KP_Home, 36},
        {XK_KP_End, 35},
        {XK_KP_Prior, 33},
        {XK_KP_Next, 34},
        {XK_KP_Enter, 13},
    }};
    for (const auto& [sym, code] : kKeypad) {
        if (sym == keysym) return code;
    }
    return 0;
}

}  // namespace

uint32_t VirtualKeyForKeysym(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return 'A' + static_cast<uint32_t>(keysym - XK_a);
    if (keysym >= XK_A && keysym <= XK_Z) return 'A' + static_cast<uint32_t>(keysym - XK_A);
    if (keysym >= XK_0 && keysym <= XK_9) return '0' + static_cast<uint32_t>(keysym - XK_0);
    if (keysym >= XK_F1 && keysym <= XK_F12) return 112 + static_cast<uint32_t>(keysym - XK_F1);
    if (keysym >= XK_KP_Space && keysym <= XK_KP_9) return VirtualKeyForKeypad(keysym);
    static constexpr std::array<std::pair<unsigned long, uint32_t>, 20> kNamed = {{
        {XK_Left, 37},     {XK_Up, 38},        {XK_Right, 39},     {XK_Down, 40},        {XK_space, 32},
        {XK_Return, 13},   {XK_Tab, 9},        {XK_ISO_Left_Tab, 9}, {XK_Home, 36},      {XK_End, 35},
        {XK_Prior, 33},    {XK_Next, 34},      {XK_Escape, 27},    {XK_Shift_L, 16},     {XK_Shift_R, 16},
        {XK_Control_L, 17}, {XK_Control_R, 17}, {XK_Alt_L, 18},     {XK_Alt_R, 18},       {XK_BackSpace, 8},
    }};
    for (const auto& [sym, code] : kNamed) {
        if (sym == keysym) return code;
    }
    return 0;
}

uint32_t VirtualKeyForKeyLevels(unsigned long level0, unsigned long level1, unsigned long effective) {
    // A keypad key means what NumLock makes of it now.
    if (level0 >= XK_KP_Space && level0 <= XK_KP_9) return VirtualKeyForKeypad(effective);
    if (const uint32_t code = VirtualKeyForKeysym(level0)) return code;
    const uint32_t shifted = VirtualKeyForKeysym(level1);
    return IsLatinLetterOrDigit(shifted) ? shifted : 0;
}

uint32_t VirtualKeyForKeyPosition(std::string_view name) {
    // XKB names the alphanumeric rows AE (digits), AD, AC and AB, keys from 01.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kRows = {{
        {"AE", "1234567890"},
        {"AD", "QWERTYUIOP"},
        {"AC", "ASDFGHJKL"},
        {"AB", "ZXCVBNM"},
    }};
    if (name.size() != 4 || name[2] < '0' || name[2] > '9' || name[3] < '0' || name[3] > '9') return 0;
    const int index = (name[2] - '0') * 10 + (name[3] - '0') - 1;
    for (const auto& [row, keys] : kRows) {
        if (name.substr(0, 2) == row && index >= 0 && index < static_cast<int>(keys.size())) {
            return static_cast<uint32_t>(keys[index]);
        }
    }
    return 0;
}

uint32_t ButtonBitForXButton(unsigned int button) {
    switch (button) {
        case 1:
            return 1;
        case 2:
            return 4;
        case 3:
            return 2;
        default:
            return 0;
    }
}

bool IsWheelButton(unsigned int button) { return button >= 4 && button <= 7; }

}  // namespace rava
