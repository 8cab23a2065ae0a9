// Canonical "<kind>-v1|..." signatures of the seven records. Texts are length
// prefixed and numbers rendered in signed decimal, so a signature is
// unambiguous without escaping and equal signatures mean equal fields.
#include "retained/render_records.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

std::string Num(int32_t value) { return std::to_string(value); }
std::string Flag(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string PaintSignature(const RenderPaint& p) {
    return FormatPositional("paint-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}",
                            {LengthPrefixedText(p.id), Num(p.red), Num(p.green), Num(p.blue), Num(p.alpha),
                             Num(p.radius), Num(p.borderWidth), Num(p.opacity)});
}

std::string ImageSignature(const RenderImage& i) {
    return FormatPositional("image-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}",
                            {LengthPrefixedText(i.id), LengthPrefixedText(i.kind), Num(i.generation), Num(i.width),
                             Num(i.height), Num(i.sizeBytes), LengthPrefixedText(i.format),
                             LengthPrefixedText(i.colorSpace), LengthPrefixedText(i.alphaMode),
                             LengthPrefixedText(i.state), Flag(i.resident), LengthPrefixedText(i.contentIdentity),
                             LengthPrefixedText(i.payloadHex), LengthPrefixedText(i.source)});
}

std::string GlyphSignature(const RenderGlyphAlpha& g) {
    return FormatPositional("glyph-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}",
                            {LengthPrefixedText(g.id), Num(g.width), Num(g.height), Num(g.rowBytes),
                             Num(g.sizeBytes), LengthPrefixedText(g.format), LengthPrefixedText(g.payloadHex),
                             LengthPrefixedText(g.source)});
}

std::string ClipSignature(const RenderClip& c) {
    return FormatPositional("clip-v1|{0}|{1}|{2}|{3}|{4}|{5}", {LengthPrefixedText(c.id), Num(c.x), Num(c.y),
                                                                 Num(c.width), Num(c.height), Num(c.radius)});
}

std::string TransformSignature(const RenderTransform& t) {
    return FormatPositional("transform-v1|{0}|{1}|{2}|{3}|{4}|{5}",
                            {LengthPrefixedText(t.id), Num(t.translateX), Num(t.translateY), Num(t.scaleXPercent),
                             Num(t.scaleYPercent), Num(t.rotationMillidegrees)});
}

std::string CommandSignature(const RenderCommand& c) {
    std::string head = FormatPositional(
        "command-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|{15}|{16}|{17}|{18}|{19}",
        {Num(c.sequence), LengthPrefixedText(c.owner), LengthPrefixedText(c.kind), LengthPrefixedText(c.stringArg1),
         LengthPrefixedText(c.stringArg2), LengthPrefixedText(c.resourceId), Num(c.imageGeneration),
         LengthPrefixedText(c.paintId), LengthPrefixedText(c.clipId), LengthPrefixedText(c.transformId),
         Num(c.intArg1), Num(c.intArg2), Num(c.intArg3), Num(c.intArg4), LengthPrefixedText(c.stringArg3),
         LengthPrefixedText(c.stringArg4), LengthPrefixedText(c.stringArg5), LengthPrefixedText(c.stringArg6),
         LengthPrefixedText(c.stringArg7), LengthPrefixedText(c.stringArg8)});
    return FormatPositional(
        "{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|{15}|{16}|{17}|{18}|{19}|{20}|{21}|{22}|{23}",
        {head,           Num(c.intArg5),  Num(c.intArg6),  Num(c.intArg7),  Num(c.intArg8),  Num(c.intArg9),
         Num(c.intArg10), Num(c.intArg11), Num(c.intArg12), Num(c.intArg13), Num(c.intArg14), Num(c.intArg15),
         Num(c.intArg16), Num(c.intArg17), Num(c.intArg18), Num(c.intArg19), Num(c.intArg20), Num(c.intArg21),
         Num(c.intArg22), Flag(c.glyphOptional), "end",        "1",              "1",              "1"});
}

std::string FragmentSignature(const RenderFragment& f) {
    return FormatPositional(
        "fragment-v1|{0}|{1}|{2}|{3}|{4}|{5}|{6}|{7}|{8}|{9}|{10}|{11}|{12}|{13}|{14}|{15}|{16}|{17}|{18}",
        {LengthPrefixedText(f.id), Num(f.generation), Num(f.userValue), Num(f.layoutBounds.x), Num(f.layoutBounds.y),
         Num(f.layoutBounds.width), Num(f.layoutBounds.height), Num(f.inkBounds.x), Num(f.inkBounds.y),
         Num(f.inkBounds.width), Num(f.inkBounds.height), LengthPrefixedText(f.dependencyKey1),
         LengthPrefixedText(f.dependencyKey2), LengthPrefixedText(f.dependencyKey3),
         LengthPrefixedText(f.dependencyKey4), LengthPrefixedText(f.dependencyKey5),
         LengthPrefixedText(f.dependencySource), LengthPrefixedText(f.source), std::to_string(f.commands.size())});
}

}  // namespace rava
