// Canvas text byte walker.
#include "host/core/text_walk.h"

#include <cstdint>

namespace rava {

namespace {

bool IsContinuation(std::string_view text, size_t pos) {
    if (pos >= text.size()) return false;
    const auto b = static_cast<uint8_t>(text[pos]);
    return b >= 0x80 && b <= 0xBF;
}

bool IsPrintableAscii(uint8_t b) { return b >= 32 && b <= 126; }

}  // namespace

size_t NonPrintableSkip(std::string_view text, size_t pos) {
    const auto lead = static_cast<uint8_t>(text[pos]);
    if (lead >= 0xC2 && lead <= 0xDF) return IsContinuation(text, pos + 1) ? 2 : 1;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!IsContinuation(text, pos + 1) || !IsContinuation(text, pos + 2)) return 1;
        const auto second = static_cast<uint8_t>(text[pos + 1]);
        if (lead == 0xE0 && second <= 0x9F) return 1;  // overlong
        if (lead == 0xED && second > 0x9F) return 1;   // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!IsContinuation(text, pos + 1) || !IsContinuation(text, pos + 2) || !IsContinuation(text, pos + 3)) {
            return 1;
        }
        const auto second = static_cast<uint8_t>(text[pos + 1]);
        if (lead == 0xF0 && second <= 0x8F) return 1;  // overlong
        if (lead == 0xF4 && second > 0x8F) return 1;   // above U+10FFFF
        return 4;
    }
    return 1;
}

std::vector<TextPiece> SplitCanvasText(std::string_view text) {
    std::vector<TextPiece> pieces;
    size_t pos = 0;
    while (pos < text.size()) {
        if (IsPrintableAscii(static_cast<uint8_t>(text[pos]))) {
            size_t end = pos + 1;
            while (end < text.size() && IsPrintableAscii(static_cast<uint8_t>(text[end]))) ++end;
            pieces.push_back({pos, end - pos, false});
            pos = end;
        } else {
            const size_t skip = NonPrintableSkip(text, pos);
            pieces.push_back({pos, skip, true});
            pos += skip;
        }
    }
    return pieces;
}

}  // namespace rava
