// Validation rules of the five resource kinds, each list in its fixed order
// with its exact message. Products of dimensions are taken in 64 bits so that
// hostile sizes cannot overflow before they are compared.
#include <cstdint>

#include "retained/validation.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

bool OutOf(int32_t value, int32_t lo, int32_t hi) { return value < lo || value > hi; }

constexpr std::string_view kSha256Prefix = "sha256:";
constexpr size_t kSha256IdBytes = 71;
constexpr int32_t kMaxImageSide = 512;
constexpr int32_t kMaxGlyphSide = 4096;
constexpr int64_t kMaxGlyphBytes = 524288;

}  // namespace

bool IsHexadecimal(std::string_view text) {
    for (char c : text) {
        bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) return false;
    }
    return true;
}

std::string ValidatePaint(const RenderPaint& p) {
    if (p.id.empty()) return "render paint requires a nonempty id";
    if (OutOf(p.red, 0, 255) || OutOf(p.green, 0, 255) || OutOf(p.blue, 0, 255) || OutOf(p.alpha, 0, 255)) {
        return Format("render paint {0} requires RGBA channels from 0 through 255", {p.id});
    }
    if (p.radius < 0 || p.borderWidth < 0) {
        return Format("render paint {0} requires nonnegative radius and border width", {p.id});
    }
    if (OutOf(p.opacity, 0, 100)) return Format("render paint {0} requires opacity from 0 through 100", {p.id});
    return "";
}

std::string ValidateImage(const RenderImage& i) {
    if (i.id.empty() || i.id.size() > 64 || i.contentIdentity.empty() || i.contentIdentity.size() > 64 ||
        i.source.empty()) {
        return "render image requires id/content identity of at most 64 bytes and a source";
    }
    if (i.kind != "image") return Format("render image {0} requires kind=image, received {1}", {i.id, i.kind});
    if (i.generation <= 0) return Format("render image {0} requires a positive generation", {i.id});
    if (i.format != "bgra8-hex") {
        return Format("render image {0} format {1} is unsupported; admitted format is bgra8-hex", {i.id, i.format});
    }
    if (i.colorSpace != "srgb" && i.colorSpace != "linear-srgb" && i.colorSpace != "display-p3" &&
        i.colorSpace != "rec2020") {
        return Format(
            "render image {0} colorSpace {1} is unsupported; admitted named SDR spaces are srgb, linear-srgb, "
            "display-p3, and rec2020",
            {i.id, i.colorSpace});
    }
    if (i.alphaMode != "straight") return Format("render image {0} requires alphaMode=straight", {i.id});
    bool ready = i.state == "ready";
    if (!ready && i.state != "loading" && i.state != "empty" && i.state != "error") {
        return Format("render image {0} has unsupported state {1}", {i.id, i.state});
    }
    if (ready) {
        if (!i.resident) return Format("render image {0} ready state requires resident pixels", {i.id});
        if (OutOf(i.width, 1, kMaxImageSide) || OutOf(i.height, 1, kMaxImageSide)) {
            return Format("render image {0} dimensions must be within 1..512", {i.id});
        }
        int64_t pixels = static_cast<int64_t>(i.width) * i.height;
        if (i.sizeBytes != pixels * 4) {
            return Format("render image {0} byte size must equal width*height*4 within 1048576 bytes", {i.id});
        }
        if (static_cast<int64_t>(i.payloadHex.size()) != pixels * 8) {
            return Format("render image {0} BGRA8 hex payload length must equal sizeBytes*2", {i.id});
        }
        if (!IsHexadecimal(i.payloadHex)) {
            return Format("render image {0} BGRA8 payload contains a non-hexadecimal byte", {i.id});
        }
        return "";
    }
    if (i.resident || i.sizeBytes != 0 || !i.payloadHex.empty() || i.width < 0 || i.height < 0) {
        return Format("render image {0} placeholder state requires nonresident empty payload metadata", {i.id});
    }
    return "";
}

std::string ValidateGlyph(const RenderGlyphAlpha& g) {
    bool sha = g.id.size() == kSha256IdBytes && g.id.compare(0, kSha256Prefix.size(), kSha256Prefix) == 0 &&
               IsHexadecimal(std::string_view(g.id).substr(kSha256Prefix.size()));
    if (!sha) return "render glyph alpha resource requires a sha256 content identity";
    if (g.source.empty()) return Format("render glyph alpha resource {0} requires a source", {g.id});
    if (g.format != "a8-unorm-hex") return Format("render glyph alpha resource {0} format must be a8-unorm-hex", {g.id});
    if (OutOf(g.width, 1, kMaxGlyphSide) || OutOf(g.height, 1, kMaxGlyphSide)) {
        return Format("render glyph alpha resource {0} dimensions must be within 1..4096", {g.id});
    }
    int64_t area = static_cast<int64_t>(g.width) * g.height;
    if (g.rowBytes != g.width || g.sizeBytes != area || g.sizeBytes < 1 || g.sizeBytes > kMaxGlyphBytes) {
        return Format("render glyph alpha resource {0} requires tightly packed rows within 512 KiB", {g.id});
    }
    if (static_cast<int64_t>(g.payloadHex.size()) != static_cast<int64_t>(g.sizeBytes) * 2 ||
        !IsHexadecimal(g.payloadHex)) {
        return Format("render glyph alpha resource {0} payload must be exact A8 hexadecimal data", {g.id});
    }
    return "";
}

std::string ValidateClip(const RenderClip& c) {
    if (c.id.empty() || c.id.size() > 256) return "retained resource clip requires an id of 1..256 bytes";
    if (c.width < 1 || c.height < 1 || c.radius < 0) {
        return Format("retained resource clip {0} requires positive bounds and a nonnegative radius", {c.id});
    }
    return "";
}

std::string ValidateTransform(const RenderTransform& t) {
    if (t.id.empty() || t.id.size() > 64) return "render transform requires a nonempty id of at most 64 bytes";
    if (t.id == "identity") return "render transform id identity is reserved for the built-in identity transform";
    if (OutOf(t.translateX, -1000000, 1000000) || OutOf(t.translateY, -1000000, 1000000)) {
        return Format("render transform {0} translation must be within -1000000..1000000", {t.id});
    }
    if (OutOf(t.scaleXPercent, 1, 10000) || OutOf(t.scaleYPercent, 1, 10000)) {
        return Format("render transform {0} scale must be within 1..10000 percent", {t.id});
    }
    if (OutOf(t.rotationMillidegrees, -360000, 360000)) {
        return Format("render transform {0} rotation must be within -360000..360000 millidegrees", {t.id});
    }
    return "";
}

}  // namespace rava
