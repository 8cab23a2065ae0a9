// Binding and updating owners: the order of the checks, command ranges,
// generation rules, limits, reference resolution and the revision step.
#include <gtest/gtest.h>

#include <functional>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

const std::string kStoreLimit = "retained resource store exceeds 65536 entries/commands or 64 MiB";

struct Owners : ::testing::Test {
    RetainedResourceStore store{"main"};

    OperationResult Bind(const RenderFragment& f, const ResourceDelta& d = Delta()) {
        return store.BindOwner(f, d, store.Revision());
    }
    OperationResult Update(const RenderFragment& f, const ResourceDelta& d = Delta()) {
        return store.UpdateOwner(f, d, store.Revision());
    }
    void RefuseBind(const RenderFragment& f, const ResourceDelta& d, const std::string& message) {
        ExpectRefused(store, [&] { return Bind(f, d); }, message);
    }
    void RefuseUpdate(const RenderFragment& f, const ResourceDelta& d, const std::string& message) {
        ExpectRefused(store, [&] { return Update(f, d); }, message);
    }
};

// A one-command fragment "row" whose command is changed by `change`.
template <typename Change>
RenderFragment RowWith(Change change) {
    RenderFragment f = Fragment("row");
    change(f.commands[0]);
    return f;
}

ResourceDelta WithPaints(std::initializer_list<RenderPaint> paints) {
    ResourceDelta d = Delta();
    d.paints = paints;
    return d;
}

TEST_F(Owners, ChecksRunStateRevisionSurfaceFragmentOwnerDeltaInThatOrder) {
    ASSERT_TRUE(Bind(Fragment("row", 1, 0, 1)).accepted);
    RenderFragment bad = Fragment("row", 1, 0, 1);  // already bound
    bad.inkBounds.width = 1;                        // and invalid
    ResourceDelta wrongSurface = Delta("other");
    wrongSurface.paints = {Paint("")};
    const ResourceDelta badPaint = WithPaints({Paint("")});
    ExpectRefused(store, [&] { return store.BindOwner(bad, wrongSurface, 7); },
                  "retained resource store stale revision: expected 7, current 1");
    RefuseBind(bad, wrongSurface, "retained resource delta surface does not match store");
    RefuseBind(bad, badPaint, "fragment row ink bounds must contain its layout bounds");
    RefuseBind(Fragment("row", 1, 0, 1), badPaint, "retained resource owner row is already bound");
    RefuseBind(Fragment("new", 1, 5, 1), badPaint, "render paint requires a nonempty id");
    store.Close();
    ExpectRefused(store, [&] { return store.BindOwner(bad, wrongSurface, 7); }, "retained resource store is not open");

    RetainedResourceStore invalid(std::string(129, 's'));
    ResourceDelta d = Delta(std::string(129, 's'));
    ExpectRefused(invalid, [&] { return invalid.BindOwner(Fragment("row"), d, 0); },
                  "retained resource store is not open");
    ExpectRefused(invalid, [&] { return invalid.PreflightUpdate(Fragment("row"), d, 0); },
                  "retained resource store is not open");
}

TEST_F(Owners, CommandRangesMayNotTouch) {
    ASSERT_TRUE(Bind(Fragment("a", 1, 20, 11)).accepted);  // 20..30
    RefuseBind(Fragment("b", 1, 10, 11), Delta(), "retained resource owner b command range overlaps a");
    RefuseBind(Fragment("b", 1, 30, 5), Delta(), "retained resource owner b command range overlaps a");
    EXPECT_TRUE(Bind(Fragment("b", 1, 10, 10)).accepted);  // 10..19
    EXPECT_TRUE(Bind(Fragment("c", 1, 31, 1)).accepted);
    // The first overlapping owner in binding order is named.
    RefuseBind(Fragment("d", 1, 0, 40), Delta(), "retained resource owner d command range overlaps a");
}

