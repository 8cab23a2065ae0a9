// X keys to the virtual-key codes the key-name table uses, so the same names
// answer on both hosts, under any keyboard layout. Pure: no display needed.
#pragma once

#include <cstdint>
#include <string_view>

namespace rava {

// The virtual-key code of one keysym, or 0 for keys no name reaches (control
// and alt still map, as the modifier mask of a key event needs them).
uint32_t VirtualKeyForKeysym(unsigned long keysym);

// The code of a key from what the active layout gives it: its first two
// levels and the keysym its modifiers select now (which tells a keypad key
// with NumLock on from one with NumLock off). A key whose first level is no
// Latin letter, digit or named key answers by a digit on its second level
// (the top row of a French layout), else 0: see VirtualKeyForKeyPosition.
uint32_t VirtualKeyForKeyLevels(unsigned long level0, unsigned long level1, unsigned long effective);

// Where the layout gives a key no Latin letter or digit (Cyrillic, Greek),
// the letter or digit at its place on a US keyboard, from the key's XKB
// name ("AC01" is the A key), as Windows' virtual keys answer; else 0.
uint32_t VirtualKeyForKeyPosition(std::string_view xkbKeyName);

// Pointer button bit (1 left, 2 right, 4 middle) of an X button number; 0 for
// the wheel and extra buttons.
uint32_t ButtonBitForXButton(unsigned int button);

// Buttons 4 to 7 are wheel steps (vertical, then horizontal), not buttons.
bool IsWheelButton(unsigned int button);

}  // namespace rava
