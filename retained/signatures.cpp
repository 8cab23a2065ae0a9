// Canonical "<kind>-v1|..." signatures of the seven records. Texts are length
// prefixed and numbers rendered in signed decimal, so a signature is
// unambiguous without escaping and equal signatures mean equal fields.
#include <charconv>
#include <cstring>

#include "retained/render_records.h"

namespace rava {
namespace {

// A signature's fields are listed once, as a generic lambda over a writer,
// and run twice: first to bound the length, then to write the text into one
// buffer. Equivalent to filling the record's positional template: each field
// is written once, never rescanned.
class SignatureBound {
public:
    explicit SignatureBound(std::string_view head) : bytes_(head.size()) {}
    SignatureBound& Text(std::string_view value) { return Add(value.size() + 24); }
    SignatureBound& Int(int64_t) { return Add(24); }
    SignatureBound& Bool(bool) { return Add(8); }
    SignatureBound& Literal(std::string_view value) { return Add(value.size() + 1); }
    size_t Bytes() const { return bytes_; }

private:
    SignatureBound& Add(size_t bytes) {
        bytes_ += bytes;
        return *this;
    }
    size_t bytes_;
};

class SignatureWriter {
public:
    SignatureWriter(char* out, std::string_view head) : p_(out) { Copy(head); }
    SignatureWriter& Text(std::string_view value) {
        *p_++ = '|';
        Decimal(static_cast<int64_t>(value.size()));
        *p_++ = ':';
        Copy(value);
        return *this;
    }
    SignatureWriter& Int(int64_t value) {
        *p_++ = '|';
        Decimal(value);
        return *this;
    }
    SignatureWriter& Bool(bool value) { return Literal(value ? "true" : "false"); }
    SignatureWriter& Literal(std::string_view value) {
        *p_++ = '|';
        Copy(value);
        return *this;
    }
    char* End() const { return p_; }

private:
    void Copy(std::string_view value) {
        if (!value.empty()) std::memcpy(p_, value.data(), value.size());
        p_ += value.size();
    }
    void Decimal(int64_t value) {
        if (value >= 0 && value < 10) *p_++ = static_cast<char>('0' + value);
        else p_ = std::to_chars(p_, p_ + 21, value).ptr;
    }
    char* p_;
};

// Writes the signature into a stack buffer (a heap one for long texts) and
// hands the text to `use`.
template <typename Fields, typename Use>
auto WithSignature(std::string_view head, const Fields& fields, const Use& use) {
    SignatureBound bound(head);
    fields(bound);
    char stack[1024];
    std::string heap;
    char* begin = stack;
    if (bound.Bytes() > sizeof(stack)) {
        heap.resize(bound.Bytes());
        begin = heap.data();
    }
    SignatureWriter writer(begin, head);
    fields(writer);
    return use(std::string_view(begin, static_cast<size_t>(writer.End() - begin)));
}

template <typename Fields>
std::string Sign(std::string_view head, const Fields& fields) {
    return WithSignature(head, fields, [](std::string_view text) { return std::string(text); });
}

// Compares a record's signature with a kept one piece by piece as it would
// be written, stopping at the first difference: no buffer, no length pass.
class SignatureMatcher {
public:
    SignatureMatcher(std::string_view kept, std::string_view head) : rest_(kept) { Expect(head); }
    SignatureMatcher& Text(std::string_view value) {
        Expect("|");
        Decimal(static_cast<int64_t>(value.size()));
        Expect(":");
        Expect(value);
        return *this;
    }
    SignatureMatcher& Int(int64_t value) {
        Expect("|");
        Decimal(value);
        return *this;
    }
    SignatureMatcher& Bool(bool value) { return Literal(value ? "true" : "false"); }
    SignatureMatcher& Literal(std::string_view value) {
        Expect("|");
        Expect(value);
        return *this;
    }
    bool Matched() const { return same_ && rest_.empty(); }

private:
    void Expect(std::string_view piece) {
        if (!same_) return;
        if (rest_.substr(0, piece.size()) != piece) {
            same_ = false;
            return;
        }
        rest_.remove_prefix(piece.size());
    }
    void Decimal(int64_t value) {
        char digits[24];
        Expect(std::string_view(digits, static_cast<size_t>(std::to_chars(digits, digits + sizeof(digits), value).ptr -
                                                            digits)));
    }
    std::string_view rest_;
    bool same_ = true;
};

template <typename Fields>
bool SignsAs(std::string_view head, const Fields& fields, std::string_view kept) {
    SignatureMatcher matcher(kept, head);
    fields(matcher);
    return matcher.Matched();
}

// Field lists, in template order.
constexpr auto kPaintFields = [](const RenderPaint& p) {
    return [&p](auto& s) {
        s.Text(p.id).Int(p.red).Int(p.green).Int(p.blue).Int(p.alpha).Int(p.radius).Int(p.borderWidth).Int(p.opacity);
    };
};
constexpr auto kImageFields = [](const RenderImage& i) {
    return [&i](auto& s) {
        s.Text(i.id).Text(i.kind).Int(i.generation).Int(i.width).Int(i.height).Int(i.sizeBytes).Text(i.format)
            .Text(i.colorSpace).Text(i.alphaMode).Text(i.state).Bool(i.resident).Text(i.contentIdentity)
            .Text(i.payloadHex).Text(i.source);
    };
};
constexpr auto kGlyphFields = [](const RenderGlyphAlpha& g) {
    return [&g](auto& s) {
        s.Text(g.id).Int(g.width).Int(g.height).Int(g.rowBytes).Int(g.sizeBytes).Text(g.format).Text(g.payloadHex)
            .Text(g.source);
    };
};
constexpr auto kClipFields = [](const RenderClip& c) {
    return [&c](auto& s) { s.Text(c.id).Int(c.x).Int(c.y).Int(c.width).Int(c.height).Int(c.radius); };
};
constexpr auto kTransformFields = [](const RenderTransform& t) {
    return [&t](auto& s) {
        s.Text(t.id).Int(t.translateX).Int(t.translateY).Int(t.scaleXPercent).Int(t.scaleYPercent)
            .Int(t.rotationMillidegrees);
    };
};
// Head "command-v1|{0}|...|{19}" (sequence through stringArg8), then
// "{0}|{1}|...|{23}": the head, intArg5..intArg22, glyphOptional, "end", 1, 1, 1.
constexpr auto kCommandFields = [](const RenderCommand& c) {
    return [&c](auto& s) {
        s.Int(c.sequence).Text(c.owner).Text(c.kind).Text(c.stringArg1).Text(c.stringArg2).Text(c.resourceId)
            .Int(c.imageGeneration).Text(c.paintId).Text(c.clipId).Text(c.transformId)
            .Int(c.intArg1).Int(c.intArg2).Int(c.intArg3).Int(c.intArg4)
            .Text(c.stringArg3).Text(c.stringArg4).Text(c.stringArg5).Text(c.stringArg6).Text(c.stringArg7)
            .Text(c.stringArg8);
        s.Int(c.intArg5).Int(c.intArg6).Int(c.intArg7).Int(c.intArg8).Int(c.intArg9).Int(c.intArg10).Int(c.intArg11)
            .Int(c.intArg12).Int(c.intArg13).Int(c.intArg14).Int(c.intArg15).Int(c.intArg16).Int(c.intArg17)
            .Int(c.intArg18).Int(c.intArg19).Int(c.intArg20).Int(c.intArg21).Int(c.intArg22);
        s.Bool(c.glyphOptional).Literal("end").Literal("1").Literal("1").Literal("1");
    };
};
// {18} is the command count.
constexpr auto kFragmentFields = [](const RenderFragment& f) {
    return [&f](auto& s) {
        s.Text(f.id).Int(f.generation).Int(f.userValue)
            .Int(f.layoutBounds.x).Int(f.layoutBounds.y).Int(f.layoutBounds.width).Int(f.layoutBounds.height)
            .Int(f.inkBounds.x).Int(f.inkBounds.y).Int(f.inkBounds.width).Int(f.inkBounds.height)
            .Text(f.dependencyKey1).Text(f.dependencyKey2).Text(f.dependencyKey3).Text(f.dependencyKey4)
            .Text(f.dependencyKey5).Text(f.dependencySource).Text(f.source)
            .Int(static_cast<int64_t>(f.commands.size()));
    };
};

}  // namespace

std::string PaintSignature(const RenderPaint& p) { return Sign("paint-v1", kPaintFields(p)); }
std::string ImageSignature(const RenderImage& i) { return Sign("image-v1", kImageFields(i)); }
std::string GlyphSignature(const RenderGlyphAlpha& g) { return Sign("glyph-v1", kGlyphFields(g)); }
std::string ClipSignature(const RenderClip& c) { return Sign("clip-v1", kClipFields(c)); }
std::string TransformSignature(const RenderTransform& t) { return Sign("transform-v1", kTransformFields(t)); }
std::string CommandSignature(const RenderCommand& c) { return Sign("command-v1", kCommandFields(c)); }
std::string FragmentSignature(const RenderFragment& f) { return Sign("fragment-v1", kFragmentFields(f)); }

bool SignsAs(const RenderPaint& p, std::string_view s) { return SignsAs("paint-v1", kPaintFields(p), s); }
bool SignsAs(const RenderImage& i, std::string_view s) { return SignsAs("image-v1", kImageFields(i), s); }
bool SignsAs(const RenderGlyphAlpha& g, std::string_view s) { return SignsAs("glyph-v1", kGlyphFields(g), s); }
bool SignsAs(const RenderClip& c, std::string_view s) { return SignsAs("clip-v1", kClipFields(c), s); }
bool SignsAs(const RenderTransform& t, std::string_view s) { return SignsAs("transform-v1", kTransformFields(t), s); }
bool SignsAs(const RenderCommand& c, std::string_view s) { return SignsAs("command-v1", kCommandFields(c), s); }
bool SignsAs(const RenderFragment& f, std::string_view s) { return SignsAs("fragment-v1", kFragmentFields(f), s); }

}  // namespace rava