RenderFragment WithSequences(const std::string& id, std::initializer_list<int32_t> sequences, int32_t generation = 1) {
    RenderFragment f = Fragment(id, generation, 0, 0);
    for (int32_t s : sequences) f.commands.push_back(Command(id, s));
    return f;
}

TEST_F(Owners, RangesRunFromSmallestToLargestSequenceAndNoSequenceRepeats) {
    RenderFragment a = WithSequences("a", {10, 15, 20});
    ASSERT_TRUE(Bind(a).accepted);
    const std::string overlaps = "retained resource owner b command range overlaps a";
    RefuseBind(WithSequences("b", {30, 15, 40}), Delta(), overlaps);
    RefuseBind(WithSequences("b", {100, 12, 5}), Delta(), overlaps);
    const std::string repeats = "retained resource owner c repeats command sequence 201";
    const RenderFragment twice = WithSequences("c", {200, 201, 202, 201, 200});
    RefuseBind(twice, Delta(), repeats);
    EXPECT_EQ(store.PreflightBinding(twice, Delta(), 1).message, repeats);
    EXPECT_EQ(store.PrepareBinding(twice, Delta(), 1)->Message(), repeats);
    // Repeats are refused before any overlap, and in updates before the range check.
    RefuseBind(WithSequences("c", {10, 10}), Delta(), "retained resource owner c repeats command sequence 10");
    ASSERT_TRUE(Bind(WithSequences("d", {300, 299, 301})).accepted);
    const std::string repeated = "retained resource owner d repeats command sequence 300";
    RefuseUpdate(WithSequences("d", {300, 300, 301}, 2), Delta(), repeated);
    EXPECT_EQ(store.PreflightUpdate(WithSequences("d", {300, 300, 301}, 2), Delta(), 2).message, repeated);
    for (const RenderCommand& c : a.commands) EXPECT_EQ(store.CommandOwner(c), 0) << c.sequence;
    EXPECT_EQ(store.FindCommand(Command("d", 299)), 4);
    // A hand-written plan may bind a range over others; the lowest
    // overlapping owner row is still the one named.
    AdmissionPlan wide("w", 1);
    wide.accepted = true;
    wide.commands = {Command("w", 1000)};
    wide.rangeLast = 1000;
    store.ApplyPlan(wide, true);
    // Touching another owner's last sequence is an overlap too.
    for (auto [sequence, other] : {std::pair{15, "a"}, {20, "a"}, {300, "d"}, {301, "d"}, {600, "w"}}) {
        RefuseBind(WithSequences("e", {sequence}), Delta(),
                   std::string("retained resource owner e command range overlaps ") + other);
    }
}

TEST_F(Owners, OptionalGlyphIsFoundWithoutCountingProbes) {
    ResourceDelta stored = Delta();
    stored.glyphs = {Glyph(GlyphId('1'))};
    ASSERT_TRUE(store.BindOwner(Fragment("g", 1, 50, 1), stored, 0).accepted);
    ResourceDelta pending = Delta();
    pending.glyphs = {Glyph(GlyphId('2'))};
    const struct {
        char digit;
        ResourceDelta delta;
        int32_t ref;
        int32_t validations;
    } rows[] = {{'1', Delta(), 0, 0}, {'2', pending, 1, 1}, {'3', Delta(), -1, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.digit);
        RenderFragment optional = RowWith([&](RenderCommand& c) {
            c.kind = "glyphAlpha";
            c.resourceId = GlyphId(row.digit);
            c.glyphOptional = true;
        });
        RenderFragment plain = optional;
        plain.commands[0].kind = "rect";
        AdmissionPlan plan = store.PrepareDelta(optional, row.delta, 1, true);
        ASSERT_TRUE(plan.accepted) << plan.message;
        EXPECT_EQ(plan.glyphRefs, std::vector<int32_t>{row.ref});
        EXPECT_EQ(plan.validations, row.validations);
        EXPECT_EQ(plan.indexProbes, store.PrepareDelta(plain, row.delta, 1, true).indexProbes);
    }
}

