// Lifecycle and capability gate: every transition of the state table, every refused combination,
// and the three gate reasons with their formatted values.
#include <gtest/gtest.h>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

TEST(ProviderLifecycle, FreshProviderCopiesConfigAndStartsNew) {
    ProviderConfig config = FullConfig("desk");
    config.capabilities.clipboard = false;
    NativeUiHostProvider p(config, 42);
    EXPECT_EQ(p.state, "new");
    EXPECT_EQ(p.ownerThread, 42);
    EXPECT_EQ(p.providerName, "desk");
    EXPECT_EQ(p.contractId, "rava.native-ui-host-capabilities.v1");
    EXPECT_TRUE(p.HasCapability("text-input"));
    EXPECT_FALSE(p.HasCapability("clipboard"));
    EXPECT_FALSE(p.HasCapability("Text-Input"));
    EXPECT_FALSE(p.HasCapability(""));
    EXPECT_EQ(p.inputPurpose, "text");
    EXPECT_EQ(p.inputHints, "none");
}

TEST(ProviderLifecycle, SuccessfulInitializeLogsReadyAndBindsOwner) {
    NativeUiHostProvider p(FullConfig("desk"), kOwner);
    ASSERT_TRUE(p.Initialize(true, false, kOwner, 5, 3));
    EXPECT_EQ(p.state, "ready");
    EXPECT_EQ(p.lastResult, "ok");
    ASSERT_EQ(p.events.size(), 1u);
    EXPECT_EQ(p.EventAt(0),
              "host-event 1: time=5; correlation=3; category=provider; subject=desk; state=ready; "
              "detail=owner-thread-bound");
    EXPECT_EQ(p.failures, 0);
}

TEST(ProviderLifecycle, SecondInitializeIsRefusedAndStateStays) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->Initialize(true, false, kOwner, 20, 2));
    EXPECT_EQ(p->state, "ready");
    EXPECT_EQ(p->failures, 1);
    EXPECT_EQ(p->events.size(), 1u);
    EXPECT_EQ(p->lastResult, Rejected("initialize", "invalid-state-or-thread"));
}

TEST(ProviderLifecycle, InitializeFromWrongThreadLeavesProviderNew) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    EXPECT_FALSE(p.Initialize(true, false, kStranger, 1, 1));
    EXPECT_EQ(p.state, "new");
    EXPECT_EQ(p.lastResult, Rejected("initialize", "invalid-state-or-thread"));
    // The owner can still initialize afterwards.
    EXPECT_TRUE(p.Initialize(true, false, kOwner, 1, 1));
}

TEST(ProviderLifecycle, IncompatibleContractsMakeProviderUnavailable) {
    ProviderConfig version2 = FullConfig();
    version2.contractVersion = 2;
    ProviderConfig otherId = FullConfig();
    otherId.contractId = "rava.native-ui-host-capabilities.v2";
    ProviderConfig noName = FullConfig("");
    for (const ProviderConfig& config : {version2, otherId, noName}) {
        NativeUiHostProvider p(config, kOwner);
        EXPECT_FALSE(p.Initialize(true, false, kOwner, 1, 1));
        EXPECT_EQ(p.state, "unavailable");
        EXPECT_EQ(p.lastResult, Rejected("initialize", "incompatible-capability-contract"));
        EXPECT_TRUE(p.events.empty());
    }
}

TEST(ProviderLifecycle, UnavailableHostIsReportedAfterContractCheck) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    EXPECT_FALSE(p.Initialize(false, true, kOwner, 1, 1));
    EXPECT_EQ(p.state, "unavailable");
    EXPECT_EQ(p.lastResult, Rejected("initialize", "provider-unavailable"));
    EXPECT_TRUE(p.events.empty());
    // A bad contract wins over a missing host.
    ProviderConfig bad = FullConfig();
    bad.contractVersion = 0;
    NativeUiHostProvider q(bad, kOwner);
    EXPECT_FALSE(q.Initialize(false, false, kOwner, 1, 1));
    EXPECT_EQ(q.lastResult, Rejected("initialize", "incompatible-capability-contract"));
}

TEST(ProviderLifecycle, PartialFailureLogsCleanupAndRefuses) {
    NativeUiHostProvider p(FullConfig("desk"), kOwner);
    EXPECT_FALSE(p.Initialize(true, true, kOwner, 4, 8));
    EXPECT_EQ(p.state, "failed");
    EXPECT_EQ(p.failures, 1);
    EXPECT_EQ(p.lastResult, Rejected("initialize", "partial-initialization"));
    ASSERT_EQ(p.events.size(), 1u);
    EXPECT_EQ(p.EventAt(0),
              "host-event 1: time=4; correlation=8; category=provider; subject=desk; "
              "state=partial-initialization-cleaned; detail=capabilities-created-services-not-published");
    EXPECT_FALSE(p.SetVirtualKeyboard(true, true, "x", kOwner, 5, 1));
    EXPECT_EQ(p.lastResult, Rejected("virtual-keyboard", "provider-state=failed"));
}

