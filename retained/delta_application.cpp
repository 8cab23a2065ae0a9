// Delta application: BuildPlan runs every check of a binding or update in
// its fixed order without writing the store; ApplyPlan and CommitPlan write
// an accepted plan and raise the revision by exactly one. Limit sums are
// taken in 64 bits so hostile sizes cannot wrap past a limit.
#include "retained/checked_counters.h"
#include "retained/retained_store.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

int32_t RefAt(const std::vector<int32_t>& refs, size_t i) { return i < refs.size() ? refs[i] : -1; }

int32_t PendingPosition(int64_t storeRows, size_t staged, int32_t pendingIndex) {
    return SaturateToInt32(storeRows + static_cast<int64_t>(staged) + pendingIndex);
}

}  // namespace

OperationResult RetainedResourceStore::Rejected(std::string message) const {
    return {false, revision_, 0, 0, 0, std::move(message)};
}

int32_t RetainedResourceStore::ResolvePaint(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    int32_t found = FindPaint(plan, staging, id);
    if (found >= 0) return found;
    int32_t pending = plan.PendingPaintIndex(id);
    return pending < 0 ? -1 : PendingPosition(paints_.Size(), staging.paints.size(), pending);
}

int32_t RetainedResourceStore::ResolveImage(AdmissionPlan& plan, StagingSet& staging, std::string_view id,
                                            int32_t generation) const {
    int32_t found = FindImageGeneration(plan, staging, id, generation);
    if (found >= 0) return found;
    int32_t pending = plan.PendingImageIndex(id, generation);
    return pending < 0 ? -1 : PendingPosition(images_.Size(), staging.images.size(), pending);
}

int32_t RetainedResourceStore::ResolveGlyph(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    int32_t found = FindGlyph(plan, staging, id);
    if (found >= 0) return found;
    int32_t pending = plan.PendingGlyphIndex(id);
    return pending < 0 ? -1 : PendingPosition(glyphs_.Size(), staging.glyphs.size(), pending);
}

int32_t RetainedResourceStore::ResolveClip(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    int32_t found = FindClip(plan, staging, id);
    if (found >= 0) return found;
    int32_t pending = plan.PendingClipIndex(id);
    return pending < 0 ? -1 : PendingPosition(clips_.Size(), staging.clips.size(), pending);
}

