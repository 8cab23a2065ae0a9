// ReadEnvironmentText: the Win32 reader with every length and round-trip
// check on Windows; elsewhere the same limits over UTF-8 validation.
#include "runtime/runtime.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <cstdlib>

namespace rava {
namespace {

constexpr size_t kMaxUtf8Bytes = 0x1FFFC;

#ifdef _WIN32
constexpr int kMaxUnits = 0x8000;

std::string ReadWin32(std::string_view name) {
    std::string z(name);
    int units =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, z.c_str(), static_cast<int>(z.size()) + 1, nullptr, 0);
    if (units < 1 || units > kMaxUnits) return {};
    std::wstring wname(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, z.c_str(), static_cast<int>(z.size()) + 1, wname.data(),
                            units) != units)
        return {};
    DWORD size = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (size < 1 || size > static_cast<DWORD>(kMaxUnits)) return {};
    std::wstring value(size, L'\0');
    DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), size);
    // NOTE: a value that changed between the two calls no longer fits exactly.
    if (got == 0 || got != size - 1) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, value.c_str(), static_cast<int>(got), nullptr, 0,
                                    nullptr, nullptr);
    if (bytes < 1 || static_cast<size_t>(bytes) > kMaxUtf8Bytes) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, value.c_str(), static_cast<int>(got), out.data(), bytes,
                            nullptr, nullptr) != bytes)
        return {};
    return out;
}
#else
// UTF-16 length of strict UTF-8 (no overlongs, no surrogates, at most
// U+10FFFF), or -1 when the text is not valid.
long Utf16Units(std::string_view s) {
    size_t i = 0;
    long units = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            ++units;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return -1;
        }
        if (i + len > s.size()) return -1;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return -1;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return -1;
        i += len;
        units += cp >= 0x10000 ? 2 : 1;
    }
    return units;
}

// Same limits as the Windows reader: name and value each at most 32,767
// UTF-16 units (32,768 with the terminator).
constexpr long kMaxUnitsWithoutTerminator = 0x7FFF;

std::string ReadPosix(std::string_view name) {
    long nameUnits = Utf16Units(name);
    if (nameUnits < 0 || nameUnits > kMaxUnitsWithoutTerminator) return {};
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return {};
    std::string_view v(value);
    if (v.empty() || v.size() > kMaxUtf8Bytes) return {};
    long valueUnits = Utf16Units(v);
    if (valueUnits < 1 || valueUnits > kMaxUnitsWithoutTerminator) return {};
    return std::string(v);
}
#endif

}  // namespace

std::string ReadEnvironmentText(std::string_view name) {
    if (name.empty() || name.size() > kMaxUtf8Bytes) return {};
    if (name.find('\0') != std::string_view::npos) return {};
#ifdef _WIN32
    return ReadWin32(name);
#else
    return ReadPosix(name);
#endif
}

}  // namespace rava
