// Two-step commits: prepared admissions (consumption, kind, owning store,
// staleness, changed inputs) and candidate batches (item limits, duplicates,
// staged references, one revision per batch, reordering).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "retained/keyed_chain_index.h"
#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

ResourceDelta WithPaints(std::initializer_list<RenderPaint> paints) {
    ResourceDelta d = Delta();
    d.paints = paints;
    return d;
}

struct PreparedAdmissions : ::testing::Test {
    RetainedResourceStore store{"main"};
    RenderFragment fragment = Fragment("row");
    ResourceDelta delta = Delta();

    void SetUp() override {
        delta.paints = {Paint("p1"), Paint("p2")};
        fragment.commands[0].paintId = "p2";
    }
    void RefuseBinding(const std::shared_ptr<PreparedAdmission>& prepared, const RenderFragment& f,
                       const ResourceDelta& d, const std::string& message) {
        ExpectRefused(store, [&] { return store.CommitPreparedBinding(prepared, f, d); }, message);
    }
};

TEST_F(PreparedAdmissions, CommitsOnceWithThePlanCounters) {
    auto prepared = store.PrepareBinding(fragment, delta, 0);
    EXPECT_TRUE(prepared->Accepted());
    EXPECT_EQ(prepared->Message(), "ok");
    EXPECT_EQ(prepared->PreparedRevision(), 0);
    EXPECT_EQ(prepared->Validations(), 2);
    EXPECT_TRUE(prepared->BindingFlag());
    EXPECT_EQ(store.PaintCount(), 0);
    OperationResult r = store.CommitPreparedBinding(prepared, fragment, delta);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.revision, 1);
    EXPECT_EQ(r.validations, 2);
    EXPECT_TRUE(prepared->Consumed());
    EXPECT_EQ(store.PaintCount(), 2);
    EXPECT_EQ(store.CommandPaintRef(0), 1);
    EXPECT_EQ(store.ValidationCount(), 2);
    RefuseBinding(prepared, fragment, delta, "retained resource prepared admission was already consumed");
    // Being consumed is reported before the commit kind is looked at.
    ExpectRefused(store, [&] { return store.CommitPreparedUpdate(prepared, fragment, delta); },
                  "retained resource prepared admission was already consumed");
}

TEST_F(PreparedAdmissions, WrongKindStoreOrInputsAreRefusedUntilRestored) {
    auto prepared = store.PrepareBinding(fragment, delta, 0);
    const std::string changed = "retained resource prepared admission inputs were changed";
    ResourceDelta otherPaint = delta, swapped = delta, extra = delta, otherSurface = delta;
    otherPaint.paints[0].opacity = 99;
    otherSurface.surface = "other";
    std::swap(swapped.paints[0], swapped.paints[1]);
    extra.clips = {Clip("c")};
    RenderFragment otherCommand = fragment;
    otherCommand.commands[0].intArg2 = 1;
    ExpectRefused(store, [&] { return store.CommitPreparedUpdate(prepared, fragment, delta); },
                  "retained resource prepared admission kind does not match commit");
    RetainedResourceStore twin("main");
    ExpectRefused(twin, [&] { return twin.CommitPreparedBinding(prepared, fragment, delta); },
                  "retained resource prepared admission belongs to another store");
    RefuseBinding(nullptr, fragment, delta, "retained resource prepared admission belongs to another store");
    RefuseBinding(prepared, fragment, otherPaint, changed);
    RefuseBinding(prepared, fragment, swapped, changed);
    RefuseBinding(prepared, otherCommand, delta, changed);
    RefuseBinding(prepared, fragment, extra, changed);
    RefuseBinding(prepared, fragment, otherSurface, changed);
    EXPECT_TRUE(prepared->BelongsTo(store.Token()));
    EXPECT_FALSE(prepared->BelongsTo(twin.Token()));
    EXPECT_FALSE(prepared->Consumed());
    EXPECT_TRUE(store.CommitPreparedBinding(prepared, fragment, delta).accepted);
}

