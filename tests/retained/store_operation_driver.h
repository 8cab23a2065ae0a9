// Drives a RetainedResourceStore with operation sequences decoded from a
// choice source (a seeded generator in the property test, fuzz bytes in the
// fuzzer) and checks after every call: a refusal leaves everything readable
// unchanged, an acceptance raises the revision by exactly one, and every
// bound command row is found again under its owner.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "retained/retained_store.h"
#include "tests/retained/retained_records_support.h"

namespace rava::testing {

// Answers choices in 0..bound-1 (0 when bound is 0).
class ChoiceSource {
public:
    virtual ~ChoiceSource() = default;
    virtual uint32_t Next(uint32_t bound) = 0;
    bool Chance(uint32_t oneIn) { return Next(oneIn) == 0; }
};

class StoreOperationDriver {
public:
    static constexpr int kOwners = 6;

    // deep false (the fuzzer) compares digests (the diagnostics line and all
    // counts) instead of every row, and checks the command rows only after
    // a few acceptances; the property test checks everything after every call.
    StoreOperationDriver(ChoiceSource& source, std::function<void(const std::string&)> fail, bool deep = true)
        : in_(source), fail_(std::move(fail)), deep_(deep), generations_(kOwners, 0) {}

    const RetainedResourceStore& Store() const { return store_; }
    // The command-row check on demand (the cheap mode's last word).
    void CheckCommandRowsNow() { CheckCommandRows(); }

    void Step() {
        switch (in_.Next(12)) {
            case 0: case 1: Bind(); break;
            case 2: case 3: Update(); break;
            case 4: Preflight(); break;
            case 5: Prepare(); break;
            case 6: case 7: CommitPrepared(); break;
            case 8: case 9: Batch(); break;
            case 10: CommitBatchAgain(); break;
            default:
                if (in_.Chance(8)) Close();
                else Preflight();
        }
    }

private:
    struct Prepared {
        std::shared_ptr<PreparedAdmission> object;
        RenderFragment fragment;
        ResourceDelta delta;
        bool binding;
    };
    struct Batched {
        std::shared_ptr<PreparedCandidateBatch> object;
        std::vector<RenderFragment> fragments;
        std::vector<ResourceDelta> deltas;
    };

    void Fail(const std::string& what) { fail_(what); }

    // ---- input generation -------------------------------------------------

    int32_t HostileInt() {
        static const int32_t values[] = {INT32_MIN, -1000001, -1, 0, 1, 255, 256, 4096, 1000000, INT32_MAX};
        return values[in_.Next(10)];
    }
    std::string PickId(const char* prefix, uint32_t count) {
        if (in_.Chance(16)) {
            static const char* hostile[] = {"", "a|b", "x:{1}", "identity", "{0}"};
            return hostile[in_.Next(5)];
        }
        return prefix + std::to_string(in_.Next(count));
    }
    RenderPaint MakePaint(const std::string& id) {
        RenderPaint p = Paint(id, 100);
        if (in_.Chance(6)) p.opacity = static_cast<int32_t>(in_.Next(101));  // collides with the canonical one
        if (in_.Chance(12)) p.red = HostileInt();
        return p;
    }
    RenderImage MakeImage(const std::string& id, int32_t generation) {
        RenderImage i = in_.Chance(3) ? LoadingImage(id, generation) : ReadyImage(id, generation, 1, 1);
        if (in_.Chance(10)) i.payloadHex = in_.Chance(2) ? "zz" : std::string();
        if (in_.Chance(12)) i.sizeBytes = HostileInt();
        if (in_.Chance(12)) i.width = HostileInt();
        return i;
    }
    RenderGlyphAlpha MakeGlyph(const std::string& id) {
        RenderGlyphAlpha g = Glyph(id, 2, 1);
        if (in_.Chance(10)) g.sizeBytes = HostileInt();
        if (in_.Chance(10)) g.height = HostileInt();
        return g;
    }
    RenderClip MakeClip(const std::string& id) {
        RenderClip c = Clip(id);
        if (in_.Chance(8)) c.width = HostileInt();
        return c;
    }
    RenderTransform MakeTransform(const std::string& id) {
        RenderTransform t = Transform(id);
        if (in_.Chance(8)) t.scaleXPercent = HostileInt();
        return t;
    }

