// Display topology and session lifecycle: geometry validation (including edges far out in the
// int32 range), publish/replace, primary-count commits, revisions, and session toggling.
#include <gtest/gtest.h>

#include <climits>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

DisplayRecord Display(std::string id, bool primary = true) {
    return DisplayRecord{std::move(id), 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, primary};
}

TEST(ValidateDisplay, WorkAreaMayTouchButNotLeaveBounds) {
    DisplayRecord d = Display("d");
    EXPECT_EQ(ValidateDisplay(d), "ok");
    d.workHeight = 1080;
    EXPECT_EQ(ValidateDisplay(d), "ok");
    d.workHeight = 1100;
    EXPECT_EQ(ValidateDisplay(d), "work-area-outside-display");
    d = Display("d");
    d.workX = -1;
    EXPECT_EQ(ValidateDisplay(d), "work-area-outside-display");
    d = Display("d");
    d.workY = 41;
    EXPECT_EQ(ValidateDisplay(d), "work-area-outside-display");
    d = Display("d");
    d.x = -1920;
    d.workX = -1920;
    EXPECT_EQ(ValidateDisplay(d), "ok");
    d.workX = -1919;
    EXPECT_EQ(ValidateDisplay(d), "work-area-outside-display");
}

TEST(ValidateDisplay, NonPositiveExtentsAndEmptyIdAreInvalid) {
    const auto invalid = [](auto mutate) {
        DisplayRecord d = Display("d");
        mutate(d);
        return ValidateDisplay(d);
    };
    EXPECT_EQ(invalid([](DisplayRecord& d) { d.width = 0; }), "invalid-display-geometry");
    EXPECT_EQ(invalid([](DisplayRecord& d) { d.height = -1; }), "invalid-display-geometry");
    EXPECT_EQ(invalid([](DisplayRecord& d) { d.workWidth = 0; }), "invalid-display-geometry");
    EXPECT_EQ(invalid([](DisplayRecord& d) { d.workHeight = INT32_MIN; }), "invalid-display-geometry");
    EXPECT_EQ(invalid([](DisplayRecord& d) { d.scale = 0; }), "invalid-display-geometry");
    EXPECT_EQ(invalid([](DisplayRecord& d) { d.id.clear(); }), "invalid-display-geometry");
}

TEST(ValidateDisplay, EdgesNearInt32LimitsUseTrueExtent) {
    // A work area sticking out past INT32_MAX must not wrap around and pass.
    DisplayRecord d{"far", INT32_MAX - 100, 0, 100, 100, INT32_MAX - 100, 0, 200, 100, 100, true};
    EXPECT_EQ(ValidateDisplay(d), "work-area-outside-display");
    // The display itself reaching beyond INT32_MAX still contains a work area inside it.
    d = DisplayRecord{"far", INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 5, 5, 1, true};
    EXPECT_EQ(ValidateDisplay(d), "ok");
    d.workWidth = INT32_MAX;
    EXPECT_EQ(ValidateDisplay(d), "ok");
    d = DisplayRecord{"neg", INT32_MIN, INT32_MIN, 10, 10, INT32_MIN, INT32_MIN, 10, 11, 1, true};
    EXPECT_EQ(ValidateDisplay(d), "work-area-outside-display");
    d.workHeight = 10;
    EXPECT_EQ(ValidateDisplay(d), "ok");
}

TEST(DisplayTopology, PublishAddsOnceAndReplacesByIdWithoutEvents) {
    auto p = ReadyProvider();
    const int64_t before = p->allocations;
    ASSERT_TRUE(p->PublishDisplay(Display("a"), kOwner));
    EXPECT_EQ(p->allocations - before, 11);
    DisplayRecord moved = Display("a");
    moved.x = 1920;
    moved.workX = 1920;
    moved.scale = 150;
    ASSERT_TRUE(p->PublishDisplay(moved, kOwner));
    ASSERT_EQ(p->displays.size(), 1u);
    EXPECT_EQ(p->displays[0].x, 1920);
    EXPECT_EQ(p->displays[0].scale, 150);
    EXPECT_EQ(p->allocations - before, 11);
    EXPECT_EQ(p->events.size(), 1u);
    EXPECT_EQ(p->topologyRevision, 0);
    EXPECT_EQ(p->FindDisplay("a"), 0);
    EXPECT_EQ(p->FindDisplay("b"), -1);
}