int32_t RetainedResourceStore::ResolveTransform(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const {
    int32_t found = FindTransform(plan, staging, id);
    if (found >= 0) return found;
    int32_t pending = plan.PendingTransformIndex(id);
    return pending < 0 ? -1 : PendingPosition(transforms_.Size(), staging.transforms.size(), pending);
}

// An optional glyph is looked up like a required one but counts no probe:
// a present mask keeps its reference, an absent one is simply -1.
int32_t RetainedResourceStore::FindOptionalGlyph(AdmissionPlan& plan, const StagingSet& staging,
                                                 std::string_view id) const {
    const KeyText key("glyph", id, 0);
    int32_t found = staging.identityMap.Find(key, nullptr);
    if (found < 0) found = index_.Find(key, nullptr);
    if (found >= 0) return found;
    int32_t pending = plan.PendingGlyphIndex(id);
    return pending < 0 ? -1 : PendingPosition(glyphs_.Size(), staging.glyphs.size(), pending);
}

AdmissionPlan RetainedResourceStore::PrepareDelta(const RenderFragment& fragment, const ResourceDelta& delta,
                                                  int32_t expectedRevision, bool binding) const {
    StagingSet staging(1);
    return BuildPlan(fragment, delta, expectedRevision, binding, staging);
}

std::string RetainedResourceStore::CheckOwner(const RenderFragment& f, const SequenceSpan& span, int32_t ownerRow,
                                              bool binding) const {
    // A repeated sequence would let one command's key hide another's.
    const auto repeats = [&] {
        return Format("retained resource owner {0} repeats command sequence {1}", {f.id, span.repeated});
    };
    if (binding) {
        if (ownerRow >= 0) return Format("retained resource owner {0} is already bound", {f.id});
        if (span.repeats) return repeats();
        // Ranges span the smallest to the largest sequence, so disjoint
        // ranges keep every owner's command keys apart whatever the order.
        const int32_t other = owners_.FirstOverlap(span.low, span.high);
        if (other >= 0) {
            return Format("retained resource owner {0} command range overlaps {1}", {f.id, owners_.ownerIds[other]});
        }
        return "";
    }
    // A binding key that names no owner row (only hand-put keys can) counts
    // as no binding.
    if (!owners_.Has(ownerRow)) return Format("retained resource owner {0} requires an initial binding", {f.id});
    if (span.repeats) return repeats();
    if (owners_.ownerGenerations[ownerRow] >= f.generation) {
        return Format("retained resource owner {0} requires a newer fragment generation", {f.id});
    }
    const auto exactRange = [&] {
        return Format("retained resource owner {0} must preserve its exact command range", {f.id});
    };
    if (static_cast<int64_t>(f.commands.size()) != owners_.ownerCommandCounts[ownerRow]) return exactRange();
    for (size_t i = 0; i < f.commands.size(); ++i) {
        const RenderCommand& c = f.commands[i];
        int64_t p = static_cast<int64_t>(owners_.ownerStarts[ownerRow]) + static_cast<int64_t>(i);
        if (!commands_.Has(SaturateToInt32(p)) || c.sequence != commands_.commandSequences[p]) return exactRange();
        if (c.kind == "image" && commands_.commandKinds[p] == "image" && c.resourceId == commands_.commandResourceIds[p] &&
            c.imageGeneration < commands_.commandImageGenerations[p]) {
            return Format("retained resource owner {0} image {1} generation regressed from {2} to {3}",
                          {f.id, c.resourceId, commands_.commandImageGenerations[p], c.imageGeneration});
        }
    }
    return "";
}

std::string RetainedResourceStore::CheckLimits(const RenderFragment& f, int32_t ownerRow, bool binding,
                                               const AdmissionPlan& plan, const StagingSet& staging) const {
    int64_t entriesAfter = static_cast<int64_t>(EntryCount()) + staging.StagedEntryCount() + plan.PendingEntryCount();
    int64_t ownerCommands = owners_.Has(ownerRow) ? owners_.ownerCommandCounts[ownerRow] : 0;
    int64_t commandsAfter = static_cast<int64_t>(commandCount_) - ownerCommands + static_cast<int64_t>(f.commands.size());
    int64_t payloadAfter = static_cast<int64_t>(staging.stagedPayloadBytes) + payloadBytes_ + plan.PendingPayloadBytes();
    if (entriesAfter > kMaxEntries || commandsAfter > kMaxCommands || payloadAfter > kMaxPayloadBytes) {
        return "retained resource store exceeds 65536 entries/commands or 64 MiB";
    }
    if (binding && OwnerCount() >= kMaxOwners) return "retained resource store exceeds 4096 owners";
    int64_t newNodes = static_cast<int64_t>(plan.pendingPaints.size()) + 2 * static_cast<int64_t>(plan.pendingImages.size()) +
                       static_cast<int64_t>(plan.pendingGlyphs.size()) + static_cast<int64_t>(plan.pendingClips.size()) +
                       static_cast<int64_t>(plan.pendingTransforms.size());
    if (binding) newNodes += 1 + static_cast<int64_t>(f.commands.size());
    if (static_cast<int64_t>(IndexNodeCount()) + staging.stagedIndexNodes + newNodes > kMaxIndexNodes) {
        return "retained resource store exceeds 200704 index nodes";
    }
    return "";
}

std::string RetainedResourceStore::ResolveReferences(const RenderFragment& f, AdmissionPlan& plan,
                                                     StagingSet& staging) const {
    for (auto* refs : {&plan.paintRefs, &plan.imageRefs, &plan.glyphRefs, &plan.clipRefs, &plan.transformRefs}) {
        refs->reserve(f.commands.size());
    }
    for (const RenderCommand& c : f.commands) {
        int32_t paint = -1, image = -1, glyph = -1, clip = -1, transform = -1;
        if (!c.paintId.empty()) {
            paint = ResolvePaint(plan, staging, c.paintId);
            if (paint < 0) return Format("retained resource owner {0} references missing paint {1}", {f.id, c.paintId});
        }
        if (c.kind == "image") {
            image = ResolveImage(plan, staging, c.resourceId, c.imageGeneration);
            if (image < 0) {
                return Format("retained resource owner {0} references missing image {1}@{2}",
                              {f.id, c.resourceId, c.imageGeneration});
            }
        }
        if (c.kind == "glyphAlpha" && c.glyphOptional) {
            glyph = FindOptionalGlyph(plan, staging, c.resourceId);
        } else if (c.kind == "glyphAlpha") {
            glyph = ResolveGlyph(plan, staging, c.resourceId);
            if (glyph < 0) return Format("retained resource owner {0} references missing glyph {1}", {f.id, c.resourceId});
        }
        if (!c.clipId.empty()) {
            clip = ResolveClip(plan, staging, c.clipId);
            if (clip < 0) return Format("retained resource owner {0} references missing clip {1}", {f.id, c.clipId});
        }
        // "identity" is the built-in transform: no row, no lookup.
        if (!c.transformId.empty() && c.transformId != "identity") {
            transform = ResolveTransform(plan, staging, c.transformId);
            if (transform < 0) {
                return Format("retained resource owner {0} references missing transform {1}", {f.id, c.transformId});
            }
        }
        plan.paintRefs.push_back(paint);
        plan.imageRefs.push_back(image);
        plan.glyphRefs.push_back(glyph);
        plan.clipRefs.push_back(clip);
        plan.transformRefs.push_back(transform);
    }
    return "";
}

AdmissionPlan RetainedResourceStore::BuildPlan(const RenderFragment& f, const ResourceDelta& delta,
                                               int32_t expectedRevision, bool binding, StagingSet& staging,
                                               bool keepCommands) const {
    AdmissionPlan plan(f.id, f.generation);
    auto refuse = [&plan](std::string message) {
        plan.message = std::move(message);
        return plan;
    };
    if (!IsOpen()) return refuse("retained resource store is not open");
    if (expectedRevision != revision_) {
        return refuse(Format("retained resource store stale revision: expected {0}, current {1}",
                             {expectedRevision, revision_}));
    }
    if (delta.surface != surface_) return refuse("retained resource delta surface does not match store");
    std::string message = ValidateFragment(f);
    if (!message.empty()) return refuse(message);

    int32_t ownerRow = FindOwnerCounted(plan, f.id);
    const SequenceSpan span = SpanOf(f.commands);
    message = CheckOwner(f, span, ownerRow, binding);
    if (!message.empty()) return refuse(message);
    // Checked before any record is validated: oversized deltas cost nothing.
    if (DeltaEntryCount(delta) > kMaxDeltaEntries) return refuse("retained resource delta exceeds 65536 entries");

    for (const RenderPaint& r : delta.paints) {
        if (!AdmitPaint(plan, staging, r)) return plan;
    }
    for (const RenderImage& r : delta.images) {
        if (!AdmitImage(plan, staging, r)) return plan;
    }
    for (const RenderGlyphAlpha& r : delta.glyphs) {
        if (!AdmitGlyph(plan, staging, r)) return plan;
    }
    for (const RenderClip& r : delta.clips) {
        if (!AdmitClip(plan, staging, r)) return plan;
    }
    for (const RenderTransform& r : delta.transforms) {
        if (!AdmitTransform(plan, staging, r)) return plan;
    }

    plan.rangeFirst = span.low;
    plan.rangeLast = span.high;
    message = CheckLimits(f, ownerRow, binding, plan, staging);
    if (!message.empty()) return refuse(message);
    message = ResolveReferences(f, plan, staging);
    if (!message.empty()) return refuse(message);
    if (keepCommands) plan.commands = f.commands;
    plan.accepted = true;
    plan.message = "ok";
    return plan;
}

bool RetainedResourceStore::AppendCommand(int32_t ownerRow, const RenderCommand& c, const std::string* signature,
                                          int32_t paintRef, int32_t imageRef, int32_t glyphRef, int32_t clipRef,
                                          int32_t transformRef) {
    if (IsClosed()) return false;
    commands_.commandSequences.push_back(c.sequence);
    commands_.commandOwners.push_back(ownerRow);
    commands_.commandSignatures.push_back(signature ? *signature : CommandSignature(c));
    commands_.commandKinds.push_back(c.kind);
    commands_.commandResourceIds.push_back(c.resourceId);
    commands_.commandImageGenerations.push_back(c.imageGeneration);
    commands_.paintRefs.push_back(paintRef);
    commands_.imageRefs.push_back(imageRef);
    commands_.glyphRefs.push_back(glyphRef);
    commands_.clipRefs.push_back(clipRef);
    commands_.transformRefs.push_back(transformRef);
    return true;
}

bool RetainedResourceStore::ReplaceCommand(int32_t p, const RenderCommand& c, const std::string* signature,
                                           int32_t paintRef, int32_t imageRef, int32_t glyphRef, int32_t clipRef,
                                           int32_t transformRef) {
    if (!commands_.Has(p)) return false;
    commands_.commandSequences[p] = c.sequence;
    if (signature) commands_.commandSignatures[p] = *signature;
    else commands_.commandSignatures[p] = CommandSignature(c);
    commands_.commandKinds[p] = c.kind;
    commands_.commandResourceIds[p] = c.resourceId;
    commands_.commandImageGenerations[p] = c.imageGeneration;
    commands_.paintRefs[p] = paintRef;
    commands_.imageRefs[p] = imageRef;
    commands_.glyphRefs[p] = glyphRef;
    commands_.clipRefs[p] = clipRef;
    commands_.transformRefs[p] = transformRef;
    return true;
}

void RetainedResourceStore::AppendCommandRow(int32_t ownerRow, const RenderCommand& command, int32_t paintRef,
                                             int32_t imageRef, int32_t glyphRef, int32_t clipRef,
                                             int32_t transformRef) {
    StepRevisionIf(AppendCommand(ownerRow, command, nullptr, paintRef, imageRef, glyphRef, clipRef, transformRef));
}

void RetainedResourceStore::ReplaceCommandRow(int32_t position, const RenderCommand& command, int32_t paintRef,
                                              int32_t imageRef, int32_t glyphRef, int32_t clipRef,
                                              int32_t transformRef) {
    StepRevisionIf(ReplaceCommand(position, command, nullptr, paintRef, imageRef, glyphRef, clipRef, transformRef));
}

bool RetainedResourceStore::WritePlan(const AdmissionPlan& plan, bool binding,
                                      const std::vector<RenderCommand>& commands,
                                      const std::vector<std::string>* signatures) {
    if (!plan.accepted || IsClosed()) return false;
    if (signatures && signatures->size() != commands.size()) signatures = nullptr;
    auto signatureAt = [signatures](size_t i) { return signatures ? &(*signatures)[i] : nullptr; };
    bool wrote = false;
    for (const RenderPaint& r : plan.pendingPaints) wrote |= AppendPaintRow(r);
    for (const RenderImage& r : plan.pendingImages) wrote |= AppendImageRow(r);
    for (const RenderGlyphAlpha& r : plan.pendingGlyphs) wrote |= AppendGlyphRow(r);
    for (const RenderClip& r : plan.pendingClips) wrote |= AppendClipRow(r);
    for (const RenderTransform& r : plan.pendingTransforms) wrote |= AppendTransformRow(r);

    const int32_t count = SaturateToInt32(static_cast<int64_t>(commands.size()));
    if (binding) {
        const int32_t r = owners_.Size();
        owners_.ownerIds.push_back(plan.ownerId);
        IndexPut(KeyText("binding", plan.ownerId, 0), r);
        owners_.ownerGenerations.push_back(plan.generation);
        owners_.rangeFirst.push_back(plan.rangeFirst);
        owners_.rangeLast.push_back(plan.rangeLast);
        owners_.ownerStarts.push_back(commands_.Size());
        owners_.ownerCommandCounts.push_back(count);
        owners_.RangeAdded(r);
        commands_.Reserve(commands.size());
        for (size_t i = 0; i < commands.size(); ++i) {
            const RenderCommand& c = commands[i];
            int32_t position = commands_.Size();
            AppendCommand(r, c, signatureAt(i), RefAt(plan.paintRefs, i), RefAt(plan.imageRefs, i),
                          RefAt(plan.glyphRefs, i), RefAt(plan.clipRefs, i), RefAt(plan.transformRefs, i));
            IndexPut(KeyText("command-sequence", "", c.sequence), position);
        }
        AddCounter(commandCount_, count);
        return true;
    }
    const int32_t r = FindOwner(plan.ownerId);
    // Only a plan that keeps the owner's exact range rewrites its rows.
    if (!owners_.Has(r) || owners_.ownerCommandCounts[r] != count) return wrote;
    owners_.ownerGenerations[r] = plan.generation;
    // Checked updates keep their sequences and so their range.
    if (owners_.rangeFirst[r] != plan.rangeFirst || owners_.rangeLast[r] != plan.rangeLast) owners_.RangeChanged();
    owners_.rangeFirst[r] = plan.rangeFirst;
    owners_.rangeLast[r] = plan.rangeLast;
    for (size_t i = 0; i < commands.size(); ++i) {
        ReplaceCommand(owners_.ownerStarts[r] + static_cast<int32_t>(i), commands[i], signatureAt(i),
                       RefAt(plan.paintRefs, i), RefAt(plan.imageRefs, i), RefAt(plan.glyphRefs, i),
                       RefAt(plan.clipRefs, i), RefAt(plan.transformRefs, i));
    }
    return true;
}

void RetainedResourceStore::ApplyPlan(const AdmissionPlan& plan, bool binding) {
    StepRevisionIf(WritePlan(plan, binding, plan.commands, nullptr));
}

void RetainedResourceStore::ApplyCounters(int64_t validations, int64_t explicitComparisons,
                                          int64_t payloadComparisons, int64_t indexProbes) {
    AddCounter(validations_, validations);
    AddCounter(explicitComparisons_, explicitComparisons);
    AddCounter(payloadComparisons_, payloadComparisons);
    AddCounter(indexProbes_, indexProbes);
    AddCounter(admissions_, 1);
    AddCounter(revision_, 1);
}

OperationResult RetainedResourceStore::CommitPlan(const AdmissionPlan& plan, bool binding) {
    return CommitPlan(plan, binding, plan.commands, nullptr);
}

OperationResult RetainedResourceStore::CommitPlan(const AdmissionPlan& plan, bool binding,
                                                  const std::vector<RenderCommand>& commands,
                                                  const std::vector<std::string>* signatures) {
    if (!plan.accepted) return Rejected(plan.message);
    if (!IsOpen()) return Rejected("retained resource store is not open");
    WritePlan(plan, binding, commands, signatures);
    ApplyCounters(plan.validations, plan.explicitComparisons, plan.payloadComparisons, plan.indexProbes);
    return {true, revision_, plan.validations, plan.explicitComparisons, plan.payloadComparisons, "ok"};
}

OperationResult RetainedResourceStore::CommitNow(const RenderFragment& fragment, const ResourceDelta& delta,
                                                 int32_t expectedRevision, bool binding) {
    // The plan is written at once, so it writes the fragment's own commands
    // instead of keeping a copy.
    StagingSet staging(1);
    AdmissionPlan plan = BuildPlan(fragment, delta, expectedRevision, binding, staging, false);
    if (!plan.accepted) return Rejected(plan.message);
    return CommitPlan(plan, binding, fragment.commands, nullptr);
}

OperationResult RetainedResourceStore::BindOwner(const RenderFragment& fragment, const ResourceDelta& delta,
                                                 int32_t expectedRevision) {
    return CommitNow(fragment, delta, expectedRevision, true);
}

OperationResult RetainedResourceStore::UpdateOwner(const RenderFragment& fragment, const ResourceDelta& delta,
                                                   int32_t expectedRevision) {
    return CommitNow(fragment, delta, expectedRevision, false);
}

OperationResult RetainedResourceStore::PreflightBinding(const RenderFragment& fragment, const ResourceDelta& delta,
                                                        int32_t expectedRevision) const {
    AdmissionPlan plan = PrepareDelta(fragment, delta, expectedRevision, true);
    if (!plan.accepted) return Rejected(plan.message);
    return {true, revision_, plan.validations, plan.explicitComparisons, plan.payloadComparisons, "ok"};
}

OperationResult RetainedResourceStore::PreflightUpdate(const RenderFragment& fragment, const ResourceDelta& delta,
                                                       int32_t expectedRevision) const {
    AdmissionPlan plan = PrepareDelta(fragment, delta, expectedRevision, false);
    if (!plan.accepted) return Rejected(plan.message);
    return {true, revision_, plan.validations, plan.explicitComparisons, plan.payloadComparisons, "ok"};
}

int32_t RetainedResourceStore::FindCommand(const RenderCommand& command) const {
    int32_t p = FindKey(KeyText("command-sequence", "", command.sequence));
    if (!commands_.Has(p) || commands_.commandSequences[p] != command.sequence) return -1;
    return SignsAs(command, commands_.commandSignatures[p]) ? p : -1;
}

int32_t RetainedResourceStore::CommandOwner(const RenderCommand& command) const {
    int32_t p = FindCommand(command);
    return p < 0 ? -1 : commands_.commandOwners[p];
}

}  // namespace rava
