// UTF-8 / UTF-16 conversions at the Win32 boundary. Decoding is strict (no
// overlong forms, surrogates or values above U+10FFFF); encoding UTF-16 to
// UTF-8 drops unpaired surrogates.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rava {

// Decodes strictly; returns false (and leaves out empty) on any invalid byte.
bool Utf8ToUtf16Strict(std::string_view text, std::u16string& out);

// Converts UTF-16 to UTF-8, combining surrogate pairs and dropping unpaired
// surrogates; stops before a character that would exceed maxBytes.
std::string Utf16ToUtf8(std::u16string_view text, size_t maxBytes = std::string::npos);

// Appends the UTF-8 form of a scalar value; returns false (appending nothing)
// for surrogates and values above U+10FFFF.
bool AppendUtf8CodePoint(std::string& out, char32_t codePoint);

// Bytes the UTF-8 form of a scalar value takes (0 when it has none).
size_t Utf8Length(char32_t codePoint);

}  // namespace rava
