// Text input recording: control characters, DEL, surrogates and
// out-of-range values never enter the buffer; a character that would take the
// buffer past 512 bytes is dropped whole.
#include "host/core/text_input.h"

namespace rava {

namespace {

bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

size_t Utf8Length(uint32_t cp) {
    if (cp < 0x80) return 1;
    if (cp < 0x800) return 2;
    if (cp < 0x10000) return 3;
    return 4;
}

}  // namespace

size_t AppendUtf8(std::string& out, uint32_t cp) {
    if (cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) return 0;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return 1;
    }
    if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        return 2;
    }
    if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        return 3;
    }
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    return 4;
}

std::string Utf16ToUtf8(const char16_t* units, size_t count, size_t maxBytes) {
    std::string out;
    if (units == nullptr) return out;
    out.reserve(count * 3 < maxBytes ? count * 3 : maxBytes);
    for (size_t i = 0; i < count; ++i) {
        uint32_t cp = units[i];
        if (IsHighSurrogate(cp)) {
            if (i + 1 >= count || !IsLowSurrogate(units[i + 1])) continue;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint32_t>(units[i + 1]) - 0xDC00);
            ++i;
        } else if (IsLowSurrogate(cp)) {
            continue;
        }
        if (out.size() + Utf8Length(cp) > maxBytes) break;
        AppendUtf8(out, cp);
    }
    return out;
}

bool AppendTextCodePoint(const TextInputFields& f, uint32_t cp) {
    if (cp < 32 || cp == 127 || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) return false;
    if (f.text.size() + Utf8Length(cp) > f.maxBytes) return false;
    AppendUtf8(f.text, cp);
    if (f.changeCounter < INT64_MAX) ++f.changeCounter;
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
