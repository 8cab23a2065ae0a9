// Per-kind resource validation: inclusive limits just inside and just
// outside, rule order and the exact messages.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

TEST(PaintValidation, ChannelsRadiusBorderAndOpacity) {
    EXPECT_EQ(ValidatePaint(Paint("")), "render paint requires a nonempty id");
    const std::string channels = "render paint p requires RGBA channels from 0 through 255";
    for (int32_t v : {0, 255}) {
        RenderPaint p = Paint("p");
        p.red = p.green = p.blue = p.alpha = v;
        EXPECT_EQ(ValidatePaint(p), "");
    }
    for (int32_t v : {-1, 256, INT32_MIN, INT32_MAX}) {
        RenderPaint p = Paint("p");
        p.red = v;
        EXPECT_EQ(ValidatePaint(p), channels);
        p = Paint("p");
        p.alpha = v;
        EXPECT_EQ(ValidatePaint(p), channels);
    }
    RenderPaint p = Paint("p");
    p.radius = -1;
    EXPECT_EQ(ValidatePaint(p), "render paint p requires nonnegative radius and border width");
    p = Paint("p");
    p.borderWidth = -1;
    EXPECT_EQ(ValidatePaint(p), "render paint p requires nonnegative radius and border width");
    p.borderWidth = INT32_MAX;
    EXPECT_EQ(ValidatePaint(p), "");
    EXPECT_EQ(ValidatePaint(Paint("p", 0)), "");
    EXPECT_EQ(ValidatePaint(Paint("p", -1)), "render paint p requires opacity from 0 through 100");
    EXPECT_EQ(ValidatePaint(Paint("p", 101)), "render paint p requires opacity from 0 through 100");
    // Rule order: channels before opacity.
    p = Paint("p", 101);
    p.green = 256;
    EXPECT_EQ(ValidatePaint(p), channels);
}

TEST(ImageValidation, IdentityKindGenerationFormatSpaceAlpha) {
    const std::string first = "render image requires id/content identity of at most 64 bytes and a source";
    RenderImage longId = ReadyImage(std::string(64, 'i'), 1);
    longId.contentIdentity = "c";
    EXPECT_EQ(ValidateImage(longId), "");
    longId.id.push_back('i');
    EXPECT_EQ(ValidateImage(longId), first);
    EXPECT_EQ(ValidateImage(ReadyImage("", 1)), first);
    RenderImage i = ReadyImage("im", 1);
    i.contentIdentity = std::string(65, 'c');
    EXPECT_EQ(ValidateImage(i), first);
    i.contentIdentity = std::string(64, 'c');
    EXPECT_EQ(ValidateImage(i), "");
    i.contentIdentity.clear();
    EXPECT_EQ(ValidateImage(i), first);
    i = ReadyImage("im", 1);
    i.source.clear();
    EXPECT_EQ(ValidateImage(i), first);

    i = ReadyImage("im", 1);
    i.kind = "Image";
    EXPECT_EQ(ValidateImage(i), "render image im requires kind=image, received Image");
    EXPECT_EQ(ValidateImage(ReadyImage("im", 0)), "render image im requires a positive generation");
    EXPECT_EQ(ValidateImage(ReadyImage("im", INT32_MIN)), "render image im requires a positive generation");
    i = ReadyImage("im", 1);
    i.format = "rgba8-hex";
    EXPECT_EQ(ValidateImage(i), "render image im format rgba8-hex is unsupported; admitted format is bgra8-hex");
    for (const char* space : {"srgb", "linear-srgb", "display-p3", "rec2020"}) {
        i = ReadyImage("im", 1);
        i.colorSpace = space;
        EXPECT_EQ(ValidateImage(i), "");
    }
    i.colorSpace = "SRGB";
    EXPECT_EQ(ValidateImage(i),
              "render image im colorSpace SRGB is unsupported; admitted named SDR spaces are srgb, linear-srgb, "
              "display-p3, and rec2020");
    i = ReadyImage("im", 1);
    i.alphaMode = "premultiplied";
    EXPECT_EQ(ValidateImage(i), "render image im requires alphaMode=straight");
    i = ReadyImage("im", 1);
    i.state = "gone";
    EXPECT_EQ(ValidateImage(i), "render image im has unsupported state gone");
}

