// Store construction and state, the identity index (probe counting, PutKey
// overwrite), column reads out of range, resource commits, diagnostics and
// close.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

std::string Line(const std::string& surface, const std::string& state, int revision, int entries, int payload) {
    return "retained-resource-store-v1: surface=" + surface + "; state=" + state +
           "; revision=" + std::to_string(revision) + "; entries=" + std::to_string(entries) +
           "; owners=0; commands=0; payload=" + std::to_string(payload) +
           "; validations=0; explicit-comparisons=0; payload-comparisons=0; admissions=0; "
           "rejections=operation-results-only";
}

TEST(StoreConstruction, NewStoreIsOpenAndEmpty) {
    RetainedResourceStore s("main");
    EXPECT_EQ(s.State(), "open");
    EXPECT_EQ(s.Surface(), "main");
    EXPECT_EQ(s.IndexBucketCount(), 8192);
    EXPECT_EQ((std::vector<int32_t>{s.Revision(), s.EntryCount(), s.OwnerCount(), s.CommandCount(),
                                    s.IndexNodeCount(), s.IndexProbeCount()}),
              std::vector<int32_t>(6, 0));
    EXPECT_EQ(s.Diagnostics(), Line("main", "open", 0, 0, 0));
    EXPECT_NE(s.Token(), nullptr);
    RetainedResourceStore other("main");
    EXPECT_NE(s.Token(), other.Token());
}

TEST(StoreConstruction, SurfaceMustBeOneThrough128BytesAndIsInsertedVerbatim) {
    EXPECT_EQ(RetainedResourceStore(std::string(128, 's')).State(), "open");
    RetainedResourceStore longSurface(std::string(129, 's'));
    EXPECT_EQ(longSurface.State(), "invalid");
    EXPECT_EQ(longSurface.Revision(), 0);
    EXPECT_EQ(RetainedResourceStore("a; state={1}").Diagnostics(), Line("a; state={1}", "open", 0, 0, 0));
    RetainedResourceStore empty("");
    EXPECT_EQ(empty.Diagnostics(), Line("", "invalid", 0, 0, 0));
    // The low-level writes have no state condition: an invalid store takes
    // them (each stepping the revision) and still closes.
    empty.CommitPaints(Paint("p"));
    empty.PutKey("k", 1);
    EXPECT_EQ(empty.PaintCount(), 1);
    EXPECT_EQ(empty.IndexNodeCount(), 2);
    EXPECT_TRUE(empty.Close());
    EXPECT_EQ(empty.Diagnostics(), Line("", "closed", 3, 0, 0));
}

TEST(IdentityIndex, PutKeyOverwritesWithoutNewNode) {
    RetainedResourceStore s("main");
    s.PutKey("5:paint:3:sky:0", 4);
    EXPECT_EQ(s.IndexNodeCount(), 1);
    EXPECT_EQ(s.IndexProbeCount(), 0);  // empty chain
    s.PutKey("5:paint:3:sky:0", 9);
    EXPECT_EQ(s.IndexNodeCount(), 1);
    EXPECT_EQ(s.IndexProbeCount(), 1);
    EXPECT_EQ(s.FindKey("5:paint:3:sky:0"), 9);
    EXPECT_EQ(s.FindKey("5:paint:3:Sky:0"), -1);
}

TEST(IdentityIndex, ChainStepsAreCountedInPlanNotStore) {
    RetainedResourceStore s("main");
    // Build a real chain from keys that share a bucket.
    std::vector<std::string> same;
    int32_t bucket = IdentityHash("k0", 8192);
    for (int i = 1; same.size() < 3 && i < 200000; ++i) {
        std::string k = "k" + std::to_string(i);
        if (IdentityHash(k, 8192) == bucket) same.push_back(k);
    }
    ASSERT_EQ(same.size(), 3u);
    s.PutKey("k0", 0);
    s.PutKey(same[0], 1);
    s.PutKey(same[1], 2);
    EXPECT_EQ(s.IndexProbeCount(), 0 + 1 + 2);
    AdmissionPlan plan("o", 1);
    EXPECT_EQ(s.FindKeyCounted(plan, "k0"), 0);  // oldest node is last in chain
    EXPECT_EQ(plan.indexProbes, 3);
    EXPECT_EQ(s.FindKeyCounted(plan, same[2]), -1);
    EXPECT_EQ(plan.indexProbes, 6);
    EXPECT_EQ(s.FindKey(same[1]), 2);
    EXPECT_EQ(s.IndexProbeCount(), 3);
    EXPECT_EQ(s.FindOwnerCounted(plan, "nobody"), -1);
    s.PutKey(IdentityKey("binding", "row", 0), 7);
    EXPECT_EQ(s.FindOwner("row"), 7);
}

