// UTF-16 to UTF-8 conversion and the committed-text buffer with surrogate
// pairing and its 512-byte bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/text_input.h"

namespace rava {
namespace {

std::string Convert(const std::u16string& s, size_t maxBytes = 512) { return Utf16ToUtf8(s.data(), s.size(), maxBytes); }

TEST(Utf16ToUtf8, EncodesEveryLength) {
    EXPECT_EQ(Convert(u"A"), "A");
    EXPECT_EQ(Convert(u"\u00E9"), "\xC3\xA9");
    EXPECT_EQ(Convert(u"\u20AC"), "\xE2\x82\xAC");
    EXPECT_EQ(Convert(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Convert(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(Convert(u"\U00010000"), "\xF0\x90\x80\x80");
    EXPECT_EQ(Convert(u"\uFFFF"), "\xEF\xBF\xBF");
}

TEST(Utf16ToUtf8, UnpairedSurrogatesAreDropped) {
    const std::u16string loneHigh{u'a', char16_t(0xD83D), u'b'};
    const std::u16string loneLow{u'a', char16_t(0xDE00), u'b'};
    const std::u16string swapped{char16_t(0xDE00), char16_t(0xD83D)};
    const std::u16string trailingHigh{u'a', char16_t(0xD83D)};
    const std::u16string doubleHigh{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)};
    EXPECT_EQ(Convert(loneHigh), "ab");
    EXPECT_EQ(Convert(loneLow), "ab");
    EXPECT_EQ(Convert(swapped), "");
    EXPECT_EQ(Convert(trailingHigh), "a");
    EXPECT_EQ(Convert(doubleHigh), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(nullptr, 5, 512), "");
}

TEST(Utf16ToUtf8, StopsBeforeACharacterThatWouldPassTheLimit) {
    EXPECT_EQ(Convert(u"ab\u20AC", 4), "ab");
    EXPECT_EQ(Convert(u"ab\u20AC", 5), "ab\xE2\x82\xAC");
    EXPECT_EQ(Convert(u"\U0001F600x", 3), "");
    EXPECT_EQ(Convert(std::u16string(600, u'x')).size(), 512u);
}

TEST(AppendUtf8, RefusesSurrogatesAndOutOfRange) {
    std::string out;
    EXPECT_EQ(AppendUtf8(out, 0xD800), 0u);
    EXPECT_EQ(AppendUtf8(out, 0xDFFF), 0u);
    EXPECT_EQ(AppendUtf8(out, 0x110000), 0u);
    EXPECT_EQ(AppendUtf8(out, 0xFFFFFFFF), 0u);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(AppendUtf8(out, 0x7F), 1u);
    EXPECT_EQ(AppendUtf8(out, 0x80), 2u);
    EXPECT_EQ(AppendUtf8(out, 0x7FF), 2u);
    EXPECT_EQ(AppendUtf8(out, 0x800), 3u);
    EXPECT_EQ(out, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80");
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
    FeedTextUnit(b.Fields(), u'x');  // interrupts the pair: high dropped, x kept
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
