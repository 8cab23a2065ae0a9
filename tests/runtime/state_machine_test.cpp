// Table-driven transitions, ambiguity and unmatched events.
#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace rava {
namespace {

TEST(StateMachine, TakesTheSingleMatchingTransition) {
    StateMachine m("idle", {{"idle", "start", "running"}, {"running", "stop", "idle"}});
    EXPECT_EQ(m.message, "ok");
    EXPECT_TRUE(m.Fire("start"));
    EXPECT_EQ(m.current, "running");
    EXPECT_EQ(m.previous, "idle");
    EXPECT_EQ(m.lastEvent, "start");
    EXPECT_EQ(m.transitionCount, 1);
    EXPECT_TRUE(m.Fire("stop"));
    EXPECT_EQ(m.transitionCount, 2);
    // A long-lived machine keeps moving once the count is at its maximum.
    m.transitionCount = INT32_MAX;
    EXPECT_TRUE(m.Fire("start"));
    EXPECT_EQ(m.current, "running");
    EXPECT_EQ(m.transitionCount, INT32_MAX);
}

TEST(StateMachine, RefusesAmbiguousTables) {
    StateMachine m("a", {{"a", "go", "b"}, {"a", "go", "c"}, {"a", "other", "c"}});
    EXPECT_FALSE(m.Fire("go"));
    EXPECT_EQ(m.message, "Ambiguous state transition");
    EXPECT_EQ(m.current, "a");
    EXPECT_EQ(m.transitionCount, 0);
    EXPECT_TRUE(m.Fire("other"));
    EXPECT_EQ(m.message, "ok");
}

TEST(StateMachine, UnmatchedEventChangesNothingNotEvenTheMessage) {
    StateMachine m("a", {{"a", "go", "b"}, {"a", "go", "c"}});
    m.Fire("go");
    EXPECT_FALSE(m.Fire("GO"));
    EXPECT_EQ(m.message, "Ambiguous state transition");
    EXPECT_EQ(m.lastEvent, "");
}

TEST(StateMachine, FiringItsOwnStateNamesActsOnACopy) {
    // Heap-sized names: each assignment below reallocates the field the event views.
    const std::string near(40, 'a'), far(100, 'z');
    StateMachine m(near, {{near, near, far}, {far, near, "b"}});
    EXPECT_TRUE(m.Fire(m.current));
    EXPECT_EQ(m.lastEvent, near);
    EXPECT_EQ(m.current, far);
    EXPECT_TRUE(m.Fire(m.previous));
    EXPECT_EQ(m.lastEvent, near);
    EXPECT_EQ(m.previous, far);
    EXPECT_EQ(m.current, "b");
}

}  // namespace
}  // namespace rava
