// Accessibility service: batch nesting, node updates with generation checks, commit counts,
// allocation accounting, and actions with identity and re-entrancy guards.
#include <gtest/gtest.h>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

TEST(Accessibility, UpdatesNeedOpenBatchAndNonEmptyFields) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->UpdateAccessibilityNode("n1", 1, "button", "OK", kOwner));
    EXPECT_EQ(p->lastResult, Rejected("accessibility-update", "invalid-batch-node-role-or-name"));
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    EXPECT_FALSE(p->UpdateAccessibilityNode("", 1, "button", "OK", kOwner));
    EXPECT_FALSE(p->UpdateAccessibilityNode("n1", 0, "button", "OK", kOwner));
    EXPECT_FALSE(p->UpdateAccessibilityNode("n1", -4, "button", "OK", kOwner));
    EXPECT_FALSE(p->UpdateAccessibilityNode("n1", 1, "", "OK", kOwner));
    EXPECT_FALSE(p->UpdateAccessibilityNode("n1", 1, "button", "", kOwner));
    EXPECT_TRUE(p->nodes.empty());
    EXPECT_EQ(p->failures, 6);
    EXPECT_EQ(p->FindNode("n1"), -1);
}

TEST(Accessibility, BatchWithTwoNewNodesCountsAllocationsAndCommitDetail) {
    auto p = ReadyProvider();
    const int64_t before = p->allocations;
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    EXPECT_EQ(LastEvent(*p),
              "host-event 2: time=11; correlation=1; category=accessibility; subject=tree; state=batch-begin; "
              "detail=updates-hidden-until-commit");
    ASSERT_TRUE(p->UpdateAccessibilityNode("root", 1, "window", "Main", kOwner));
    ASSERT_TRUE(p->UpdateAccessibilityNode("ok", 1, "button", "OK", kOwner));
    EXPECT_EQ(p->events.size(), 2u);
    ASSERT_TRUE(p->CommitAccessibilityBatch(kOwner, 12, 2));
    EXPECT_EQ(LastEvent(*p),
              "host-event 3: time=12; correlation=2; category=accessibility; subject=tree; state=batch-commit; "
              "detail=nodes=2");
    EXPECT_EQ(p->allocations - before, 8 + 2);
    EXPECT_EQ(p->FindNode("ok"), 1);
    EXPECT_FALSE(p->batchOpen);
}

TEST(Accessibility, GenerationsNeverGoBack) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    ASSERT_TRUE(p->UpdateAccessibilityNode("n", 3, "button", "Save", kOwner));
    const int64_t allocations = p->allocations;
    EXPECT_FALSE(p->UpdateAccessibilityNode("n", 2, "link", "Old", kOwner));
    EXPECT_EQ(p->lastResult, Rejected("accessibility-update", "stale-generation"));
    EXPECT_EQ(p->nodes[0].role, "button");
    EXPECT_EQ(p->nodes[0].name, "Save");
    EXPECT_TRUE(p->UpdateAccessibilityNode("n", 3, "button", "Save as", kOwner));
    EXPECT_EQ(p->nodes[0].name, "Save as");
    EXPECT_TRUE(p->UpdateAccessibilityNode("n", 9, "menuitem", "Save all", kOwner));
    EXPECT_EQ(p->nodes[0].generation, 9);
    EXPECT_EQ(p->nodes.size(), 1u);
    EXPECT_EQ(p->allocations, allocations);
}

TEST(Accessibility, NestedBeginAndCommitWithoutBatchAreRefused) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->CommitAccessibilityBatch(kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("accessibility-batch", "no-active-batch"));
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 12, 1));
    EXPECT_FALSE(p->BeginAccessibilityBatch(kOwner, 13, 1));
    EXPECT_EQ(p->lastResult, Rejected("accessibility-batch", "nested-batch"));
    EXPECT_TRUE(p->batchOpen);
    EXPECT_TRUE(p->CommitAccessibilityBatch(kOwner, 14, 1));
    EXPECT_NE(LastEvent(*p).find("detail=nodes=0"), std::string::npos);
    EXPECT_EQ(p->events.size(), 3u);
}

class AccessibilityActions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
        ASSERT_TRUE(p->UpdateAccessibilityNode("ok", 2, "button", "OK", kOwner));
        ASSERT_TRUE(p->CommitAccessibilityBatch(kOwner, 12, 1));
    }
    std::unique_ptr<NativeUiHostProvider> p = ReadyProvider();
};

TEST_F(AccessibilityActions, MatchingIdentityIsLogged) {
    ASSERT_TRUE(p->PerformAccessibilityAction("ok", 2, "invoke", false, kOwner, 20, 7));
    EXPECT_EQ(LastEvent(*p),
              "host-event 4: time=20; correlation=7; category=accessibility; subject=ok; state=action; "
              "detail=invoke");
    EXPECT_FALSE(p->actionInProgress);
    EXPECT_EQ(p->maxLatencyMicroseconds, 2);
}

TEST_F(AccessibilityActions, StaleOrMissingIdentityIsRefused) {
    EXPECT_FALSE(p->PerformAccessibilityAction("ok", 1, "invoke", false, kOwner, 20, 1));
    EXPECT_EQ(p->lastResult, Rejected("accessibility-action", "stale-or-missing-node-identity"));
    EXPECT_FALSE(p->PerformAccessibilityAction("ok", 3, "invoke", false, kOwner, 20, 1));
    EXPECT_FALSE(p->PerformAccessibilityAction("missing", 2, "invoke", false, kOwner, 20, 1));
    EXPECT_FALSE(p->PerformAccessibilityAction("", 0, "invoke", false, kOwner, 20, 1));
    EXPECT_EQ(p->failures, 4);
    EXPECT_EQ(p->events.size(), 3u);
}

TEST_F(AccessibilityActions, ReentrantCallbackIsBlockedThenNextActionRuns) {
    EXPECT_FALSE(p->PerformAccessibilityAction("ok", 2, "invoke", true, kOwner, 20, 1));
    EXPECT_EQ(p->lastResult, Rejected("accessibility-action", "callback-reentrancy-blocked"));
    EXPECT_FALSE(p->actionInProgress);
    EXPECT_TRUE(p->PerformAccessibilityAction("ok", 2, "invoke", false, kOwner, 21, 1));
}

TEST_F(AccessibilityActions, ActionsWorkInsideAnOpenBatch) {
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 20, 1));
    EXPECT_TRUE(p->PerformAccessibilityAction("ok", 2, "focus", false, kOwner, 21, 1));
}

TEST_F(AccessibilityActions, ActionDuringAnotherActionIsRefused) {
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
    r.BeginAccessibilityBatch(kOwner, 2, 1);
    r.UpdateAccessibilityNode("ok", 2, "button", "OK", kOwner);
    r.CommitAccessibilityBatch(kOwner, 3, 1);
    EXPECT_TRUE(r.PerformAccessibilityAction("ok", 2, "invoke", false, kOwner, 4, 1));
    EXPECT_TRUE(r.inner);
    EXPECT_FALSE(r.innerResult);
    EXPECT_EQ(r.lastResult, Rejected("accessibility-action", "reentrant-or-unavailable"));
    EXPECT_FALSE(r.actionInProgress);
}

TEST(Accessibility, GateNamesTheCapability) {
    ProviderConfig config = FullConfig();
    config.capabilities.accessibility = false;
    auto p = ReadyProvider(config);
    EXPECT_FALSE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("accessibility", "capability-unavailable-before-effect"));
    EXPECT_FALSE(p->batchOpen);
}

}  // namespace
}  // namespace rava::testing