TEST_F(PreparedAdmissions, AChangeInAnyKindOfDeltaRecordIsSeen) {
    delta.images = {ReadyImage("i", 1)};
    delta.glyphs = {Glyph(GlyphId())};
    delta.clips = {Clip("c")};
    delta.transforms = {Transform("t")};
    auto prepared = store.PrepareBinding(fragment, delta, 0);
    ASSERT_TRUE(prepared->Accepted()) << prepared->Message();
    const std::vector<std::function<void(ResourceDelta&)>> changes = {
        [](ResourceDelta& d) { d.images[0].source = "elsewhere"; },
        [](ResourceDelta& d) { d.glyphs[0].source = "elsewhere"; },
        [](ResourceDelta& d) { d.clips[0].radius = 4; },
        [](ResourceDelta& d) { d.transforms[0].rotationMillidegrees = 1; },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        ResourceDelta changed = delta;
        changes[i](changed);
        RefuseBinding(prepared, fragment, changed, "retained resource prepared admission inputs were changed");
    }
    EXPECT_TRUE(store.CommitPreparedBinding(prepared, fragment, delta).accepted);
}

TEST_F(PreparedAdmissions, StaleAfterAnotherCommitOrClose) {
    auto prepared = store.PrepareBinding(fragment, delta, 0);
    ASSERT_TRUE(store.BindOwner(Fragment("other", 1, 50, 1), Delta(), 0).accepted);
    RefuseBinding(prepared, fragment, delta, "retained resource prepared admission is stale: expected 0, current 1");
    auto again = store.PrepareBinding(fragment, delta, 1);
    ASSERT_TRUE(again->Accepted());
    store.Close();
    RefuseBinding(again, fragment, delta, "retained resource prepared admission is stale: expected 1, current 2");
}

TEST_F(PreparedAdmissions, RejectedPreparationNeverCommits) {
    auto prepared = store.PrepareUpdate(fragment, delta, 0);
    EXPECT_FALSE(prepared->Accepted());
    EXPECT_EQ(prepared->Message(), "retained resource owner row requires an initial binding");
    ASSERT_TRUE(store.BindOwner(fragment, delta, 0).accepted);
    ExpectRefused(store, [&] { return store.CommitPreparedUpdate(prepared, fragment, delta); },
                  "retained resource owner row requires an initial binding");
    auto stale = store.PrepareUpdate(Fragment("row", 2), Delta(), 0);
    EXPECT_EQ(stale->Message(), "retained resource store stale revision: expected 0, current 1");
    EXPECT_EQ(stale->PreparedRevision(), 0);
}

TEST_F(PreparedAdmissions, UpdatePreparedAndCommitted) {
    ASSERT_TRUE(store.BindOwner(fragment, delta, 0).accepted);
    RenderFragment next = Fragment("row", 2);
    next.commands[0].paintId = "p3";
    ResourceDelta more = Delta();
    more.paints = {Paint("p1"), Paint("p3")};
    auto prepared = store.PrepareUpdate(next, more, 1);
    ASSERT_TRUE(prepared->Accepted());
    EXPECT_EQ(prepared->ExplicitComparisons(), 1);
    AdmissionPlan rebuilt = prepared->RebuildPlan(next, more);
    ASSERT_EQ(rebuilt.pendingPaints.size(), 1u);
    EXPECT_EQ(rebuilt.pendingPaints[0], Paint("p3"));
    EXPECT_EQ(rebuilt.paintRefs, std::vector<int32_t>{2});
    OperationResult r = store.CommitPreparedUpdate(prepared, next, more);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.revision, 2);
    EXPECT_EQ(store.CommandPaintRef(0), 2);
    EXPECT_EQ(store.OwnerGeneration(0), 2);
    EXPECT_EQ(store.AdmissionCount(), 2);
}

struct CandidateBatches : ::testing::Test {
    RetainedResourceStore store{"main"};
    std::vector<RenderFragment> fragments;
    std::vector<ResourceDelta> deltas;

