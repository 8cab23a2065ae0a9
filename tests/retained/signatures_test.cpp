// Signatures, length prefixes, identity keys and the identity hash: the
// store's external text formats, pinned with worked examples.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

TEST(Signatures, WorkedExamplesWriteEveryFieldInOrder) {
    const std::string tail = "|9:bgra8-hex|4:srgb|8:straight|";
    const std::pair<std::string, std::string> rows[] = {
        {ClipSignature(Clip("c1")), "clip-v1|2:c1|0|-4|10|20|3"},
        {PaintSignature(Paint("p")), "paint-v1|1:p|255|0|0|255|0|1|100"},
        {TransformSignature({"t", 5, -5, 100, 100, -360000}), "transform-v1|1:t|5|-5|100|100|-360000"},
        {LengthPrefixedText("paint"), "5:paint"},
        {LengthPrefixedText(""), "0:"},
        // Separators and placeholders inside a field are carried unchanged.
        {PaintSignature(Paint("a|b")), "paint-v1|3:a|b|255|0|0|255|0|1|100"},
        {ClipSignature(Clip("x:{1}")), "clip-v1|5:x:{1}|0|-4|10|20|3"},
        {ImageSignature(ReadyImage("im", 1, 1, 1)),
         "image-v1|2:im|5:image|1|1|1|4" + tail + "5:ready|true|10:content-im|8:aaaaaaaa|4:test"},
        {ImageSignature(LoadingImage("im", 2)),
         "image-v1|2:im|5:image|2|0|0|0" + tail + "7:loading|false|10:content-im|0:|4:test"},
        {GlyphSignature(Glyph(GlyphId())),
         "glyph-v1|71:" + GlyphId() + "|3|2|3|6|12:a8-unorm-hex|12:FFFFFFFFFFFF|4:font"},
        {FragmentSignature(Fragment("row")),
         "fragment-v1|3:row|1|0|0|0|100|50|0|0|100|50|2:k1|2:k2|2:k3|2:k4|2:k5|6:layout|4:test|1"},
        {IdentityKey("paint", "sky", 0), "5:paint:3:sky:0"},
        {IdentityKey("command-sequence", "", 12), "16:command-sequence:0::12"},
        {IdentityKey("image-generation", "a:b", -3), "16:image-generation:3:a:b:-3"},
    };
    for (const auto& [actual, expected] : rows) EXPECT_EQ(actual, expected);
    // Different field splits never produce the same text.
    EXPECT_NE(PaintSignature(Paint("a|1")), PaintSignature(Paint("a")));
}

// SignsAs answers exactly "the signature equals the kept text", also when
// the two differ only at the very end or in length.
TEST(Signatures, SignsAsIsEqualityWithTheWrittenText) {
    const RenderPaint paint = Paint("p");
    const RenderClip clip = Clip("c1");
    const std::string text = PaintSignature(paint);
    EXPECT_TRUE(SignsAs(paint, text));
    EXPECT_TRUE(SignsAs(clip, ClipSignature(clip)));
    for (const std::string& kept : {text + "0", text.substr(0, text.size() - 1), text.substr(0, text.size() - 3) + "101",
                                    std::string(), ClipSignature(clip), "paint-v2" + text.substr(8)}) {
        EXPECT_FALSE(SignsAs(paint, kept)) << kept;
    }
}

