// Resource admission: lookups by identity (staging set, then the counted
// index), record reads at combined positions, the five Admit operations
// (identity first, then the plan's pending list, then validation) and the
// five Commit operations that append rows and put identity keys.
#include <algorithm>

#include "retained/checked_counters.h"
#include "retained/retained_store.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

constexpr size_t kMaxPaintIdBytes = 256;

template <typename Record>
Record StagedOrDefault(const std::vector<Record>& staged, int32_t position, int32_t storeRows) {
    int64_t index = static_cast<int64_t>(position) - storeRows;
    if (index < 0 || index >= static_cast<int64_t>(staged.size())) return {};
    return staged[static_cast<size_t>(index)];
}

// Compares a new record with the known one of the same identity.
// The collision message is only formatted for a refusal.
template <typename Record, typename Collision>
bool AdmitByComparison(AdmissionPlan& plan, const Record& known, const Record& record, bool payload,
                       const Collision& collision) {
    AddCounter(plan.explicitComparisons, 1);
    if (payload) AddCounter(plan.payloadComparisons, 1);
    if (known == record) return true;
    plan.message = collision();
    return false;
}

template <typename Record>
bool AdmitValidated(AdmissionPlan& plan, std::vector<Record>& pending, const Record& record, std::string message) {
    if (message.empty()) {
        pending.push_back(record);
        return true;
    }
    plan.message = std::move(message);
    return false;
}

}  // namespace

int32_t RetainedResourceStore::FindResource(AdmissionPlan& plan, StagingSet& staging, std::string_view key) const {
    int32_t staged = staging.FindIdentity(key);
    if (staged >= 0) return staged;
    return FindKeyCounted(plan, key);
}

int32_t RetainedResourceStore::FindPaint(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    return FindResource(plan, staging, KeyText("paint", id, 0));
}

int32_t RetainedResourceStore::FindImageGeneration(AdmissionPlan& plan, StagingSet& staging, std::string_view id,
                                                   int32_t generation) const {
    return FindResource(plan, staging, KeyText("image-generation", id, generation));
}

int32_t RetainedResourceStore::FindImageLatest(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    const KeyText key("image-latest", id, 0);
    int32_t staged = staging.FindIdentity(key);
    if (staged >= 0) return ReadImage(staged, staging).generation;
    int32_t row = FindKeyCounted(plan, key);
    return row >= 0 ? images_.GenerationAt(row) : 0;
}

int32_t RetainedResourceStore::FindGlyph(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    return FindResource(plan, staging, KeyText("glyph", id, 0));
}

int32_t RetainedResourceStore::FindClip(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    return FindResource(plan, staging, KeyText("clip", id, 0));
}

int32_t RetainedResourceStore::FindTransform(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    return FindResource(plan, staging, KeyText("transform", id, 0));
}

RenderPaint RetainedResourceStore::ReadPaint(int32_t position, const StagingSet& staging) const {
    if (position >= 0 && position < paints_.Size()) return paints_.Read(position);
    return StagedOrDefault(staging.paints, position, paints_.Size());
}

RenderImage RetainedResourceStore::ReadImage(int32_t position, const StagingSet& staging) const {
    if (position >= 0 && position < images_.Size()) return images_.Read(position);
    return StagedOrDefault(staging.images, position, images_.Size());
}

RenderGlyphAlpha RetainedResourceStore::ReadGlyph(int32_t position, const StagingSet& staging) const {
    if (position >= 0 && position < glyphs_.Size()) return glyphs_.Read(position);
    return StagedOrDefault(staging.glyphs, position, glyphs_.Size());
}

RenderClip RetainedResourceStore::ReadClip(int32_t position, const StagingSet& staging) const {
    if (position >= 0 && position < clips_.Size()) return clips_.Read(position);
    return StagedOrDefault(staging.clips, position, clips_.Size());
}

RenderTransform RetainedResourceStore::ReadTransform(int32_t position, const StagingSet& staging) const {
    if (position >= 0 && position < transforms_.Size()) return transforms_.Read(position);
    return StagedOrDefault(staging.transforms, position, transforms_.Size());
}

bool RetainedResourceStore::AdmitPaint(AdmissionPlan& plan, StagingSet& staging, const RenderPaint& paint) const {
    auto collision = [&] { return Format("retained paint identity collision for {0}", {paint.id}); };
    int32_t known = FindPaint(plan, staging, paint.id);
    if (known >= 0) return AdmitByComparison(plan, ReadPaint(known, staging), paint, false, collision);
    int32_t pending = plan.PendingPaintIndex(paint.id);
    if (pending >= 0) return AdmitByComparison(plan, plan.pendingPaints[pending], paint, false, collision);
    std::string message = ValidatePaint(paint);
    AddCounter(plan.validations, 1);
    if (message.empty() && paint.id.size() > kMaxPaintIdBytes) message = "retained paint id exceeds 256 bytes";
    return AdmitValidated(plan, plan.pendingPaints, paint, std::move(message));
}

