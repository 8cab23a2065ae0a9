// What the page's input events mean to the host, without a browser: DOM key
// identifiers to virtual-key codes, the first-active-pointer rule of Pointer
// Events, page-to-client coordinates, and the foreground switch. The web
// backend feeds these from its event listeners; tests feed them directly.
#pragma once

#include <cstdint>
#include <string_view>

namespace rava {

// The virtual-key code of a KeyboardEvent: a single letter or digit in `key`
// (so the user's layout decides, as it does on the desktop hosts), otherwise
// the physical `code` ("ArrowUp", "Numpad4", "ShiftLeft", "F5"...); 0 when
// no key name reaches it.
uint32_t VirtualKeyForDomKey(std::string_view key, std::string_view code);

// Whether the page should keep the browser's own reaction to this key: a key
// with Control, Alt or Meta is a browser or system shortcut, F-keys and Tab
// keep reload, full screen and focus moves; everything else the program owns,
// so Space and the arrows do not scroll the page.
bool KeyKeepsBrowserDefault(uint32_t virtualKey, bool control, bool alt, bool meta);

enum class PagePointerKind { kDown, kMove, kUp, kCancel };

struct PagePointerEvent {
    PagePointerKind kind = PagePointerKind::kMove;
    int32_t id = 0;
    bool touch = false;
    uint32_t buttons = 0;  // PointerEvent.buttons: 1 left/contact, 2 right, 4 middle
    int32_t x = 0;         // client pixels
    int32_t y = 0;
};

// Input held while the page is in the foreground.
struct PageInputState {
    bool keyHeld[256] = {};
    uint8_t pressCounters[256] = {};
    uint32_t buttonsHeld = 0;  // 1 left, 2 right, 4 middle
    int32_t pointerX = -1;
    int32_t pointerY = -1;
    bool pointerSeen = false;
    bool hasActivePointer = false;
    int32_t activePointer = 0;
    bool foreground = false;
};

// A key going down (repeat: held down, the browser repeating it) or up.
// Only a first press counts; repeats leave the counters alone.
void RecordPageKey(PageInputState& state, uint32_t virtualKey, bool down, bool repeat);

// The first pointer to go down owns the pointer until it is released or
// cancelled; others are ignored meanwhile. Without an owner a mouse or pen
// moving over the canvas still moves the pointer (hover); a touch does not.
// Returns whether the event was taken.
bool RecordPagePointer(PageInputState& state, const PagePointerEvent& event);

// The page gained or lost the foreground (focused and visible). Losing it
// drops held keys, buttons, counted presses and the pointer's owner.
void SetPageForeground(PageInputState& state, bool foreground);

// A point inside the canvas element (CSS pixels from its top left, the
// element shown cssWidth x cssHeight) in client pixels of a clientWidth x
// clientHeight area: what the canvas shows scaled, mapped back. False for
// an unusable box or a position that is not a finite number.
bool PageToClient(double cssX, double cssY, double cssWidth, double cssHeight, int32_t clientWidth,
                  int32_t clientHeight, int32_t& x, int32_t& y);

}  // namespace rava