    RenderFragment MakeFragment(int owner, int32_t generation) {
        int32_t count = 1 + owner % 4;
        int64_t base = owner * 8;
        if (in_.Chance(10)) count = static_cast<int32_t>(in_.Next(6));
        if (in_.Chance(10)) base = in_.Chance(2) ? static_cast<int64_t>(in_.Next(48)) : HostileInt();
        if (base + count - 1 > INT32_MAX) base = static_cast<int64_t>(INT32_MAX) - count + 1;
        std::string id = "o" + std::to_string(owner);
        RenderFragment f = Fragment(id, generation, 0, 0);
        if (in_.Chance(20)) f.inkBounds.x = HostileInt();
        if (in_.Chance(20)) f.dependencyKey3.clear();
        // Sequences never wrap; some fragments run them backwards or repeat
        // one, which must neither overlap another owner nor hide a command.
        const uint32_t order = in_.Next(16);
        f.commands.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            int64_t sequence = order == 0 ? base + count - 1 - i : base + i;
            if (order == 1 && i == count - 1) sequence = base;
            RenderCommand c = Command(id, static_cast<int32_t>(sequence));
            if (in_.Chance(16)) c.owner = "stranger";
            switch (in_.Next(8)) {
                case 0:
                    c.kind = "image";
                    c.resourceId = "im" + std::to_string(in_.Next(2));
                    c.imageGeneration = 1 + static_cast<int32_t>(in_.Next(3));
                    break;
                case 1:
                    c.kind = "glyphAlpha";
                    c.resourceId = GlyphId(static_cast<char>('0' + in_.Next(2)));
                    c.glyphOptional = in_.Chance(2);
                    break;
                case 2: c.kind = in_.Chance(2) ? "clipPop" : "transformPush"; break;
                default: break;
            }
            if (in_.Chance(2)) c.paintId = "p" + std::to_string(in_.Next(4));
            if (in_.Chance(4)) c.clipId = "c" + std::to_string(in_.Next(2));
            if (in_.Chance(4)) c.transformId = in_.Chance(2) ? "identity" : "t0";
            c.intArg7 = HostileInt();
            f.commands.push_back(std::move(c));
        }
        return f;
    }

    // Usually carries what the fragment references, plus random extras.
    ResourceDelta MakeDelta(const RenderFragment& f) {
        ResourceDelta d = Delta(in_.Chance(20) ? "other" : "main");
        for (const RenderCommand& c : f.commands) {
            if (in_.Chance(6)) continue;
            if (!c.paintId.empty()) d.paints.push_back(MakePaint(c.paintId));
            if (c.kind == "image") d.images.push_back(MakeImage(c.resourceId, c.imageGeneration));
            if (c.kind == "glyphAlpha") d.glyphs.push_back(MakeGlyph(c.resourceId));
            if (!c.clipId.empty()) d.clips.push_back(MakeClip(c.clipId));
            if (c.transformId == "t0") d.transforms.push_back(MakeTransform("t0"));
        }
        for (uint32_t extra = in_.Next(3); extra > 0; --extra) {
            switch (in_.Next(5)) {
                case 0: d.paints.push_back(MakePaint(PickId("p", 6))); break;
                case 1:
                    d.images.push_back(MakeImage(PickId("im", 2), static_cast<int32_t>(in_.Next(5))));
                    break;
                case 2: d.glyphs.push_back(MakeGlyph(in_.Chance(4) ? "sha256:bad" : GlyphId('0'))); break;
                case 3: d.clips.push_back(MakeClip(PickId("c", 3))); break;
                default: d.transforms.push_back(MakeTransform(PickId("t", 2))); break;
            }
        }
        return d;
    }

    int32_t ExpectedRevision() {
        if (in_.Chance(12)) return in_.Chance(2) ? store_.Revision() - 1 : HostileInt();
        return store_.Revision();
    }
    int32_t NextGeneration(int owner) {
        if (in_.Chance(10)) return in_.Chance(2) ? generations_[owner] : HostileInt();
        // An owner at the top generation can never be updated again.
        return generations_[owner] == INT32_MAX ? INT32_MAX : generations_[owner] + 1;
    }

    // ---- checks ------------------------------------------------------------

    void CheckOutcome(const StoreSnapshot& before, const OperationResult& r, const char* what) {
        if (r.revision != store_.Revision()) Fail(std::string(what) + ": result revision differs from the store");
        if (r.accepted) {
            if (r.message != "ok") Fail(std::string(what) + ": accepted without ok");
            if (store_.Revision() != before.numbers[0] + 1) Fail(std::string(what) + ": revision did not rise by 1");
            if (store_.AdmissionCount() != before.numbers[7] + 1) Fail(std::string(what) + ": admissions did not rise by 1");
            return;
        }
        if (r.message.empty() || r.message == "ok") Fail(std::string(what) + ": refusal without a message");
        if (r.validations != 0 || r.explicitComparisons != 0 || r.payloadComparisons != 0) {
            Fail(std::string(what) + ": refusal reports work");
        }
        if (!(Snapshot(store_, deep_) == before)) Fail(std::string(what) + ": refusal changed the store: " + r.message);
    }

    void CheckUnchanged(const StoreSnapshot& before, const char* what) {
        if (!(Snapshot(store_, deep_) == before)) Fail(std::string(what) + ": read-only operation changed the store");
    }