// Low-level writes bypass plan building; each one that writes steps the
// revision so a preparation made before it cannot commit stale positions.
TEST(LowLevelWrites, EveryWritingCallMakesPreparedAdmissionsStale) {
    const RenderFragment missingPaint = RowWith([](RenderCommand& c) { c.paintId = "missing"; });
    const AdmissionPlan refused = RetainedResourceStore("main").PrepareDelta(missingPaint, Delta(), 0, true);
    ASSERT_FALSE(refused.accepted);
    AdmissionPlan handMade("ghost", 1);
    handMade.accepted = true;
    handMade.commands = {Command("ghost", 40)};
    using Write = std::function<void(RetainedResourceStore&)>;
    const std::vector<std::pair<Write, bool>> rows = {
        {[](RetainedResourceStore& s) { s.CommitPaints(Paint("x")); }, true},
        {[](RetainedResourceStore& s) { s.CommitImages(ReadyImage("x", 1)); }, true},
        {[](RetainedResourceStore& s) { s.CommitGlyphs(Glyph(GlyphId())); }, true},
        {[](RetainedResourceStore& s) { s.CommitClips(Clip("x")); }, true},
        {[](RetainedResourceStore& s) { s.CommitTransforms(Transform("x")); }, true},
        {[](RetainedResourceStore& s) { s.PutKey("k", 1); }, true},
        {[](RetainedResourceStore& s) { s.AppendCommandRow(0, Command("row", 30), -1, -1, -1, -1, -1); }, true},
        {[](RetainedResourceStore& s) { s.ReplaceCommandRow(0, Command("row", 0), 0, -1, -1, -1, -1); }, true},
        {[&](RetainedResourceStore& s) { s.ApplyPlan(handMade, true); }, true},
        {[](RetainedResourceStore& s) { s.ReplaceCommandRow(1, Command("row", 0), 0, -1, -1, -1, -1); }, false},
        {[&](RetainedResourceStore& s) { s.ApplyPlan(refused, true); }, false},
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        RetainedResourceStore s("main");
        RenderFragment first = RowWith([](RenderCommand& c) { c.paintId = "p"; });
        ASSERT_TRUE(s.BindOwner(first, WithPaints({Paint("p")}), 0).accepted);
        RenderFragment next = RowWith([](RenderCommand& c) { c.paintId = "q"; });
        next.generation = 2;
        const ResourceDelta delta = WithPaints({Paint("q")});
        auto prepared = s.PrepareUpdate(next, delta, 1);
        const StoreSnapshot before = Snapshot(s);
        rows[i].first(s);
        if (!rows[i].second) {
            EXPECT_EQ(Snapshot(s), before);
            EXPECT_TRUE(s.CommitPreparedUpdate(prepared, next, delta).accepted);
            continue;
        }
        EXPECT_EQ(s.Revision(), 2);
        ExpectRefused(s, [&] { return s.CommitPreparedUpdate(prepared, next, delta); },
                      "retained resource prepared admission is stale: expected 1, current 2");
    }
}

