// The store's working records: the client's ResourceDelta, the AdmissionPlan
// (a validated but unapplied change for one owner) and the StagingSet that the
// items of one candidate batch share. Combined positions: for a kind with S
// store rows and T staged records, 0..S-1 are store rows, S..S+T-1 staged
// records and S+T+i the plan's own pending record i.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "retained/keyed_chain_index.h"
#include "retained/render_records.h"

namespace rava {

struct ResourceDelta {
    std::string surface;
    std::vector<RenderPaint> paints;
    std::vector<RenderImage> images;
    std::vector<RenderGlyphAlpha> glyphs;
    std::vector<RenderClip> clips;
    std::vector<RenderTransform> transforms;
};

// Total length of the five lists, in 64 bits so hostile sizes cannot wrap.
int64_t DeltaEntryCount(const ResourceDelta& delta);

// The sequences of a fragment's commands: smallest, largest, and the first
// sequence (in command order) that an earlier command already used.
struct SequenceSpan {
    int32_t low = 0;
    int32_t high = 0;
    bool repeats = false;
    int32_t repeated = 0;
};
SequenceSpan SpanOf(const std::vector<RenderCommand>& commands);

// First index of each key in an append-only list. Follows the list lazily
// so records appended by anyone are found; rebuilt if the list shrank.
class PendingKeyLookup {
public:
    template <typename Record, typename KeyOf>
    int32_t Find(const std::vector<Record>& list, std::string_view key, KeyOf keyOf) {
        if (synced_ > list.size()) {
            first_.clear();
            synced_ = 0;
        }
        for (; synced_ < list.size(); ++synced_) first_.emplace(keyOf(list[synced_]), static_cast<int32_t>(synced_));
        auto it = first_.find(std::string(key));
        return it == first_.end() ? -1 : it->second;
    }

private:
    std::unordered_map<std::string, int32_t> first_;
    size_t synced_ = 0;
};

struct AdmissionPlan {
    AdmissionPlan() = default;
    AdmissionPlan(std::string owner, int32_t fragmentGeneration)
        : ownerId(std::move(owner)), generation(fragmentGeneration) {}

    bool accepted = false;
    std::string message = "preflight-not-complete";
    int32_t validations = 0;
    int32_t explicitComparisons = 0;
    int32_t payloadComparisons = 0;
    int32_t indexProbes = 0;
    std::vector<RenderPaint> pendingPaints;
    std::vector<RenderImage> pendingImages;
    std::vector<RenderGlyphAlpha> pendingGlyphs;
    std::vector<RenderClip> pendingClips;
    std::vector<RenderTransform> pendingTransforms;
    std::string ownerId;
    int32_t generation = 0;
    int32_t rangeFirst = 0;
    int32_t rangeLast = 0;
    std::vector<RenderCommand> commands;
    std::vector<int32_t> paintRefs;
    std::vector<int32_t> imageRefs;
    std::vector<int32_t> glyphRefs;
    std::vector<int32_t> clipRefs;
    std::vector<int32_t> transformRefs;

    // Index of the first pending record with the id (images: id and
    // generation), or -1. Same answer as walking the list in order, without
    // the quadratic cost on large deltas.
    int32_t PendingPaintIndex(std::string_view id);
    int32_t PendingImageIndex(std::string_view id, int32_t imageGeneration);
    int32_t PendingGlyphIndex(std::string_view id);
    int32_t PendingClipIndex(std::string_view id);
    int32_t PendingTransformIndex(std::string_view id);
    // Highest generation among pending images of the id, 0 when none.
    int32_t PendingImageNewest(std::string_view id) const;
    // Total sizeBytes of pending images and glyph alpha masks, in 64 bits.
    int64_t PendingPayloadBytes() const;
    int64_t PendingEntryCount() const;

private:
    PendingKeyLookup paintLookup_;
    PendingKeyLookup imageLookup_;
    PendingKeyLookup glyphLookup_;
    PendingKeyLookup clipLookup_;
    PendingKeyLookup transformLookup_;
    // Highest pending generation per image id, following pendingImages.
    mutable std::unordered_map<std::string, int32_t> imageNewest_;
    mutable size_t imageNewestSynced_ = 0;
};

// Resources admitted by earlier items of a candidate batch, not yet stored.
struct StagingSet {
    explicit StagingSet(int32_t bucketCount);

    ChainedKeyIndex identityMap;
    ChainedKeyIndex ownerMap;
    ChainedKeyIndex sequenceMap;
    std::vector<RenderPaint> paints;
    std::vector<RenderImage> images;
    std::vector<RenderGlyphAlpha> glyphs;
    std::vector<RenderClip> clips;
    std::vector<RenderTransform> transforms;
    int32_t stagedPayloadBytes = 0;
    int32_t stagedIndexNodes = 0;
    // Carried into prepared batches; no operation of the store fills them.
    int32_t auxiliaryCounter1 = 0;
    int32_t auxiliaryCounter2 = 0;
    // Chain steps of lookups in each map (inserts are not counted).
    int32_t identityProbes = 0;
    int32_t ownerProbes = 0;
    int32_t sequenceProbes = 0;

    int32_t FindIdentity(std::string_view key) { return identityMap.Find(key, &identityProbes); }
    int32_t FindOwner(std::string_view key) { return ownerMap.Find(key, &ownerProbes); }
    int32_t FindSequence(std::string_view key) { return sequenceMap.Find(key, &sequenceProbes); }
    // The three maps' lookup steps together, saturating.
    int32_t Probes() const;
    int64_t StagedEntryCount() const;
};

}  // namespace rava
