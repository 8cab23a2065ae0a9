// Prepared objects of the two-step commit: PreparedAdmission (one owner's
// binding or update) and PreparedCandidateBatch (1..4096 updates validated
// together). They keep signatures of their inputs, never the inputs, and
// share only the token of the store that made them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "retained/plan_records.h"
#include "retained/render_records.h"

namespace rava {

// Identity only: a store recognises its own prepared objects by this object.
struct StoreToken {};

class PreparedAdmission {
public:
    PreparedAdmission(std::shared_ptr<StoreToken> token, const AdmissionPlan& plan, const RenderFragment& fragment,
                      const ResourceDelta& delta, int32_t revision, bool bindingFlag);

    bool Accepted() const { return accepted_; }
    int32_t PreparedRevision() const { return revision_; }
    int32_t Validations() const { return validations_; }
    int32_t ExplicitComparisons() const { return explicitComparisons_; }
    int32_t PayloadComparisons() const { return payloadComparisons_; }
    int32_t IndexProbes() const { return indexProbes_; }
    const std::string& Message() const { return message_; }
    bool Consumed() const { return consumed_; }
    bool BelongsTo(const std::shared_ptr<StoreToken>& token) const { return token && token.get() == token_.get(); }
    bool BindingFlag() const { return bindingFlag_; }
    void MarkConsumed() { consumed_ = true; }
    // True only when the delta's surface is the same and the fragment, each
    // command and each delta record sign exactly as when prepared, in the
    // same places.
    bool InputsUnchanged(const RenderFragment& fragment, const ResourceDelta& delta) const;
    // The prepared plan again, without running any admission rule: pending
    // records are re-picked from the delta by their kept signatures.
    // withCommands false leaves the plan's commands empty for a caller that
    // writes the fragment's own commands.
    AdmissionPlan RebuildPlan(const RenderFragment& fragment, const ResourceDelta& delta,
                              bool withCommands = true) const;
    // The kept command signatures, in command order.
    const std::vector<std::string>& CommandSignatures() const { return commandSignatures_; }

private:
    std::shared_ptr<StoreToken> token_;
    int32_t revision_;
    bool bindingFlag_;
    bool consumed_ = false;
    bool accepted_;
    std::string message_;
    int32_t validations_, explicitComparisons_, payloadComparisons_, indexProbes_;
    int32_t rangeFirst_, rangeLast_;
    std::string fragmentSignature_;
    std::string deltaSurface_;
    std::vector<std::string> commandSignatures_;
    std::vector<std::string> deltaPaintSignatures_, deltaImageSignatures_, deltaGlyphSignatures_,
        deltaClipSignatures_, deltaTransformSignatures_;
    std::vector<std::string> pendingPaintSignatures_, pendingImageSignatures_, pendingGlyphSignatures_,
        pendingClipSignatures_, pendingTransformSignatures_;
    std::vector<int32_t> paintRefs_, imageRefs_, glyphRefs_, clipRefs_, transformRefs_;
};

class RetainedResourceStore;

class PreparedCandidateBatch {
public:
    PreparedCandidateBatch(std::shared_ptr<StoreToken> token, int32_t revision)
        : token_(std::move(token)), revision_(revision) {}

    bool Accepted() const { return accepted_; }
    int32_t PreparedRevision() const { return revision_; }
    int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
    int32_t Validations() const { return validations_; }
    int32_t ExplicitComparisons() const { return explicitComparisons_; }
    int32_t PayloadComparisons() const { return payloadComparisons_; }
    int32_t IndexProbes() const { return indexProbes_; }
    int32_t StagingProbes() const { return stagingProbes_; }
    // Taken from the batch's staging set; nothing fills them, they read 0.
    int32_t AuxiliaryCounter1() const { return auxiliaryCounter1_; }
    int32_t AuxiliaryCounter2() const { return auxiliaryCounter2_; }
    const std::string& Message() const { return message_; }
    bool Consumed() const { return consumed_; }
    bool BelongsTo(const std::shared_ptr<StoreToken>& token) const { return token && token.get() == token_.get(); }
    void MarkConsumed() { consumed_ = true; }
    // Same item count as both lists and every item unchanged at its index.
    bool InputsUnchanged(const std::vector<RenderFragment>& fragments, const std::vector<ResourceDelta>& deltas) const;
    // The item's rebuilt plan; an index outside the batch answers a plan
    // that is not accepted.
    AdmissionPlan ItemPlan(int32_t index, const RenderFragment& fragment, const ResourceDelta& delta) const;

private:
    friend class RetainedResourceStore;

    std::shared_ptr<StoreToken> token_;
    int32_t revision_;
    bool accepted_ = false;
    bool consumed_ = false;
    std::string message_ = "preflight-not-complete";
    std::vector<std::shared_ptr<PreparedAdmission>> items_;
    int32_t validations_ = 0;
    int32_t explicitComparisons_ = 0;
    int32_t payloadComparisons_ = 0;
    int32_t indexProbes_ = 0;
    int32_t stagingProbes_ = 0;
    int32_t auxiliaryCounter1_ = 0;
    int32_t auxiliaryCounter2_ = 0;
};

}  // namespace rava
