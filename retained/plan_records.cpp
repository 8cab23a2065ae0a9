// Delta entry counts, the plan's pending-list lookups and the staging set's
// bookkeeping. Nothing here touches a store.
#include "retained/plan_records.h"

#include <algorithm>
#include <utility>

#include "retained/checked_counters.h"

namespace rava {

int64_t DeltaEntryCount(const ResourceDelta& d) {
    return static_cast<int64_t>(d.paints.size()) + static_cast<int64_t>(d.images.size()) +
           static_cast<int64_t>(d.glyphs.size()) + static_cast<int64_t>(d.clips.size()) +
           static_cast<int64_t>(d.transforms.size());
}

SequenceSpan SpanOf(const std::vector<RenderCommand>& commands) {
    SequenceSpan span;
    if (commands.empty()) return span;
    span.low = span.high = commands.front().sequence;
    bool ascending = true;
    for (size_t i = 1; i < commands.size(); ++i) {
        int32_t s = commands[i].sequence;
        ascending = ascending && s > commands[i - 1].sequence;
        span.low = std::min(span.low, s);
        span.high = std::max(span.high, s);
    }
    // Strictly rising sequences (what clients send) cannot repeat.
    if (ascending) return span;
    std::vector<std::pair<int32_t, size_t>> order;
    order.reserve(commands.size());
    for (size_t i = 0; i < commands.size(); ++i) order.emplace_back(commands[i].sequence, i);
    std::sort(order.begin(), order.end());
    // Within a run of equal sequences the second index is where it repeats.
    size_t firstRepeat = commands.size();
    for (size_t k = 1; k < order.size(); ++k) {
        if (order[k].first == order[k - 1].first && (k < 2 || order[k - 2].first != order[k].first)) {
            firstRepeat = std::min(firstRepeat, order[k].second);
        }
    }
    if (firstRepeat < commands.size()) {
        span.repeats = true;
        span.repeated = commands[firstRepeat].sequence;
    }
    return span;
}

int32_t AdmissionPlan::PendingPaintIndex(std::string_view id) {
    return paintLookup_.Find(pendingPaints, id, [](const RenderPaint& r) { return r.id; });
}

int32_t AdmissionPlan::PendingImageIndex(std::string_view id, int32_t imageGeneration) {
    return imageLookup_.Find(pendingImages, IdentityKey("image-generation", id, imageGeneration),
                             [](const RenderImage& r) { return IdentityKey("image-generation", r.id, r.generation); });
}

int32_t AdmissionPlan::PendingGlyphIndex(std::string_view id) {
    return glyphLookup_.Find(pendingGlyphs, id, [](const RenderGlyphAlpha& r) { return r.id; });
}

int32_t AdmissionPlan::PendingClipIndex(std::string_view id) {
    return clipLookup_.Find(pendingClips, id, [](const RenderClip& r) { return r.id; });
}

int32_t AdmissionPlan::PendingTransformIndex(std::string_view id) {
    return transformLookup_.Find(pendingTransforms, id, [](const RenderTransform& r) { return r.id; });
}

int32_t AdmissionPlan::PendingImageNewest(std::string_view id) const {
    if (imageNewestSynced_ > pendingImages.size()) {
        imageNewest_.clear();
        imageNewestSynced_ = 0;
    }
    for (; imageNewestSynced_ < pendingImages.size(); ++imageNewestSynced_) {
        const RenderImage& image = pendingImages[imageNewestSynced_];
        int32_t& newest = imageNewest_[image.id];
        if (image.generation > newest) newest = image.generation;
    }
    auto it = imageNewest_.find(std::string(id));
    return it == imageNewest_.end() ? 0 : it->second;
}

int64_t AdmissionPlan::PendingPayloadBytes() const {
    int64_t total = 0;
    for (const RenderImage& image : pendingImages) total += image.sizeBytes;
    for (const RenderGlyphAlpha& glyph : pendingGlyphs) total += glyph.sizeBytes;
    return total;
}

int64_t AdmissionPlan::PendingEntryCount() const {
    return static_cast<int64_t>(pendingPaints.size()) + static_cast<int64_t>(pendingImages.size()) +
           static_cast<int64_t>(pendingGlyphs.size()) + static_cast<int64_t>(pendingClips.size()) +
           static_cast<int64_t>(pendingTransforms.size());
}

StagingSet::StagingSet(int32_t bucketCount)
    : identityMap(bucketCount), ownerMap(bucketCount), sequenceMap(bucketCount) {}

int32_t StagingSet::Probes() const {
    return SaturateToInt32(static_cast<int64_t>(identityProbes) + ownerProbes + sequenceProbes);
}

int64_t StagingSet::StagedEntryCount() const {
    return static_cast<int64_t>(paints.size()) + static_cast<int64_t>(images.size()) +
           static_cast<int64_t>(glyphs.size()) + static_cast<int64_t>(clips.size()) +
           static_cast<int64_t>(transforms.size());
}

}  // namespace rava
