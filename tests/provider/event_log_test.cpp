// Host-event log and diagnostics: time and correlation continuation, line format, read-back,
// window events, and the diagnostics line against the counters.
#include <gtest/gtest.h>

#include <climits>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

TEST(ProviderDiagnostics, FreshProviderLineIsExact) {
    NativeUiHostProvider p(FullConfig("desk"), 31);
    EXPECT_EQ(p.ProviderDiagnostics(),
              "native-ui-host-provider: schema=rava.native-ui-host-provider.v1; version=1; provider=desk; "
              "state=new; owner-thread=31; sequence=0; timestamp=0; correlation=0; events=0; nodes=0; "
              "displays=0; topology=0; session=active; composition=false; keyboard-requested=false; "
              "keyboard-visible=false; clipboard-format=; failures=0; allocations=0; max-latency-us=0; "
              "diagnostic=ok");
}

TEST(ProviderDiagnostics, ReflectsCountersAfterActivity) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->BeginTextInput("w", "a", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "text", "none", false, true, kOwner, 11, 2));
    ASSERT_TRUE(p->SetClipboard("w", "application/rava-value-v1", "v", false, true, kOwner, 12, 3));
    EXPECT_FALSE(p->TransitionSession(false, "r", kOwner, 13, 4));
    EXPECT_EQ(p->ProviderDiagnostics(),
              "native-ui-host-provider: schema=rava.native-ui-host-provider.v1; version=1; provider=probe; "
              "state=ready; owner-thread=7; sequence=3; timestamp=12; correlation=3; events=3; nodes=0; "
              "displays=0; topology=0; session=active; composition=true; keyboard-requested=true; "
              "keyboard-visible=false; clipboard-format=application/rava-value-v1; failures=1; allocations=3; "
              "max-latency-us=3; diagnostic=host.ui_services session-transition rejected: duplicate-state=active");
}

TEST(ProviderDiagnostics, FirstEventAfterInitializeIsNumberOne) {
    auto p = ReadyProvider();
    const std::string diag = p->ProviderDiagnostics();
    EXPECT_NE(diag.find("; sequence=1; timestamp=10; correlation=1; events=1;"), std::string::npos) << diag;
    EXPECT_EQ(p->EventAt(0).rfind("host-event 1: ", 0), 0u);
}

TEST(HostEventLog, TimesStrictlyIncrease) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    p.LogHostEvent("c", "s", "st", "d", 0, 5, 0);
    p.LogHostEvent("c", "s", "st", "d", 100, 5, 0);
    p.LogHostEvent("c", "s", "st", "d", 100, 5, 0);
    p.LogHostEvent("c", "s", "st", "d", 50, 5, 0);
    p.LogHostEvent("c", "s", "st", "d", -20, 5, 0);
    EXPECT_EQ(p.EventAt(0), "host-event 1: time=1; correlation=5; category=c; subject=s; state=st; detail=d");
    EXPECT_EQ(p.EventAt(1).substr(0, 23), "host-event 2: time=100;");
    EXPECT_EQ(p.EventAt(2).substr(0, 23), "host-event 3: time=101;");
    EXPECT_EQ(p.EventAt(3).substr(0, 23), "host-event 4: time=102;");
    EXPECT_EQ(p.EventAt(4).substr(0, 23), "host-event 5: time=103;");
    EXPECT_EQ(p.lastEventTime, 103);
    EXPECT_EQ(p.nextEventSequence, 6);
}

TEST(HostEventLog, CorrelationContinuesOnlyWhenNotPositive) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    p.LogHostEvent("c", "s", "st", "d", 1, 41, 0);
    p.LogHostEvent("c", "s", "st", "d", 2, 0, 0);
    p.LogHostEvent("c", "s", "st", "d", 3, -7, 0);
    p.LogHostEvent("c", "s", "st", "d", 4, 3, 0);
    EXPECT_NE(p.EventAt(1).find("correlation=42;"), std::string::npos);
    EXPECT_NE(p.EventAt(2).find("correlation=43;"), std::string::npos);
    EXPECT_NE(p.EventAt(3).find("correlation=3;"), std::string::npos);
    EXPECT_EQ(p.lastCorrelation, 3);
}

TEST(HostEventLog, ExtremeTimesAndCorrelationsDoNotWrap) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    p.LogHostEvent("c", "s", "st", "d", INT32_MAX, INT32_MAX, 0);
    p.LogHostEvent("c", "s", "st", "d", INT32_MAX, 0, 0);
    p.LogHostEvent("c", "s", "st", "d", INT32_MIN, INT32_MIN, 0);
    EXPECT_EQ(p.EventAt(0).substr(0, 57), "host-event 1: time=2147483647; correlation=2147483647; ca");
    EXPECT_EQ(p.EventAt(1).substr(0, 57), "host-event 2: time=2147483648; correlation=2147483648; ca");
    EXPECT_EQ(p.EventAt(2).substr(0, 57), "host-event 3: time=2147483649; correlation=2147483649; ca");
}

TEST(HostEventLog, TextsArePlacedVerbatim) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    p.LogHostEvent("", "{0}", "a; b", "", 1, 1, 0);
    EXPECT_EQ(p.EventAt(0), "host-event 1: time=1; correlation=1; category=; subject={0}; state=a; b; detail=");
}

TEST(HostEventLog, EventAtOutOfRangeIsEmpty) {
    auto p = ReadyProvider();
    EXPECT_EQ(p->EventAt(-1), "");
    EXPECT_EQ(p->EventAt(1), "");
    EXPECT_EQ(p->EventAt(INT64_MIN), "");
    EXPECT_EQ(p->EventAt(INT64_MAX), "");
    EXPECT_FALSE(p->EventAt(0).empty());
}

TEST(HostEventLog, MaximumLatencyTracksLargestAndCountsAllocations) {
    auto p = ReadyProvider();
    EXPECT_EQ(p->maxLatencyMicroseconds, 0);
    ASSERT_TRUE(p->BeginTextInput("w", "a", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "text", "none", false, false, kOwner, 11, 1));
    EXPECT_EQ(p->maxLatencyMicroseconds, 3);
    ASSERT_TRUE(p->CancelTextInput("w", "esc", kOwner, 12, 1));
    EXPECT_EQ(p->maxLatencyMicroseconds, 3);
    EXPECT_EQ(p->allocations, 3);
}

TEST(WindowEvents, ReadyOwnerAndWindowIdRequired) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->ReportWindowEvent("main", "resized", 20, 0, kOwner));
    EXPECT_EQ(LastEvent(*p),
              "host-event 2: time=20; correlation=2; category=window; subject=main; state=resized; "
              "detail=correlated-window-runtime-event");
    EXPECT_FALSE(p->ReportWindowEvent("", "resized", 21, 1, kOwner));
    EXPECT_FALSE(p->ReportWindowEvent("main", "resized", 21, 1, kStranger));
    EXPECT_EQ(p->lastResult, Rejected("window-event", "invalid-state-thread-or-window"));
    EXPECT_EQ(p->events.size(), 2u);
    EXPECT_EQ(p->failures, 2);
    NativeUiHostProvider fresh(FullConfig(), kOwner);
    EXPECT_FALSE(fresh.ReportWindowEvent("main", "resized", 1, 1, kOwner));
    EXPECT_TRUE(fresh.events.empty());
}

}  // namespace
}  // namespace rava::testing
