// Candidate batches: 1..4096 owner updates validated against one revision,
// earlier items' resources staged for later items, committed together as a
// single revision step. Running totals are 64-bit.
#include "retained/checked_counters.h"
#include "retained/retained_store.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

constexpr int64_t kMaxBatchItems = 4096;
constexpr int64_t kMaxBatchCommands = 65536;
constexpr int64_t kMaxBatchEntries = 65536;
constexpr int32_t kMinBatchBuckets = 64;
constexpr int32_t kMaxBatchBuckets = 8192;

// Stages records keyed by id alone: each lands after the store's rows and the
// records staged before it, under one identity key and one index node.
template <typename Record>
void StageById(const std::vector<Record>& pending, int32_t storeRows, std::vector<Record>& staged,
               std::string_view kind, StagingSet& staging) {
    for (const Record& r : pending) {
        int32_t position = SaturateToInt32(static_cast<int64_t>(storeRows) + staged.size());
        staged.push_back(r);
        staging.identityMap.Put(KeyText(kind, r.id, 0), position, nullptr);
        AddCounter(staging.stagedIndexNodes, 1);
    }
}

}  // namespace

bool PreparedCandidateBatch::InputsUnchanged(const std::vector<RenderFragment>& fragments,
                                             const std::vector<ResourceDelta>& deltas) const {
    if (items_.size() != fragments.size() || items_.size() != deltas.size()) return false;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i]->InputsUnchanged(fragments[i], deltas[i])) return false;
    }
    return true;
}

AdmissionPlan PreparedCandidateBatch::ItemPlan(int32_t index, const RenderFragment& fragment,
                                               const ResourceDelta& delta) const {
    if (index < 0 || index >= ItemCount()) return AdmissionPlan(fragment.id, fragment.generation);
    return items_[index]->RebuildPlan(fragment, delta);
}

void RetainedResourceStore::StagePlan(const AdmissionPlan& plan, StagingSet& staging) const {
    StageById(plan.pendingPaints, paints_.Size(), staging.paints, "paint", staging);
    for (const RenderImage& r : plan.pendingImages) {
        const KeyText latest("image-latest", r.id, 0);
        bool present = staging.FindIdentity(latest) >= 0 || index_.Find(latest, nullptr) >= 0;
        int32_t position = SaturateToInt32(static_cast<int64_t>(images_.Size()) + staging.images.size());
        staging.images.push_back(r);
        staging.identityMap.Put(KeyText("image-generation", r.id, r.generation), position, nullptr);
        staging.identityMap.Put(latest, position, nullptr);
        AddCounter(staging.stagedIndexNodes, present ? 1 : 2);
        AddCounter(staging.stagedPayloadBytes, r.sizeBytes);
    }
    StageById(plan.pendingGlyphs, glyphs_.Size(), staging.glyphs, "glyph", staging);
    for (const RenderGlyphAlpha& r : plan.pendingGlyphs) AddCounter(staging.stagedPayloadBytes, r.sizeBytes);
    StageById(plan.pendingClips, clips_.Size(), staging.clips, "clip", staging);
    StageById(plan.pendingTransforms, transforms_.Size(), staging.transforms, "transform", staging);
}

