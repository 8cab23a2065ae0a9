// Environment reading: values, absence and every refusal give text or "".
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/runtime.h"

#ifdef _WIN32
#include <windows.h>
void SetWideVar(const wchar_t* name, const wchar_t* value) { SetEnvironmentVariableW(name, value); }
// The test's texts are UTF-8; the ANSI setter would read them in the code page.
std::wstring Wide(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    return w;
}
void SetVar(const char* name, const char* value) {
    SetEnvironmentVariableW(Wide(name).c_str(), value ? Wide(value).c_str() : nullptr);
}
#else
void SetVar(const char* name, const char* value) {
    if (value == nullptr) {
        unsetenv(name);
    } else {
        setenv(name, value, 1);
    }
}
#endif

namespace rava {
namespace {

TEST(ReadEnvironmentText, ReadsValuesAndGivesEmptyForUnsetOrEmpty) {
    const std::string utf8 = "h\xC3\xA9llo \xF0\x9F\x8C\x8A", longValue(20000, 'v');
    const std::pair<const char*, std::string> rows[] = {
        {"1", "1"}, {utf8.c_str(), utf8}, {longValue.c_str(), longValue}, {"", ""}, {nullptr, ""}};
    for (const auto& [value, expected] : rows) {
        SetVar("RAVA_ENV_PROBE", value);
        const std::string got = ReadEnvironmentText("RAVA_ENV_PROBE");
        EXPECT_TRUE(got == expected) << (value ? std::string(value).substr(0, 20) : "unset") << " read as "
                                     << got.substr(0, 20) << " (" << got.size() << " bytes)";
    }
}

TEST(ReadEnvironmentText, RefusesBadNames) {
    SetVar("RAVA_ENV_PROBE", "x");
    EXPECT_EQ(ReadEnvironmentText(""), "");
    EXPECT_EQ(ReadEnvironmentText(std::string("RAVA_ENV_PROBE\0", 15)), "");
    EXPECT_EQ(ReadEnvironmentText("RAVA_\xFF"), "");
    EXPECT_EQ(ReadEnvironmentText(std::string(0x1FFFD, 'A')), "");
}

#ifndef _WIN32
// Windows cannot hold longer values or invalid UTF-16 at all; elsewhere the reader applies the same
// limits to the raw bytes so both builds agree.
TEST(ReadEnvironmentText, RefusesValuesWindowsCouldNotHold) {
    std::string astral;  // U+1F30A: four bytes, two UTF-16 units
    for (int i = 0; i < 16383; ++i) astral += "\xF0\x9F\x8C\x8A";
    const std::pair<std::string, bool> rows[] = {{std::string(32767, 'v'), true},
                                                 {std::string(32768, 'v'), false},
                                                 {astral, true},
                                                 {astral + "\xF0\x9F\x8C\x8A", false},  // 32,768 units
                                                 {"a\xE0\x82\x80", false}};             // overlong U+0080
    for (const auto& [value, accepted] : rows) {
        SetVar("RAVA_ENV_LONG", value.c_str());
        EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_LONG").size(), accepted ? value.size() : 0u) << value.size();
    }
    SetVar("RAVA_ENV_LONG", nullptr);
}
#endif

#ifdef _WIN32
TEST(ReadEnvironmentText, RefusesValuesThatAreNotUnicode) {
    const wchar_t lone[] = {L'a', 0xD800, L'b', 0};
    SetWideVar(L"RAVA_ENV_SURROGATE", lone);
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_SURROGATE"), "");
}
#endif

}  // namespace
}  // namespace rava