TEST(DisplayTopology, RefusedPublishLeavesTableUnchanged) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->PublishDisplay(Display("a"), kOwner));
    DisplayRecord bad = Display("a");
    bad.workWidth = 4000;
    EXPECT_FALSE(p->PublishDisplay(bad, kOwner));
    EXPECT_EQ(p->lastResult, Rejected("display-publish", "work-area-outside-display"));
    bad = Display("b");
    bad.scale = -100;
    EXPECT_FALSE(p->PublishDisplay(bad, kOwner));
    EXPECT_EQ(p->lastResult, Rejected("display-publish", "invalid-display-geometry"));
    ASSERT_EQ(p->displays.size(), 1u);
    EXPECT_EQ(p->displays[0].workWidth, 1920);
}

TEST(DisplayTopology, CommitNeedsExactlyOnePrimary) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->CommitDisplayTopology(kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("display-topology", "no-displays"));
    ASSERT_TRUE(p->PublishDisplay(Display("a", false), kOwner));
    EXPECT_FALSE(p->CommitDisplayTopology(kOwner, 12, 1));
    EXPECT_EQ(p->lastResult, Rejected("display-topology", "primary-count=0"));
    ASSERT_TRUE(p->PublishDisplay(Display("a", true), kOwner));
    ASSERT_TRUE(p->PublishDisplay(Display("b", true), kOwner));
    EXPECT_FALSE(p->CommitDisplayTopology(kOwner, 13, 1));
    EXPECT_EQ(p->lastResult, Rejected("display-topology", "primary-count=2"));
    EXPECT_EQ(p->topologyRevision, 0);
    EXPECT_EQ(p->events.size(), 1u);
    ASSERT_TRUE(p->PublishDisplay(Display("b", false), kOwner));
    ASSERT_TRUE(p->CommitDisplayTopology(kOwner, 14, 3));
    EXPECT_EQ(LastEvent(*p),
              "host-event 2: time=14; correlation=3; category=display; subject=topology; state=changed; "
              "detail=revision=1; displays=2");
    ASSERT_TRUE(p->CommitDisplayTopology(kOwner, 15, 4));
    EXPECT_NE(LastEvent(*p).find("detail=revision=2; displays=2"), std::string::npos);
    EXPECT_EQ(p->topologyRevision, 2);
    EXPECT_NE(p->ProviderDiagnostics().find("; displays=2; topology=2;"), std::string::npos);
}

TEST(Session, TogglesAndRefusesRepeats) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->TransitionSession(false, "resume", kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("session-transition", "duplicate-state=active"));
    ASSERT_TRUE(p->TransitionSession(true, "screen-locked", kOwner, 12, 2));
    EXPECT_EQ(LastEvent(*p),
              "host-event 2: time=12; correlation=2; category=session; subject=application; state=suspended; "
              "detail=screen-locked");
    EXPECT_FALSE(p->TransitionSession(true, "again", kOwner, 13, 1));
    EXPECT_EQ(p->lastResult, Rejected("session-transition", "duplicate-state=suspended"));
    ASSERT_TRUE(p->TransitionSession(false, "unlocked", kOwner, 14, 1));
    EXPECT_EQ(p->sessionState, "active");
    EXPECT_EQ(p->failures, 2);
}

TEST(Session, StateSurvivesLossAndTeardown) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->TransitionSession(true, "lock", kOwner, 11, 1));
    ASSERT_TRUE(p->PublishDisplay(Display("a"), kOwner));
    ASSERT_TRUE(p->CommitDisplayTopology(kOwner, 12, 1));
    ASSERT_TRUE(p->ReportProviderLoss("gone", kOwner, 13, 1));
    ASSERT_TRUE(p->Teardown(kOwner, 14, 1));
    EXPECT_EQ(p->sessionState, "suspended");
    EXPECT_EQ(p->topologyRevision, 1);
    EXPECT_EQ(p->displays.size(), 1u);
    EXPECT_FALSE(p->TransitionSession(false, "x", kOwner, 15, 1));
    EXPECT_EQ(p->lastResult, Rejected("session-lifecycle", "provider-state=torn-down"));
}

}  // namespace
}  // namespace rava::testing