TEST(ProviderLifecycle, ProviderLossClearsTransientStateOnly) {
    auto p = ReadyProvider();
    ASSERT_TRUE(
        p->BeginTextInput("w1", "ka", 0, 2, 0, 0, 1, 2, 1, 16, 0, 20, "text", "none", false, true, kOwner, 11, 2));
    ASSERT_TRUE(p->SetVirtualKeyboard(true, true, "shown", kOwner, 12, 3));
    ASSERT_TRUE(p->SetClipboard("w1", "image/rgba8", "\x01\x02", false, true, kOwner, 13, 4));
    ASSERT_TRUE(p->ReportProviderLoss("driver-reset", kOwner, 14, 5));
    EXPECT_EQ(p->state, "lost");
    EXPECT_FALSE(p->compositionActive);
    EXPECT_FALSE(p->keyboardVisible);
    EXPECT_TRUE(p->keyboardRequested);
    EXPECT_EQ(p->focusWindow, "w1");
    EXPECT_EQ(p->clipboardOwner, "");
    EXPECT_EQ(p->clipboardPayload, "");
    EXPECT_EQ(p->clipboardFormat, "image/rgba8");
    EXPECT_EQ(LastEvent(*p),
              "host-event 5: time=14; correlation=5; category=provider; subject=probe; state=lost; "
              "detail=driver-reset");
    EXPECT_EQ(p->maxLatencyMicroseconds, 3);
}

TEST(ProviderLifecycle, ProviderLossNeedsReadyStateAndOwner) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->ReportProviderLoss("gone", kStranger, 11, 1));
    EXPECT_EQ(p->state, "ready");
    EXPECT_EQ(p->lastResult, Rejected("provider-loss", "invalid-state-or-thread"));
    ASSERT_TRUE(p->ReportProviderLoss("gone", kOwner, 12, 1));
    EXPECT_FALSE(p->ReportProviderLoss("again", kOwner, 13, 1));
    EXPECT_EQ(p->failures, 2);
    NativeUiHostProvider fresh(FullConfig(), kOwner);
    EXPECT_FALSE(fresh.ReportProviderLoss("gone", kOwner, 1, 1));
    EXPECT_EQ(fresh.state, "new");
}

TEST(ProviderLifecycle, EveryServiceIsRefusedAfterLoss) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->ReportProviderLoss("gone", kOwner, 11, 1));
    const size_t events = p->events.size();
    const std::string lost = "provider-state=lost";
    EXPECT_FALSE(p->BeginTextInput("w", "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "text", "none", false, false, kOwner, 1, 1));
    EXPECT_EQ(p->lastResult, Rejected("text-input", lost));
    EXPECT_EQ(p->ReadClipboard("image/rgba8", true, kOwner, 1, 1), "");
    EXPECT_EQ(p->lastResult, Rejected("clipboard", lost));
    EXPECT_FALSE(p->BeginAccessibilityBatch(kOwner, 1, 1));
    EXPECT_EQ(p->lastResult, Rejected("accessibility", lost));
    EXPECT_FALSE(p->CommitDisplayTopology(kOwner, 1, 1));
    EXPECT_EQ(p->lastResult, Rejected("display-topology", lost));
    EXPECT_FALSE(p->TransitionSession(true, "lock", kOwner, 1, 1));
    EXPECT_EQ(p->lastResult, Rejected("session-lifecycle", lost));
    EXPECT_FALSE(p->ReportWindowEvent("w", "resize", 1, 1, kOwner));
    EXPECT_EQ(p->lastResult, Rejected("window-event", "invalid-state-thread-or-window"));
    EXPECT_EQ(p->failures, 6);
    EXPECT_EQ(p->events.size(), events);
}

TEST(ProviderLifecycle, TeardownFromEveryLiveStateLogsOnce) {
    ProviderConfig version2 = FullConfig();
    version2.contractVersion = 2;
    NativeUiHostProvider unavailable(version2, kOwner);
    unavailable.Initialize(true, false, kOwner, 1, 1);
    NativeUiHostProvider failed(FullConfig(), kOwner);
    failed.Initialize(true, true, kOwner, 1, 1);
    auto ready = ReadyProvider();
    auto lost = ReadyProvider();
    lost->ReportProviderLoss("gone", kOwner, 11, 1);
    for (NativeUiHostProvider* p : {&unavailable, &failed, ready.get(), lost.get()}) {
        const std::string from = p->state;
        const size_t before = p->events.size();
        EXPECT_TRUE(p->Teardown(kOwner, 50, 9)) << from;
        EXPECT_EQ(p->state, "torn-down") << from;
        ASSERT_EQ(p->events.size(), before + 1) << from;
        EXPECT_NE(LastEvent(*p).find("state=torn-down; detail=queues-quiesced-identities-invalidated"),
                  std::string::npos);
        EXPECT_TRUE(p->Teardown(kOwner, 60, 9)) << from;
        EXPECT_EQ(p->events.size(), before + 1) << from;
    }
    EXPECT_EQ(unavailable.events.size(), 1u);
}

TEST(ProviderLifecycle, TeardownRefusals) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    EXPECT_FALSE(p.Teardown(kOwner, 1, 1));
    EXPECT_EQ(p.lastResult, Rejected("teardown", "invalid-state=new"));
    EXPECT_EQ(p.state, "new");
    auto ready = ReadyProvider();
    EXPECT_FALSE(ready->Teardown(kStranger, 1, 1));
    EXPECT_EQ(ready->lastResult, Rejected("teardown", "wrong-thread"));
    EXPECT_EQ(ready->state, "ready");
    ASSERT_TRUE(ready->Teardown(kOwner, 20, 1));
    EXPECT_FALSE(ready->Teardown(kStranger, 1, 1));
    EXPECT_FALSE(ready->Initialize(true, false, kOwner, 1, 1));
    EXPECT_EQ(ready->state, "torn-down");
}