TEST(ImageValidation, ReadyImagesCarryExactHexPixels) {
    RenderImage i = ReadyImage("im", 1);
    i.resident = false;
    EXPECT_EQ(ValidateImage(i), "render image im ready state requires resident pixels");

    EXPECT_EQ(ValidateImage(ReadyImage("im", 1, 512, 512)), "");
    const std::string dims = "render image im dimensions must be within 1..512";
    EXPECT_EQ(ValidateImage(ReadyImage("im", 1, 513, 1)), dims);
    EXPECT_EQ(ValidateImage(ReadyImage("im", 1, 1, 0)), dims);
    i = ReadyImage("im", 1);
    i.width = INT32_MIN;
    EXPECT_EQ(ValidateImage(i), dims);

    i = ReadyImage("im", 1);
    i.sizeBytes = 15;
    EXPECT_EQ(ValidateImage(i), "render image im byte size must equal width*height*4 within 1048576 bytes");
    i = ReadyImage("im", 1);
    i.payloadHex.pop_back();
    EXPECT_EQ(ValidateImage(i), "render image im BGRA8 hex payload length must equal sizeBytes*2");
    i = ReadyImage("im", 1);
    i.payloadHex = std::string(32, 'F');
    EXPECT_EQ(ValidateImage(i), "");
    for (char bad : {'g', ' ', 'G', '\0'}) {
        i.payloadHex[5] = bad;
        EXPECT_EQ(ValidateImage(i), "render image im BGRA8 payload contains a non-hexadecimal byte") << int(bad);
    }
}

TEST(ImageValidation, PlaceholdersCarryNoPixels) {
    const std::string message = "render image im placeholder state requires nonresident empty payload metadata";
    for (const char* state : {"loading", "empty", "error"}) {
        RenderImage i = LoadingImage("im", 1);
        i.state = state;
        EXPECT_EQ(ValidateImage(i), "");
        i.width = INT32_MAX;  // announced dimensions are not limited
        EXPECT_EQ(ValidateImage(i), "");
        i.width = -1;
        EXPECT_EQ(ValidateImage(i), message);
    }
    RenderImage i = LoadingImage("im", 1);
    i.resident = true;
    EXPECT_EQ(ValidateImage(i), message);
    i = LoadingImage("im", 1);
    i.sizeBytes = 4;
    EXPECT_EQ(ValidateImage(i), message);
    i = LoadingImage("im", 1);
    i.payloadHex = "00";
    EXPECT_EQ(ValidateImage(i), message);
}

TEST(GlyphValidation, Sha256IdentityAndSource) {
    const std::string sha = "render glyph alpha resource requires a sha256 content identity";
    EXPECT_EQ(ValidateGlyph(Glyph(GlyphId())), "");
    EXPECT_EQ(ValidateGlyph(Glyph("sha256:" + std::string(64, 'A'))), "");
    EXPECT_EQ(ValidateGlyph(Glyph("sha256:" + std::string(63, 'a'))), sha);
    EXPECT_EQ(ValidateGlyph(Glyph("sha256:" + std::string(65, 'a'))), sha);
    EXPECT_EQ(ValidateGlyph(Glyph("sha256:" + std::string(63, 'a') + "z")), sha);
    EXPECT_EQ(ValidateGlyph(Glyph("SHA256:" + std::string(64, 'a'))), sha);
    EXPECT_EQ(ValidateGlyph(Glyph("")), sha);
    RenderGlyphAlpha g = Glyph(GlyphId());
    g.source.clear();
    EXPECT_EQ(ValidateGlyph(g), "render glyph alpha resource " + GlyphId() + " requires a source");
    g = Glyph(GlyphId());
    g.format = "a8-unorm";
    EXPECT_EQ(ValidateGlyph(g), "render glyph alpha resource " + GlyphId() + " format must be a8-unorm-hex");
}

