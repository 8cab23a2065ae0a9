// The retained resource store: a revisioned, validated store of render
// resources and owners' command ranges for one drawing surface. The one
// header clients include. No operation throws; every checked operation runs
// all its checks before the first write, so a refusal leaves the store
// unchanged. The plan-application layer at the end of the class checks nothing.
#pragma once

// The headers use C++20 (concepts, std::span): say so before anything else fails.
#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 202002L
#error "the rava libraries need C++20: compile with -std=c++20 (or newer)"
#endif

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "retained/keyed_chain_index.h"
#include "retained/plan_records.h"
#include "retained/prepared_objects.h"
#include "retained/render_records.h"
#include "retained/resource_tables.h"
#include "retained/validation.h"

namespace rava {

struct OperationResult {
    bool accepted = false;
    int32_t revision = 0;
    int32_t validations = 0;
    int32_t explicitComparisons = 0;
    int32_t payloadComparisons = 0;
    std::string message;
};

class RetainedResourceStore {
public:
    static constexpr int32_t kBucketCount = 8192;
    static constexpr int64_t kMaxDeltaEntries = 65536;
    static constexpr int64_t kMaxEntries = 65536;
    static constexpr int64_t kMaxCommands = 65536;
    static constexpr int64_t kMaxPayloadBytes = 67108864;
    static constexpr int32_t kMaxOwners = 4096;
    static constexpr int64_t kMaxIndexNodes = 200704;
    static constexpr size_t kMaxSurfaceBytes = 128;

    // An empty or over-long surface yields a store in state "invalid".
    explicit RetainedResourceStore(std::string_view surface);
    ~RetainedResourceStore();
    // A copy would share the token and accept the original's prepared objects.
    RetainedResourceStore(const RetainedResourceStore&) = delete;
    RetainedResourceStore& operator=(const RetainedResourceStore&) = delete;

    const std::shared_ptr<StoreToken>& Token() const { return token_; }

    // Accessors: valid in every state.
    std::string Surface() const { return surface_; }
    std::string State() const { return state_; }
    int32_t Revision() const { return revision_; }
    int32_t OwnerCount() const { return owners_.Size(); }
    int32_t CommandCount() const { return commandCount_; }
    int32_t PayloadBytes() const { return payloadBytes_; }
    int32_t ValidationCount() const { return validations_; }
    int32_t ExplicitComparisonCount() const { return explicitComparisons_; }
    int32_t PayloadComparisonCount() const { return payloadComparisons_; }
    int32_t AdmissionCount() const { return admissions_; }
    int32_t IndexNodeCount() const { return index_.NodeCount(); }
    int32_t IndexBucketCount() const { return index_.BucketCount(); }
    int32_t IndexProbeCount() const { return indexProbes_; }
    int32_t PaintCount() const { return paints_.Size(); }
    int32_t ImageCount() const { return images_.Size(); }
    int32_t GlyphCount() const { return glyphs_.Size(); }
    int32_t ClipCount() const { return clips_.Size(); }
    int32_t TransformCount() const { return transforms_.Size(); }
    // Reference columns of a command row; -1 outside the command table.
    int32_t CommandPaintRef(int32_t position) const;
    int32_t CommandImageRef(int32_t position) const;
    int32_t CommandGlyphRef(int32_t position) const;
    int32_t CommandClipRef(int32_t position) const;
    int32_t CommandTransformRef(int32_t position) const;
    int32_t CommandOwnerAt(int32_t position) const;
    int32_t EntryCount() const;

    // Identity index. The counted forms add their chain steps to the plan.
    int32_t FindOwner(std::string_view ownerId) const;
    int32_t FindKey(std::string_view key) const;
    int32_t FindOwnerCounted(AdmissionPlan& plan, std::string_view ownerId) const;
    int32_t FindKeyCounted(AdmissionPlan& plan, std::string_view key) const;

