// Per-kind resource validation: inclusive limits just inside and just
// outside, rule order and the exact messages.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

TEST(ResourceValidation, Paint) {
    using P = RenderPaint;
    const std::string channels = "render paint p requires RGBA channels from 0 through 255";
    const std::string radius = "render paint p requires nonnegative radius and border width";
    const std::string opacity = "render paint p requires opacity from 0 through 100";
    std::vector<Change<P>> rows = {
        {[](P& p) { p.id.clear(); }, "render paint requires a nonempty id"},
        {[](P& p) { p.red = p.green = p.blue = p.alpha = 0; }, ""},
        {[](P& p) { p.red = p.green = p.blue = p.alpha = 255; }, ""},
        {[](P& p) { p.radius = -1; }, radius},
        {[](P& p) { p.borderWidth = -1; }, radius},
        {[](P& p) { p.borderWidth = INT32_MAX; }, ""},
        {[](P& p) { p.opacity = 0; }, ""},
        {[](P& p) { p.opacity = -1; }, opacity},
        {[](P& p) { p.opacity = 101; }, opacity},
        {[](P& p) { p.opacity = 101; p.green = 256; }, channels},  // channels before opacity
    };
    for (int32_t v : {-1, 256, INT32_MIN, INT32_MAX}) {
        rows.push_back({[v](P& p) { p.red = v; }, channels});
        rows.push_back({[v](P& p) { p.alpha = v; }, channels});
    }
    ExpectMessages(Paint("p"), ValidatePaint, rows);
}

TEST(ResourceValidation, Image) {
    using I = RenderImage;
    const std::string identity = "render image requires id/content identity of at most 64 bytes and a source";
    const std::string dims = "render image im dimensions must be within 1..512";
    const std::string hex = "render image im BGRA8 payload contains a non-hexadecimal byte";
    const std::string placeholder = "render image im placeholder state requires nonresident empty payload metadata";
    std::vector<Change<I>> rows = {
        {[](I& i) { i.id.assign(64, 'i'); i.contentIdentity = "c"; }, ""},
        {[](I& i) { i.id.assign(65, 'i'); i.contentIdentity = "c"; }, identity},
        {[](I& i) { i.id.clear(); }, identity},
        {[](I& i) { i.contentIdentity.assign(64, 'c'); }, ""},
        {[](I& i) { i.contentIdentity.assign(65, 'c'); }, identity},
        {[](I& i) { i.contentIdentity.clear(); }, identity},
        {[](I& i) { i.source.clear(); }, identity},
        {[](I& i) { i.kind = "Image"; }, "render image im requires kind=image, received Image"},
        {[](I& i) { i.generation = 0; }, "render image im requires a positive generation"},
        {[](I& i) { i.generation = INT32_MIN; }, "render image im requires a positive generation"},
        {[](I& i) { i.format = "rgba8-hex"; },
         "render image im format rgba8-hex is unsupported; admitted format is bgra8-hex"},
        {[](I& i) { i.colorSpace = "SRGB"; },
         "render image im colorSpace SRGB is unsupported; admitted named SDR spaces are srgb, linear-srgb, "
         "display-p3, and rec2020"},
        {[](I& i) { i.alphaMode = "premultiplied"; }, "render image im requires alphaMode=straight"},
        {[](I& i) { i.state = "gone"; }, "render image im has unsupported state gone"},
        {[](I& i) { i.resident = false; }, "render image im ready state requires resident pixels"},
        {[](I& i) { i = ReadyImage("im", 1, 512, 512); }, ""},
        {[](I& i) { i = ReadyImage("im", 1, 513, 1); }, dims},
        {[](I& i) { i = ReadyImage("im", 1, 1, 0); }, dims},
        {[](I& i) { i.width = INT32_MIN; }, dims},
        {[](I& i) { i.sizeBytes = 15; }, "render image im byte size must equal width*height*4 within 1048576 bytes"},
        {[](I& i) { i.payloadHex.pop_back(); }, "render image im BGRA8 hex payload length must equal sizeBytes*2"},
        {[](I& i) { i.payloadHex.assign(32, 'F'); }, ""},
        // Placeholders carry no pixels.
        {[](I& i) { i = LoadingImage("im", 1); i.resident = true; }, placeholder},
        {[](I& i) { i = LoadingImage("im", 1); i.sizeBytes = 4; }, placeholder},
        {[](I& i) { i = LoadingImage("im", 1); i.payloadHex = "00"; }, placeholder},
    };
    for (const char* space : {"srgb", "linear-srgb", "display-p3", "rec2020"}) {
        rows.push_back({[space](I& i) { i.colorSpace = space; }, ""});
    }
    for (char bad : {'g', ' ', 'G', '\0'}) {
        rows.push_back({[bad](I& i) { i.payloadHex[5] = bad; }, hex});
    }
    for (const char* state : {"loading", "empty", "error"}) {
        rows.push_back({[state](I& i) { i = LoadingImage("im", 1); i.state = state; }, ""});
        // Announced dimensions of a placeholder are not limited, but not negative.
        rows.push_back({[state](I& i) { i = LoadingImage("im", 1); i.state = state; i.width = INT32_MAX; }, ""});
        rows.push_back({[state](I& i) { i = LoadingImage("im", 1); i.state = state; i.width = -1; }, placeholder});
    }
    ExpectMessages(ReadyImage("im", 1), ValidateImage, rows);
}

