// Row append, row rebuild and release of the five columnar resource tables.
#include "retained/resource_tables.h"

#include <algorithm>
#include <iterator>

namespace rava {
namespace {

bool Inside(int32_t row, int32_t size) { return row >= 0 && row < size; }

template <typename... Columns>
void ReleaseAll(Columns&... columns) {
    ((columns = {}), ...);
}

}  // namespace

void PaintTable::Append(const RenderPaint& p) {
    ids.push_back(p.id);
    reds.push_back(p.red);
    greens.push_back(p.green);
    blues.push_back(p.blue);
    alphas.push_back(p.alpha);
    radii.push_back(p.radius);
    borderWidths.push_back(p.borderWidth);
    opacities.push_back(p.opacity);
}

RenderPaint PaintTable::Read(int32_t row) const {
    if (!Inside(row, Size())) return {};
    return {ids[row], reds[row], greens[row], blues[row], alphas[row], radii[row], borderWidths[row], opacities[row]};
}

void PaintTable::Clear() { ReleaseAll(ids, reds, greens, blues, alphas, radii, borderWidths, opacities); }

void ImageTable::Append(const RenderImage& i) {
    ids.push_back(i.id);
    kinds.push_back(i.kind);
    generations.push_back(i.generation);
    widths.push_back(i.width);
    heights.push_back(i.height);
    sizes.push_back(i.sizeBytes);
    formats.push_back(i.format);
    colorSpaces.push_back(i.colorSpace);
    alphaModes.push_back(i.alphaMode);
    states.push_back(i.state);
    residents.push_back(i.resident);
    contentIdentities.push_back(i.contentIdentity);
    payloads.push_back(i.payloadHex);
    sources.push_back(i.source);
}

RenderImage ImageTable::Read(int32_t row) const {
    if (!Inside(row, Size())) return {};
    return {ids[row],        kinds[row],       generations[row], widths[row],     heights[row],
            sizes[row],      formats[row],     colorSpaces[row], alphaModes[row], states[row],
            residents[row],  contentIdentities[row], payloads[row], sources[row]};
}

int32_t ImageTable::GenerationAt(int32_t row) const { return Inside(row, Size()) ? generations[row] : 0; }

void ImageTable::Clear() {
    ReleaseAll(ids, kinds, generations, widths, heights, sizes, formats, colorSpaces, alphaModes, states, residents,
               contentIdentities, payloads, sources);
}

void GlyphTable::Append(const RenderGlyphAlpha& g) {
    ids.push_back(g.id);
    widths.push_back(g.width);
    heights.push_back(g.height);
    rowBytes.push_back(g.rowBytes);
    sizes.push_back(g.sizeBytes);
    formats.push_back(g.format);
    payloads.push_back(g.payloadHex);
    sources.push_back(g.source);
}

RenderGlyphAlpha GlyphTable::Read(int32_t row) const {
    if (!Inside(row, Size())) return {};
    return {ids[row], widths[row], heights[row], rowBytes[row], sizes[row], formats[row], payloads[row], sources[row]};
}

void GlyphTable::Clear() { ReleaseAll(ids, widths, heights, rowBytes, sizes, formats, payloads, sources); }

void ClipTable::Append(const RenderClip& c) {
    ids.push_back(c.id);
    xs.push_back(c.x);
    ys.push_back(c.y);
    widths.push_back(c.width);
    heights.push_back(c.height);
    radii.push_back(c.radius);
}

RenderClip ClipTable::Read(int32_t row) const {
    if (!Inside(row, Size())) return {};
    return {ids[row], xs[row], ys[row], widths[row], heights[row], radii[row]};
}

void ClipTable::Clear() { ReleaseAll(ids, xs, ys, widths, heights, radii); }

void TransformTable::Append(const RenderTransform& t) {
    ids.push_back(t.id);
    translateXs.push_back(t.translateX);
    translateYs.push_back(t.translateY);
    scaleXs.push_back(t.scaleXPercent);
    scaleYs.push_back(t.scaleYPercent);
    rotations.push_back(t.rotationMillidegrees);
}

RenderTransform TransformTable::Read(int32_t row) const {
    if (!Inside(row, Size())) return {};
    return {ids[row], translateXs[row], translateYs[row], scaleXs[row], scaleYs[row], rotations[row]};
}

void TransformTable::Clear() { ReleaseAll(ids, translateXs, translateYs, scaleXs, scaleYs, rotations); }

}  // namespace rava

namespace rava {

void OwnerColumns::RangeAdded(int32_t row) {
    if (!disjoint_ || !Has(row)) return;
    const int32_t low = rangeFirst[row], high = rangeLast[row];
    auto next = byFirst_.lower_bound(low);
    bool apart = low <= high && (next == byFirst_.end() || rangeFirst[next->second] > high);
    if (apart && next != byFirst_.begin()) apart = rangeLast[std::prev(next)->second] < low;
    if (apart) byFirst_.emplace(low, row);
    else disjoint_ = false;
}

int32_t OwnerColumns::FirstOverlap(int32_t low, int32_t high) const {
    int32_t first = -1;
    if (!disjoint_) {
        for (int32_t o = 0; o < Size() && first < 0; ++o) {
            if (rangeLast[o] >= low && high >= rangeFirst[o]) first = o;
        }
        return first;
    }
    // Disjoint ranges ordered by first sequence are ordered by last too: the
    // ranges that meet low..high sit just below the first one starting past high.
    for (auto it = byFirst_.upper_bound(high); it != byFirst_.begin();) {
        --it;
        if (rangeLast[it->second] < low) break;
        if (first < 0 || it->second < first) first = it->second;
    }
    return first;
}

void OwnerColumns::Clear() {
    byFirst_ = {};
    disjoint_ = true;
    ownerIds = {};
    ownerGenerations = {};
    rangeFirst = {};
    rangeLast = {};
    ownerStarts = {};
    ownerCommandCounts = {};
}

void CommandColumns::Reserve(size_t more) {
    const size_t need = commandSequences.size() + more;
    if (need <= commandSequences.capacity()) return;
    const size_t rows = std::max<size_t>({need, 2 * commandSequences.capacity(), 16});
    auto grow = [rows](auto&... columns) { (columns.reserve(rows), ...); };
    grow(commandSequences, commandOwners, commandSignatures, commandKinds, commandResourceIds,
         commandImageGenerations, paintRefs, imageRefs, glyphRefs, clipRefs, transformRefs);
}

void CommandColumns::Clear() {
    commandSequences = {};
    commandOwners = {};
    commandSignatures = {};
    commandKinds = {};
    commandResourceIds = {};
    commandImageGenerations = {};
    paintRefs = {};
    imageRefs = {};
    glyphRefs = {};
    clipRefs = {};
    transformRefs = {};
}

}  // namespace rava
