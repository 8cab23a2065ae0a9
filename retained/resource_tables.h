// Columnar resource tables: one column per record field in declaration order,
// one row per committed record. Rows are only appended and keep their
// position until Clear (store close). Read of a row outside the table
// answers a default record.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "retained/render_records.h"

namespace rava {

struct PaintTable {
    std::vector<std::string> ids;
    std::vector<int32_t> reds, greens, blues, alphas, radii, borderWidths, opacities;

    int32_t Size() const { return static_cast<int32_t>(ids.size()); }
    void Append(const RenderPaint& paint);
    RenderPaint Read(int32_t row) const;
    void Clear();
};

struct ImageTable {
    std::vector<std::string> ids, kinds;
    std::vector<int32_t> generations, widths, heights, sizes;
    std::vector<std::string> formats, colorSpaces, alphaModes, states;
    std::vector<bool> residents;
    std::vector<std::string> contentIdentities, payloads, sources;

    int32_t Size() const { return static_cast<int32_t>(ids.size()); }
    void Append(const RenderImage& image);
    RenderImage Read(int32_t row) const;
    // The generation column alone; 0 outside the table.
    int32_t GenerationAt(int32_t row) const;
    void Clear();
};

struct GlyphTable {
    std::vector<std::string> ids;
    std::vector<int32_t> widths, heights, rowBytes, sizes;
    std::vector<std::string> formats, payloads, sources;

    int32_t Size() const { return static_cast<int32_t>(ids.size()); }
    void Append(const RenderGlyphAlpha& glyph);
    RenderGlyphAlpha Read(int32_t row) const;
    void Clear();
};

struct ClipTable {
    std::vector<std::string> ids;
    std::vector<int32_t> xs, ys, widths, heights, radii;

    int32_t Size() const { return static_cast<int32_t>(ids.size()); }
    void Append(const RenderClip& clip);
    RenderClip Read(int32_t row) const;
    void Clear();
};

struct TransformTable {
    std::vector<std::string> ids;
    std::vector<int32_t> translateXs, translateYs, scaleXs, scaleYs, rotations;

    int32_t Size() const { return static_cast<int32_t>(ids.size()); }
    void Append(const RenderTransform& transform);
    RenderTransform Read(int32_t row) const;
    void Clear();
};

}  // namespace rava

namespace rava {

// One row per bound owner, appended at binding, never removed before close.
struct OwnerColumns {
    std::vector<std::string> ownerIds;
    std::vector<int32_t> ownerGenerations, rangeFirst, rangeLast, ownerStarts, ownerCommandCounts;

    int32_t Size() const { return static_cast<int32_t>(ownerIds.size()); }
    bool Has(int32_t row) const { return row >= 0 && row < Size(); }
    // Call after appending a row or changing a row's range.
    void RangeAdded(int32_t row);
    void RangeChanged() { disjoint_ = false; }
    // Lowest owner row whose range meets low..high, or -1: the owner a scan
    // of the rows in order would report first.
    int32_t FirstOverlap(int32_t low, int32_t high) const;
    void Clear();

private:
    // While the ranges are pairwise disjoint (every checked binding keeps
    // them so), they are kept ordered by their first sequence and a binding
    // looks only at its neighbours; a hand-written plan that breaks this
    // falls back to the scan.
    std::map<int32_t, int32_t> byFirst_;
    bool disjoint_ = true;
};

// One row per command of every bound owner; an update overwrites its rows.
struct CommandColumns {
    std::vector<int32_t> commandSequences, commandOwners;
    std::vector<std::string> commandSignatures, commandKinds, commandResourceIds;
    std::vector<int32_t> commandImageGenerations;
    std::vector<int32_t> paintRefs, imageRefs, glyphRefs, clipRefs, transformRefs;

    int32_t Size() const { return static_cast<int32_t>(commandSequences.size()); }
    bool Has(int32_t position) const { return position >= 0 && position < Size(); }
    void Clear();
    // Room for `more` rows in every column at once, growing geometrically
    // (at least 16 rows), so a store of a few owners does not reallocate
    // each column at every small size.
    void Reserve(size_t more);
};

}  // namespace rava
