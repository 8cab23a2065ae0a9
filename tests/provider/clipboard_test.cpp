// Clipboard service: the three formats, immediate and delayed entries, materialization by the
// owner only, and reads that never change the entry.
#include <gtest/gtest.h>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

constexpr const char* kText = "text/plain;charset=utf-8";
constexpr const char* kImage = "image/rgba8";

TEST(Clipboard, ExactlyThreeFormatsAreSupported) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    EXPECT_TRUE(p.IsSupportedClipboardFormat(kText));
    EXPECT_TRUE(p.IsSupportedClipboardFormat(kImage));
    EXPECT_TRUE(p.IsSupportedClipboardFormat("application/rava-value-v1"));
    for (const char* f : {"text/plain", "TEXT/PLAIN;CHARSET=UTF-8", "text/plain;charset=utf-8 ", " image/rgba8", "",
                          "application/rava-value-v2"}) {
        EXPECT_FALSE(p.IsSupportedClipboardFormat(f)) << f;
    }
    EXPECT_FALSE(p.IsSupportedClipboardFormat(std::string_view("image/rgba8\0", 12)));
}

TEST(Clipboard, SetAndReadRoundTripsBinaryPayload) {
    auto p = ReadyProvider();
    const std::string payload("\x00\xff\x10\x00", 4);
    ASSERT_TRUE(p->SetClipboard("canvas", kImage, payload, false, true, kOwner, 11, 1));
    EXPECT_EQ(LastEvent(*p),
              "host-event 2: time=11; correlation=1; category=clipboard; subject=canvas; state=ownership; "
              "detail=format=image/rgba8; delayed=false");
    EXPECT_EQ(p->ReadClipboard(kImage, true, kOwner, 12, 2), payload);
    EXPECT_EQ(LastEvent(*p),
              "host-event 3: time=12; correlation=2; category=clipboard; subject=canvas; state=read; "
              "detail=image/rgba8");
    EXPECT_EQ(p->ReadClipboard(kImage, true, kOwner, 13, 3), payload);
    EXPECT_EQ(p->maxLatencyMicroseconds, 2);
}

TEST(Clipboard, SetRefusalsLeaveEntryUnchanged) {
    ProviderConfig config = FullConfig();
    config.capabilities.delayedClipboard = false;
    auto p = ReadyProvider(config);
    ASSERT_TRUE(p->SetClipboard("a", kText, "keep", false, true, kOwner, 11, 1));
    EXPECT_FALSE(p->SetClipboard("b", "text/plain", "x", false, true, kOwner, 12, 1));
    EXPECT_EQ(p->lastResult, Rejected("clipboard-set", "permission-format-owner-or-delayed-capability"));
    EXPECT_FALSE(p->SetClipboard("b", kText, "x", false, false, kOwner, 12, 1));
    EXPECT_FALSE(p->SetClipboard("", kText, "x", false, true, kOwner, 12, 1));
    EXPECT_FALSE(p->SetClipboard("b", kText, "", true, true, kOwner, 12, 1));
    EXPECT_EQ(p->failures, 4);
    EXPECT_EQ(p->clipboardOwner, "a");
    EXPECT_EQ(p->clipboardPayload, "keep");
    EXPECT_FALSE(p->clipboardDelayed);
    EXPECT_EQ(p->events.size(), 2u);
}

TEST(Clipboard, DelayedPromiseIsUnreadableUntilOwnerMaterializes) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->SetClipboard("doc", kText, "", true, true, kOwner, 11, 1));
    EXPECT_NE(LastEvent(*p).find("detail=format=text/plain;charset=utf-8; delayed=true"), std::string::npos);
    EXPECT_EQ(p->ReadClipboard(kText, true, kOwner, 12, 1), "");
    EXPECT_EQ(p->lastResult, Rejected("clipboard-read", "permission-format-or-delayed-data"));
    EXPECT_FALSE(p->MaterializeClipboard("intruder", "evil", true, kOwner, 13, 1));
    EXPECT_EQ(p->lastResult, Rejected("clipboard-materialize", "permission-owner-or-not-delayed"));
    EXPECT_FALSE(p->MaterializeClipboard("doc", "late", false, kOwner, 13, 1));
    EXPECT_TRUE(p->clipboardDelayed);
    ASSERT_TRUE(p->MaterializeClipboard("doc", "late", true, kOwner, 14, 5));
    EXPECT_EQ(LastEvent(*p),
              "host-event 3: time=14; correlation=5; category=clipboard; subject=doc; state=materialized; "
              "detail=text/plain;charset=utf-8");
    EXPECT_EQ(p->ReadClipboard(kText, true, kOwner, 15, 1), "late");
    // Once fulfilled, the entry is no longer a promise.
    EXPECT_FALSE(p->MaterializeClipboard("doc", "again", true, kOwner, 16, 1));
    EXPECT_EQ(p->clipboardPayload, "late");
    EXPECT_EQ(p->failures, 4);
}

TEST(Clipboard, ReadRefusals) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->SetClipboard("a", kText, "hi", false, true, kOwner, 11, 1));
    EXPECT_EQ(p->ReadClipboard(kImage, true, kOwner, 12, 1), "");
    EXPECT_EQ(p->lastResult, Rejected("clipboard-read", "permission-format-or-delayed-data"));
    EXPECT_EQ(p->ReadClipboard(kText, false, kOwner, 12, 1), "");
    EXPECT_EQ(p->ReadClipboard(kText, true, kStranger, 12, 1), "");
    EXPECT_EQ(p->lastResult, Rejected("clipboard", "wrong-thread expected=7 actual=9"));
    EXPECT_EQ(p->failures, 3);
    EXPECT_EQ(p->events.size(), 2u);
}

TEST(Clipboard, EmptyEntryIsNotReadable) {
    auto p = ReadyProvider();
    EXPECT_EQ(p->ReadClipboard("", true, kOwner, 11, 1), "");
    EXPECT_EQ(p->lastResult, Rejected("clipboard-read", "permission-format-or-delayed-data"));
    EXPECT_EQ(p->failures, 1);
    EXPECT_EQ(p->events.size(), 1u);
}

TEST(Clipboard, NewEntryReplacesAnyOwner) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->SetClipboard("a", kText, "one", true, true, kOwner, 11, 1));
    ASSERT_TRUE(p->SetClipboard("b", kImage, "two", false, true, kOwner, 12, 1));
    EXPECT_EQ(p->clipboardOwner, "b");
    EXPECT_FALSE(p->clipboardDelayed);
    EXPECT_FALSE(p->MaterializeClipboard("a", "x", true, kOwner, 13, 1));
    EXPECT_EQ(p->ReadClipboard(kImage, true, kOwner, 14, 1), "two");
}

TEST(Clipboard, LossClearsEntryAndGateRefusesAfterwards) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->SetClipboard("a", kText, "x", true, true, kOwner, 11, 1));
    ASSERT_TRUE(p->ReportProviderLoss("gone", kOwner, 12, 1));
    EXPECT_FALSE(p->clipboardDelayed);
    EXPECT_FALSE(p->SetClipboard("a", kText, "x", false, true, kOwner, 13, 1));
    EXPECT_FALSE(p->MaterializeClipboard("a", "x", true, kOwner, 13, 1));
    EXPECT_EQ(p->ReadClipboard(kText, true, kOwner, 13, 1), "");
    EXPECT_EQ(p->lastResult, Rejected("clipboard", "provider-state=lost"));
    EXPECT_EQ(p->failures, 3);
}

}  // namespace
}  // namespace rava::testing
