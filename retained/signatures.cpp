// Canonical "<kind>-v1|..." signatures of the seven records. Texts are length
// prefixed and numbers rendered in signed decimal, so a signature is
// unambiguous without escaping and equal signatures mean equal fields.
#include "retained/render_records.h"

namespace rava {
namespace {

// Appends "|"-separated fields to one buffer. Equivalent to filling the
// record's positional template: each field is written once, never rescanned.
class SignatureText {
public:
    explicit SignatureText(std::string_view head) : text_(head) { text_.reserve(160); }
    SignatureText& Text(std::string_view value) {
        text_ += '|';
        text_ += std::to_string(value.size());
        text_ += ':';
        text_ += value;
        return *this;
    }
    SignatureText& Int(int64_t value) {
        text_ += '|';
        text_ += std::to_string(value);
        return *this;
    }
    SignatureText& Bool(bool value) {
        text_ += value ? "|true" : "|false";
        return *this;
    }
    SignatureText& Literal(std::string_view value) {
        text_ += '|';
        text_ += value;
        return *this;
    }
    std::string Done() { return std::move(text_); }

private:
    std::string text_;
};

}  // namespace

// "paint-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}"
std::string PaintSignature(const RenderPaint& p) {
    return SignatureText("paint-v1")
        .Text(p.id).Int(p.red).Int(p.green).Int(p.blue).Int(p.alpha).Int(p.radius).Int(p.borderWidth).Int(p.opacity)
        .Done();
}

// "image-v1|{0}|...|{13}"
std::string ImageSignature(const RenderImage& i) {
    return SignatureText("image-v1")
        .Text(i.id).Text(i.kind).Int(i.generation).Int(i.width).Int(i.height).Int(i.sizeBytes).Text(i.format)
        .Text(i.colorSpace).Text(i.alphaMode).Text(i.state).Bool(i.resident).Text(i.contentIdentity)
        .Text(i.payloadHex).Text(i.source)
        .Done();
}

// "glyph-v1|{0}|...|{7}"
std::string GlyphSignature(const RenderGlyphAlpha& g) {
    return SignatureText("glyph-v1")
        .Text(g.id).Int(g.width).Int(g.height).Int(g.rowBytes).Int(g.sizeBytes).Text(g.format).Text(g.payloadHex)
        .Text(g.source)
        .Done();
}

// "clip-v1|{0}|{1}|{2}|{3}|{4}|{5}"
std::string ClipSignature(const RenderClip& c) {
    return SignatureText("clip-v1").Text(c.id).Int(c.x).Int(c.y).Int(c.width).Int(c.height).Int(c.radius).Done();
}

// "transform-v1|{0}|{1}|{2}|{3}|{4}|{5}"
std::string TransformSignature(const RenderTransform& t) {
    return SignatureText("transform-v1")
        .Text(t.id).Int(t.translateX).Int(t.translateY).Int(t.scaleXPercent).Int(t.scaleYPercent)
        .Int(t.rotationMillidegrees)
        .Done();
}

// Head "command-v1|{0}|...|{19}" (sequence through stringArg8), then
// "{0}|{1}|...|{23}": the head, intArg5..intArg22, glyphOptional, "end", 1, 1, 1.
std::string CommandSignature(const RenderCommand& c) {
    SignatureText s("command-v1");
    s.Int(c.sequence).Text(c.owner).Text(c.kind).Text(c.stringArg1).Text(c.stringArg2).Text(c.resourceId)
        .Int(c.imageGeneration).Text(c.paintId).Text(c.clipId).Text(c.transformId)
        .Int(c.intArg1).Int(c.intArg2).Int(c.intArg3).Int(c.intArg4)
        .Text(c.stringArg3).Text(c.stringArg4).Text(c.stringArg5).Text(c.stringArg6).Text(c.stringArg7)
        .Text(c.stringArg8);
    s.Int(c.intArg5).Int(c.intArg6).Int(c.intArg7).Int(c.intArg8).Int(c.intArg9).Int(c.intArg10).Int(c.intArg11)
        .Int(c.intArg12).Int(c.intArg13).Int(c.intArg14).Int(c.intArg15).Int(c.intArg16).Int(c.intArg17)
        .Int(c.intArg18).Int(c.intArg19).Int(c.intArg20).Int(c.intArg21).Int(c.intArg22);
    return s.Bool(c.glyphOptional).Literal("end").Literal("1").Literal("1").Literal("1").Done();
}

// "fragment-v1|{0}|...|{18}", {18} the command count.
std::string FragmentSignature(const RenderFragment& f) {
    return SignatureText("fragment-v1")
        .Text(f.id).Int(f.generation).Int(f.userValue)
        .Int(f.layoutBounds.x).Int(f.layoutBounds.y).Int(f.layoutBounds.width).Int(f.layoutBounds.height)
        .Int(f.inkBounds.x).Int(f.inkBounds.y).Int(f.inkBounds.width).Int(f.inkBounds.height)
        .Text(f.dependencyKey1).Text(f.dependencyKey2).Text(f.dependencyKey3).Text(f.dependencyKey4)
        .Text(f.dependencyKey5).Text(f.dependencySource).Text(f.source).Int(static_cast<int64_t>(f.commands.size()))
        .Done();
}

}  // namespace rava