bool RetainedResourceStore::AdmitImage(AdmissionPlan& plan, StagingSet& staging, const RenderImage& image) const {
    auto collision = [&] {
        return Format("retained image identity collision for {0}@{1}", {image.id, image.generation});
    };
    int32_t known = FindImageGeneration(plan, staging, image.id, image.generation);
    if (known >= 0) return AdmitByComparison(plan, ReadImage(known, staging), image, true, collision);
    int32_t pending = plan.PendingImageIndex(image.id, image.generation);
    if (pending >= 0) return AdmitByComparison(plan, plan.pendingImages[pending], image, true, collision);

    int32_t newest = FindImageLatest(plan, staging, image.id);
    newest = std::max(newest, plan.PendingImageNewest(image.id));
    if (newest > 0 && image.generation < newest) {
        plan.message = Format("retained image {0} generation regressed from {1} to {2}",
                              {image.id, newest, image.generation});
        return false;
    }
    std::string message = ValidateImage(image);
    AddCounter(plan.validations, 1);
    return AdmitValidated(plan, plan.pendingImages, image, std::move(message));
}

bool RetainedResourceStore::AdmitGlyph(AdmissionPlan& plan, StagingSet& staging, const RenderGlyphAlpha& glyph) const {
    auto collision = [&] { return Format("retained glyph identity collision for {0}", {glyph.id}); };
    int32_t known = FindGlyph(plan, staging, glyph.id);
    if (known >= 0) return AdmitByComparison(plan, ReadGlyph(known, staging), glyph, true, collision);
    int32_t pending = plan.PendingGlyphIndex(glyph.id);
    if (pending >= 0) return AdmitByComparison(plan, plan.pendingGlyphs[pending], glyph, true, collision);
    std::string message = ValidateGlyph(glyph);
    AddCounter(plan.validations, 1);
    return AdmitValidated(plan, plan.pendingGlyphs, glyph, std::move(message));
}

bool RetainedResourceStore::AdmitClip(AdmissionPlan& plan, StagingSet& staging, const RenderClip& clip) const {
    auto collision = [&] { return Format("retained clip identity collision for {0}", {clip.id}); };
    int32_t known = FindClip(plan, staging, clip.id);
    if (known >= 0) return AdmitByComparison(plan, ReadClip(known, staging), clip, false, collision);
    int32_t pending = plan.PendingClipIndex(clip.id);
    if (pending >= 0) return AdmitByComparison(plan, plan.pendingClips[pending], clip, false, collision);
    std::string message = ValidateClip(clip);
    AddCounter(plan.validations, 1);
    return AdmitValidated(plan, plan.pendingClips, clip, std::move(message));
}

bool RetainedResourceStore::AdmitTransform(AdmissionPlan& plan, StagingSet& staging,
                                           const RenderTransform& transform) const {
    auto collision = [&] { return Format("retained transform identity collision for {0}", {transform.id}); };
    int32_t known = FindTransform(plan, staging, transform.id);
    if (known >= 0) return AdmitByComparison(plan, ReadTransform(known, staging), transform, false, collision);
    int32_t pending = plan.PendingTransformIndex(transform.id);
    if (pending >= 0) return AdmitByComparison(plan, plan.pendingTransforms[pending], transform, false, collision);
    std::string message = ValidateTransform(transform);
    AddCounter(plan.validations, 1);
    return AdmitValidated(plan, plan.pendingTransforms, transform, std::move(message));
}

bool RetainedResourceStore::AppendPaintRow(const RenderPaint& paint) {
    if (IsClosed()) return false;
    int32_t row = paints_.Size();
    paints_.Append(paint);
    IndexPut(KeyText("paint", paint.id, 0), row);
    return true;
}

bool RetainedResourceStore::AppendImageRow(const RenderImage& image) {
    if (IsClosed()) return false;
    int32_t row = images_.Size();
    images_.Append(image);
    IndexPut(KeyText("image-generation", image.id, image.generation), row);
    // Overwrites the previous row of the id: the latest key follows commits.
    IndexPut(KeyText("image-latest", image.id, 0), row);
    AddCounter(payloadBytes_, image.sizeBytes);
    return true;
}

bool RetainedResourceStore::AppendGlyphRow(const RenderGlyphAlpha& glyph) {
    if (IsClosed()) return false;
    int32_t row = glyphs_.Size();
    glyphs_.Append(glyph);
    IndexPut(KeyText("glyph", glyph.id, 0), row);
    AddCounter(payloadBytes_, glyph.sizeBytes);
    return true;
}

bool RetainedResourceStore::AppendClipRow(const RenderClip& clip) {
    if (IsClosed()) return false;
    int32_t row = clips_.Size();
    clips_.Append(clip);
    IndexPut(KeyText("clip", clip.id, 0), row);
    return true;
}

bool RetainedResourceStore::AppendTransformRow(const RenderTransform& transform) {
    if (IsClosed()) return false;
    int32_t row = transforms_.Size();
    transforms_.Append(transform);
    IndexPut(KeyText("transform", transform.id, 0), row);
    return true;
}

void RetainedResourceStore::CommitPaints(const RenderPaint& paint) { StepRevisionIf(AppendPaintRow(paint)); }
void RetainedResourceStore::CommitImages(const RenderImage& image) { StepRevisionIf(AppendImageRow(image)); }
void RetainedResourceStore::CommitGlyphs(const RenderGlyphAlpha& glyph) { StepRevisionIf(AppendGlyphRow(glyph)); }
void RetainedResourceStore::CommitClips(const RenderClip& clip) { StepRevisionIf(AppendClipRow(clip)); }
void RetainedResourceStore::CommitTransforms(const RenderTransform& transform) {
    StepRevisionIf(AppendTransformRow(transform));
}

}  // namespace rava
