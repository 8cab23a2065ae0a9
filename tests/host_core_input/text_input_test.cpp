// The committed-text buffer of a window: surrogate pairing, dropped
// malformed units and the 512-byte bound.
#include "host/core/text_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/utf.h"

namespace rava {
namespace {

// The composition path converts whole strings; pin the bound it relies on.
TEST(Utf16ToUtf8, CompositionStringsKeepWholeCharactersWithinTheBound) {
    const std::u16string ascii(300, u'x');
    EXPECT_EQ(Utf16ToUtf8(ascii, 512).size(), 300u);
    std::u16string pairs;
    for (int i = 0; i < 200; ++i) pairs += u"\U0001F600";
    const std::string out = Utf16ToUtf8(pairs, 512);
    EXPECT_EQ(out.size(), 512u);
    EXPECT_EQ(out.substr(508), "\xF0\x9F\x98\x80");
    const std::u16string broken{char16_t(0xDE00), u'a', char16_t(0xD83D)};
    EXPECT_EQ(Utf16ToUtf8(broken, 512), "a");
}

struct Buffer {
    std::string text;
    int64_t changes = 0;
    uint16_t pending = 0;
    TextInputFields Fields(size_t maxBytes = 512) { return TextInputFields{text, changes, pending, maxBytes}; }
};

TEST(TextInput, SurrogatePairBecomesOneFourByteSequence) {
    Buffer b;
    FeedTextUnit(b.Fields(), 0xD83D);
    EXPECT_EQ(b.pending, 0xD83D);
    EXPECT_EQ(b.changes, 0);
    FeedTextUnit(b.Fields(), 0xDE00);
    EXPECT_EQ(b.text, "\xF0\x9F\x98\x80");
    EXPECT_EQ(b.changes, 1);
    EXPECT_EQ(b.pending, 0);
}

TEST(TextInput, LoneAndInterruptedSurrogatesAppendNothing) {
    Buffer b;
    FeedTextUnit(b.Fields(), 0xDE00);  // lone low
    EXPECT_EQ(b.text, "");
    FeedTextUnit(b.Fields(), 0xD83D);
    FeedTextUnit(b.Fields(), u'x');    // interrupts the pair: high dropped, x kept
    FeedTextUnit(b.Fields(), 0xDE00);  // now lone
    EXPECT_EQ(b.text, "x");
    FeedTextUnit(b.Fields(), 0xD83D);
    FeedTextUnit(b.Fields(), 0xD83C);  // a second high replaces the first
    FeedTextUnit(b.Fields(), 0xDF89);
    EXPECT_EQ(b.text, "x\xF0\x9F\x8E\x89");
    FeedTextUnit(b.Fields(), 0xD83D);
    FeedTextCodePoint(b.Fields(), 'y');  // a whole code point drops the waiting half
    FeedTextUnit(b.Fields(), 0xDE00);
    EXPECT_EQ(b.text, "x\xF0\x9F\x8E\x89y");
    EXPECT_EQ(b.changes, 3);
}

TEST(TextInput, ControlCharactersDelAndInvalidCodePointsAreDropped) {
    Buffer b;
    for (uint32_t cp : {0u, 8u, 13u, 27u, 31u, 127u, 0xD800u, 0xDFFFu, 0x110000u, 0xFFFFFFFFu}) {
        FeedTextCodePoint(b.Fields(), cp);
    }
    for (uint16_t u : {uint16_t(9), uint16_t(10), uint16_t(127)}) FeedTextUnit(b.Fields(), u);
    EXPECT_EQ(b.text, "");
    EXPECT_EQ(b.changes, 0);
    FeedTextCodePoint(b.Fields(), 32);
    FeedTextCodePoint(b.Fields(), 0x10FFFF);
    FeedTextUnit(b.Fields(), 0x80);
    EXPECT_EQ(b.text, " \xF4\x8F\xBF\xBF\xC2\x80");
    EXPECT_EQ(b.changes, 3);
}

TEST(TextInput, BufferNeverPassesItsBound) {
    Buffer b;
    for (int i = 0; i < 511; ++i) FeedTextUnit(b.Fields(), u'a');
    FeedTextUnit(b.Fields(), 0x00E9);  // two bytes would make 513
    EXPECT_EQ(b.text.size(), 511u);
    FeedTextUnit(b.Fields(), u'b');  // one byte still fits
    EXPECT_EQ(b.text.size(), 512u);
    FeedTextUnit(b.Fields(), u'c');
    FeedTextUnit(b.Fields(), 0xD83D);
    FeedTextUnit(b.Fields(), 0xDE00);
    EXPECT_EQ(b.text.size(), 512u);
    EXPECT_EQ(b.text.back(), 'b');
    EXPECT_EQ(b.changes, 512);
}

}  // namespace
}  // namespace rava