TEST(ColumnReads, OutOfRangePositionsAnswerMinusOne) {
    RetainedResourceStore s("main");
    for (int32_t p : {-1, 0, 1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ((std::vector<int32_t>{s.CommandOwnerAt(p), s.CommandPaintRef(p), s.CommandTransformRef(p),
                                        s.OwnerGeneration(p), s.OwnerClipRef(p, 0)}),
                  std::vector<int32_t>(5, -1))
            << p;
        EXPECT_EQ(s.ReadStoredPaint(p), RenderPaint{});
        EXPECT_EQ(s.ReadStoredImage(p), RenderImage{});
    }
}

TEST(ResourceCommit, RowsAndIdentityKeys) {
    RetainedResourceStore s("main");
    s.CommitPaints(Paint("sky"));
    s.CommitClips(Clip("c1"));
    s.CommitTransforms(Transform("t"));
    s.CommitGlyphs(Glyph(GlyphId()));
    for (const std::string& key : {std::string("5:paint:3:sky:0"), IdentityKey("clip", "c1", 0),
                                   IdentityKey("transform", "t", 0), IdentityKey("glyph", GlyphId(), 0)}) {
        EXPECT_EQ(s.FindKey(key), 0) << key;
    }
    EXPECT_EQ(s.ReadStoredPaint(0), Paint("sky"));
    EXPECT_EQ(s.ReadStoredClip(0), Clip("c1"));
    EXPECT_EQ(s.ReadStoredGlyph(0), Glyph(GlyphId()));
    EXPECT_EQ(s.ReadStoredTransform(0), Transform("t"));
    EXPECT_EQ(s.PayloadBytes(), 6);
    EXPECT_EQ(s.IndexNodeCount(), 4);

    // Image generations coexist; the latest key follows the newest row.
    s.CommitImages(ReadyImage("im", 1));
    s.CommitImages(ReadyImage("im", 2, 1, 1));
    EXPECT_EQ(s.IndexNodeCount(), 4 + 3);
    EXPECT_EQ(s.FindKey(IdentityKey("image-generation", "im", 1)), 0);
    EXPECT_EQ(s.FindKey(IdentityKey("image-generation", "im", 2)), 1);
    EXPECT_EQ(s.FindKey(IdentityKey("image-latest", "im", 0)), 1);
    EXPECT_EQ(s.ReadStoredImage(1), ReadyImage("im", 2, 1, 1));
    EXPECT_EQ(s.PayloadBytes(), 6 + 16 + 4);
    EXPECT_EQ(s.EntryCount(), 6);
}

TEST(DiagnosticsAndClose, ClosedStoreKeepsRevisionAndCounters) {
    RetainedResourceStore s("main");
    s.CommitPaints(Paint("p"));
    s.CommitImages(ReadyImage("im", 1));
    s.PutKey("5:paint:1:p:0", 0);
    int32_t probes = s.IndexProbeCount();
    EXPECT_GE(probes, 1);
    EXPECT_EQ(s.Diagnostics(), Line("main", "open", 3, 2, 16));
    EXPECT_TRUE(s.Close());
    EXPECT_EQ(s.Diagnostics(), Line("main", "closed", 4, 0, 0));
    EXPECT_TRUE(s.Close());
    EXPECT_EQ(s.Revision(), 4);
    EXPECT_EQ(s.Diagnostics(), Line("main", "closed", 4, 0, 0));
    EXPECT_EQ(s.IndexBucketCount(), 8192);
    EXPECT_EQ(s.IndexProbeCount(), probes);
    EXPECT_EQ(s.IndexNodeCount(), 0);
    EXPECT_EQ(s.FindKey("5:paint:1:p:0"), -1);
    EXPECT_EQ(s.PaintCount() + s.ImageCount(), 0);
    // Closed is final: writes are ignored and leave the revision alone.
    s.PutKey("x", 1);
    s.CommitPaints(Paint("q"));
    s.AppendCommandRow(0, Command("o", 1), -1, -1, -1, -1, -1);
    EXPECT_EQ(s.FindKey("x"), -1);
    EXPECT_EQ(s.EntryCount(), 0);
    EXPECT_EQ(s.CommandOwnerAt(0), -1);
    EXPECT_EQ(s.Revision(), 4);
}

}  // namespace
}  // namespace rava