TEST_F(Owners, PreflightThenBindRaisesRevisionByOne) {
    ResourceDelta d = WithPaints({Paint("p")});
    RenderFragment f = RowWith([](RenderCommand& c) { c.paintId = "p"; });
    OperationResult pre = store.PreflightBinding(f, d, 0);
    EXPECT_TRUE(pre.accepted);
    EXPECT_EQ(pre.message, "ok");
    EXPECT_EQ(pre.revision, 0);
    EXPECT_EQ(pre.validations, 1);
    EXPECT_EQ(store.Diagnostics(), RetainedResourceStore("main").Diagnostics());
    OperationResult bound = store.BindOwner(f, d, 0);
    EXPECT_TRUE(bound.accepted);
    EXPECT_EQ(bound.revision, 1);
    EXPECT_EQ(bound.validations, 1);
    EXPECT_EQ((std::vector<int32_t>{store.AdmissionCount(), store.OwnerCount(), store.CommandCount()}),
              (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(store.FindOwner("row"), 0);
    EXPECT_EQ(store.FindCommand(f.commands[0]), 0);
    EXPECT_EQ(store.CommandOwner(f.commands[0]), 0);
    EXPECT_EQ(store.CommandPaintRef(0), 0);
    EXPECT_EQ(store.OwnerPaintRef(0, 0), 0);
    // Binding again with the same resources compares instead of validating.
    RenderFragment g = Fragment("two", 1, 5, 1);
    g.commands[0].paintId = "p";
    OperationResult again = store.BindOwner(g, d, 1);
    ASSERT_TRUE(again.accepted);
    EXPECT_EQ(again.validations, 0);
    EXPECT_EQ(again.explicitComparisons, 1);
    EXPECT_EQ(store.PaintCount(), 1);
    RenderCommand changed = f.commands[0];
    changed.intArg9 = 1;
    EXPECT_EQ(store.FindCommand(changed), -1);
    EXPECT_EQ(store.CommandOwner(changed), -1);

    // Close empties the store but keeps the cumulative counters.
    EXPECT_TRUE(store.Close());
    EXPECT_EQ(store.Diagnostics(),
              "retained-resource-store-v1: surface=main; state=closed; revision=3; entries=0; owners=0; commands=0; "
              "payload=0; validations=1; explicit-comparisons=1; payload-comparisons=0; admissions=2; "
              "rejections=operation-results-only");
    EXPECT_EQ(store.FindOwner("row"), -1);
    EXPECT_EQ(store.FindCommand(f.commands[0]), -1);
    EXPECT_EQ(store.CommandOwnerAt(0), -1);
}

TEST_F(Owners, UpdatesNeedABindingARisingGenerationAndTheExactRange) {
    ASSERT_TRUE(Bind(Fragment("row", 3, 10, 3)).accepted);
    const std::string newer = "retained resource owner row requires a newer fragment generation";
    const std::string range = "retained resource owner row must preserve its exact command range";
    RefuseUpdate(Fragment("row", 3, 10, 3), Delta(), newer);
    RefuseUpdate(Fragment("row", 2, 10, 3), Delta(), newer);
    RefuseUpdate(Fragment("nobody", 9), Delta(), "retained resource owner nobody requires an initial binding");
    RefuseUpdate(Fragment("row", 4, 10, 4), Delta(), range);
    RefuseUpdate(Fragment("row", 4, 10, 2), Delta(), range);
    RefuseUpdate(Fragment("row", 4, 11, 3), Delta(), range);
    RenderFragment f = Fragment("row", 4, 10, 3);
    f.commands[2].kind = "label";
    f.commands[2].stringArg1 = "new text";
    OperationResult r = Update(f);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.revision, 2);
    EXPECT_EQ(store.OwnerGeneration(0), 4);
    EXPECT_EQ(store.CommandCount(), 3);
    EXPECT_EQ(store.FindCommand(f.commands[2]), 2);
    EXPECT_EQ(store.FindCommand(Fragment("row", 3, 10, 3).commands[2]), -1);
}

TEST_F(Owners, ImageCommandGenerationsMayNotRegress) {
    ResourceDelta d = Delta();
    d.images = {ReadyImage("im", 4), ReadyImage("im", 5), ReadyImage("im", 6), ReadyImage("other", 1)};
    auto image = [](int32_t generation, const char* id, int32_t imageGeneration) {
        RenderFragment f = RowWith([&](RenderCommand& c) {
            c.kind = "image";
            c.resourceId = id;
            c.imageGeneration = imageGeneration;
        });
        f.generation = generation;
        return f;
    };
    ASSERT_TRUE(Bind(image(1, "im", 5), d).accepted);
    EXPECT_EQ(store.CommandImageRef(0), 1);
    RefuseUpdate(image(2, "im", 4), Delta(), "retained resource owner row image im generation regressed from 5 to 4");
    EXPECT_TRUE(Update(image(2, "other", 1)).accepted);
    EXPECT_EQ(store.CommandImageRef(0), 3);
    EXPECT_TRUE(Update(image(3, "im", 6)).accepted);
    EXPECT_EQ(store.CommandImageRef(0), 2);
    EXPECT_TRUE(Update(image(4, "im", 6)).accepted) << "an unchanged generation is no regression";
}

TEST_F(Owners, DeltaEntryLimitIsCheckedBeforeValidation) {
    ResourceDelta d = Delta();
    d.paints.assign(65537, Paint(""));
    AdmissionPlan plan = store.PrepareDelta(Fragment("row"), d, 0, true);
    EXPECT_EQ(plan.message, "retained resource delta exceeds 65536 entries");
    EXPECT_EQ(plan.validations, 0);
    RefuseBind(Fragment("row"), d, "retained resource delta exceeds 65536 entries");
    d.paints.resize(65536);
    EXPECT_EQ(store.PreflightBinding(Fragment("row"), d, 0).message, "render paint requires a nonempty id");
}

TEST_F(Owners, EntriesAfterCommitAtMost65536) {
    for (int i = 0; i < 65535; ++i) store.CommitClips(Clip("c" + std::to_string(i)));
    ASSERT_TRUE(Bind(Fragment("a"), WithPaints({Paint("p")})).accepted);
    EXPECT_EQ(store.EntryCount(), 65536);
    RefuseBind(Fragment("b", 1, 1, 1), WithPaints({Paint("p"), Paint("q")}), kStoreLimit);
}

TEST_F(Owners, CommandsAfterCommitAtMost65536) {
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(Bind(Fragment("o" + std::to_string(i), 1, i * 4096, 4096)).accepted);
    EXPECT_EQ(store.CommandCount(), 65536);
    RefuseBind(Fragment("extra", 1, 70000, 1), Delta(), kStoreLimit);
    // An update keeps the count and still fits.
    EXPECT_TRUE(Update(Fragment("o3", 2, 3 * 4096, 4096)).accepted);
}

TEST_F(Owners, PayloadAtMost64MiBWithoutOverflow) {
    RenderImage big = LoadingImage("big", 1);
    big.sizeBytes = 67108864 - 6;  // a raw row: only the running total matters here
    store.CommitImages(big);
    ResourceDelta d = Delta();
    d.glyphs = {Glyph(GlyphId('1'))};  // 6 bytes
    ASSERT_TRUE(Bind(Fragment("a"), d).accepted);
    EXPECT_EQ(store.PayloadBytes(), 67108864);
    d.glyphs = {Glyph(GlyphId('2'), 1, 1)};
    RefuseBind(Fragment("b", 1, 1, 1), d, kStoreLimit);

    RetainedResourceStore hostile("main");
    RenderImage huge = LoadingImage("huge", 1);
    huge.sizeBytes = INT32_MAX;
    hostile.CommitImages(huge);
    hostile.CommitImages(LoadingImage("huge", 2));
    EXPECT_EQ(hostile.PayloadBytes(), INT32_MAX);
    ExpectRefused(hostile, [&] { return hostile.BindOwner(Fragment("a"), d, hostile.Revision()); }, kStoreLimit);
}

TEST_F(Owners, OwnerLimitRefusesBindingsNotUpdates) {
    for (int i = 0; i < 4096; ++i) ASSERT_TRUE(Bind(Fragment("o" + std::to_string(i), 1, i, 1)).accepted);
    RefuseBind(Fragment("late", 1, 5000, 1), Delta(), "retained resource store exceeds 4096 owners");
    EXPECT_TRUE(Update(Fragment("o0", 2, 0, 1)).accepted);
    EXPECT_TRUE(Update(Fragment("o4095", 2, 4095, 1)).accepted);
}

TEST_F(Owners, IndexNodeLimit) {
    for (int i = 0; i < 200704 - 3; ++i) store.PutKey("junk" + std::to_string(i), i);
    // Binding adds one owner key and one command key: exactly at the limit.
    ResourceDelta d = Delta();
    EXPECT_TRUE(store.PreflightBinding(Fragment("a"), d, store.Revision()).accepted);
    d.paints = {Paint("p")};
    EXPECT_TRUE(store.PreflightBinding(Fragment("a"), d, store.Revision()).accepted);
    d.images = {LoadingImage("im", 1)};  // two keys
    RefuseBind(Fragment("a"), d, "retained resource store exceeds 200704 index nodes");
    d.paints.clear();  // the image alone still needs one key too many
    RefuseBind(Fragment("a"), d, "retained resource store exceeds 200704 index nodes");
}

TEST_F(Owners, EachReferenceKindMustResolve) {
    const std::pair<RenderFragment, std::string> missing[] = {
        {RowWith([](RenderCommand& c) { c.paintId = "p"; }), "paint p"},
        {RowWith([](RenderCommand& c) {
             c.kind = "image";
             c.resourceId = "im";
             c.imageGeneration = 2;
         }),
         "image im@2"},
        {RowWith([](RenderCommand& c) {
             c.kind = "glyphAlpha";
             c.resourceId = GlyphId();
         }),
         "glyph " + GlyphId()},
        {RowWith([](RenderCommand& c) { c.clipId = "c"; }), "clip c"},
        {RowWith([](RenderCommand& c) { c.transformId = "t"; }), "transform t"},
    };
    for (const auto& [f, what] : missing) {
        RefuseBind(f, Delta(), "retained resource owner row references missing " + what);
    }
    // A resource id on a non-image command is not looked up.
    EXPECT_TRUE(store.PreflightBinding(RowWith([](RenderCommand& c) { c.resourceId = "im"; }), Delta(), 0).accepted);
    EXPECT_TRUE(Bind(RowWith([](RenderCommand& c) {
                    c.kind = "glyphAlpha";
                    c.resourceId = GlyphId();
                    c.glyphOptional = true;
                    c.transformId = "identity";
                })).accepted);
    EXPECT_EQ(store.CommandGlyphRef(0), -1);
    EXPECT_EQ(store.CommandTransformRef(0), -1);
}

TEST_F(Owners, SameDeltaResourcesResolveToTheirCommitPositions) {
    for (int i = 0; i < 5; ++i) store.CommitPaints(Paint("s" + std::to_string(i)));
    ResourceDelta d = WithPaints({Paint("s1"), Paint("new")});
    d.clips = {Clip("c")};
    d.transforms = {Transform("t")};
    d.glyphs = {Glyph(GlyphId())};
    d.images = {ReadyImage("im", 1)};
    RenderFragment f = Fragment("row", 1, 0, 3);
    f.commands[0].paintId = "new";
    f.commands[0].clipId = "c";
    f.commands[1].paintId = "s1";
    f.commands[1].transformId = "t";
    f.commands[1].kind = "image";
    f.commands[1].resourceId = "im";
    f.commands[1].imageGeneration = 1;
    f.commands[2].kind = "glyphAlpha";
    f.commands[2].resourceId = GlyphId();
    ASSERT_TRUE(Bind(f, d).accepted);
    EXPECT_EQ(store.ReadStoredPaint(5), Paint("new"));
    // paint, image, glyph, clip, transform of each command
    for (auto [p, expected] : {std::pair{0, std::vector<int32_t>{5, -1, -1, 0, -1}}, {1, {1, 0, -1, -1, 0}},
                               {2, {-1, -1, 0, -1, -1}}}) {
        EXPECT_EQ((std::vector<int32_t>{store.CommandPaintRef(p), store.CommandImageRef(p), store.CommandGlyphRef(p),
                                        store.CommandClipRef(p), store.CommandTransformRef(p)}),
                  expected)
            << p;
    }
    EXPECT_EQ(store.PayloadBytes(), 16 + 6);
}

TEST_F(Owners, HostileFieldsAreRefusedOrCarriedVerbatim) {
    // Separators, placeholders, NUL bytes and int32 extremes in every field
    // the store only carries.
    const std::string odd = std::string("a|b:{1}\0", 9) + std::string(1, '\0') + "{0}";
    RenderFragment f = Fragment(odd, INT32_MAX, INT32_MIN, 1);
    f.userValue = INT32_MIN;
    f.commands[0].owner = odd + ".x";
    f.commands[0].stringArg8 = odd;
    f.commands[0].intArg22 = INT32_MIN;
    f.commands[0].imageGeneration = INT32_MIN;
    f.commands[0].paintId = odd;
    const ResourceDelta d = WithPaints({Paint(odd)});
    ASSERT_TRUE(Bind(f, d).accepted);
    EXPECT_EQ(store.FindCommand(f.commands[0]), 0);
    EXPECT_EQ(store.ReadStoredPaint(0), Paint(odd));
    RefuseUpdate(f, d, "retained resource owner " + odd + " requires a newer fragment generation");

    RenderFragment extreme = Fragment("x", 1, INT32_MAX, 1);
    extreme.layoutBounds = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    RefuseBind(extreme, Delta(), "fragment x layout bounds exceeds bounded retained geometry");
    ResourceDelta hostile = Delta();
    RenderImage image = ReadyImage("im", INT32_MAX);
    image.width = image.height = image.sizeBytes = INT32_MAX;
    hostile.images = {image};
    RefuseBind(Fragment("x", 1, INT32_MAX, 1), hostile, "render image im dimensions must be within 1..512");
    RenderGlyphAlpha glyph = Glyph(GlyphId(), 4096, 128);
    glyph.payloadHex = "0g";
    hostile.images.clear();
    hostile.glyphs = {glyph};
    RefuseBind(Fragment("x", 1, INT32_MAX, 1), hostile,
               "render glyph alpha resource " + GlyphId() + " payload must be exact A8 hexadecimal data");
    EXPECT_TRUE(Bind(Fragment("x", 1, INT32_MAX, 1)).accepted);
}

TEST_F(Owners, HandMadePlansNeverCorruptTheStore) {
    AdmissionPlan notAccepted("row", 1);
    notAccepted.commands = {Command("row", 1)};
    ExpectRefused(store, [&] { return store.CommitPlan(notAccepted, true); }, "preflight-not-complete");
    AdmissionPlan shortRefs("row", 1);
    shortRefs.accepted = true;
    shortRefs.commands = {Command("row", 1), Command("row", 2)};
    shortRefs.paintRefs = {3};
    EXPECT_TRUE(store.CommitPlan(shortRefs, true).accepted);
    EXPECT_EQ(store.CommandPaintRef(0), 3);
    EXPECT_EQ(store.CommandPaintRef(1), -1);
    AdmissionPlan unknownOwner("ghost", 2);
    unknownOwner.accepted = true;
    unknownOwner.commands = {Command("ghost", 1)};
    store.ApplyPlan(unknownOwner, false);
    EXPECT_EQ(store.CommandCount(), 2);
    store.ReplaceCommandRow(99, Command("row", 1), 0, 0, 0, 0, 0);
    store.PutKey(IdentityKey("binding", "ghost", 0), 77);
    RefuseUpdate(Fragment("ghost", 3), Delta(), "retained resource owner ghost requires an initial binding");
}

}  // namespace
}  // namespace rava
