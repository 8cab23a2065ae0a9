// Key identifiers, pointer ownership, coordinates and foreground changes of
// the web host, as plain functions on a plain state.
#include "host/web/page_input.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "host/core/input_rules.h"

namespace rava {

namespace {

constexpr uint32_t kF1 = 112;
constexpr uint32_t kF12 = 123;
constexpr uint32_t kTab = 9;
constexpr uint32_t kButtonMask = 7;

bool Digits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "F1".."F12" as a code, else 0.
uint32_t FunctionKey(std::string_view code) {
    if (code.size() < 2 || code.size() > 3 || code[0] != 'F' || !Digits(code.substr(1))) return 0;
    const uint32_t n = code.size() == 2 ? static_cast<uint32_t>(code[1] - '0')
                                        : static_cast<uint32_t>((code[1] - '0') * 10 + (code[2] - '0'));
    return n >= 1 && n <= 12 ? kF1 + n - 1 : 0;
}

}  // namespace

uint32_t VirtualKeyForDomKey(std::string_view key, std::string_view code) {
    if (key.size() == 1) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return static_cast<uint32_t>('A' + (c - 'a'));
        if (c >= 'A' && c <= 'Z') return static_cast<uint32_t>(c);
        if (c >= '0' && c <= '9') return static_cast<uint32_t>(c);
    }
    if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z') {
        return static_cast<uint32_t>(code[3]);
    }
    if (code.size() == 6 && code.substr(0, 5) == "Digit" && Digits(code.substr(5))) {
        return static_cast<uint32_t>(code[5]);
    }
    if (code.size() == 7 && code.substr(0, 6) == "Numpad" && Digits(code.substr(6))) {
        return static_cast<uint32_t>(code[6]);
    }
    if (const uint32_t f = FunctionKey(code)) return f;
    static constexpr std::array<std::pair<std::string_view, uint32_t>, 20> kNamed = {{
        {"ArrowLeft", 37},   {"ArrowUp", 38},      {"ArrowRight", 39}, {"ArrowDown", 40}, {"Space", 32},
        {"Enter", 13},       {"NumpadEnter", 13},  {"Tab", 9},         {"Home", 36},      {"End", 35},
        {"PageUp", 33},      {"PageDown", 34},     {"Escape", 27},     {"ShiftLeft", 16}, {"ShiftRight", 16},
        {"ControlLeft", 17}, {"ControlRight", 17}, {"AltLeft", 18},    {"AltRight", 18},  {"Backspace", 8},
    }};
    for (const auto& [name, vk] : kNamed) {
        if (name == code) return vk;
    }
    return 0;
}

bool KeyKeepsBrowserDefault(uint32_t virtualKey, bool control, bool alt, bool meta) {
    if (control || alt || meta) return true;
    return virtualKey == 0 || virtualKey == kTab || (virtualKey >= kF1 && virtualKey <= kF12);
}

void RecordPageKey(PageInputState& state, uint32_t virtualKey, bool down, bool repeat) {
    if (virtualKey == 0 || virtualKey > 255) return;
    if (!down) {
        state.keyHeld[virtualKey] = false;
        return;
    }
    if (!state.foreground) return;
    // A repeat of a key whose first press came before the focus did is not
    // a new press either.
    if (!repeat && !state.keyHeld[virtualKey]) CountKeyPress(state.pressCounters, virtualKey);
    state.keyHeld[virtualKey] = true;
}

bool RecordPagePointer(PageInputState& state, const PagePointerEvent& event) {
    const bool owner = state.hasActivePointer && state.activePointer == event.id;
    switch (event.kind) {
        case PagePointerKind::kDown:
            if (state.hasActivePointer && !owner) return false;
            state.hasActivePointer = true;
            state.activePointer = event.id;
            break;
        case PagePointerKind::kMove:
            if (state.hasActivePointer ? !owner : event.touch) return false;
            break;
        case PagePointerKind::kUp:
        case PagePointerKind::kCancel:
            if (!owner) return false;
            break;
    }
    state.pointerX = event.x;
    state.pointerY = event.y;
    state.pointerSeen = true;
    state.buttonsHeld = event.kind == PagePointerKind::kCancel ? 0 : event.buttons & kButtonMask;
    // A touch or pen in contact reports the contact as the first button; a
    // press must show as held even where a browser reports no buttons for it.
    if (event.kind == PagePointerKind::kDown && state.buttonsHeld == 0) state.buttonsHeld = 1;
    if (event.kind == PagePointerKind::kCancel || (event.kind == PagePointerKind::kUp && state.buttonsHeld == 0)) {
        state.hasActivePointer = false;
    }
    return true;
}

void SetPageForeground(PageInputState& state, bool foreground) {
    state.foreground = foreground;
    if (foreground) return;
    std::fill(std::begin(state.keyHeld), std::end(state.keyHeld), false);
    std::fill(std::begin(state.pressCounters), std::end(state.pressCounters), 0);
    state.buttonsHeld = 0;
    state.hasActivePointer = false;
}

bool PageToClient(double cssX, double cssY, double cssWidth, double cssHeight, int32_t clientWidth,
                  int32_t clientHeight, int32_t& x, int32_t& y) {
    if (!(cssWidth > 0.0) || !(cssHeight > 0.0) || !std::isfinite(cssWidth) || !std::isfinite(cssHeight)) return false;
    const double fx = std::floor(cssX * clientWidth / cssWidth);
    const double fy = std::floor(cssY * clientHeight / cssHeight);
    if (!std::isfinite(fx) || !std::isfinite(fy)) return false;
    // Far-off positions saturate instead of overflowing the conversion.
    x = static_cast<int32_t>(std::clamp(fx, -1.0e9, 1.0e9));
    y = static_cast<int32_t>(std::clamp(fy, -1.0e9, 1.0e9));
    return true;
}

}  // namespace rava
