// Canvas text walker and UTF conversions.
#include <gtest/gtest.h>

#include <string>

#include "host/core/text_walk.h"
#include "host/core/utf.h"

namespace rava {
namespace {

// Renders the walk as the glyphs it draws: runs verbatim, placeholders as "?".
std::string Glyphs(std::string_view text) {
    std::string out;
    for (const TextPiece& p : SplitCanvasText(text)) {
        out += p.placeholder ? std::string("?") : std::string(text.substr(p.offset, p.length));
        out += '|';
    }
    return out;
}

TEST(TextWalk, NonAsciiCharacterBecomesOnePlaceholderBetweenRuns) {
    EXPECT_EQ(Glyphs("h\xC3\xA9llo"), "h|?|llo|");
    EXPECT_EQ(Glyphs("\xFF"), "?|");
    EXPECT_EQ(Glyphs(""), "");
    EXPECT_EQ(Glyphs("plain text ~"), "plain text ~|");
}

TEST(TextWalk, WellFormedSequencesSkipWhole) {
    EXPECT_EQ(Glyphs("\xE2\x82\xAC"), "?|");         // euro sign
    EXPECT_EQ(Glyphs("\xF0\x9F\x98\x80!"), "?|!|");  // astral character
    EXPECT_EQ(Glyphs("\xEF\xBF\xBF"), "?|");         // U+FFFF is well-formed
    EXPECT_EQ(Glyphs("\xED\x9F\xBF"), "?|");         // U+D7FF, just below the surrogates
    EXPECT_EQ(Glyphs("\xE0\xA0\x80"), "?|");         // U+0800, the first 3-byte character
    EXPECT_EQ(Glyphs("\xF4\x8F\xBF\xBF"), "?|");     // U+10FFFF
}

TEST(TextWalk, MalformedBytesEachBecomeOnePlaceholder) {
    EXPECT_EQ(Glyphs("\xC0\xAF"), "?|?|");              // overlong lead, stray continuation
    EXPECT_EQ(Glyphs("\xE0\x80\x80"), "?|?|?|");        // overlong 3-byte
    EXPECT_EQ(Glyphs("\xE0\x9F\xBF"), "?|?|?|");        // the last overlong 3-byte (U+07FF)
    EXPECT_EQ(Glyphs("\xED\xA0\x80"), "?|?|?|");        // surrogate
    EXPECT_EQ(Glyphs("\xF0\x80\x80\x80"), "?|?|?|?|");  // overlong 4-byte
    EXPECT_EQ(Glyphs("\xF4\x90\x80\x80"), "?|?|?|?|");  // above U+10FFFF
    EXPECT_EQ(Glyphs("a\xE2\x82"), "a|?|?|");           // truncated at the end
    EXPECT_EQ(Glyphs("\xC3"
                     "A"),
              "?|A|");                        // lead without continuation
    EXPECT_EQ(Glyphs("\x7F\t\n"), "?|?|?|");  // control bytes and DEL
    EXPECT_EQ(Glyphs(std::string_view("a\0b", 3)), "a|?|b|");
}

TEST(TextWalk, GlyphCodesArePrintableBytesAndOneQuestionMarkPerPlaceholder) {
    std::string codes;
    ForEachCanvasGlyph("a\xC3\xA9\x7F b\xE2\x82", [&](unsigned char c) { codes += static_cast<char>(c); });
    EXPECT_EQ(codes, "a?? b??");
}

TEST(TextWalk, PiecesCoverEveryByteOnce) {
    const std::string text = "x\xC3\xA9\xF0\x9F\x98\x80\xFF\xE2\x82 yz";
    size_t next = 0;
    for (const TextPiece& p : SplitCanvasText(text)) {
        EXPECT_EQ(p.offset, next);
        EXPECT_GT(p.length, 0u);
        next += p.length;
    }
    EXPECT_EQ(next, text.size());
}

TEST(Utf, StrictDecodingAcceptsValidAndRejectsInvalid) {
    std::u16string out;
    ASSERT_TRUE(Utf8ToUtf16Strict("h\xC3\xA9\xF0\x9F\x98\x80", out));
    EXPECT_EQ(out, std::u16string(u"h\u00E9\U0001F600"));
    ASSERT_TRUE(Utf8ToUtf16Strict("", out));
    EXPECT_TRUE(out.empty());
    for (const char* bad : {"\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xE2\x82", "\x80",
                            "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xF5\x80\x80\x80"}) {
        out = u"stale";
        EXPECT_FALSE(Utf8ToUtf16Strict(bad, out)) << bad;
        EXPECT_TRUE(out.empty());
    }
}

TEST(Utf, Utf16ToUtf8CombinesPairsAndDropsLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"h\u00E9\U0001F600"), "h\xC3\xA9\xF0\x9F\x98\x80");
    const char16_t lone[] = {u'a', 0xDC00, u'b', 0xD800, 0};
    EXPECT_EQ(Utf16ToUtf8(lone), "ab");
    const char16_t reversed[] = {0xDC00, 0xD800, u'c', 0};
    EXPECT_EQ(Utf16ToUtf8(reversed), "c");
    // The byte limit stops before a character that would not fit whole.
    EXPECT_EQ(Utf16ToUtf8(u"ab\u00E9", 3), "ab");
    EXPECT_EQ(Utf16ToUtf8(u"ab\u00E9", 4), "ab\xC3\xA9");
}

TEST(Utf, AppendCodePointEncodesScalarsOnly) {
    std::string s;
    EXPECT_TRUE(AppendUtf8CodePoint(s, U'A'));
    EXPECT_TRUE(AppendUtf8CodePoint(s, 0x7FF));
    EXPECT_TRUE(AppendUtf8CodePoint(s, 0xFFFF));
    EXPECT_TRUE(AppendUtf8CodePoint(s, 0x10FFFF));
    EXPECT_EQ(s, "A\xDF\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF");
    EXPECT_FALSE(AppendUtf8CodePoint(s, 0xD800));
    EXPECT_FALSE(AppendUtf8CodePoint(s, 0x110000));
    EXPECT_EQ(s.size(), 10u);
    EXPECT_EQ(Utf8Length(0x80), 2u);
    EXPECT_EQ(Utf8Length(0x10000), 4u);
}

}  // namespace
}  // namespace rava
