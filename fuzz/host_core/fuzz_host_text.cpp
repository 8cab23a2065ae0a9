// Fuzzes the canvas text walker and the UTF conversions against each other:
// the walk covers every byte once, and on valid UTF-8 it yields exactly one
// placeholder per non-printable character; decoding round-trips.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/core/text_walk.h"
#include "host/core/utf.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t next = 0;
    size_t placeholders = 0;
    for (const rava::TextPiece& piece : rava::SplitCanvasText(text)) {
        Check(piece.offset == next && piece.length >= 1);
        if (piece.placeholder) {
            Check(piece.length == rava::NonPrintableSkip(text, piece.offset));
            ++placeholders;
        } else {
            for (size_t i = 0; i < piece.length; ++i) {
                const auto b = static_cast<uint8_t>(text[piece.offset + i]);
                Check(b >= 32 && b <= 126);
            }
        }
        next += piece.length;
    }
    Check(next == text.size());

    std::u16string wide;
    if (rava::Utf8ToUtf16Strict(text, wide)) {
        Check(rava::Utf16ToUtf8(wide) == text);
        size_t nonPrintable = 0;
        for (size_t i = 0; i < wide.size(); ++i) {
            const char16_t u = wide[i];
            if (u >= 0xD800 && u <= 0xDBFF) ++i;  // a pair is one character
            if (!(u >= 32 && u <= 126)) ++nonPrintable;
        }
        Check(placeholders == nonPrintable);
    } else {
        Check(wide.empty());
    }

    // Any UTF-16 input converts to valid UTF-8 within the byte limit.
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const size_t limit = size % 17;
    const std::string narrow = rava::Utf16ToUtf8(units, limit);
    Check(narrow.size() <= limit);
    std::u16string back;
    Check(rava::Utf8ToUtf16Strict(narrow, back));
    return 0;
}
