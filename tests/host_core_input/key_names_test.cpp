// Key-name and pointer-button tables of the input queries.
#include "host/core/key_names.h"

#include <gtest/gtest.h>

#include <string>

namespace rava {
namespace {

TEST(VirtualKeyForName, LettersAndDigitsInEitherCase) {
    for (char c = 'a'; c <= 'z'; ++c) {
        const std::string lower(1, c);
        const std::string upper(1, static_cast<char>(c - 'a' + 'A'));
        EXPECT_EQ(VirtualKeyForName(lower), 65 + (c - 'a')) << lower;
        EXPECT_EQ(VirtualKeyForName(upper), 65 + (c - 'a')) << upper;
    }
    for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(VirtualKeyForName(std::string(1, c)), c);
}

TEST(VirtualKeyForName, FunctionKeysOneToTwelveOnly) {
    for (int n = 1; n <= 12; ++n) {
        EXPECT_EQ(VirtualKeyForName("f" + std::to_string(n)), 111 + n) << n;
        EXPECT_EQ(VirtualKeyForName("F" + std::to_string(n)), 111 + n) << n;
    }
    EXPECT_EQ(VirtualKeyForName("F5"), 116);
    EXPECT_EQ(VirtualKeyForName("f10"), 121);
    for (const char* name : {"f0", "f13", "f24", "f01", "f012", "f1 ", "fa", "ff1"}) {
        EXPECT_EQ(VirtualKeyForName(name), 0) << name;
    }
}

TEST(VirtualKeyForName, NamedKeysIgnoreCaseAndEverythingElseIsZero) {
    const std::pair<const char*, int> cases[] = {
        {"LEFT", 37},   {"Right", 39}, {"uP", 38},     {"DOWN", 40}, {"Space", 32},  {"enter", 13},
        {"RETURN", 13}, {"tab", 9},    {"Home", 36},   {"END", 35},  {"PageUp", 33}, {"pagedown", 34},
        {"escape", 27}, {"ESC", 27},   {"EsCaPe", 27}, {"eSc", 27},  {"Shift", 16},
    };
    for (const auto& [name, code] : cases) EXPECT_EQ(VirtualKeyForName(name), code) << name;
    for (const char* name : {"", " ", "!", ".", "[", "~", "control", "ctrl", "alt", "button1", "page up", " escape",
                             "escape ", "lef", "spaces", "\xC3\xA9"}) {
        EXPECT_EQ(VirtualKeyForName(name), 0) << '"' << name << '"';
    }
    // Embedded zero bytes are part of the name, not a terminator.
    EXPECT_EQ(VirtualKeyForName(std::string("a\0", 2)), 0);
}

TEST(PointerButtonVirtualKey, NamesAndAliases) {
    for (const char* name : {"left", "PRIMARY", "L", "Left"}) EXPECT_EQ(PointerButtonVirtualKey(name), 1) << name;
    for (const char* name : {"right", "Secondary", "r"}) EXPECT_EQ(PointerButtonVirtualKey(name), 2) << name;
    for (const char* name : {"middle", "M"}) EXPECT_EQ(PointerButtonVirtualKey(name), 4) << name;
    for (const char* name : {"button1", "", "x1", "lefty", "primary "}) {
        EXPECT_EQ(PointerButtonVirtualKey(name), 0) << name;
    }
}

TEST(AsciiLower, LeavesNonAsciiBytesAlone) { EXPECT_EQ(AsciiLower("AbZ[@\xC3\x89"), "abz[@\xC3\x89"); }

}  // namespace
}  // namespace rava
