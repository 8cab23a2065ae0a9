// X keysyms to the virtual-key codes the key-name table uses, so the same
// names answer on both hosts. Pure: no display needed.
#pragma once

#include <cstdint>

namespace rava {

// The virtual-key code of an unshifted keysym, or 0 for keys no name reaches
// (control and alt still map, as the modifier mask of a key event needs them).
uint32_t VirtualKeyForKeysym(unsigned long keysym);

// Pointer button bit (1 left, 2 right, 4 middle) of an X button number; 0 for
// the wheel and extra buttons.
uint32_t ButtonBitForXButton(unsigned int button);

}  // namespace rava
