// Text input recording: control characters, DEL, surrogates and
// out-of-range values never enter the buffer; a character that would take the
// buffer past its bound is dropped whole.
#include "host/core/text_input.h"

#include <limits>

#include "host/core/utf.h"

namespace rava {

namespace {

bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

bool AppendTextCodePoint(const TextInputFields& f, uint32_t cp) {
    if (cp < 32 || cp == 127 || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) return false;
    if (f.text.size() + Utf8Length(cp) > f.maxBytes) return false;
    AppendUtf8CodePoint(f.text, cp);
    if (f.changeCounter < std::numeric_limits<int64_t>::max()) ++f.changeCounter;
    return true;
}

void FeedTextUnit(const TextInputFields& f, uint16_t unit) {
    const uint32_t u = unit;
    if (IsHighSurrogate(u)) {
        f.pendingHigh = unit;
        return;
    }
    if (IsLowSurrogate(u)) {
        if (!IsHighSurrogate(f.pendingHigh)) return;
        const uint32_t cp = 0x10000 + ((static_cast<uint32_t>(f.pendingHigh) - 0xD800) << 10) + (u - 0xDC00);
        f.pendingHigh = 0;
        AppendTextCodePoint(f, cp);
        return;
    }
    f.pendingHigh = 0;
    AppendTextCodePoint(f, u);
}

void FeedTextCodePoint(const TextInputFields& f, uint32_t cp) {
    f.pendingHigh = 0;
    AppendTextCodePoint(f, cp);
}

}  // namespace rava