TEST(ResourceValidation, Glyph) {
    using G = RenderGlyphAlpha;
    const std::string sha = "render glyph alpha resource requires a sha256 content identity";
    const std::string prefix = "render glyph alpha resource " + GlyphId();
    const std::string dims = prefix + " dimensions must be within 1..4096";
    const std::string packed = prefix + " requires tightly packed rows within 512 KiB";
    const std::string payload = prefix + " payload must be exact A8 hexadecimal data";
    ExpectMessages<G>(Glyph(GlyphId()), ValidateGlyph, {
        {[](G& g) { g.id = "sha256:" + std::string(64, 'A'); }, ""},
        {[](G& g) { g.id = "sha256:" + std::string(63, 'a'); }, sha},
        {[](G& g) { g.id = "sha256:" + std::string(65, 'a'); }, sha},
        {[](G& g) { g.id = "sha256:" + std::string(63, 'a') + "z"; }, sha},
        {[](G& g) { g.id = "SHA256:" + std::string(64, 'a'); }, sha},
        {[](G& g) { g.id.clear(); }, sha},
        {[](G& g) { g.source.clear(); }, prefix + " requires a source"},
        {[](G& g) { g.format = "a8-unorm"; }, prefix + " format must be a8-unorm-hex"},
        {[](G& g) { g = Glyph(GlyphId(), 4096, 128); }, ""},
        {[](G& g) { g = Glyph(GlyphId(), 4096, 129); }, packed},
        {[](G& g) { g = Glyph(GlyphId(), 4097, 1); }, dims},
        {[](G& g) { g = Glyph(GlyphId(), 1, 0); }, dims},
        {[](G& g) { g.rowBytes = 4; }, packed},
        {[](G& g) { g.sizeBytes = 7; }, packed},
        // A 16 MiB area must fail without overflowing.
        {[](G& g) { g.width = g.height = g.rowBytes = 4096; g.sizeBytes = 4096 * 4096; }, packed},
        {[](G& g) { g.payloadHex += "00"; }, payload},
        {[](G& g) { g.payloadHex[0] = 'g'; }, payload},
    });
}

TEST(ResourceValidation, ClipAndTransform) {
    using C = RenderClip;
    const std::string bounds = "retained resource clip c requires positive bounds and a nonnegative radius";
    ExpectMessages<C>(Clip("c"), ValidateClip, {
        {[](C& c) { c.id.assign(256, 'c'); }, ""},
        {[](C& c) { c.id.assign(257, 'c'); }, "retained resource clip requires an id of 1..256 bytes"},
        {[](C& c) { c.id.clear(); }, "retained resource clip requires an id of 1..256 bytes"},
        {[](C& c) { c.x = INT32_MIN; c.y = INT32_MAX; }, ""},
        {[](C& c) { c.width = 0; }, bounds},
        {[](C& c) { c.height = -1; }, bounds},
        {[](C& c) { c.radius = -1; }, bounds},
        {[](C& c) { c.radius = 0; }, ""},
    });

    using T = RenderTransform;
    const std::string idRule = "render transform requires a nonempty id of at most 64 bytes";
    const std::string translation = "render transform t translation must be within -1000000..1000000";
    const std::string scale = "render transform t scale must be within 1..10000 percent";
    const std::string rotation = "render transform t rotation must be within -360000..360000 millidegrees";
    ExpectMessages<T>(Transform("t"), ValidateTransform, {
        {[](T& t) { t.id.assign(64, 't'); }, ""},
        {[](T& t) { t.id.assign(65, 't'); }, idRule},
        {[](T& t) { t.id.clear(); }, idRule},
        {[](T& t) { t.id = "identity"; },
         "render transform id identity is reserved for the built-in identity transform"},
        {[](T& t) { t = {"t", 1000000, -1000000, 1, 10000, -360000}; }, ""},
        {[](T& t) { t = {"t", -1000000, 1000000, 10000, 1, 360000}; }, ""},
        {[](T& t) { t.translateX = 1000001; }, translation},
        {[](T& t) { t.translateY = -1000001; }, translation},
        {[](T& t) { t.scaleXPercent = 0; }, scale},
        {[](T& t) { t.scaleYPercent = 10001; }, scale},
        {[](T& t) { t.rotationMillidegrees = 360001; }, rotation},
        {[](T& t) { t.rotationMillidegrees = INT32_MIN; }, rotation},
    });
}

}  // namespace
}  // namespace rava
