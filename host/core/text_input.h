// Committed text as the window procedure records it: UTF-16 units in (with
// surrogate pairing), bounded UTF-8 out. Malformed UTF-16 is dropped, never
// replaced. Conversions themselves live in host/core/utf.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rava {

// The committed-text buffer of a window, reached through its fields so the
// window record keeps its own layout. `pendingHigh` is 0 when nothing waits.
struct TextInputFields {
    std::string& text;
    int64_t& changeCounter;
    uint16_t& pendingHigh;
    size_t maxBytes;
};

// Appends a printable code point if it fits whole; returns whether it did.
// Code points below 32, 127, surrogates and values above 0x10FFFF never enter.
bool AppendTextCodePoint(const TextInputFields& fields, uint32_t codePoint);
// One WM_CHAR-style UTF-16 unit: high surrogates wait, a low surrogate
// completes a waiting one or is dropped.
void FeedTextUnit(const TextInputFields& fields, uint16_t unit);
// One whole code point (WM_UNICHAR): any waiting high surrogate is dropped.
void FeedTextCodePoint(const TextInputFields& fields, uint32_t codePoint);

}  // namespace rava
