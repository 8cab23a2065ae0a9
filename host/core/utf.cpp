// UTF conversions.
#include "host/core/utf.h"

#include <cstdint>

namespace rava {

size_t Utf8Length(char32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    if (cp < 0x80) return 1;
    if (cp < 0x800) return 2;
    if (cp < 0x10000) return 3;
    if (cp <= 0x10FFFF) return 4;
    return 0;
}

bool AppendUtf8CodePoint(std::string& out, char32_t cp) {
    switch (Utf8Length(cp)) {
        case 1:
            out.push_back(static_cast<char>(cp));
            return true;
        case 2:
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            return true;
        case 3:
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            return true;
        case 4:
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
            return true;
        default:
            return false;
    }
}

bool Utf8ToUtf16Strict(std::string_view text, std::u16string& out) {
    out.clear();
    std::u16string result;
    result.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<uint8_t>(text[pos]);
        size_t need = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            result.push_back(lead);
            ++pos;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (text.size() - pos - 1 < need) return false;
        for (size_t k = 1; k <= need; ++k) {
            const auto b = static_cast<uint8_t>(text[pos + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(cp));
        }
        pos += need + 1;
    }
    out = std::move(result);
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text, size_t maxBytes) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                     (static_cast<char32_t>(text[i + 1]) - 0xDC00);
                ++i;
            } else {
                continue;
            }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            continue;
        }
        if (maxBytes != std::string::npos && out.size() + Utf8Length(cp) > maxBytes) break;
        AppendUtf8CodePoint(out, cp);
    }
    return out;
}

}  // namespace rava
