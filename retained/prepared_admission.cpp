// PreparedAdmission: signatures of the prepared inputs, the unchanged-input
// test, the plan rebuild, and the store's prepare/commit operations for one
// owner. A rejected commit changes neither the store nor the object.
#include "retained/checked_counters.h"
#include "retained/retained_store.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

template <typename Record, typename Sign>
std::vector<std::string> SignAll(const std::vector<Record>& records, Sign sign) {
    std::vector<std::string> out;
    out.reserve(records.size());
    for (const Record& r : records) out.push_back(sign(r));
    return out;
}

template <typename Record>
bool SameSignatures(const std::vector<Record>& records, const std::vector<std::string>& kept) {
    for (size_t i = 0; i < records.size(); ++i) {
        if (!SignsAs(records[i], kept[i])) return false;
    }
    return true;
}

// Takes, in delta order, each record whose signature is the next kept one.
template <typename Record, typename Sign>
std::vector<Record> PickPending(const std::vector<Record>& records, const std::vector<std::string>& kept, Sign sign) {
    std::vector<Record> out;
    out.reserve(kept.size());
    for (const Record& r : records) {
        if (out.size() == kept.size()) break;
        if (sign(r) == kept[out.size()]) out.push_back(r);
    }
    return out;
}

}  // namespace

PreparedAdmission::PreparedAdmission(std::shared_ptr<StoreToken> token, const AdmissionPlan& plan,
                                     const RenderFragment& fragment, const ResourceDelta& delta, int32_t revision,
                                     bool bindingFlag)
    : token_(std::move(token)),
      revision_(revision),
      bindingFlag_(bindingFlag),
      accepted_(plan.accepted),
      message_(plan.message),
      validations_(plan.validations),
      explicitComparisons_(plan.explicitComparisons),
      payloadComparisons_(plan.payloadComparisons),
      indexProbes_(plan.indexProbes),
      rangeFirst_(plan.rangeFirst),
      rangeLast_(plan.rangeLast),
      fragmentSignature_(FragmentSignature(fragment)),
      deltaSurface_(delta.surface),
      commandSignatures_(SignAll(fragment.commands, CommandSignature)),
      deltaPaintSignatures_(SignAll(delta.paints, PaintSignature)),
      deltaImageSignatures_(SignAll(delta.images, ImageSignature)),
      deltaGlyphSignatures_(SignAll(delta.glyphs, GlyphSignature)),
      deltaClipSignatures_(SignAll(delta.clips, ClipSignature)),
      deltaTransformSignatures_(SignAll(delta.transforms, TransformSignature)),
      pendingPaintSignatures_(SignAll(plan.pendingPaints, PaintSignature)),
      pendingImageSignatures_(SignAll(plan.pendingImages, ImageSignature)),
      pendingGlyphSignatures_(SignAll(plan.pendingGlyphs, GlyphSignature)),
      pendingClipSignatures_(SignAll(plan.pendingClips, ClipSignature)),
      pendingTransformSignatures_(SignAll(plan.pendingTransforms, TransformSignature)),
      paintRefs_(plan.paintRefs),
      imageRefs_(plan.imageRefs),
      glyphRefs_(plan.glyphRefs),
      clipRefs_(plan.clipRefs),
      transformRefs_(plan.transformRefs) {}

bool PreparedAdmission::InputsUnchanged(const RenderFragment& fragment, const ResourceDelta& delta) const {
    if (!SignsAs(fragment, fragmentSignature_)) return false;
    // The surface is part of the delta: a delta for another surface is
    // another input, even though no record signature carries it.
    if (delta.surface != deltaSurface_) return false;
    if (fragment.commands.size() != commandSignatures_.size() || delta.paints.size() != deltaPaintSignatures_.size() ||
        delta.images.size() != deltaImageSignatures_.size() || delta.glyphs.size() != deltaGlyphSignatures_.size() ||
        delta.clips.size() != deltaClipSignatures_.size() ||
        delta.transforms.size() != deltaTransformSignatures_.size()) {
        return false;
    }
    return SameSignatures(fragment.commands, commandSignatures_) &&
           SameSignatures(delta.paints, deltaPaintSignatures_) && SameSignatures(delta.images, deltaImageSignatures_) &&
           SameSignatures(delta.glyphs, deltaGlyphSignatures_) && SameSignatures(delta.clips, deltaClipSignatures_) &&
           SameSignatures(delta.transforms, deltaTransformSignatures_);
}