    // Binds owners o0..o(n-1), owner i holding sequences 10*i..10*i+1, and
    // queues an update of each (generation 2, no resources).
    void BindOwnersAndQueueUpdates(int n) {
        for (int i = 0; i < n; ++i) {
            std::string id = "o" + std::to_string(i);
            ASSERT_TRUE(store.BindOwner(Fragment(id, 1, 10 * i, 2), Delta(), store.Revision()).accepted);
            fragments.push_back(Fragment(id, 2, 10 * i, 2));
            deltas.push_back(Delta());
        }
    }
    std::string Preflight(int32_t revision) {
        return store.PreflightCandidateBatch(fragments, deltas, revision)->Message();
    }
    void RefuseCommit(const std::shared_ptr<PreparedCandidateBatch>& batch, const std::vector<RenderFragment>& f,
                      const std::vector<ResourceDelta>& d, const std::string& message) {
        ExpectRefused(store, [&] { return store.CommitPreparedCandidateBatch(batch, f, d); }, message);
    }
};

const std::string kItems = "retained resource candidate batch requires 1..4096 parallel fragment/delta items";
const std::string kTotals = "retained resource candidate batch exceeds 65536 commands or delta entries";

TEST_F(CandidateBatches, LaterItemsSeeEarlierItemsResources) {
    BindOwnersAndQueueUpdates(3);
    const int32_t revision = store.Revision();
    deltas[0].paints = {Paint("shared")};
    fragments[1].commands[1].paintId = "shared";
    deltas[2].paints = {Paint("shared")};  // identical to the staged one
    deltas[2].images = {ReadyImage("im", 1)};
    fragments[2].commands[0].kind = "image";
    fragments[2].commands[0].resourceId = "im";
    fragments[2].commands[0].imageGeneration = 1;
    auto batch = store.PreflightCandidateBatch(fragments, deltas, revision);
    ASSERT_TRUE(batch->Accepted()) << batch->Message();
    EXPECT_EQ(batch->ItemCount(), 3);
    EXPECT_EQ(batch->Validations(), 2);
    EXPECT_EQ(batch->ExplicitComparisons(), 1);
    EXPECT_GE(batch->StagingProbes(), 1);
    EXPECT_EQ(batch->AuxiliaryCounter1() + batch->AuxiliaryCounter2(), 0);
    EXPECT_EQ(store.PaintCount(), 0);

    OperationResult r = store.CommitPreparedCandidateBatch(batch, fragments, deltas);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.revision, revision + 1);
    EXPECT_EQ(r.validations, 2);
    EXPECT_EQ(store.AdmissionCount(), revision + 1);
    EXPECT_EQ(store.PaintCount(), 1);
    EXPECT_EQ(store.OwnerPaintRef(1, 1), 0);
    EXPECT_EQ(store.OwnerImageRef(2, 0), 0);
    EXPECT_EQ(store.OwnerGeneration(0), 2);
    EXPECT_EQ(store.FindKey(IdentityKey("paint", "shared", 0)), 0);
    EXPECT_TRUE(batch->Consumed());
    RefuseCommit(batch, fragments, deltas, "retained resource prepared candidate batch was already consumed");
}

TEST_F(CandidateBatches, ItemCountAndParallelLists) {
    EXPECT_EQ(store.PreflightCandidateBatch({}, {}, 0)->Message(), kItems);
    BindOwnersAndQueueUpdates(3);
    deltas.pop_back();
    auto batch = store.PreflightCandidateBatch(fragments, deltas, store.Revision());
    EXPECT_FALSE(batch->Accepted());
    EXPECT_EQ(batch->Message(), kItems);
    EXPECT_EQ(batch->ItemCount(), 0);
    RefuseCommit(batch, fragments, deltas, kItems);
}

TEST_F(CandidateBatches, FourThousandNinetySixItemsAreOneRevision) {
    BindOwnersAndQueueUpdates(4096);
    const int32_t revision = store.Revision();
    const int32_t admissions = store.AdmissionCount();
    auto batch = store.PreflightCandidateBatch(fragments, deltas, revision);
    ASSERT_TRUE(batch->Accepted()) << batch->Message();
    EXPECT_EQ(batch->ItemCount(), 4096);
    EXPECT_TRUE(store.CommitPreparedCandidateBatch(batch, fragments, deltas).accepted);
    EXPECT_EQ(store.Revision(), revision + 1);
    EXPECT_EQ(store.AdmissionCount(), admissions + 1);
    EXPECT_EQ(store.OwnerGeneration(4095), 2);
    fragments.push_back(fragments.back());
    deltas.push_back(Delta());
    EXPECT_EQ(Preflight(revision + 1), kItems);
}

