// Text-input service: the preedit record and line, a composition's life through surrounding
// updates, commit and cancel, focus transfer and the virtual keyboard. Refusals: refusals_test.cpp.
#include <gtest/gtest.h>

#include <climits>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

TEST(TextInput, BeginStoresAndLogsTheFullPreedit) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->BeginTextInput("edit", "kan", 1, 3, 2, 5, -4, 6, 2, 18, -30, 40, "email", "no-spellcheck", true,
                                  true, kOwner, 20, 4));
    EXPECT_EQ(LastEvent(*p), EventLine(2, 20, 4, "text-input", "edit", "preedit",
                                       "selection=1,3; replacement=2,5; caret=-4,6,2,18; candidate=-30,40; "
                                       "purpose=email; hints=no-spellcheck; dead-key=true; virtual-keyboard=true"));
    EXPECT_TRUE(p->compositionActive);
    EXPECT_TRUE(p->keyboardRequested);
    EXPECT_EQ(p->focusWindow, "edit");
    EXPECT_EQ(p->compositionText, "kan");
    EXPECT_EQ(p->inputPurpose, "email");
    EXPECT_EQ(p->inputHints, "no-spellcheck");
    EXPECT_EQ(p->replacementLength, 5);
    EXPECT_EQ(p->caretX, -4);
    EXPECT_EQ(p->candidateX, -30);
    EXPECT_EQ(p->maxLatencyMicroseconds, 3);
    // Positions may be off-screen and extents zero.
    ASSERT_TRUE(Compose(*p, "edit", {0, 0, 0, 0, -1, -1, 0, 0, INT32_MIN, 0}));
    EXPECT_EQ(p->caretX, -1);
    EXPECT_EQ(p->caretWidth, 0);
}

TEST(TextInput, BeginOnAnotherWindowMovesFocusWithoutCancel) {
    auto p = ReadyProvider();
    ASSERT_TRUE(Compose(*p, "a"));
    ASSERT_TRUE(Compose(*p, "b"));
    EXPECT_EQ(p->focusWindow, "b");
    EXPECT_EQ(p->events.size(), 3u);
    EXPECT_NE(LastEvent(*p).find("subject=b; state=preedit"), std::string::npos);
    EXPECT_TRUE(p->CommitTextInput("b", "x", 0, 0, kOwner, 22, 1));
}

TEST(TextInput, CompositionSurvivesSurroundingUpdatesAndEndsOnCommitOrCancel) {
    auto p = ReadyProvider();
    ASSERT_TRUE(Compose(*p, "w"));
    ASSERT_TRUE(p->UpdateSurroundingText("w", "hello", 5, 5, 1, 0, kOwner, 21, 1));
    EXPECT_EQ(LastEvent(*p), EventLine(3, 21, 1, "text-input", "w", "surrounding-update", "selection=5,5; delete=1,0"));
    EXPECT_EQ(p->surroundingText, "hello");
    EXPECT_EQ(p->selectionStart, 5);
    EXPECT_TRUE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "ni");

    ASSERT_TRUE(p->CommitTextInput("w", "你", 3, 2, kOwner, 22, 9));
    EXPECT_EQ(LastEvent(*p), EventLine(4, 22, 9, "text-input", "w", "commit", "text=你; replacement=3,2"));
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "");
    EXPECT_EQ(p->focusWindow, "w");

    ASSERT_TRUE(Compose(*p, "w"));
    ASSERT_TRUE(p->CancelTextInput("w", "escape-pressed", kOwner, 30, 2));
    EXPECT_EQ(LastEvent(*p), EventLine(6, 30, 2, "text-input", "w", "cancel", "escape-pressed"));
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "");
}

TEST(TextInput, FocusTransferCancelsARunningCompositionFirst) {
    auto p = ReadyProvider();
    ASSERT_TRUE(Compose(*p, "old"));
    ASSERT_TRUE(p->TransferTextFocus("old", "new", kOwner, 30, 6));
    ASSERT_EQ(p->events.size(), 4u);
    EXPECT_EQ(p->EventAt(2),
              EventLine(3, 30, 6, "text-input", "old", "focus-cancel", "composition-cancelled-before-transfer"));
    EXPECT_EQ(p->EventAt(3), EventLine(4, 31, 6, "text-input", "new", "focus", "from=old"));
    EXPECT_EQ(p->focusWindow, "new");
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "");
    // Without a composition the source is not checked.
    ASSERT_TRUE(p->TransferTextFocus("nobody", "b", kOwner, 40, 1));
    EXPECT_EQ(p->events.size(), 5u);
    EXPECT_EQ(LastEvent(*p), EventLine(5, 40, 1, "text-input", "b", "focus", "from=nobody"));
    EXPECT_EQ(p->focusWindow, "b");
}

TEST(TextInput, VirtualKeyboardRecordsRequestAndVisibility) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->SetVirtualKeyboard(true, false, "pending", kOwner, 11, 1));
    EXPECT_EQ(LastEvent(*p), EventLine(2, 11, 1, "text-input", "", "virtual-keyboard",
                                       "requested=true; visible=false; state=pending"));
    EXPECT_TRUE(p->keyboardRequested);
    EXPECT_FALSE(p->keyboardVisible);
}

}  // namespace
}  // namespace rava::testing