AdmissionPlan PreparedAdmission::RebuildPlan(const RenderFragment& fragment, const ResourceDelta& delta,
                                             bool withCommands) const {
    AdmissionPlan plan(fragment.id, fragment.generation);
    plan.accepted = accepted_;
    plan.message = message_;
    plan.validations = validations_;
    plan.explicitComparisons = explicitComparisons_;
    plan.payloadComparisons = payloadComparisons_;
    plan.indexProbes = indexProbes_;
    plan.rangeFirst = rangeFirst_;
    plan.rangeLast = rangeLast_;
    if (withCommands) plan.commands = fragment.commands;
    plan.paintRefs = paintRefs_;
    plan.imageRefs = imageRefs_;
    plan.glyphRefs = glyphRefs_;
    plan.clipRefs = clipRefs_;
    plan.transformRefs = transformRefs_;
    plan.pendingPaints = PickPending(delta.paints, pendingPaintSignatures_, PaintSignature);
    plan.pendingImages = PickPending(delta.images, pendingImageSignatures_, ImageSignature);
    plan.pendingGlyphs = PickPending(delta.glyphs, pendingGlyphSignatures_, GlyphSignature);
    plan.pendingClips = PickPending(delta.clips, pendingClipSignatures_, ClipSignature);
    plan.pendingTransforms = PickPending(delta.transforms, pendingTransformSignatures_, TransformSignature);
    return plan;
}

std::shared_ptr<PreparedAdmission> RetainedResourceStore::PrepareBinding(const RenderFragment& fragment,
                                                                         const ResourceDelta& delta,
                                                                         int32_t expectedRevision) const {
    AdmissionPlan plan = PrepareDelta(fragment, delta, expectedRevision, true);
    return std::make_shared<PreparedAdmission>(token_, plan, fragment, delta, expectedRevision, true);
}

std::shared_ptr<PreparedAdmission> RetainedResourceStore::PrepareUpdate(const RenderFragment& fragment,
                                                                        const ResourceDelta& delta,
                                                                        int32_t expectedRevision) const {
    AdmissionPlan plan = PrepareDelta(fragment, delta, expectedRevision, false);
    return std::make_shared<PreparedAdmission>(token_, plan, fragment, delta, expectedRevision, false);
}

OperationResult RetainedResourceStore::CommitPreparedAdmission(const std::shared_ptr<PreparedAdmission>& prepared,
                                                               const RenderFragment& fragment,
                                                               const ResourceDelta& delta, bool commitKind) {
    // A missing object belongs to no store.
    if (!prepared || !prepared->BelongsTo(token_)) {
        return Rejected("retained resource prepared admission belongs to another store");
    }
    if (prepared->Consumed()) return Rejected("retained resource prepared admission was already consumed");
    if (prepared->BindingFlag() != commitKind) {
        return Rejected("retained resource prepared admission kind does not match commit");
    }
    if (!prepared->Accepted()) return Rejected(prepared->Message());
    if (prepared->PreparedRevision() != revision_) {
        return Rejected(Format("retained resource prepared admission is stale: expected {0}, current {1}",
                               {prepared->PreparedRevision(), revision_}));
    }
    if (!prepared->InputsUnchanged(fragment, delta)) {
        return Rejected("retained resource prepared admission inputs were changed");
    }
    // Unchanged inputs: the fragment's own commands are the plan's.
    OperationResult result = CommitPlan(prepared->RebuildPlan(fragment, delta, false), commitKind, fragment.commands,
                                        &prepared->CommandSignatures());
    if (result.accepted) prepared->MarkConsumed();
    return result;
}

OperationResult RetainedResourceStore::CommitPreparedBinding(const std::shared_ptr<PreparedAdmission>& prepared,
                                                             const RenderFragment& fragment,
                                                             const ResourceDelta& delta) {
    return CommitPreparedAdmission(prepared, fragment, delta, true);
}

OperationResult RetainedResourceStore::CommitPreparedUpdate(const std::shared_ptr<PreparedAdmission>& prepared,
                                                            const RenderFragment& fragment,
                                                            const ResourceDelta& delta) {
    return CommitPreparedAdmission(prepared, fragment, delta, false);
}

}  // namespace rava