TEST_F(CandidateBatches, ItemFailuresNameTheItem) {
    BindOwnersAndQueueUpdates(2);
    fragments.push_back(Fragment("o0", 3, 0, 2));
    deltas.push_back(Delta());
    EXPECT_EQ(Preflight(2), "retained resource candidate batch duplicates owner o0");
    fragments.pop_back();
    deltas.pop_back();
    fragments[1].commands[1].sequence = 1;
    auto batch = store.PreflightCandidateBatch(fragments, deltas, 2);
    EXPECT_EQ(batch->Message(), "retained resource candidate batch duplicates command sequence 1");
    EXPECT_EQ(batch->ItemCount(), 0);

    fragments[1] = Fragment("o1", 1, 10, 2);
    batch = store.PreflightCandidateBatch(fragments, deltas, 2);
    EXPECT_EQ(batch->Message(),
              "retained resource candidate batch item 1: retained resource owner o1 requires a newer fragment "
              "generation");
    EXPECT_EQ(batch->ItemCount(), 1);
    EXPECT_EQ(Preflight(99), "retained resource store stale revision: expected 99, current 2");
    // Unbound owners cannot be batched: every item is an update.
    fragments = {Fragment("new", 1, 500, 1)};
    deltas = {Delta()};
    EXPECT_EQ(Preflight(2),
              "retained resource candidate batch item 0: retained resource owner new requires an initial binding");
}

TEST_F(CandidateBatches, OwnerMapIsKeyedByTheBareOwnerId) {
    // In 64 buckets "a" shares a bucket with "hy" but not with "fz"; their
    // "binding" keys do the opposite. Sequences 0, 1, 10, 11 never collide,
    // and plain commands look nothing up, so every staging probe is the
    // second owner's lookup walking the first owner's node.
    for (const auto& [second, probes] : {std::pair<std::string, int32_t>{"hy", 1}, {"fz", 0}}) {
        RetainedResourceStore s("main");
        ASSERT_TRUE(s.BindOwner(Fragment("a", 1, 0, 2), Delta(), 0).accepted);
        ASSERT_TRUE(s.BindOwner(Fragment(second, 1, 10, 2), Delta(), 1).accepted);
        auto batch = s.PreflightCandidateBatch({Fragment("a", 2, 0, 2), Fragment(second, 2, 10, 2)},
                                               {Delta(), Delta()}, 2);
        ASSERT_TRUE(batch->Accepted()) << batch->Message();
        EXPECT_EQ(batch->StagingProbes(), probes) << second;
    }
}

// A chained index that really walks its chains, counting each node visited.
struct ChainWalk {
    explicit ChainWalk(int32_t bucketCount) : buckets(bucketCount), heads(static_cast<size_t>(bucketCount), -1) {}
    int32_t Find(const std::string& key, int64_t& steps) const {
        for (int32_t n = heads[IdentityHash(key, buckets)]; n >= 0; n = next[n]) {
            ++steps;
            if (keys[n] == key) return values[n];
        }
        return -1;
    }
    void Put(const std::string& key, int32_t value, int64_t& steps) {
        const int32_t h = IdentityHash(key, buckets);
        for (int32_t n = heads[h]; n >= 0; n = next[n]) {
            ++steps;
            if (keys[n] == key) return void(values[n] = value);
        }
        keys.push_back(key);
        values.push_back(value);
        next.push_back(heads[h]);
        heads[h] = static_cast<int32_t>(keys.size() - 1);
    }
    int32_t buckets;
    std::vector<int32_t> heads, next, values;
    std::vector<std::string> keys;
};

