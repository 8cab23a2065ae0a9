// Resource admission: identity before validation, pending-list matches,
// image generation rules, the work counters, combined positions through a
// staging set, and that refusals leave the store untouched.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

struct AdmissionFixture : ::testing::Test {
    RetainedResourceStore store{"main"};
    AdmissionPlan plan{"row", 1};
    StagingSet staging{1};
};

using PaintAdmission = AdmissionFixture;
using ImageAdmission = AdmissionFixture;
using OtherKindAdmission = AdmissionFixture;
using StagedLookups = AdmissionFixture;

TEST_F(PaintAdmission, IdenticalStoredPaintIsComparedNotValidated) {
    store.CommitPaints(Paint("p"));
    EXPECT_TRUE(store.AdmitPaint(plan, staging, Paint("p")));
    EXPECT_EQ(plan.explicitComparisons, 1);
    EXPECT_EQ(plan.payloadComparisons, 0);
    EXPECT_EQ(plan.validations, 0);
    EXPECT_TRUE(plan.pendingPaints.empty());
    EXPECT_EQ(plan.message, "preflight-not-complete");
}

TEST_F(PaintAdmission, IdentityComesBeforeValidation) {
    store.CommitPaints(Paint("p"));
    EXPECT_FALSE(store.AdmitPaint(plan, staging, Paint("p", 500)));
    EXPECT_EQ(plan.message, "retained paint identity collision for p");
    EXPECT_EQ(plan.validations, 0);
    EXPECT_EQ(plan.explicitComparisons, 1);
}

TEST_F(PaintAdmission, SecondIdenticalPaintMatchesThePendingOne) {
    EXPECT_TRUE(store.AdmitPaint(plan, staging, Paint("p")));
    EXPECT_TRUE(store.AdmitPaint(plan, staging, Paint("p")));
    EXPECT_EQ(plan.validations, 1);
    EXPECT_EQ(plan.explicitComparisons, 1);
    EXPECT_EQ(plan.pendingPaints.size(), 1u);
    EXPECT_FALSE(store.AdmitPaint(plan, staging, Paint("p", 50)));
    EXPECT_EQ(plan.message, "retained paint identity collision for p");
    EXPECT_EQ(plan.pendingPaints.size(), 1u);
}

TEST_F(PaintAdmission, IdLengthRuleFollowsValidation) {
    EXPECT_TRUE(store.AdmitPaint(plan, staging, Paint(std::string(256, 'p'))));
    EXPECT_FALSE(store.AdmitPaint(plan, staging, Paint(std::string(257, 'p'))));
    EXPECT_EQ(plan.message, "retained paint id exceeds 256 bytes");
    EXPECT_EQ(plan.validations, 2);
    RenderPaint bad = Paint(std::string(300, 'q'), 101);
    EXPECT_FALSE(store.AdmitPaint(plan, staging, bad));
    EXPECT_EQ(plan.message, "render paint " + bad.id + " requires opacity from 0 through 100");
    EXPECT_FALSE(store.AdmitPaint(plan, staging, Paint("")));
    EXPECT_EQ(plan.message, "render paint requires a nonempty id");
    EXPECT_EQ(plan.pendingPaints.size(), 1u);
}

TEST_F(ImageAdmission, GenerationsCoexistAndMayNotRegress) {
    store.CommitImages(ReadyImage("im", 1));
    store.CommitImages(ReadyImage("im", 2));
    EXPECT_TRUE(store.AdmitImage(plan, staging, ReadyImage("im", 2)));
    EXPECT_EQ(plan.explicitComparisons, 1);
    EXPECT_EQ(plan.payloadComparisons, 1);
    EXPECT_EQ(plan.validations, 0);

    RenderImage changed = ReadyImage("im", 1);
    changed.payloadHex[0] = 'b';
    EXPECT_FALSE(store.AdmitImage(plan, staging, changed));
    EXPECT_EQ(plan.message, "retained image identity collision for im@1");
    EXPECT_EQ(plan.payloadComparisons, 2);

    EXPECT_FALSE(store.AdmitImage(plan, staging, ReadyImage("im", 0)));
    EXPECT_EQ(plan.message, "retained image im generation regressed from 2 to 0");
    EXPECT_EQ(plan.validations, 0);

    EXPECT_TRUE(store.AdmitImage(plan, staging, ReadyImage("im", 3)));
    EXPECT_EQ(plan.validations, 1);
    EXPECT_EQ(plan.pendingImages.size(), 1u);
    EXPECT_EQ(store.FindImageLatest(plan, staging, "im"), 2);
    EXPECT_EQ(store.FindImageLatest(plan, staging, "other"), 0);
}

TEST_F(ImageAdmission, NonPositiveFirstGenerationIsAValidationFailure) {
    EXPECT_FALSE(store.AdmitImage(plan, staging, ReadyImage("im", 0)));
    EXPECT_EQ(plan.message, "render image im requires a positive generation");
    EXPECT_FALSE(store.AdmitImage(plan, staging, ReadyImage("im", INT32_MIN)));
    EXPECT_EQ(plan.message, "render image im requires a positive generation");
    EXPECT_EQ(plan.validations, 2);
}

