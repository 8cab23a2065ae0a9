// Builders of valid records and a snapshot of everything a client can read
// back from a store, so tests and the fuzzer can prove a refusal changed
// nothing. Free of test-framework code.
#pragma once

#include <string>
#include <vector>

#include "retained/retained_store.h"

namespace rava::testing {

inline RenderPaint Paint(std::string id, int32_t opacity = 100) { return {std::move(id), 255, 0, 0, 255, 0, 1, opacity}; }

inline RenderClip Clip(std::string id) { return {std::move(id), 0, -4, 10, 20, 3}; }

inline RenderTransform Transform(std::string id) { return {std::move(id), 5, -5, 100, 100, 0}; }

inline std::string HexBytes(int64_t bytes, char digit = 'a') { return std::string(static_cast<size_t>(bytes * 2), digit); }

inline RenderImage ReadyImage(std::string id, int32_t generation, int32_t width = 2, int32_t height = 2) {
    RenderImage i;
    i.id = std::move(id);
    i.kind = "image";
    i.generation = generation;
    i.width = width;
    i.height = height;
    i.sizeBytes = width * height * 4;
    i.format = "bgra8-hex";
    i.colorSpace = "srgb";
    i.alphaMode = "straight";
    i.state = "ready";
    i.resident = true;
    i.contentIdentity = "content-" + i.id;
    i.payloadHex = HexBytes(i.sizeBytes);
    i.source = "test";
    return i;
}

inline RenderImage LoadingImage(std::string id, int32_t generation) {
    RenderImage i = ReadyImage(std::move(id), generation);
    i.state = "loading";
    i.resident = false;
    i.width = 0;
    i.height = 0;
    i.sizeBytes = 0;
    i.payloadHex.clear();
    return i;
}

inline std::string GlyphId(char digit = '0') { return "sha256:" + std::string(64, digit); }

inline RenderGlyphAlpha Glyph(std::string id, int32_t width = 3, int32_t height = 2) {
    RenderGlyphAlpha g;
    g.id = std::move(id);
    g.width = width;
    g.height = height;
    g.rowBytes = width;
    g.sizeBytes = width * height;
    g.format = "a8-unorm-hex";
    g.payloadHex = HexBytes(g.sizeBytes, 'F');
    g.source = "font";
    return g;
}

inline RenderCommand Command(const std::string& owner, int32_t sequence, std::string kind = "rect") {
    RenderCommand c;
    c.sequence = sequence;
    c.owner = owner;
    c.kind = std::move(kind);
    return c;
}

// A valid fragment of `count` plain commands with sequences first..first+count-1.
inline RenderFragment Fragment(const std::string& id, int32_t generation = 1, int32_t first = 0, int32_t count = 1) {
    RenderFragment f;
    f.id = id;
    f.generation = generation;
    f.layoutBounds = {0, 0, 100, 50};
    f.inkBounds = {0, 0, 100, 50};
    f.dependencyKey1 = "k1";
    f.dependencyKey2 = "k2";
    f.dependencyKey3 = "k3";
    f.dependencyKey4 = "k4";
    f.dependencyKey5 = "k5";
    f.dependencySource = "layout";
    f.source = "test";
    for (int32_t i = 0; i < count; ++i) f.commands.push_back(Command(id, first + i));
    return f;
}

// Everything readable through the public operations.
struct StoreSnapshot {
    std::string diagnostics;
    std::vector<int32_t> numbers;
    std::vector<std::string> rows;

    bool operator==(const StoreSnapshot&) const = default;
};

// With rows false only the line and the counts: a cheap digest for callers
// that check many operations quickly.
inline StoreSnapshot Snapshot(const RetainedResourceStore& s, bool rows = true) {
    StoreSnapshot snap;
    // The line's other fields are all among the numbers below.
    snap.diagnostics = rows ? s.Diagnostics() : s.State();
    snap.numbers = {s.Revision(),       s.OwnerCount(),      s.CommandCount(),  s.PayloadBytes(),
                    s.ValidationCount(), s.ExplicitComparisonCount(), s.PayloadComparisonCount(),
                    s.AdmissionCount(),  s.IndexNodeCount(),  s.IndexBucketCount(), s.IndexProbeCount(),
                    s.PaintCount(),      s.ImageCount(),      s.GlyphCount(),     s.ClipCount(),
                    s.TransformCount(),  s.EntryCount()};
    if (!rows) return snap;
    for (int32_t r = 0; r < s.PaintCount(); ++r) snap.rows.push_back(PaintSignature(s.ReadStoredPaint(r)));
    for (int32_t r = 0; r < s.ImageCount(); ++r) snap.rows.push_back(ImageSignature(s.ReadStoredImage(r)));
    for (int32_t r = 0; r < s.GlyphCount(); ++r) snap.rows.push_back(GlyphSignature(s.ReadStoredGlyph(r)));
    for (int32_t r = 0; r < s.ClipCount(); ++r) snap.rows.push_back(ClipSignature(s.ReadStoredClip(r)));
    for (int32_t r = 0; r < s.TransformCount(); ++r) snap.rows.push_back(TransformSignature(s.ReadStoredTransform(r)));
    for (int32_t p = 0; p <= s.CommandCount(); ++p) {
        snap.numbers.insert(snap.numbers.end(), {s.CommandOwnerAt(p), s.CommandPaintRef(p), s.CommandImageRef(p),
                                                 s.CommandGlyphRef(p), s.CommandClipRef(p), s.CommandTransformRef(p)});
    }
    for (int32_t o = 0; o <= s.OwnerCount(); ++o) snap.numbers.push_back(s.OwnerGeneration(o));
    return snap;
}

inline ResourceDelta Delta(std::string surface = "main") {
    ResourceDelta d;
    d.surface = std::move(surface);
    return d;
}

}  // namespace rava::testing
