// The byte walker of canvas text: splits UTF-8 into maximal runs of printable
// ASCII (32..126) and placeholders, one per well-formed non-ASCII character
// and one per malformed byte. Glyph lists exist only for 32..127.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace rava {

struct TextPiece {
    size_t offset = 0;         // first byte in the text
    size_t length = 0;         // bytes covered (run length, or the skipped sequence)
    bool placeholder = false;  // draw one "?" instead of the bytes
};

// Bytes to skip for the non-printable byte at pos: the length of a
// well-formed UTF-8 sequence starting there, else 1.
size_t NonPrintableSkip(std::string_view text, size_t pos);

std::vector<TextPiece> SplitCanvasText(std::string_view text);

}  // namespace rava
