// Clipboard service: the three formats, immediate and delayed entries, materialization by the
// owner, and reads that never change the entry. Refusals: refusals_test.cpp.
#include <gtest/gtest.h>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

TEST(Clipboard, ExactlyThreeFormatsAreSupported) {
    NativeUiHostProvider p(FullConfig(), kOwner);
    for (const char* f : {kText, kImage, "application/rava-value-v1"})
        EXPECT_TRUE(p.IsSupportedClipboardFormat(f)) << f;
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
              EventLine(2, 11, 1, "clipboard", "canvas", "ownership", "format=image/rgba8; delayed=false"));
    EXPECT_EQ(p->ReadClipboard(kImage, true, kOwner, 12, 2), payload);
    EXPECT_EQ(LastEvent(*p), EventLine(3, 12, 2, "clipboard", "canvas", "read", "image/rgba8"));
    EXPECT_EQ(p->ReadClipboard(kImage, true, kOwner, 13, 3), payload);
    EXPECT_EQ(p->maxLatencyMicroseconds, 2);
}

TEST(Clipboard, DelayedPromiseIsReadableOnceTheOwnerMaterializesIt) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->SetClipboard("doc", kText, "", true, true, kOwner, 11, 1));
    EXPECT_NE(LastEvent(*p).find("detail=format=text/plain;charset=utf-8; delayed=true"), std::string::npos);
    EXPECT_TRUE(p->clipboardDelayed);
    ASSERT_TRUE(p->MaterializeClipboard("doc", "late", true, kOwner, 14, 5));
    EXPECT_EQ(LastEvent(*p), EventLine(3, 14, 5, "clipboard", "doc", "materialized", kText));
    EXPECT_FALSE(p->clipboardDelayed);
    EXPECT_EQ(p->ReadClipboard(kText, true, kOwner, 15, 1), "late");
}

TEST(Clipboard, NewEntryReplacesAnyOwner) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->SetClipboard("a", kText, "one", true, true, kOwner, 11, 1));
    ASSERT_TRUE(p->SetClipboard("b", kImage, "two", false, true, kOwner, 12, 1));
    EXPECT_EQ(p->clipboardOwner, "b");
    EXPECT_FALSE(p->clipboardDelayed);
    EXPECT_EQ(p->ReadClipboard(kImage, true, kOwner, 14, 1), "two");
}

}  // namespace
}  // namespace rava::testing