TEST(GlyphValidation, DimensionsPackingAndPayload) {
    const std::string prefix = "render glyph alpha resource " + GlyphId();
    EXPECT_EQ(ValidateGlyph(Glyph(GlyphId(), 4096, 128)), "");
    EXPECT_EQ(ValidateGlyph(Glyph(GlyphId(), 4096, 129)), prefix + " requires tightly packed rows within 512 KiB");
    EXPECT_EQ(ValidateGlyph(Glyph(GlyphId(), 4097, 1)), prefix + " dimensions must be within 1..4096");
    EXPECT_EQ(ValidateGlyph(Glyph(GlyphId(), 1, 0)), prefix + " dimensions must be within 1..4096");
    RenderGlyphAlpha g = Glyph(GlyphId());
    g.rowBytes = 4;
    EXPECT_EQ(ValidateGlyph(g), prefix + " requires tightly packed rows within 512 KiB");
    g = Glyph(GlyphId());
    g.sizeBytes = 7;
    EXPECT_EQ(ValidateGlyph(g), prefix + " requires tightly packed rows within 512 KiB");
    g = Glyph(GlyphId(), 4096, 4096);  // 16 MiB area: must not overflow, must fail
    g.payloadHex.clear();
    g.sizeBytes = 4096 * 4096;
    EXPECT_EQ(ValidateGlyph(g), prefix + " requires tightly packed rows within 512 KiB");
    g = Glyph(GlyphId());
    g.payloadHex += "00";
    EXPECT_EQ(ValidateGlyph(g), prefix + " payload must be exact A8 hexadecimal data");
    g = Glyph(GlyphId());
    g.payloadHex[0] = 'g';
    EXPECT_EQ(ValidateGlyph(g), prefix + " payload must be exact A8 hexadecimal data");
}

TEST(ClipValidation, IdLengthAndPositiveBounds) {
    EXPECT_EQ(ValidateClip(Clip(std::string(256, 'c'))), "");
    EXPECT_EQ(ValidateClip(Clip(std::string(257, 'c'))), "retained resource clip requires an id of 1..256 bytes");
    EXPECT_EQ(ValidateClip(Clip("")), "retained resource clip requires an id of 1..256 bytes");
    RenderClip c = Clip("c");
    c.x = INT32_MIN;
    c.y = INT32_MAX;
    EXPECT_EQ(ValidateClip(c), "");
    for (auto mutate : {+[](RenderClip& k) { k.width = 0; }, +[](RenderClip& k) { k.height = -1; },
                        +[](RenderClip& k) { k.radius = -1; }}) {
        c = Clip("c");
        mutate(c);
        EXPECT_EQ(ValidateClip(c), "retained resource clip c requires positive bounds and a nonnegative radius");
    }
}

TEST(TransformValidation, ReservedIdAndRanges) {
    EXPECT_EQ(ValidateTransform(Transform(std::string(64, 't'))), "");
    EXPECT_EQ(ValidateTransform(Transform(std::string(65, 't'))),
              "render transform requires a nonempty id of at most 64 bytes");
    EXPECT_EQ(ValidateTransform(Transform("")), "render transform requires a nonempty id of at most 64 bytes");
    EXPECT_EQ(ValidateTransform(Transform("identity")),
              "render transform id identity is reserved for the built-in identity transform");
    EXPECT_EQ(ValidateTransform({"t", 1000000, -1000000, 1, 10000, -360000}), "");
    EXPECT_EQ(ValidateTransform({"t", 1000001, 0, 100, 100, 0}),
              "render transform t translation must be within -1000000..1000000");
    EXPECT_EQ(ValidateTransform({"t", 0, -1000001, 100, 100, 0}),
              "render transform t translation must be within -1000000..1000000");
    EXPECT_EQ(ValidateTransform({"t", 0, 0, 0, 100, 0}), "render transform t scale must be within 1..10000 percent");
    EXPECT_EQ(ValidateTransform({"t", 0, 0, 100, 10001, 0}), "render transform t scale must be within 1..10000 percent");
    EXPECT_EQ(ValidateTransform({"t", 0, 0, 100, 100, 360001}),
              "render transform t rotation must be within -360000..360000 millidegrees");
    EXPECT_EQ(ValidateTransform({"t", 0, 0, 100, 100, INT32_MIN}),
              "render transform t rotation must be within -360000..360000 millidegrees");
}

}  // namespace
}  // namespace rava