std::shared_ptr<PreparedCandidateBatch> RetainedResourceStore::PreflightCandidateBatch(
    const std::vector<RenderFragment>& fragments, const std::vector<ResourceDelta>& deltas,
    int32_t expectedRevision) const {
    auto batch = std::make_shared<PreparedCandidateBatch>(token_, expectedRevision);
    int64_t validations = 0, explicitComparisons = 0, payloadComparisons = 0, indexProbes = 0;
    auto finish = [&](bool accepted, std::string message, const StagingSet* staging) {
        batch->accepted_ = accepted;
        batch->message_ = std::move(message);
        batch->validations_ = SaturateToInt32(validations);
        batch->explicitComparisons_ = SaturateToInt32(explicitComparisons);
        batch->payloadComparisons_ = SaturateToInt32(payloadComparisons);
        batch->indexProbes_ = SaturateToInt32(indexProbes);
        if (staging) {
            batch->stagingProbes_ = staging->Probes();
            batch->auxiliaryCounter1_ = staging->auxiliaryCounter1;
            batch->auxiliaryCounter2_ = staging->auxiliaryCounter2;
        }
        return batch;
    };

    if (!IsOpen()) return finish(false, "retained resource store is not open", nullptr);
    if (expectedRevision != revision_) {
        return finish(false,
                      Format("retained resource store stale revision: expected {0}, current {1}",
                             {expectedRevision, revision_}),
                      nullptr);
    }
    const int64_t n = static_cast<int64_t>(fragments.size());
    if (n < 1 || n > kMaxBatchItems || static_cast<int64_t>(deltas.size()) != n) {
        return finish(false, "retained resource candidate batch requires 1..4096 parallel fragment/delta items",
                      nullptr);
    }
    int64_t commandTotal = 0, entryTotal = 0;
    for (int64_t i = 0; i < n; ++i) {
        commandTotal += static_cast<int64_t>(fragments[i].commands.size());
        entryTotal += DeltaEntryCount(deltas[i]);
        if (commandTotal > kMaxBatchCommands || entryTotal > kMaxBatchEntries) {
            return finish(false, "retained resource candidate batch exceeds 65536 commands or delta entries", nullptr);
        }
    }
    int32_t buckets = kMinBatchBuckets;
    while (buckets < kMaxBatchBuckets && buckets < commandTotal + 2 * entryTotal + n) buckets *= 2;
    StagingSet staging(buckets);

    for (int64_t i = 0; i < n; ++i) {
        const RenderFragment& f = fragments[i];
        // Owners are keyed by the bare id; only sequences use identity keys.
        if (staging.ownerMap.FindOrPut(f.id, static_cast<int32_t>(i), &staging.ownerProbes) >= 0) {
            return finish(false, Format("retained resource candidate batch duplicates owner {0}", {f.id}), &staging);
        }
        for (const RenderCommand& c : f.commands) {
            const KeyText sequenceKey("command-sequence", "", c.sequence);
            if (staging.sequenceMap.FindOrPut(sequenceKey, static_cast<int32_t>(i), &staging.sequenceProbes) >= 0) {
                return finish(false,
                              Format("retained resource candidate batch duplicates command sequence {0}", {c.sequence}),
                              &staging);
            }
        }
    }

    for (int64_t i = 0; i < n; ++i) {
        AdmissionPlan plan = BuildPlan(fragments[i], deltas[i], expectedRevision, false, staging, false);
        if (!plan.accepted) {
            return finish(false, Format("retained resource candidate batch item {0}: {1}", {i, plan.message}),
                          &staging);
        }
        batch->items_.push_back(
            std::make_shared<PreparedAdmission>(token_, plan, fragments[i], deltas[i], expectedRevision, false));
        StagePlan(plan, staging);
        validations += plan.validations;
        explicitComparisons += plan.explicitComparisons;
        payloadComparisons += plan.payloadComparisons;
        indexProbes += plan.indexProbes;
    }
    return finish(true, "ok", &staging);
}

OperationResult RetainedResourceStore::CommitPreparedCandidateBatch(const std::shared_ptr<PreparedCandidateBatch>& batch,
                                                                    const std::vector<RenderFragment>& fragments,
                                                                    const std::vector<ResourceDelta>& deltas) {
    if (!batch || !batch->BelongsTo(token_)) {
        return Rejected("retained resource prepared candidate batch belongs to another store");
    }
    if (batch->Consumed()) return Rejected("retained resource prepared candidate batch was already consumed");
    if (!batch->Accepted()) return Rejected(batch->Message());
    if (batch->PreparedRevision() != revision_) {
        return Rejected(Format("retained resource prepared candidate batch is stale: expected {0}, current {1}",
                               {batch->PreparedRevision(), revision_}));
    }
    if (!batch->InputsUnchanged(fragments, deltas)) {
        return Rejected("retained resource prepared candidate batch inputs were changed or reordered");
    }
    // Same revision means nothing was written since the preflight, and an
    // accepted preflight needs an open store: the store is still open here.
    int64_t validations = 0, explicitComparisons = 0, payloadComparisons = 0, indexProbes = 0;
    for (int32_t i = 0; i < batch->ItemCount(); ++i) {
        // Unchanged inputs: the fragment's own commands are the plan's.
        const PreparedAdmission& item = *batch->items_[i];
        AdmissionPlan plan = item.RebuildPlan(fragments[i], deltas[i], false);
        WritePlan(plan, false, fragments[i].commands, &item.CommandSignatures());
        validations += plan.validations;
        explicitComparisons += plan.explicitComparisons;
        payloadComparisons += plan.payloadComparisons;
        indexProbes += plan.indexProbes;
    }
    ApplyCounters(validations, explicitComparisons, payloadComparisons, indexProbes);
    batch->MarkConsumed();
    return {true, revision_, SaturateToInt32(validations), SaturateToInt32(explicitComparisons),
            SaturateToInt32(payloadComparisons), "ok"};
}

}  // namespace rava