    // After every acceptance: each bound command row p answers FindCommand =
    // p and CommandOwner = its owner, and the owners' rows cover the table.
    void CheckCommandRows() {
        const int32_t rows = store_.CommandCount();
        std::vector<char> seen(static_cast<size_t>(rows), 0);
        int32_t found = 0;
        for (const auto& [id, f] : committed_) {
            int32_t owner = store_.FindOwner(id);
            if (owner < 0) return Fail("committed owner not found: " + id);
            if (store_.OwnerGeneration(owner) != f.generation) Fail("owner generation not stored: " + id);
            for (const RenderCommand& c : f.commands) {
                int32_t p = store_.FindCommand(c);
                if (p < 0 || p >= rows || seen[p] || store_.CommandOwnerAt(p) != owner ||
                    store_.CommandOwner(c) != owner) {
                    return Fail("bound command " + std::to_string(c.sequence) + " not found under its owner " + id);
                }
                seen[p] = 1;
                ++found;
            }
        }
        if (found != rows) Fail("command rows without a committed command");
    }

    void Accepted(const std::vector<RenderFragment>& fragments) {
        for (const RenderFragment& f : fragments) Remember(f);
        if (deep_ || ++acceptances_ % 4 == 0) CheckCommandRows();
    }

    void Remember(const RenderFragment& f) {
        if (f.id.size() > 1 && f.id[0] == 'o') {
            int owner = f.id[1] - '0';
            if (owner >= 0 && owner < kOwners) generations_[owner] = f.generation;
        }
        committed_[f.id] = f;
    }

    // ---- operations --------------------------------------------------------

    void Bind() {
        int owner = static_cast<int>(in_.Next(kOwners));
        RenderFragment f = MakeFragment(owner, 1 + static_cast<int32_t>(in_.Next(3)));
        ResourceDelta d = MakeDelta(f);
        StoreSnapshot before = Snapshot(store_, deep_);
        OperationResult r = store_.BindOwner(f, d, ExpectedRevision());
        CheckOutcome(before, r, "BindOwner");
        if (r.accepted) Accepted({f});
    }

    void Update() {
        int owner = static_cast<int>(in_.Next(kOwners));
        RenderFragment f = MakeFragment(owner, NextGeneration(owner));
        ResourceDelta d = MakeDelta(f);
        StoreSnapshot before = Snapshot(store_, deep_);
        OperationResult r = store_.UpdateOwner(f, d, ExpectedRevision());
        CheckOutcome(before, r, "UpdateOwner");
        if (r.accepted) Accepted({f});
    }

    void Preflight() {
        int owner = static_cast<int>(in_.Next(kOwners));
        bool binding = in_.Chance(2);
        RenderFragment f = MakeFragment(owner, binding ? 1 : NextGeneration(owner));
        ResourceDelta d = MakeDelta(f);
        int32_t expected = ExpectedRevision();
        StoreSnapshot before = Snapshot(store_, deep_);
        OperationResult r = binding ? store_.PreflightBinding(f, d, expected) : store_.PreflightUpdate(f, d, expected);
        CheckUnchanged(before, "Preflight");
        if (r.revision != store_.Revision()) Fail("Preflight: result revision differs from the store");
        // A preflight and the real operation agree.
        if (in_.Chance(2)) {
            OperationResult real = binding ? store_.BindOwner(f, d, expected) : store_.UpdateOwner(f, d, expected);
            if (real.accepted != r.accepted || (!real.accepted && real.message != r.message)) {
                Fail("Preflight disagrees with the operation: " + r.message + " / " + real.message);
            }
            CheckOutcome(before, real, "after Preflight");
            if (real.accepted) Accepted({f});
        }
    }

    void Prepare() {
        int owner = static_cast<int>(in_.Next(kOwners));
        bool binding = in_.Chance(2);
        Prepared p{nullptr, MakeFragment(owner, binding ? 1 : NextGeneration(owner)), {}, binding};
        p.delta = MakeDelta(p.fragment);
        int32_t expected = ExpectedRevision();
        StoreSnapshot before = Snapshot(store_, deep_);
        p.object = binding ? store_.PrepareBinding(p.fragment, p.delta, expected)
                           : store_.PrepareUpdate(p.fragment, p.delta, expected);
        CheckUnchanged(before, "Prepare");
        if (p.object->PreparedRevision() != expected) Fail("Prepare: revision not kept");
        prepared_.push_back(std::move(p));
        if (prepared_.size() > 8) prepared_.erase(prepared_.begin());
    }

