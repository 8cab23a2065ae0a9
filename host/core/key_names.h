// Key and pointer-button names: the case-insensitive words programs use to ask
// about input, mapped to virtual-key codes. Unknown names map to 0.
#pragma once

#include <string>
#include <string_view>

namespace rava {

// ASCII-only lower-casing; bytes above 127 are left alone.
std::string AsciiLower(std::string_view text);

// Virtual-key code for a key name ("a".."z", "0".."9", "f1".."f12", arrows,
// "space", "enter"/"return", "tab", "home", "end", "pageup", "pagedown",
// "escape"/"esc", "shift"), or 0.
int VirtualKeyForName(std::string_view name);

// Virtual-key code of a pointer button name ("left"/"primary"/"l" = 1,
// "right"/"secondary"/"r" = 2, "middle"/"m" = 4), or 0.
int PointerButtonVirtualKey(std::string_view name);

}  // namespace rava