TEST(ProviderLifecycle, TeardownClosesOpenWorkWithoutExtraEvents) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->BeginAccessibilityBatch(kOwner, 11, 1));
    ASSERT_TRUE(p->BeginTextInput("w", "a", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "text", "none", false, true, kOwner, 12, 1));
    ASSERT_TRUE(p->Teardown(kOwner, 13, 1));
    EXPECT_FALSE(p->batchOpen);
    EXPECT_FALSE(p->compositionActive);
    EXPECT_FALSE(p->keyboardRequested);
    EXPECT_FALSE(p->actionInProgress);
    EXPECT_EQ(p->events.size(), 4u);
    EXPECT_FALSE(p->CommitAccessibilityBatch(kOwner, 14, 1));
    EXPECT_EQ(p->lastResult, Rejected("accessibility", "provider-state=torn-down"));
}

TEST(ProviderGate, ReasonsInOrderOfPrecedence) {
    ProviderConfig config = FullConfig();
    config.capabilities.textInput = false;
    NativeUiHostProvider p(config, kOwner);
    // Not ready beats a wrong thread and a missing capability.
    EXPECT_FALSE(p.RequireCapability(kStranger, "text-input"));
    EXPECT_EQ(p.lastResult, Rejected("text-input", "provider-state=new"));
    ASSERT_TRUE(p.Initialize(true, false, kOwner, 1, 1));
    EXPECT_FALSE(p.RequireCapability(kStranger, "text-input"));
    EXPECT_EQ(p.lastResult, Rejected("text-input", "wrong-thread expected=7 actual=9"));
    EXPECT_FALSE(p.RequireCapability(kOwner, "text-input"));
    EXPECT_EQ(p.lastResult, Rejected("text-input", "capability-unavailable-before-effect"));
    EXPECT_FALSE(p.RequireCapability(kOwner, "telepathy"));
    EXPECT_EQ(p.lastResult, Rejected("telepathy", "capability-unavailable-before-effect"));
    EXPECT_TRUE(p.RequireCapability(kOwner, "clipboard"));
    EXPECT_EQ(p.failures, 4);
}

TEST(ProviderGate, WrongThreadClipboardCallIsNamedAfterCapability) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->SetClipboard("w", "image/rgba8", "x", false, true, kStranger, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("clipboard", "wrong-thread expected=7 actual=9"));
    NativeUiHostProvider negative(FullConfig(), -3);
    negative.Initialize(true, false, -3, 1, 1);
    EXPECT_FALSE(negative.TransitionSession(true, "r", INT32_MIN, 2, 1));
    EXPECT_EQ(negative.lastResult, Rejected("session-lifecycle", "wrong-thread expected=-3 actual=-2147483648"));
}

TEST(ProviderGate, MissingTextInputCapabilityRefusesBeforeEffect) {
    ProviderConfig config = FullConfig();
    config.capabilities.textInput = false;
    auto p = ReadyProvider(config);
    EXPECT_FALSE(
        p->BeginTextInput("w", "a", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "text", "none", false, false, kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("text-input", "capability-unavailable-before-effect"));
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->focusWindow, "");
    EXPECT_EQ(p->failures, 1);
}

TEST(ProviderLifecycle, RejectIsOverridableAndServicesUseIt) {
    // Service operations go through the virtual slots, so a client subclass sees every refusal.
    struct Counting : NativeUiHostProvider {
        using NativeUiHostProvider::NativeUiHostProvider;
        bool Reject(std::string_view operation, std::string_view reason) override {
            seen += std::string(operation) + ":" + std::string(reason) + "\n";
            return NativeUiHostProvider::Reject(operation, reason);
        }
        std::string seen;
    };
    Counting p(FullConfig(), kOwner);
    p.Initialize(true, false, kOwner, 1, 1);
    p.CommitTextInput("w", "x", 0, 0, kOwner, 2, 1);
    p.PublishDisplay(DisplayRecord{}, kOwner);
    EXPECT_EQ(p.seen,
              "text-input-commit:inactive-stale-window-or-invalid-range\n"
              "display-publish:invalid-display-geometry\n");
}

}  // namespace
}  // namespace rava::testing
