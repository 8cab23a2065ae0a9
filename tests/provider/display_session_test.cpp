// Display topology and session lifecycle: geometry validation (including edges far out in the
// int32 range), publish/replace, commits and revisions, and session toggling that survives loss
// and teardown. Refusals: refusals_test.cpp.
#include <gtest/gtest.h>

#include <climits>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

TEST(ValidateDisplay, ExtentsAndWorkAreaContainment) {
    constexpr int32_t kMax = INT32_MAX;
    constexpr int32_t kMin = INT32_MIN;
    const std::string ok = "ok", outside = "work-area-outside-display", invalid = "invalid-display-geometry";
    const struct {
        const char* label;
        DisplayRecord display;
        std::string verdict;
    } cases[] = {
        {"plain", {"d", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, true}, ok},
        {"work area touches every edge", {"d", 0, 0, 1920, 1080, 0, 0, 1920, 1080, 100, true}, ok},
        {"work area too tall", {"d", 0, 0, 1920, 1080, 0, 0, 1920, 1100, 100, true}, outside},
        {"work area left of display", {"d", 0, 0, 1920, 1080, -1, 0, 1920, 1040, 100, true}, outside},
        {"work area pushed below", {"d", 0, 0, 1920, 1080, 0, 41, 1920, 1040, 100, true}, outside},
        {"display left of origin", {"d", -1920, 0, 1920, 1080, -1920, 0, 1920, 1040, 100, true}, ok},
        {"work area past right edge", {"d", -1920, 0, 1920, 1080, -1919, 0, 1920, 1040, 100, true}, outside},
        {"zero width", {"d", 0, 0, 0, 1080, 0, 0, 1920, 1040, 100, true}, invalid},
        {"negative height", {"d", 0, 0, 1920, -1, 0, 0, 1920, 1040, 100, true}, invalid},
        {"zero work width", {"d", 0, 0, 1920, 1080, 0, 0, 0, 1040, 100, true}, invalid},
        {"lowest work height", {"d", 0, 0, 1920, 1080, 0, 0, 1920, kMin, 100, true}, invalid},
        {"zero scale", {"d", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 0, true}, invalid},
        {"no id", {"", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, true}, invalid},
        // Far edges past INT32_MAX must be judged by their true extent, never a wrapped one.
        {"work area past the int32 end", {"f", kMax - 100, 0, 100, 100, kMax - 100, 0, 200, 100, 100, true}, outside},
        {"display reaching past the int32 end", {"f", kMax, kMax, kMax, kMax, kMax, kMax, 5, 5, 1, true}, ok},
        {"both reaching past the int32 end", {"f", kMax, kMax, kMax, kMax, kMax, kMax, kMax, 5, 1, true}, ok},
        {"at the int32 start, too tall", {"n", kMin, kMin, 10, 10, kMin, kMin, 10, 11, 1, true}, outside},
        {"at the int32 start", {"n", kMin, kMin, 10, 10, kMin, kMin, 10, 10, 1, true}, ok},
    };
    for (const auto& c : cases) EXPECT_EQ(ValidateDisplay(c.display), c.verdict) << c.label;
}

TEST(DisplayTopology, PublishAddsOnceAndReplacesByIdWithoutEvents) {
    auto p = ReadyProvider();
    const int64_t before = p->allocations;
    ASSERT_TRUE(p->PublishDisplay(PlainDisplay("a"), kOwner));
    EXPECT_EQ(p->allocations - before, 11);
    DisplayRecord moved{"a", 1920, 0, 1920, 1080, 1920, 0, 1920, 1040, 150, true};
    ASSERT_TRUE(p->PublishDisplay(moved, kOwner));
    ASSERT_EQ(p->Displays().size(), 1u);
    EXPECT_EQ(p->Displays()[0].x, 1920);
    EXPECT_EQ(p->Displays()[0].scale, 150);
    EXPECT_EQ(p->allocations - before, 11);
    EXPECT_EQ(p->events.size(), 1u);
    EXPECT_EQ(p->topologyRevision, 0);
    EXPECT_EQ(p->FindDisplay("a"), 0);
    EXPECT_EQ(p->FindDisplay("b"), -1);
}

TEST(DisplayTopology, EachCommitAdvancesTheRevision) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->PublishDisplay(PlainDisplay("a", true), kOwner));
    ASSERT_TRUE(p->PublishDisplay(PlainDisplay("b", true), kOwner));
    EXPECT_FALSE(p->CommitDisplayTopology(kOwner, 13, 1));
    ASSERT_TRUE(p->PublishDisplay(PlainDisplay("b", false), kOwner));
    ASSERT_TRUE(p->CommitDisplayTopology(kOwner, 14, 3));
    EXPECT_EQ(LastEvent(*p), EventLine(2, 14, 3, "display", "topology", "changed", "revision=1; displays=2"));
    ASSERT_TRUE(p->CommitDisplayTopology(kOwner, 15, 4));
    EXPECT_EQ(LastEvent(*p), EventLine(3, 15, 4, "display", "topology", "changed", "revision=2; displays=2"));
    EXPECT_EQ(p->topologyRevision, 2);
    EXPECT_NE(p->ProviderDiagnostics().find("; displays=2; topology=2;"), std::string::npos);
}

TEST(Session, TogglesAndSurvivesLossAndTeardown) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->TransitionSession(true, "screen-locked", kOwner, 12, 2));
    EXPECT_EQ(LastEvent(*p), EventLine(2, 12, 2, "session", "application", "suspended", "screen-locked"));
    ASSERT_TRUE(p->TransitionSession(false, "unlocked", kOwner, 13, 1));
    EXPECT_EQ(p->sessionState, "active");
    ASSERT_TRUE(p->TransitionSession(true, "lock", kOwner, 14, 1));
    ASSERT_TRUE(p->PublishDisplay(PlainDisplay("a"), kOwner));
    ASSERT_TRUE(p->CommitDisplayTopology(kOwner, 15, 1));
    ASSERT_TRUE(p->ReportProviderLoss("gone", kOwner, 16, 1));
    ASSERT_TRUE(p->Teardown(kOwner, 17, 1));
    EXPECT_EQ(p->sessionState, "suspended");
    EXPECT_EQ(p->topologyRevision, 1);
    EXPECT_EQ(p->Displays().size(), 1u);
}

}  // namespace
}  // namespace rava::testing
