// Resource admission: identity before validation, pending-list matches,
// image generation rules, the work counters, combined positions through a
// staging set, and that refusals leave the store untouched.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

struct Admission : ::testing::Test {
    RetainedResourceStore store{"main"};
    AdmissionPlan plan{"row", 1};
    StagingSet staging{1};
    StagingSet* in = &staging;

    // "admitted", or the plan's refusal message.
    std::string Outcome(bool admitted) const { return admitted ? "admitted" : plan.message; }
    std::string Admit(const RenderPaint& r) { return Outcome(store.AdmitPaint(plan, *in, r)); }
    std::string Admit(const RenderImage& r) { return Outcome(store.AdmitImage(plan, *in, r)); }
    std::string Admit(const RenderGlyphAlpha& r) { return Outcome(store.AdmitGlyph(plan, *in, r)); }
    std::string Admit(const RenderClip& r) { return Outcome(store.AdmitClip(plan, *in, r)); }
    std::string Admit(const RenderTransform& r) { return Outcome(store.AdmitTransform(plan, *in, r)); }
    // validations, explicit comparisons, payload comparisons
    std::vector<int32_t> Work() const { return {plan.validations, plan.explicitComparisons, plan.payloadComparisons}; }
};

using W = std::vector<int32_t>;

TEST_F(Admission, PaintIdentityComesBeforeValidation) {
    store.CommitPaints(Paint("p"));
    EXPECT_EQ(Admit(Paint("p")), "admitted");
    EXPECT_EQ(Work(), (W{0, 1, 0}));
    EXPECT_TRUE(plan.pendingPaints.empty());
    EXPECT_EQ(plan.message, "preflight-not-complete");
    EXPECT_EQ(Admit(Paint("p", 500)), "retained paint identity collision for p");
    EXPECT_EQ(Work(), (W{0, 2, 0}));
}

TEST_F(Admission, SecondPaintMatchesThePendingOne) {
    EXPECT_EQ(Admit(Paint("p")), "admitted");
    EXPECT_EQ(Admit(Paint("p")), "admitted");
    EXPECT_EQ(Work(), (W{1, 1, 0}));
    EXPECT_EQ(Admit(Paint("p", 50)), "retained paint identity collision for p");
    EXPECT_EQ(plan.pendingPaints.size(), 1u);
}

TEST_F(Admission, PaintIdLengthRuleFollowsValidation) {
    EXPECT_EQ(Admit(Paint(std::string(256, 'p'))), "admitted");
    EXPECT_EQ(Admit(Paint(std::string(257, 'p'))), "retained paint id exceeds 256 bytes");
    EXPECT_EQ(plan.validations, 2);
    RenderPaint bad = Paint(std::string(300, 'q'), 101);
    EXPECT_EQ(Admit(bad), "render paint " + bad.id + " requires opacity from 0 through 100");
    EXPECT_EQ(Admit(Paint("")), "render paint requires a nonempty id");
    EXPECT_EQ(plan.pendingPaints.size(), 1u);
}

TEST_F(Admission, ImageGenerationsCoexistAndMayNotRegress) {
    store.CommitImages(ReadyImage("im", 1));
    store.CommitImages(ReadyImage("im", 2));
    EXPECT_EQ(Admit(ReadyImage("im", 2)), "admitted");
    EXPECT_EQ(Work(), (W{0, 1, 1}));
    RenderImage changed = ReadyImage("im", 1);
    changed.payloadHex[0] = 'b';
    EXPECT_EQ(Admit(changed), "retained image identity collision for im@1");
    EXPECT_EQ(Work(), (W{0, 2, 2}));
    // Regression is decided before validation.
    EXPECT_EQ(Admit(ReadyImage("im", 0)), "retained image im generation regressed from 2 to 0");
    EXPECT_EQ(Work(), (W{0, 2, 2}));
    EXPECT_EQ(Admit(ReadyImage("im", 3)), "admitted");
    EXPECT_EQ(plan.validations, 1);
    EXPECT_EQ(plan.pendingImages.size(), 1u);
    EXPECT_EQ(store.FindImageLatest(plan, staging, "im"), 2);
    EXPECT_EQ(store.FindImageLatest(plan, staging, "other"), 0);
}