// Every key's steps against the walk after every insert, for an index that
// stays small, one that outgrows its small bucket table, and one chain.
TEST(ChainedKeyIndexSteps, EveryLookupCountsWhatAWalkVisits) {
    for (const int32_t buckets : {1, 64, 2048}) {
        ChainedKeyIndex index(buckets);
        ChainWalk walk(buckets);
        std::vector<std::string> keys;
        for (int i = 0; i < 400; ++i) {
            keys.push_back("k" + std::to_string(i * 7919 % 400));
            int32_t steps = 0;
            int64_t walked = 0, uncounted = 0;
            ASSERT_EQ(index.FindOrPut(keys.back(), i, &steps), walk.Find(keys.back(), walked));
            walk.Put(keys.back(), i, uncounted);
            for (const std::string& key : keys) ASSERT_EQ(index.Find(key, &steps), walk.Find(key, walked));
            ASSERT_EQ(index.Find("missing", &steps), walk.Find("missing", walked));
            ASSERT_EQ(steps, walked) << buckets << " buckets, " << i + 1 << " keys";
        }
    }
}

TEST_F(CandidateBatches, LargeBatchCountsTheStepsOfAChainWalk) {
    constexpr int kOwners = 1024, kCommands = 8;
    auto paintKey = [](const std::string& id) { return IdentityKey("paint", id, 0); };
    auto owned = [](int i, char which) { return "p" + std::to_string(i) + which; };
    ChainWalk index(8192);
    int64_t storeSteps = 0;
    for (int i = 0; i < kOwners; ++i) {
        RenderFragment f = Fragment("o" + std::to_string(i), 1, kCommands * i, kCommands);
        for (int c = 0; c < kCommands; ++c) f.commands[c].paintId = owned(i, c % 2 ? 'b' : 'a');
        ResourceDelta d = WithPaints({Paint(owned(i, 'a')), Paint(owned(i, 'b'))});
        ASSERT_TRUE(store.BindOwner(f, d, store.Revision()).accepted);
        // Plan lookups: the owner, both paints, then every command's paint
        // (all missing from the index); then the commit's puts.
        index.Find(IdentityKey("binding", f.id, 0), storeSteps);
        for (const RenderPaint& p : d.paints) index.Find(paintKey(p.id), storeSteps);
        for (const RenderCommand& c : f.commands) index.Find(paintKey(c.paintId), storeSteps);
        for (int k = 0; k < 2; ++k) index.Put(paintKey(d.paints[k].id), 2 * i + k, storeSteps);
        index.Put(IdentityKey("binding", f.id, 0), i, storeSteps);
        for (const RenderCommand& c : f.commands) {
            index.Put(IdentityKey("command-sequence", "", c.sequence), kCommands * i + c.sequence % kCommands,
                      storeSteps);
        }
        fragments.push_back(Fragment(f.id, 2, kCommands * i, kCommands));
        fragments.back().commands = f.commands;
        // Each item adds a paint that the next item's first command uses.
        d.paints.push_back(Paint("n" + std::to_string(i)));
        if (i > 0) fragments.back().commands[0].paintId = "n" + std::to_string(i - 1);
        deltas.push_back(d);
    }
    ASSERT_EQ(store.IndexProbeCount(), storeSteps);

    ChainWalk owners(8192), sequences(8192), staged(8192);
    int64_t stagingSteps = 0, planSteps = 0;
    for (int i = 0; i < kOwners; ++i) {
        owners.Find(fragments[i].id, stagingSteps);
        owners.Put(fragments[i].id, i, planSteps);
        for (const RenderCommand& c : fragments[i].commands) {
            const std::string key = IdentityKey("command-sequence", "", c.sequence);
            sequences.Find(key, stagingSteps);
            sequences.Put(key, i, planSteps);
        }
    }
    planSteps = 0;
    auto findPaint = [&](const std::string& id) {
        if (staged.Find(paintKey(id), stagingSteps) < 0) index.Find(paintKey(id), planSteps);
    };
    for (int i = 0; i < kOwners; ++i) {
        index.Find(IdentityKey("binding", fragments[i].id, 0), planSteps);
        for (const RenderPaint& p : deltas[i].paints) findPaint(p.id);
        for (const RenderCommand& c : fragments[i].commands) findPaint(c.paintId);
        int64_t uncounted = 0;
        staged.Put(paintKey("n" + std::to_string(i)), 2 * kOwners + i, uncounted);
    }
    auto batch = store.PreflightCandidateBatch(fragments, deltas, store.Revision());
    ASSERT_TRUE(batch->Accepted()) << batch->Message();
    EXPECT_EQ(batch->IndexProbes(), planSteps);
    EXPECT_EQ(batch->StagingProbes(), stagingSteps);
    ASSERT_TRUE(store.CommitPreparedCandidateBatch(batch, fragments, deltas).accepted);
    for (int i = 0; i < kOwners; ++i) index.Put(paintKey("n" + std::to_string(i)), 2 * kOwners + i, storeSteps);
    EXPECT_EQ(store.IndexProbeCount(), storeSteps + planSteps);
    EXPECT_EQ(store.OwnerPaintRef(kOwners - 1, 0), 2 * kOwners + kOwners - 2);
}