TEST_F(ImageAdmission, PendingGenerationsRaiseTheNewest) {
    EXPECT_TRUE(store.AdmitImage(plan, staging, ReadyImage("im", 5)));
    EXPECT_TRUE(store.AdmitImage(plan, staging, ReadyImage("im", 5)));  // pending match
    EXPECT_EQ(plan.payloadComparisons, 1);
    EXPECT_FALSE(store.AdmitImage(plan, staging, ReadyImage("im", 4)));
    EXPECT_EQ(plan.message, "retained image im generation regressed from 5 to 4");
    EXPECT_TRUE(store.AdmitImage(plan, staging, LoadingImage("im", 6)));
    EXPECT_TRUE(store.AdmitImage(plan, staging, ReadyImage("other", 1)));
    EXPECT_EQ(plan.pendingImages.size(), 3u);
}

TEST_F(OtherKindAdmission, GlyphsComparePayloadsClipsAndTransformsDoNot) {
    store.CommitGlyphs(Glyph(GlyphId()));
    store.CommitClips(Clip("c"));
    store.CommitTransforms(Transform("t"));
    EXPECT_TRUE(store.AdmitGlyph(plan, staging, Glyph(GlyphId())));
    EXPECT_TRUE(store.AdmitClip(plan, staging, Clip("c")));
    EXPECT_TRUE(store.AdmitTransform(plan, staging, Transform("t")));
    EXPECT_EQ(plan.explicitComparisons, 3);
    EXPECT_EQ(plan.payloadComparisons, 1);

    RenderGlyphAlpha g = Glyph(GlyphId());
    g.source = "other";
    EXPECT_FALSE(store.AdmitGlyph(plan, staging, g));
    EXPECT_EQ(plan.message, "retained glyph identity collision for " + GlyphId());
    RenderClip c = Clip("c");
    c.x = 1;
    EXPECT_FALSE(store.AdmitClip(plan, staging, c));
    EXPECT_EQ(plan.message, "retained clip identity collision for c");
    RenderTransform t = Transform("t");
    t.rotationMillidegrees = 1;
    EXPECT_FALSE(store.AdmitTransform(plan, staging, t));
    EXPECT_EQ(plan.message, "retained transform identity collision for t");
    EXPECT_FALSE(store.AdmitTransform(plan, staging, Transform("identity")));
    EXPECT_EQ(plan.message, "render transform id identity is reserved for the built-in identity transform");
    EXPECT_EQ(plan.validations, 1);
}

TEST_F(OtherKindAdmission, RefusalsLeaveTheStoreUnchanged) {
    store.CommitPaints(Paint("p"));
    store.CommitImages(ReadyImage("im", 2));
    store.CommitClips(Clip("c"));
    StoreSnapshot before = Snapshot(store);
    EXPECT_FALSE(store.AdmitPaint(plan, staging, Paint("p", 5)));
    EXPECT_FALSE(store.AdmitPaint(plan, staging, Paint("", 5)));
    EXPECT_FALSE(store.AdmitImage(plan, staging, ReadyImage("im", 1)));
    EXPECT_FALSE(store.AdmitImage(plan, staging, ReadyImage("x", 1, 600, 1)));
    EXPECT_FALSE(store.AdmitGlyph(plan, staging, Glyph("sha256:zz")));
    EXPECT_FALSE(store.AdmitClip(plan, staging, {"c", 0, 0, 1, 1, 0}));
    EXPECT_FALSE(store.AdmitTransform(plan, staging, {"t", 0, 0, 0, 0, 0}));
    EXPECT_TRUE(store.AdmitPaint(plan, staging, Paint("new")));
    EXPECT_EQ(Snapshot(store), before);
    EXPECT_GT(plan.indexProbes, 0);
}

TEST_F(StagedLookups, StagedRecordsHaveCombinedPositionsAfterStoreRows) {
    for (int i = 0; i < 5; ++i) store.CommitPaints(Paint("s" + std::to_string(i)));
    StagingSet batch(64);
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
    EXPECT_TRUE(store.AdmitPaint(plan, batch, Paint("a")));
    EXPECT_FALSE(store.AdmitPaint(plan, batch, Paint("b", 1)));
    EXPECT_EQ(plan.message, "retained paint identity collision for b");

    batch.images = {ReadyImage("im", 4)};
    batch.identityMap.Put(IdentityKey("image-latest", "im", 0), 0, nullptr);
    EXPECT_EQ(store.FindImageLatest(plan, batch, "im"), 4);
    EXPECT_FALSE(store.AdmitImage(plan, batch, ReadyImage("im", 3)));
    EXPECT_EQ(plan.message, "retained image im generation regressed from 4 to 3");
}

TEST(AdmissionRecords, NewPlanAndDeltaCounts) {
    AdmissionPlan plan("row", 7);
    EXPECT_FALSE(plan.accepted);
    EXPECT_EQ(plan.message, "preflight-not-complete");
    EXPECT_EQ(plan.ownerId, "row");
    EXPECT_EQ(plan.generation, 7);
    EXPECT_EQ(plan.validations + plan.explicitComparisons + plan.payloadComparisons + plan.indexProbes, 0);
    ResourceDelta delta;
    EXPECT_EQ(DeltaEntryCount(delta), 0);
    delta.paints = {Paint("a"), Paint("b")};
    delta.clips = {Clip("c")};
    EXPECT_EQ(DeltaEntryCount(delta), 3);
}

}  // namespace
}  // namespace rava