TEST(Signatures, CommandHeadThenTailEndingInEndMarker) {
    RenderCommand c = Command("row", 12);
    std::string expected = "command-v1|12|3:row|4:rect|0:|0:|0:|0|0:|0:|0:|0|0|0|0|0:|0:|0:|0:|0:|0:";
    for (int i = 0; i < 18; ++i) expected += "|0";
    EXPECT_EQ(CommandSignature(c), expected + "|false|end|1|1|1");

    c.stringArg1 = "s1";
    c.resourceId = "img";
    c.imageGeneration = -7;
    c.paintId = "p";
    c.intArg1 = 1;
    c.intArg4 = 4;
    c.stringArg8 = "s8";
    c.intArg5 = 5;
    c.intArg22 = -22;
    c.glyphOptional = true;
    std::string sig = CommandSignature(c);
    EXPECT_EQ(sig.substr(0, 48), "command-v1|12|3:row|4:rect|2:s1|0:|3:img|-7|1:p|");
    EXPECT_NE(sig.find("|0:|1|0|0|4|0:|0:|0:|0:|0:|2:s8|5|0|"), std::string::npos);
    EXPECT_TRUE(sig.ends_with("|-22|true|end|1|1|1"));

    for (int32_t seq : {INT32_MIN, -1, 0, 7, INT32_MAX}) {
        RenderCommand hostile = Command("o|end|1", seq, "end|1|1|1");
        hostile.intArg22 = seq;
        EXPECT_TRUE(CommandSignature(hostile).ends_with("|end|1|1|1")) << seq;
    }
    EXPECT_EQ(CommandSignature(Command("o", INT32_MIN)).substr(0, 23), "command-v1|-2147483648|");
}

TEST(Signatures, FragmentCarriesCommandCountNotCommands) {
    RenderFragment f = Fragment("row");
    RenderFragment g = f;
    g.commands[0].intArg3 = 9;
    EXPECT_EQ(FragmentSignature(g), FragmentSignature(f));
    EXPECT_NE(CommandSignature(g.commands[0]), CommandSignature(f.commands[0]));
    g.userValue = -3;
    EXPECT_NE(FragmentSignature(g), FragmentSignature(f));
}

TEST(IdentityHash, WorkedExamplesForAnyBucketCount) {
    struct Row {
        const char* key;
        int32_t buckets;
        int32_t hash;
    };
    const Row rows[] = {
        {"a", 8192, 562}, {"@", 8192, 629}, {" ", 8192, 632}, {"A", 8192, 588},
        {"5:paint:3:sky:0", 8192, 2131}, {"16:command-sequence:0::12", 8192, 8165},
        {"5:paint:3:sky:0", 64, 19}, {"16:command-sequence:0::12", 64, 37}, {"5:paint:3:sky:0", 1, 0},
        {"5:paint:3:sky:0", 10007, 6373}, {"16:command-sequence:0::12", 100, 73},
        {"5:paint:3:sky:0", 1 << 30, 415320147}, {"zzzzzzzzzzzzzzzzzzzz", 1 << 30, 599207449},
        {"", 8, 1},  // 17 mod 8: never outside the buckets
        {"a", 0, -1}, {"a", -5, -1}};
    for (const Row& row : rows) {
        EXPECT_EQ(IdentityHash(row.key, row.buckets), row.hash) << row.key << " % " << row.buckets;
    }
    EXPECT_NE(IdentityHash(".", 8192), IdentityHash("_", 8192));
    std::string big(100000, '\xff');
    EXPECT_EQ(IdentityHash(big, 1), 0);
    EXPECT_GE(IdentityHash(big, INT32_MAX), 0);
}

TEST(IdentityHash, CodesMatchTheBitMembershipLists) {
    const char* lists[7] = {"acegikmoqsuwyACEGIKMOQSUWY02468.-/", "bcfgjknorsvwzADEHILMPQTUXY12569.:/",
                            "defglmnotuvwBCDEJKLMRSTUZ012789.@",  "hijklmnoxyzABCDENOPQRSTU3456789.",
                            "pqrstuvwxyzABCDEVWXYZ0123456789.",   "FGHIJKLMNOPQRSTUVWXYZ0123456789.",
                            "_-:/@"};
    for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        int code = 0;
        for (int k = 0; k < 7; ++k) {
            if (b != 0 && std::string_view(lists[k]).find(c) != std::string_view::npos) code |= 1 << k;
        }
        if (code == 0) code = 71;
        EXPECT_EQ(IdentityHash(std::string(1, c), 8192), 561 + code) << b;
    }
}

}  // namespace
}  // namespace rava