TEST_F(CandidateBatches, NewGenerationOfAStoredImageStagesOneIndexNode) {
    BindOwnersAndQueueUpdates(2);
    store.CommitImages(ReadyImage("im", 1));
    for (int i = 0; store.IndexNodeCount() < 200704 - 2; ++i) store.PutKey("junk" + std::to_string(i), i);
    deltas[0].images = {ReadyImage("im", 2)};  // two keys planned, one of them new
    deltas[1].paints = {Paint("q")};           // fits only beside that one
    EXPECT_EQ(Preflight(store.Revision()), "ok");
}

TEST_F(CandidateBatches, CommandAndEntryTotalsAreBounded) {
    BindOwnersAndQueueUpdates(1);
    fragments = {Fragment("o0", 2, 0, 65537)};
    EXPECT_EQ(Preflight(1), kTotals);
    fragments = {Fragment("o0", 2, 0, 2), Fragment("o1", 2, 10, 2)};
    deltas = {Delta(), Delta()};
    deltas[0].clips.assign(40000, Clip("c"));
    deltas[1].paints.assign(25537, Paint("p"));
    EXPECT_EQ(Preflight(1), kTotals);
}

TEST_F(CandidateBatches, ReorderedChangedStaleAndForeignBatchesAreRefused) {
    BindOwnersAndQueueUpdates(2);
    deltas[1].paints = {Paint("x")};
    auto batch = store.PreflightCandidateBatch(fragments, deltas, store.Revision());
    ASSERT_TRUE(batch->Accepted());
    const std::string changed = "retained resource prepared candidate batch inputs were changed or reordered";
    const std::string foreign = "retained resource prepared candidate batch belongs to another store";
    auto tweaked = deltas, elsewhere = deltas;
    tweaked[1].paints[0].red = 1;
    elsewhere[0].surface = "other";
    RefuseCommit(batch, {fragments[1], fragments[0]}, {deltas[1], deltas[0]}, changed);
    RefuseCommit(batch, fragments, tweaked, changed);
    RefuseCommit(batch, fragments, elsewhere, changed);
    RefuseCommit(batch, {fragments[0]}, {deltas[0]}, changed);
    RefuseCommit(nullptr, fragments, deltas, foreign);
    RetainedResourceStore twin("main");
    ExpectRefused(twin, [&] { return twin.CommitPreparedCandidateBatch(batch, fragments, deltas); }, foreign);
    const int32_t revision = store.Revision();
    ASSERT_TRUE(store.UpdateOwner(Fragment("o0", 5, 0, 2), Delta(), revision).accepted);
    RefuseCommit(batch, fragments, deltas,
                 "retained resource prepared candidate batch is stale: expected " + std::to_string(revision) +
                     ", current " + std::to_string(revision + 1));
    EXPECT_FALSE(batch->Consumed());
    EXPECT_FALSE(batch->ItemPlan(5, fragments[0], deltas[0]).accepted);
}

}  // namespace
}  // namespace rava