    void CommitPrepared() {
        if (prepared_.empty()) return Prepare();
        Prepared& p = prepared_[in_.Next(static_cast<uint32_t>(prepared_.size()))];
        // Copies only when an input is changed on purpose.
        std::optional<RenderFragment> changedFragment;
        std::optional<ResourceDelta> changedDelta;
        if (in_.Chance(6) && !p.delta.paints.empty()) {
            changedDelta = p.delta;
            changedDelta->paints[0].opacity ^= 1;
        }
        if (in_.Chance(10)) {
            changedFragment = p.fragment;
            changedFragment->userValue ^= 1;
        }
        const RenderFragment& f = changedFragment ? *changedFragment : p.fragment;
        const ResourceDelta& d = changedDelta ? *changedDelta : p.delta;
        bool kind = in_.Chance(10) ? !p.binding : p.binding;
        const bool foreign = in_.Chance(16);
        // The other store exists only for this rare case; building one per input is a cost.
        if (foreign && !twin_) twin_ = std::make_unique<RetainedResourceStore>("main");
        RetainedResourceStore& target = foreign ? *twin_ : store_;
        auto object = in_.Chance(20) ? nullptr : p.object;
        StoreSnapshot before = Snapshot(store_, deep_);
        OperationResult r = kind ? target.CommitPreparedBinding(object, f, d) : target.CommitPreparedUpdate(object, f, d);
        if (foreign) {
            if (r.accepted) Fail("a prepared admission committed on another store");
            CheckUnchanged(before, "foreign commit");
            return;
        }
        CheckOutcome(before, r, "CommitPrepared");
        if (r.accepted) {
            if (!p.object->Consumed()) Fail("committed prepared admission not consumed");
            Accepted({f});
        }
    }

    void Batch() {
        Batched b;
        uint32_t items = in_.Chance(16) ? 0 : 1 + in_.Next(4);
        std::vector<int> owners;
        for (uint32_t i = 0; i < items; ++i) {
            int owner = static_cast<int>(in_.Next(kOwners));
            b.fragments.push_back(MakeFragment(owner, NextGeneration(owner)));
            b.deltas.push_back(MakeDelta(b.fragments.back()));
        }
        if (in_.Chance(20) && !b.deltas.empty()) b.deltas.pop_back();
        StoreSnapshot before = Snapshot(store_, deep_);
        b.object = store_.PreflightCandidateBatch(b.fragments, b.deltas, ExpectedRevision());
        CheckUnchanged(before, "PreflightCandidateBatch");
        if (b.object->Accepted() && b.object->ItemCount() != static_cast<int32_t>(b.fragments.size())) {
            Fail("accepted batch lost items");
        }
        batches_.push_back(std::move(b));
        if (batches_.size() > 4) batches_.erase(batches_.begin());
        if (in_.Chance(3)) CommitBatchAgain();
    }

    void CommitBatchAgain() {
        if (batches_.empty()) return Batch();
        Batched& b = batches_[in_.Next(static_cast<uint32_t>(batches_.size()))];
        // Copies only when the items are reordered on purpose.
        std::vector<RenderFragment> swappedFragments;
        std::vector<ResourceDelta> swappedDeltas;
        const bool swap = in_.Chance(8) && b.fragments.size() > 1 && b.deltas.size() == b.fragments.size();
        if (swap) {
            swappedFragments = b.fragments;
            swappedDeltas = b.deltas;
            std::swap(swappedFragments[0], swappedFragments[1]);
            std::swap(swappedDeltas[0], swappedDeltas[1]);
        }
        const std::vector<RenderFragment>& fragments = swap ? swappedFragments : b.fragments;
        const std::vector<ResourceDelta>& deltas = swap ? swappedDeltas : b.deltas;
        StoreSnapshot before = Snapshot(store_, deep_);
        OperationResult r = store_.CommitPreparedCandidateBatch(b.object, fragments, deltas);
        CheckOutcome(before, r, "CommitPreparedCandidateBatch");
        if (r.accepted) Accepted(fragments);
    }

    void Close() {
        StoreSnapshot before = Snapshot(store_, deep_);
        bool wasClosed = store_.State() == "closed";
        if (!store_.Close()) Fail("Close returned false");
        committed_.clear();
        if (store_.Revision() != before.numbers[0] + (wasClosed ? 0 : 1)) Fail("Close moved the revision wrongly");
        if (store_.State() != "closed" || store_.EntryCount() != 0 || store_.IndexNodeCount() != 0) {
            Fail("Close left content behind");
        }
    }

    ChoiceSource& in_;
    std::function<void(const std::string&)> fail_;
    bool deep_;
    int acceptances_ = 0;
    RetainedResourceStore store_{"main"};
    std::unique_ptr<RetainedResourceStore> twin_;
    std::vector<int32_t> generations_;
    std::map<std::string, RenderFragment> committed_;
    std::vector<Prepared> prepared_;
    std::vector<Batched> batches_;
};

}  // namespace rava::testing
