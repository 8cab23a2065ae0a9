// Accessibility service: batches and their commit counts, node updates whose generations never go
// back, allocation accounting, and actions guarded against re-entry. Refusals: refusals_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

TEST(Accessibility, BatchesLogBeginAndCommitWithTheNodeCount) {
    auto p = ReadyProvider();
    const int64_t before = p->allocations;
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    EXPECT_EQ(LastEvent(*p),
              EventLine(2, 11, 1, "accessibility", "tree", "batch-begin", "updates-hidden-until-commit"));
    ASSERT_TRUE(p->CommitAccessibilityBatch(kOwner, 12, 2));
    EXPECT_EQ(LastEvent(*p), EventLine(3, 12, 2, "accessibility", "tree", "batch-commit", "nodes=0"));
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 13, 3));
    ASSERT_TRUE(p->UpdateAccessibilityNode("root", 1, "window", "Main", kOwner));
    ASSERT_TRUE(p->UpdateAccessibilityNode("ok", 1, "button", "OK", kOwner));
    EXPECT_EQ(p->events.size(), 4u);
    EXPECT_TRUE(p->batchOpen);
    ASSERT_TRUE(p->CommitAccessibilityBatch(kOwner, 14, 4));
    EXPECT_EQ(LastEvent(*p), EventLine(5, 14, 4, "accessibility", "tree", "batch-commit", "nodes=2"));
    EXPECT_FALSE(p->batchOpen);
    // Four columns per new node plus one per event.
    EXPECT_EQ(p->allocations - before, 8 + 4);
    EXPECT_EQ(p->FindNode("ok"), 1);
    EXPECT_EQ(p->FindNode("n1"), -1);
}

TEST(Accessibility, SameOrNewerGenerationReplacesTheNodeInPlace) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    ASSERT_TRUE(p->UpdateAccessibilityNode("n", 3, "button", "Save", kOwner));
    const int64_t allocations = p->allocations;
    EXPECT_TRUE(p->UpdateAccessibilityNode("n", 3, "button", "Save as", kOwner));
    EXPECT_EQ(p->Nodes()[0].name, "Save as");
    EXPECT_TRUE(p->UpdateAccessibilityNode("n", 9, "menuitem", "Save all", kOwner));
    EXPECT_EQ(p->Nodes()[0].generation, 9);
    EXPECT_EQ(p->Nodes()[0].role, "menuitem");
    EXPECT_EQ(p->Nodes().size(), 1u);
    EXPECT_EQ(p->allocations, allocations);
}

TEST(Accessibility, NodeAndDisplayLookupsAnswerFirstPositionsInLongTables) {
    // Ids that are prefixes of one another or differ only after a zero byte must stay apart.
    std::vector<std::string> ids;
    for (int i = 0; i < 3000; ++i)
        ids.push_back(i % 7 == 0 ? std::string("n\0", 2) + std::to_string(i) : "n" + std::to_string(i));
    auto p = ReadyProvider();
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    for (int pass = 0; pass < 2; ++pass) {
        for (const std::string& id : ids) {
            ASSERT_TRUE(p->UpdateAccessibilityNode(id, 1 + pass, "button", "OK", kOwner));
            DisplayRecord d = PlainDisplay(id, pass == 0);
            ASSERT_TRUE(p->PublishDisplay(d, kOwner));
        }
    }
    ASSERT_EQ(p->Nodes().size(), ids.size());
    ASSERT_EQ(p->Displays().size(), ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        ASSERT_EQ(p->FindNode(ids[i]), static_cast<int32_t>(i));
        ASSERT_EQ(p->FindDisplay(ids[i]), static_cast<int32_t>(i));
        ASSERT_EQ(p->Nodes()[i].id, ids[i]);
        ASSERT_EQ(p->Nodes()[i].generation, 2);
        ASSERT_FALSE(p->Displays()[i].primary);
    }
    const std::string_view missingIds[] = {"", "n", "n3000", std::string_view("n\0", 2)};
    for (std::string_view missing : missingIds) {
        EXPECT_EQ(p->FindNode(missing), -1);
        EXPECT_EQ(p->FindDisplay(missing), -1);
    }
}

TEST(Accessibility, ActionOnCurrentIdentityIsLoggedEvenAfterABlockedReentry) {
    auto p = ReadyProvider();
    ASSERT_TRUE(CommitNode(*p, "ok", 2));
    EXPECT_FALSE(p->PerformAccessibilityAction("ok", 2, "invoke", true, kOwner, 20, 1));
    ASSERT_TRUE(p->PerformAccessibilityAction("ok", 2, "invoke", false, kOwner, 21, 7));
    EXPECT_EQ(LastEvent(*p), EventLine(4, 21, 7, "accessibility", "ok", "action", "invoke"));
    EXPECT_FALSE(p->actionInProgress);
    EXPECT_EQ(p->maxLatencyMicroseconds, 2);
    // An open batch does not block actions.
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 22, 1));
    EXPECT_TRUE(p->PerformAccessibilityAction("ok", 2, "focus", false, kOwner, 23, 1));
}

TEST(Accessibility, ActionDuringAnotherActionIsRefused) {
    // A subclass that re-enters from the logging slot sees the in-progress guard.
    struct Reentering : NativeUiHostProvider {
        using NativeUiHostProvider::NativeUiHostProvider;
        void LogHostEvent(std::string_view c, std::string_view s, std::string_view st, std::string_view d, int32_t t,
                          int32_t k, int32_t l) override {
            if (st == "action" && !inner) {
                inner = true;
                innerResult = PerformAccessibilityAction("ok", 2, "nested", false, kOwner, t, k);
            }
            NativeUiHostProvider::LogHostEvent(c, s, st, d, t, k, l);
        }
        bool inner = false;
        bool innerResult = true;
    };
    Reentering r(FullConfig(), kOwner);
    r.Initialize(true, false, kOwner, 1, 1);
    ASSERT_TRUE(CommitNode(r, "ok", 2));
    EXPECT_TRUE(r.PerformAccessibilityAction("ok", 2, "invoke", false, kOwner, 4, 1));
    EXPECT_TRUE(r.inner);
    EXPECT_FALSE(r.innerResult);
    EXPECT_EQ(r.lastResult, Rejected("accessibility-action", "reentrant-or-unavailable"));
    EXPECT_FALSE(r.actionInProgress);
}

}  // namespace
}  // namespace rava::testing