    // Lookups by identity: the staging set first, then the counted index.
    // Results are combined positions, or -1.
    int32_t FindPaint(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;
    int32_t FindImageGeneration(AdmissionPlan& plan, StagingSet& staging, std::string_view id,
                                int32_t generation) const;
    // Generation of the newest image of the id, 0 when there is none.
    int32_t FindImageLatest(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;
    int32_t FindGlyph(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;
    int32_t FindClip(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;
    int32_t FindTransform(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;

    // Records at a combined position (store row, else staged record); a
    // position outside both answers a default record.
    RenderPaint ReadPaint(int32_t position, const StagingSet& staging) const;
    RenderImage ReadImage(int32_t position, const StagingSet& staging) const;
    RenderGlyphAlpha ReadGlyph(int32_t position, const StagingSet& staging) const;
    RenderClip ReadClip(int32_t position, const StagingSet& staging) const;
    RenderTransform ReadTransform(int32_t position, const StagingSet& staging) const;
    RenderPaint ReadStoredPaint(int32_t row) const { return paints_.Read(row); }
    RenderImage ReadStoredImage(int32_t row) const { return images_.Read(row); }
    RenderGlyphAlpha ReadStoredGlyph(int32_t row) const { return glyphs_.Read(row); }
    RenderClip ReadStoredClip(int32_t row) const { return clips_.Read(row); }
    RenderTransform ReadStoredTransform(int32_t row) const { return transforms_.Read(row); }

    // Owner columns; -1 for an owner row or command index outside the store.
    int32_t OwnerGeneration(int32_t ownerRow) const;
    int32_t OwnerPaintRef(int32_t ownerRow, int32_t commandIndex) const;
    int32_t OwnerImageRef(int32_t ownerRow, int32_t commandIndex) const;
    int32_t OwnerGlyphRef(int32_t ownerRow, int32_t commandIndex) const;
    int32_t OwnerClipRef(int32_t ownerRow, int32_t commandIndex) const;
    int32_t OwnerTransformRef(int32_t ownerRow, int32_t commandIndex) const;

    // Admission of one delta record into a plan: true when identical to a
    // known record or appended to the plan's pending list; false with the
    // plan's message set. Changes nothing but the plan.
    bool AdmitPaint(AdmissionPlan& plan, StagingSet& staging, const RenderPaint& paint) const;
    bool AdmitImage(AdmissionPlan& plan, StagingSet& staging, const RenderImage& image) const;
    bool AdmitGlyph(AdmissionPlan& plan, StagingSet& staging, const RenderGlyphAlpha& glyph) const;
    bool AdmitClip(AdmissionPlan& plan, StagingSet& staging, const RenderClip& clip) const;
    bool AdmitTransform(AdmissionPlan& plan, StagingSet& staging, const RenderTransform& transform) const;

    // Command references: the lookup by identity, then the plan's own
    // pending records (combined position store rows + staged + index).
    int32_t ResolvePaint(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;
    int32_t ResolveImage(AdmissionPlan& plan, StagingSet& staging, std::string_view id, int32_t generation) const;
    int32_t ResolveGlyph(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;
    int32_t ResolveClip(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;
    int32_t ResolveTransform(AdmissionPlan& plan, StagingSet& staging, std::string_view id) const;

    // Plan building reads the store and the staging set and writes neither
    // (apart from probe counters). Binding true binds a new owner, false
    // updates a bound one.
    AdmissionPlan PrepareDelta(const RenderFragment& fragment, const ResourceDelta& delta, int32_t expectedRevision,
                               bool binding) const;
    AdmissionPlan BuildPlan(const RenderFragment& fragment, const ResourceDelta& delta, int32_t expectedRevision,
                            bool binding, StagingSet& staging) const {
        return BuildPlan(fragment, delta, expectedRevision, binding, staging, true);
    }
    // Adds an accepted plan's pending records to a batch's staging set.
    void StagePlan(const AdmissionPlan& plan, StagingSet& staging) const;
    std::shared_ptr<PreparedCandidateBatch> PreflightCandidateBatch(const std::vector<RenderFragment>& fragments,
                                                                    const std::vector<ResourceDelta>& deltas,
                                                                    int32_t expectedRevision) const;

    // Applies the plan, adds its counters, raises admissions and revision.
    // A plan that was not accepted, or a store that is not open, is refused.
    OperationResult CommitPlan(const AdmissionPlan& plan, bool binding);

    OperationResult BindOwner(const RenderFragment& fragment, const ResourceDelta& delta, int32_t expectedRevision);
    std::shared_ptr<PreparedAdmission> PrepareBinding(const RenderFragment& fragment, const ResourceDelta& delta,
                                                      int32_t expectedRevision) const;
    OperationResult PreflightBinding(const RenderFragment& fragment, const ResourceDelta& delta,
                                     int32_t expectedRevision) const;
    OperationResult UpdateOwner(const RenderFragment& fragment, const ResourceDelta& delta, int32_t expectedRevision);
    std::shared_ptr<PreparedAdmission> PrepareUpdate(const RenderFragment& fragment, const ResourceDelta& delta,
                                                     int32_t expectedRevision) const;
    OperationResult CommitPreparedAdmission(const std::shared_ptr<PreparedAdmission>& prepared,
                                            const RenderFragment& fragment, const ResourceDelta& delta,
                                            bool commitKind);
    OperationResult CommitPreparedBinding(const std::shared_ptr<PreparedAdmission>& prepared,
                                          const RenderFragment& fragment, const ResourceDelta& delta);
    OperationResult CommitPreparedUpdate(const std::shared_ptr<PreparedAdmission>& prepared,
                                         const RenderFragment& fragment, const ResourceDelta& delta);
    OperationResult CommitPreparedCandidateBatch(const std::shared_ptr<PreparedCandidateBatch>& batch,
                                                 const std::vector<RenderFragment>& fragments,
                                                 const std::vector<ResourceDelta>& deltas);
    OperationResult PreflightUpdate(const RenderFragment& fragment, const ResourceDelta& delta,
                                    int32_t expectedRevision) const;
    // Owner row of the command's row, -1 when FindCommand finds none.
    int32_t CommandOwner(const RenderCommand& command) const;
    // Row of the command's sequence, only if that row holds this exact command.
    int32_t FindCommand(const RenderCommand& command) const;

    // Empties the store for good and raises the revision once; always true.
    bool Close();
    std::string Diagnostics() const;

    // ---- Plan-application layer: writes that validate nothing ------------
    // What the checked operations above use once a plan has been accepted.
    // None of these checks identities, limits, references or revisions: a
    // caller can break every rule the store otherwise keeps (duplicate
    // identities, dangling references, counts past the limits). Clients use
    // BindOwner, UpdateOwner and the prepared forms instead; "every check
    // runs before the first write" holds for those, not for these.
    //
    // Revision rule: each call that writes anything raises the revision by 1
    // (so every prepared object made before it is stale); a call that writes
    // nothing leaves it alone. A closed store is never written. They add
    // nothing to the validation, comparison or admission counts.

    // Inserts or overwrites an index key; chain steps go to IndexProbeCount.
    void PutKey(std::string_view key, int32_t value);
    // One pending record: appends its row, puts its identity keys and adds an
    // image's or glyph's sizeBytes to the payload total.
    void CommitPaints(const RenderPaint& paint);
    void CommitImages(const RenderImage& image);
    void CommitGlyphs(const RenderGlyphAlpha& glyph);
    void CommitClips(const RenderClip& clip);
    void CommitTransforms(const RenderTransform& transform);
    // Appends a command row of the owner row with the five reference positions.
    void AppendCommandRow(int32_t ownerRow, const RenderCommand& command, int32_t paintRef, int32_t imageRef,
                          int32_t glyphRef, int32_t clipRef, int32_t transformRef);
    // Overwrites every column of the row but its owner; ignored outside the table.
    void ReplaceCommandRow(int32_t position, const RenderCommand& command, int32_t paintRef, int32_t imageRef,
                           int32_t glyphRef, int32_t clipRef, int32_t transformRef);
    // Writes an accepted plan (a plan that was not accepted writes nothing),
    // as it stands: the store may have moved since the plan was built.
    void ApplyPlan(const AdmissionPlan& plan, bool binding);

private:
    bool IsOpen() const { return state_ == "open"; }
    bool IsClosed() const { return state_ == "closed"; }
    // The writes behind the public low-level operations, shared with the
    // ordinary commits (which step the revision once per commit themselves).
    // Each answers whether it wrote anything.
    bool IndexPut(std::string_view key, int32_t value);
    bool AppendPaintRow(const RenderPaint& paint);
    bool AppendImageRow(const RenderImage& image);
    bool AppendGlyphRow(const RenderGlyphAlpha& glyph);
    bool AppendClipRow(const RenderClip& clip);
    bool AppendTransformRow(const RenderTransform& transform);
    // `signature` is the command's signature when the caller has it already.
    bool AppendCommand(int32_t ownerRow, const RenderCommand& command, const std::string* signature,
                       int32_t paintRef, int32_t imageRef, int32_t glyphRef, int32_t clipRef, int32_t transformRef);
    bool ReplaceCommand(int32_t position, const RenderCommand& command, const std::string* signature,
                        int32_t paintRef, int32_t imageRef, int32_t glyphRef, int32_t clipRef, int32_t transformRef);
    // `signatures`, when given, are those of the plan's commands (a prepared
    // object's, checked equal to its inputs), so they are not built again.
    // `commands` stand for the plan's commands (equal to them; a batch item
    // writes its fragment's commands instead of a copy).
    bool WritePlan(const AdmissionPlan& plan, bool binding, const std::vector<RenderCommand>& commands,
                   const std::vector<std::string>* signatures);
    // keepCommands false leaves the plan's commands empty, for a plan that is
    // only staged and kept as a prepared object.
    AdmissionPlan BuildPlan(const RenderFragment& fragment, const ResourceDelta& delta, int32_t expectedRevision,
                            bool binding, StagingSet& staging, bool keepCommands) const;
    void StepRevisionIf(bool wrote);
    OperationResult CommitPlan(const AdmissionPlan& plan, bool binding, const std::vector<RenderCommand>& commands,
                               const std::vector<std::string>* signatures);
    // BindOwner and UpdateOwner: build the plan and commit it when accepted.
    OperationResult CommitNow(const RenderFragment& fragment, const ResourceDelta& delta, int32_t expectedRevision,
                              bool binding);
    int32_t FindOptionalGlyph(AdmissionPlan& plan, const StagingSet& staging, std::string_view id) const;
    int32_t OwnerColumnRef(const std::vector<int32_t>& column, int32_t ownerRow, int32_t commandIndex) const;
    int32_t FindResource(AdmissionPlan& plan, StagingSet& staging, std::string_view key) const;
    OperationResult Rejected(std::string message) const;
    std::string CheckOwner(const RenderFragment& fragment, const SequenceSpan& span, int32_t ownerRow,
                           bool binding) const;
    std::string CheckLimits(const RenderFragment& fragment, int32_t ownerRow, bool binding, const AdmissionPlan& plan,
                            const StagingSet& staging) const;
    std::string ResolveReferences(const RenderFragment& fragment, AdmissionPlan& plan, StagingSet& staging) const;
    void ApplyCounters(int64_t validations, int64_t explicitComparisons, int64_t payloadComparisons,
                       int64_t indexProbes);

    std::shared_ptr<StoreToken> token_;
    std::string surface_;
    std::string state_;
    int32_t revision_ = 0;
    PaintTable paints_;
    ImageTable images_;
    GlyphTable glyphs_;
    ClipTable clips_;
    TransformTable transforms_;
    ChainedKeyIndex index_;
    int32_t indexProbes_ = 0;
    OwnerColumns owners_;
    CommandColumns commands_;
    int32_t commandCount_ = 0;
    int32_t payloadBytes_ = 0;
    int32_t validations_ = 0;
    int32_t explicitComparisons_ = 0;
    int32_t payloadComparisons_ = 0;
    int32_t admissions_ = 0;
};

}  // namespace rava