TEST_F(Admission, ImageGenerationsAgainstPendingOnes) {
    // Without any known generation a non-positive one is a validation failure.
    EXPECT_EQ(Admit(ReadyImage("im", 0)), "render image im requires a positive generation");
    EXPECT_EQ(Admit(ReadyImage("im", INT32_MIN)), "render image im requires a positive generation");
    EXPECT_EQ(Work(), (W{2, 0, 0}));
    EXPECT_EQ(Admit(ReadyImage("im", 5)), "admitted");
    EXPECT_EQ(Admit(ReadyImage("im", 5)), "admitted");  // pending match
    EXPECT_EQ(Work(), (W{3, 1, 1}));
    EXPECT_EQ(Admit(ReadyImage("im", 4)), "retained image im generation regressed from 5 to 4");
    EXPECT_EQ(Admit(LoadingImage("im", 6)), "admitted");
    EXPECT_EQ(Admit(ReadyImage("other", 1)), "admitted");
    EXPECT_EQ(plan.pendingImages.size(), 3u);
}

TEST_F(Admission, GlyphsComparePayloadsClipsAndTransformsDoNot) {
    store.CommitGlyphs(Glyph(GlyphId()));
    store.CommitClips(Clip("c"));
    store.CommitTransforms(Transform("t"));
    EXPECT_EQ(Admit(Glyph(GlyphId())), "admitted");
    EXPECT_EQ(Admit(Clip("c")), "admitted");
    EXPECT_EQ(Admit(Transform("t")), "admitted");
    EXPECT_EQ(Work(), (W{0, 3, 1}));

    RenderGlyphAlpha g = Glyph(GlyphId());
    g.source = "other";
    EXPECT_EQ(Admit(g), "retained glyph identity collision for " + GlyphId());
    EXPECT_EQ(Admit(RenderClip{"c", 1, -4, 10, 20, 3}), "retained clip identity collision for c");
    EXPECT_EQ(Admit(RenderTransform{"t", 5, -5, 100, 100, 1}), "retained transform identity collision for t");
    EXPECT_EQ(Admit(Transform("identity")),
              "render transform id identity is reserved for the built-in identity transform");
    EXPECT_EQ(plan.validations, 1);
}

TEST_F(Admission, RefusalsLeaveTheStoreUnchanged) {
    store.CommitPaints(Paint("p"));
    store.CommitImages(ReadyImage("im", 2));
    store.CommitClips(Clip("c"));
    StoreSnapshot before = Snapshot(store);
    EXPECT_NE(Admit(Paint("p", 5)), "admitted");
    EXPECT_NE(Admit(Paint("", 5)), "admitted");
    EXPECT_NE(Admit(ReadyImage("im", 1)), "admitted");
    EXPECT_NE(Admit(ReadyImage("x", 1, 600, 1)), "admitted");
    EXPECT_NE(Admit(Glyph("sha256:zz")), "admitted");
    EXPECT_NE(Admit(RenderClip{"c", 0, 0, 1, 1, 0}), "admitted");
    EXPECT_NE(Admit(RenderTransform{"t", 0, 0, 0, 0, 0}), "admitted");
    EXPECT_EQ(Admit(Paint("new")), "admitted");
    EXPECT_EQ(Snapshot(store), before);
    EXPECT_GT(plan.indexProbes, 0);
}

TEST_F(Admission, StagedRecordsHaveCombinedPositionsAfterStoreRows) {
    for (int i = 0; i < 5; ++i) store.CommitPaints(Paint("s" + std::to_string(i)));
    StagingSet batch(64);
    in = &batch;
    batch.paints = {Paint("a"), Paint("b")};
    batch.identityMap.Put(IdentityKey("paint", "a", 0), 5, nullptr);
    batch.identityMap.Put(IdentityKey("paint", "b", 0), 6, nullptr);
    EXPECT_EQ(store.FindPaint(plan, batch, "b"), 6);
    EXPECT_EQ(store.FindPaint(plan, batch, "s3"), 3);
    EXPECT_EQ(store.ReadPaint(6, batch), Paint("b"));
    EXPECT_EQ(store.ReadPaint(2, batch), Paint("s2"));
    EXPECT_EQ(store.ReadPaint(7, batch), RenderPaint{});
    EXPECT_EQ(store.ReadPaint(-1, batch), RenderPaint{});
    EXPECT_GE(batch.Probes(), 1);
    // A staged identical paint is compared, a different one collides.
    EXPECT_EQ(Admit(Paint("a")), "admitted");
    EXPECT_EQ(Admit(Paint("b", 1)), "retained paint identity collision for b");

    batch.images = {ReadyImage("im", 4)};
    batch.identityMap.Put(IdentityKey("image-latest", "im", 0), 0, nullptr);
    EXPECT_EQ(store.FindImageLatest(plan, batch, "im"), 4);
    EXPECT_EQ(Admit(ReadyImage("im", 3)), "retained image im generation regressed from 4 to 3");
}

}  // namespace
}  // namespace rava
