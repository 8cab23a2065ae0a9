// Environment reading: values, absence and every refusal give text or "".
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/runtime.h"

#ifdef _WIN32
#include <windows.h>
void SetVar(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }
void SetWideVar(const wchar_t* name, const wchar_t* value) { SetEnvironmentVariableW(name, value); }
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
    SetVar("RAVA_ENV_PROBE", "1");
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_PROBE"), "1");
    SetVar("RAVA_ENV_PROBE", "h\xC3\xA9llo \xF0\x9F\x8C\x8A");
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_PROBE"), "h\xC3\xA9llo \xF0\x9F\x8C\x8A");
    SetVar("RAVA_ENV_PROBE", "");
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_PROBE"), "");
    SetVar("RAVA_ENV_PROBE", nullptr);
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_PROBE"), "");
}

TEST(ReadEnvironmentText, RefusesBadNames) {
    SetVar("RAVA_ENV_PROBE", "x");
    EXPECT_EQ(ReadEnvironmentText(""), "");
    EXPECT_EQ(ReadEnvironmentText(std::string("RAVA_ENV_PROBE\0", 15)), "");
    EXPECT_EQ(ReadEnvironmentText("RAVA_\xFF"), "");
    EXPECT_EQ(ReadEnvironmentText(std::string(0x1FFFD, 'A')), "");
}

TEST(ReadEnvironmentText, RefusesOverlongValues) {
    std::string longValue(40000, 'v');
    SetVar("RAVA_ENV_LONG", longValue.c_str());
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_LONG"), "");
    longValue.resize(30000);
    SetVar("RAVA_ENV_LONG", longValue.c_str());
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_LONG"), longValue);
    SetVar("RAVA_ENV_LONG", nullptr);
}

#ifdef _WIN32
TEST(ReadEnvironmentText, RefusesValuesThatAreNotUnicode) {
    const wchar_t lone[] = {L'a', 0xD800, L'b', 0};
    SetWideVar(L"RAVA_ENV_SURROGATE", lone);
    EXPECT_EQ(ReadEnvironmentText("RAVA_ENV_SURROGATE"), "");
}
#endif

}  // namespace
}  // namespace rava
