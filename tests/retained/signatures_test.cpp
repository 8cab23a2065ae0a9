// Signatures, length prefixes, identity keys and the identity hash: the
// store's external text formats, pinned with worked examples.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

TEST(Signatures, WorkedClipAndPaintExamples) {
    EXPECT_EQ(ClipSignature(Clip("c1")), "clip-v1|2:c1|0|-4|10|20|3");
    EXPECT_EQ(PaintSignature(Paint("p")), "paint-v1|1:p|255|0|0|255|0|1|100");
    EXPECT_EQ(TransformSignature({"t", 5, -5, 100, 100, -360000}), "transform-v1|1:t|5|-5|100|100|-360000");
}

TEST(Signatures, LengthPrefixCarriesSeparatorsAndPlaceholdersUnchanged) {
    EXPECT_EQ(LengthPrefixedText("paint"), "5:paint");
    EXPECT_EQ(LengthPrefixedText(""), "0:");
    EXPECT_EQ(PaintSignature(Paint("a|b")), "paint-v1|3:a|b|255|0|0|255|0|1|100");
    EXPECT_EQ(ClipSignature(Clip("x:{1}")), "clip-v1|5:x:{1}|0|-4|10|20|3");
    // Different field splits never produce the same text.
    EXPECT_NE(PaintSignature(Paint("a|1")), PaintSignature(Paint("a")));
}

TEST(Signatures, ImageAndGlyphWriteEveryFieldInOrder) {
    EXPECT_EQ(ImageSignature(ReadyImage("im", 1, 1, 1)),
              "image-v1|2:im|5:image|1|1|1|4|9:bgra8-hex|4:srgb|8:straight|5:ready|true|10:content-im|8:aaaaaaaa|4:test");
    RenderImage loading = LoadingImage("im", 2);
    EXPECT_NE(ImageSignature(loading).find("|5:image|2|0|0|0|"), std::string::npos);
    EXPECT_NE(ImageSignature(loading).find("|7:loading|false|"), std::string::npos);
    EXPECT_EQ(GlyphSignature(Glyph(GlyphId())),
              "glyph-v1|71:" + GlyphId() + "|3|2|3|6|12:a8-unorm-hex|12:FFFFFFFFFFFF|4:font");
}

TEST(Signatures, CommandHeadThenTailEndingInEndMarker) {
    RenderCommand c = Command("row", 12);
    std::string expected = "command-v1|12|3:row|4:rect|0:|0:|0:|0|0:|0:|0:|0|0|0|0|0:|0:|0:|0:|0:|0:";
    for (int i = 0; i < 18; ++i) expected += "|0";
    expected += "|false|end|1|1|1";
    EXPECT_EQ(CommandSignature(c), expected);

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
}

TEST(Signatures, EveryCommandSignatureEndsWithEndMarker) {
    for (int32_t seq : {INT32_MIN, -1, 0, 7, INT32_MAX}) {
        RenderCommand c = Command("o|end|1", seq, "end|1|1|1");
        c.intArg22 = seq;
        EXPECT_TRUE(CommandSignature(c).ends_with("|end|1|1|1")) << seq;
    }
    EXPECT_EQ(CommandSignature(Command("o", INT32_MIN)).substr(0, 23), "command-v1|-2147483648|");
}

TEST(Signatures, FragmentCarriesCommandCountNotCommands) {
    RenderFragment f = Fragment("row");
    EXPECT_EQ(FragmentSignature(f), "fragment-v1|3:row|1|0|0|0|100|50|0|0|100|50|2:k1|2:k2|2:k3|2:k4|2:k5|6:layout|4:test|1");
    RenderFragment g = f;
    g.commands[0].intArg3 = 9;
    EXPECT_EQ(FragmentSignature(g), FragmentSignature(f));
    EXPECT_NE(CommandSignature(g.commands[0]), CommandSignature(f.commands[0]));
    g.userValue = -3;
    EXPECT_NE(FragmentSignature(g), FragmentSignature(f));
}

TEST(IdentityKeys, LengthPrefixedKindIdAndNumber) {
    EXPECT_EQ(IdentityKey("paint", "sky", 0), "5:paint:3:sky:0");
    EXPECT_EQ(IdentityKey("command-sequence", "", 12), "16:command-sequence:0::12");
    EXPECT_EQ(IdentityKey("image-generation", "a:b", -3), "16:image-generation:3:a:b:-3");
}

TEST(IdentityHash, WorkedExamples) {
    EXPECT_EQ(IdentityHash("a", 8192), 562);
    EXPECT_EQ(IdentityHash("@", 8192), 629);
    EXPECT_EQ(IdentityHash(" ", 8192), 632);
    EXPECT_EQ(IdentityHash("A", 8192), 588);
    EXPECT_NE(IdentityHash(".", 8192), IdentityHash("_", 8192));
    EXPECT_EQ(IdentityHash("5:paint:3:sky:0", 8192), 2131);
    EXPECT_EQ(IdentityHash("16:command-sequence:0::12", 8192), 8165);
    EXPECT_EQ(IdentityHash("5:paint:3:sky:0", 64), 19);
    EXPECT_EQ(IdentityHash("16:command-sequence:0::12", 64), 37);
    EXPECT_EQ(IdentityHash("5:paint:3:sky:0", 1), 0);
}

TEST(IdentityHash, AnyBucketCountUsesTheSameRecurrence) {
    EXPECT_EQ(IdentityHash("5:paint:3:sky:0", 10007), 6373);
    EXPECT_EQ(IdentityHash("16:command-sequence:0::12", 100), 73);
    EXPECT_EQ(IdentityHash("5:paint:3:sky:0", 1 << 30), 415320147);
    EXPECT_EQ(IdentityHash("zzzzzzzzzzzzzzzzzzzz", 1 << 30), 599207449);
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

TEST(IdentityHash, HostileInputsStayInRange) {
    std::string big(100000, '\xff');
    EXPECT_EQ(IdentityHash(big, 1), 0);
    int32_t h = IdentityHash(big, INT32_MAX);
    EXPECT_GE(h, 0);
    EXPECT_EQ(IdentityHash("", 8), 1);  // 17 mod 8: never outside the buckets
    EXPECT_EQ(IdentityHash("a", 0), -1);
    EXPECT_EQ(IdentityHash("a", -5), -1);
}

}  // namespace
}  // namespace rava
