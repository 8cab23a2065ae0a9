// Keysym table: letters, digits and keypad digits, F1..F12, the navigation
// keys and the modifiers.
#include "host/x11/key_map.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

namespace rava {

uint32_t VirtualKeyForKeysym(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return 'A' + static_cast<uint32_t>(keysym - XK_a);
    if (keysym >= XK_A && keysym <= XK_Z) return 'A' + static_cast<uint32_t>(keysym - XK_A);
    if (keysym >= XK_0 && keysym <= XK_9) return '0' + static_cast<uint32_t>(keysym - XK_0);
    if (keysym >= XK_F1 && keysym <= XK_F12) return 112 + static_cast<uint32_t>(keysym - XK_F1);
    static constexpr std::array<std::pair<unsigned long, uint32_t>, 21> kNamed = {{
        {XK_Left, 37},     {XK_Up, 38},        {XK_Right, 39},     {XK_Down, 40},        {XK_space, 32},
        {XK_Return, 13},   {XK_KP_Enter, 13},  {XK_Tab, 9},        {XK_ISO_Left_Tab, 9}, {XK_Home, 36},
        {XK_End, 35},      {XK_Prior, 33},     {XK_Next, 34},      {XK_Escape, 27},      {XK_Shift_L, 16},
        {XK_Shift_R, 16},  {XK_Control_L, 17}, {XK_Control_R, 17}, {XK_Alt_L, 18},       {XK_Alt_R, 18},
        {XK_BackSpace, 8},
    }};
    for (const auto& [sym, code] : kNamed) {
        if (sym == keysym) return code;
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

}  // namespace rava
