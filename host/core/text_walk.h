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

// Calls glyph(code) once per glyph the canvas draws for the text, in order:
// each byte of a printable run, and '?' for each placeholder. Codes are
// always 32..126, so glyph tables of those 95 characters need no check.
template <class GlyphFn>
void ForEachCanvasGlyph(std::string_view text, GlyphFn&& glyph) {
    for (const TextPiece& piece : SplitCanvasText(text)) {
        if (piece.placeholder) {
            glyph(static_cast<unsigned char>('?'));
            continue;
        }
        for (size_t i = 0; i < piece.length; ++i) {
            const auto c = static_cast<unsigned char>(text[piece.offset + i]);
            glyph(c >= 32 && c <= 126 ? c : static_cast<unsigned char>('?'));
        }
    }
}

}  // namespace rava
