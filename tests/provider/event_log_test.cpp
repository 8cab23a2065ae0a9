// Host-event log and diagnostics: time and correlation continuation (also at the int32 limits),
// verbatim texts, read-back bounds, window events, and the exact diagnostics line.
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

TEST(HostEventLog, TimesStrictlyIncreaseAndCorrelationsContinueWithoutWrapping) {
    const struct {
        int32_t time, correlation;
        int64_t loggedTime, loggedCorrelation;
    } cases[] = {
        {0, 41, 1, 41},
        {100, 0, 100, 42},
        {100, -7, 101, 43},
        {50, 3, 102, 3},
        {-20, 5, 103, 5},
        {INT32_MAX, INT32_MAX, 2147483647, 2147483647},
        {INT32_MAX, 0, 2147483648, 2147483648},
        {INT32_MIN, INT32_MIN, 2147483649, 2147483649},
    };
    NativeUiHostProvider p(FullConfig(), kOwner);
    int64_t n = 0;
    for (const auto& c : cases) {
        p.LogHostEvent("c", "s", "st", "d", c.time, c.correlation, 0);
        EXPECT_EQ(p.EventAt(n), EventLine(n + 1, c.loggedTime, c.loggedCorrelation, "c", "s", "st", "d"));
        ++n;
    }
    EXPECT_EQ(p.lastEventTime, 2147483649);
    EXPECT_EQ(p.lastCorrelation, 2147483649);
    EXPECT_EQ(p.nextEventSequence, n + 1);
}

TEST(HostEventLog, TextsArePlacedVerbatimAndReadBackIsBounded) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    p.LogHostEvent("", "{0}", "a; b", "", 1, 1, 0);
    EXPECT_EQ(p.EventAt(0), "host-event 1: time=1; correlation=1; category=; subject={0}; state=a; b; detail=");
    for (int64_t index : {int64_t{-1}, int64_t{1}, INT64_MIN, INT64_MAX}) EXPECT_EQ(p.EventAt(index), "") << index;
}

TEST(WindowEvents, ReadyOwnerWindowEventIsLogged) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->ReportWindowEvent("main", "resized", 20, 0, kOwner));
    EXPECT_EQ(LastEvent(*p), EventLine(2, 20, 2, "window", "main", "resized", "correlated-window-runtime-event"));
}

}  // namespace
}  // namespace rava::testing
