// Lifecycle: construction, every outcome of initialize, provider loss, teardown from each state,
// and the overridable refusal slot. Plain refusals are in refusals_test.cpp.
#include <gtest/gtest.h>

#include <functional>

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
    ASSERT_TRUE(p.Initialize(true, false, 42, 1, 1));
    EXPECT_TRUE(p.RequireCapability(42, "text-input"));
    EXPECT_EQ(p.failures, 0);
}

TEST(ProviderLifecycle, InitializeOutcomes) {
    struct Case {
        const char* label;
        std::function<void(ProviderConfig&)> mutate;
        bool hostAvailable;
        bool partialFailure;
        std::string state;
        std::string lastResult;
        std::string event;  // the only line expected in the log, or "" for none
    };
    const std::string incompatible = Rejected("initialize", "incompatible-capability-contract");
    const std::vector<Case> cases = {
        {"compatible",
         {},
         true,
         false,
         "ready",
         "ok",
         EventLine(1, 5, 3, "provider", "desk", "ready", "owner-thread-bound")},
        {"contract version 2", [](auto& c) { c.contractVersion = 2; }, true, false, "unavailable", incompatible, ""},
        {"other contract id", [](auto& c) { c.contractId = "rava.native-ui-host-capabilities.v2"; }, true, false,
         "unavailable", incompatible, ""},
        {"no provider name", [](auto& c) { c.providerName.clear(); }, true, false, "unavailable", incompatible, ""},
        {"bad contract beats missing host", [](auto& c) { c.contractVersion = 0; }, false, false, "unavailable",
         incompatible, ""},
        {"missing host beats partial start",
         {},
         false,
         true,
         "unavailable",
         Rejected("initialize", "provider-unavailable"),
         ""},
        {"partial start",
         {},
         true,
         true,
         "failed",
         Rejected("initialize", "partial-initialization"),
         EventLine(1, 5, 3, "provider", "desk", "partial-initialization-cleaned",
                   "capabilities-created-services-not-published")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ProviderConfig config = FullConfig("desk");
        if (c.mutate) c.mutate(config);
        NativeUiHostProvider p(config, kOwner);
        EXPECT_EQ(p.Initialize(c.hostAvailable, c.partialFailure, kOwner, 5, 3), c.state == "ready");
        EXPECT_EQ(p.state, c.state);
        EXPECT_EQ(p.lastResult, c.lastResult);
        EXPECT_EQ(p.failures, c.state == "ready" ? 0 : 1);
        ASSERT_EQ(p.events.size(), c.event.empty() ? 0u : 1u);
        if (!c.event.empty()) {
            EXPECT_EQ(p.EventAt(0), c.event);
        }
    }
}

TEST(ProviderLifecycle, RefusedStartsKeepTheirNextStep) {
    NativeUiHostProvider stranger(FullConfig(), kOwner);
    EXPECT_FALSE(stranger.Initialize(true, false, kStranger, 1, 1));
    EXPECT_TRUE(stranger.Initialize(true, false, kOwner, 1, 1));
    NativeUiHostProvider failed(FullConfig(), kOwner);
    EXPECT_FALSE(failed.Initialize(true, true, kOwner, 4, 8));
    EXPECT_FALSE(failed.SetVirtualKeyboard(true, true, "x", kOwner, 5, 1));
    EXPECT_EQ(failed.lastResult, Rejected("virtual-keyboard", "provider-state=failed"));
}

TEST(ProviderLifecycle, ProviderLossClearsTransientStateOnly) {
    auto p = ReadyProvider();
    ASSERT_TRUE(
        p->BeginTextInput("w1", "ka", 0, 2, 0, 0, 1, 2, 1, 16, 0, 20, "text", "none", false, true, kOwner, 11, 2));
    ASSERT_TRUE(p->SetVirtualKeyboard(true, true, "shown", kOwner, 12, 3));
    ASSERT_TRUE(p->SetClipboard("w1", kImage, "\x01\x02", true, true, kOwner, 13, 4));
    ASSERT_TRUE(p->ReportProviderLoss("driver-reset", kOwner, 14, 5));
    EXPECT_EQ(p->state, "lost");
    EXPECT_FALSE(p->compositionActive);
    EXPECT_FALSE(p->keyboardVisible);
    EXPECT_TRUE(p->keyboardRequested);
    EXPECT_EQ(p->focusWindow, "w1");
    EXPECT_EQ(p->clipboardOwner, "");
    EXPECT_EQ(p->clipboardPayload, "");
    EXPECT_FALSE(p->clipboardDelayed);
    EXPECT_EQ(p->clipboardFormat, kImage);
    EXPECT_EQ(LastEvent(*p), EventLine(5, 14, 5, "provider", "probe", "lost", "driver-reset"));
    // The largest latency so far, not the last one.
    EXPECT_EQ(p->maxLatencyMicroseconds, 3);
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
        SCOPED_TRACE(p->state);
        const size_t before = p->events.size();
        EXPECT_TRUE(p->Teardown(kOwner, 50, 9));
        EXPECT_EQ(p->state, "torn-down");
        ASSERT_EQ(p->events.size(), before + 1);
        EXPECT_EQ(LastEvent(*p), EventLine(static_cast<int64_t>(before) + 1, 50, 9, "provider", "probe", "torn-down",
                                           "queues-quiesced-identities-invalidated"));
        EXPECT_TRUE(p->Teardown(kOwner, 60, 9));
        EXPECT_EQ(p->events.size(), before + 1);
    }
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
