// Text-input service: composition open/update/commit/cancel, focus transfer and the virtual
// keyboard, with the geometry checks and the records left untouched by refusals.
#include <gtest/gtest.h>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

// Opens a composition on window with a plain geometry.
bool Begin(NativeUiHostProvider& p, std::string_view window, int32_t caretX = 4, int32_t caretWidth = 1,
           int32_t time = 20) {
    return p.BeginTextInput(window, "ni", 0, 2, 0, 0, caretX, 6, caretWidth, 16, -30, 40, "text", "none", false, false,
                            kOwner, time, 0);
}

TEST(TextInput, BeginLogsFullPreeditDetail) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->BeginTextInput("edit", "kan", 1, 3, 2, 5, -4, 6, 2, 18, -30, 40, "email", "no-spellcheck", true,
                                  true, kOwner, 20, 4));
    EXPECT_EQ(LastEvent(*p),
              "host-event 2: time=20; correlation=4; category=text-input; subject=edit; state=preedit; "
              "detail=selection=1,3; replacement=2,5; caret=-4,6,2,18; candidate=-30,40; purpose=email; "
              "hints=no-spellcheck; dead-key=true; virtual-keyboard=true");
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
}

TEST(TextInput, NegativeExtentsRefusedButNegativePositionsAccepted) {
    auto p = ReadyProvider();
    EXPECT_FALSE(Begin(*p, "w", 4, -1));
    EXPECT_EQ(p->lastResult, Rejected("text-input-begin", "invalid-window-range-or-geometry"));
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->focusWindow, "");
    EXPECT_FALSE(Begin(*p, ""));
    EXPECT_FALSE(p->BeginTextInput("w", "", -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, "text", "none", false, false, kOwner, 1, 1));
    EXPECT_FALSE(
        p->BeginTextInput("w", "", 0, 0, 0, INT32_MIN, 0, 0, 0, 0, 0, 0, "t", "n", false, false, kOwner, 1, 1));
    EXPECT_FALSE(p->BeginTextInput("w", "", 0, 0, 0, 0, 0, 0, 0, -5, 0, 0, "t", "n", false, false, kOwner, 1, 1));
    EXPECT_EQ(p->failures, 5);
    EXPECT_EQ(p->events.size(), 1u);
    EXPECT_TRUE(Begin(*p, "w", -1, 0));
    EXPECT_EQ(p->caretX, -1);
    EXPECT_EQ(p->caretWidth, 0);
}

TEST(TextInput, BeginOnAnotherWindowMovesFocusWithoutCancel) {
    auto p = ReadyProvider();
    ASSERT_TRUE(Begin(*p, "a"));
    ASSERT_TRUE(Begin(*p, "b", 4, 1, 21));
    EXPECT_EQ(p->focusWindow, "b");
    EXPECT_EQ(p->events.size(), 3u);
    EXPECT_EQ(LastEvent(*p).find("state=cancel"), std::string::npos);
    EXPECT_FALSE(p->CommitTextInput("a", "x", 0, 0, kOwner, 22, 1));
    EXPECT_TRUE(p->CommitTextInput("b", "x", 0, 0, kOwner, 22, 1));
}

TEST(TextInput, CommitNeedsOpenCompositionOnFocusWindow) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->CommitTextInput("w", "x", 0, 0, kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("text-input-commit", "inactive-stale-window-or-invalid-range"));
    ASSERT_TRUE(Begin(*p, "w"));
    EXPECT_FALSE(p->CommitTextInput("other", "x", 0, 0, kOwner, 21, 1));
    EXPECT_FALSE(p->CommitTextInput("w", "x", -1, 0, kOwner, 21, 1));
    EXPECT_FALSE(p->CommitTextInput("w", "x", 0, -1, kOwner, 21, 1));
    EXPECT_TRUE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "ni");
    ASSERT_TRUE(p->CommitTextInput("w", "你", 3, 2, kOwner, 22, 9));
    EXPECT_EQ(LastEvent(*p),
              "host-event 3: time=22; correlation=9; category=text-input; subject=w; state=commit; "
              "detail=text=你; replacement=3,2");
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "");
    EXPECT_EQ(p->focusWindow, "w");
    EXPECT_FALSE(p->CommitTextInput("w", "x", 0, 0, kOwner, 23, 1));
    EXPECT_EQ(p->failures, 5);
}

TEST(TextInput, SurroundingTextUpdatesSelectionOnly) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->UpdateSurroundingText("w", "abc", 0, 0, 0, 0, kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("surrounding-text", "inactive-stale-window-or-invalid-range"));
    ASSERT_TRUE(Begin(*p, "w"));
    EXPECT_FALSE(p->UpdateSurroundingText("w", "abc", 0, 0, -1, 0, kOwner, 21, 1));
    EXPECT_FALSE(p->UpdateSurroundingText("w", "abc", 0, 0, 0, -1, kOwner, 21, 1));
    EXPECT_FALSE(p->UpdateSurroundingText("v", "abc", 0, 0, 0, 0, kOwner, 21, 1));
    EXPECT_EQ(p->surroundingText, "");
    ASSERT_TRUE(p->UpdateSurroundingText("w", "hello", 5, 5, 1, 0, kOwner, 21, 1));
    EXPECT_EQ(LastEvent(*p),
              "host-event 3: time=21; correlation=1; category=text-input; subject=w; state=surrounding-update; "
              "detail=selection=5,5; delete=1,0");
    EXPECT_EQ(p->surroundingText, "hello");
    EXPECT_EQ(p->selectionStart, 5);
    EXPECT_TRUE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "ni");
}

TEST(TextInput, CancelNeedsMatchingWindow) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->CancelTextInput("w", "esc", kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("text-input-cancel", "inactive-or-stale-window"));
    ASSERT_TRUE(Begin(*p, "w"));
    EXPECT_FALSE(p->CancelTextInput("v", "esc", kOwner, 21, 1));
    EXPECT_TRUE(p->compositionActive);
    ASSERT_TRUE(p->CancelTextInput("w", "escape-pressed", kOwner, 22, 1));
    EXPECT_NE(LastEvent(*p).find("state=cancel; detail=escape-pressed"), std::string::npos);
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "");
}

TEST(TextInput, FocusTransferDuringCompositionLogsCancelThenFocus) {
    auto p = ReadyProvider();
    ASSERT_TRUE(Begin(*p, "old"));
    ASSERT_TRUE(p->TransferTextFocus("old", "new", kOwner, 30, 6));
    ASSERT_EQ(p->events.size(), 4u);
    EXPECT_EQ(p->EventAt(2),
              "host-event 3: time=30; correlation=6; category=text-input; subject=old; state=focus-cancel; "
              "detail=composition-cancelled-before-transfer");
    EXPECT_EQ(p->EventAt(3),
              "host-event 4: time=31; correlation=6; category=text-input; subject=new; state=focus; "
              "detail=from=old");
    EXPECT_EQ(p->focusWindow, "new");
    EXPECT_FALSE(p->compositionActive);
    EXPECT_EQ(p->compositionText, "");
}

TEST(TextInput, FocusTransferRefusals) {
    auto p = ReadyProvider();
    EXPECT_FALSE(p->TransferTextFocus("a", "", kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("text-focus-transfer", "invalid-source-or-destination"));
    ASSERT_TRUE(Begin(*p, "a"));
    EXPECT_FALSE(p->TransferTextFocus("b", "c", kOwner, 21, 1));
    EXPECT_FALSE(p->TransferTextFocus("a", "", kOwner, 21, 1));
    EXPECT_TRUE(p->compositionActive);
    EXPECT_EQ(p->focusWindow, "a");
    EXPECT_EQ(p->events.size(), 2u);
    EXPECT_EQ(p->failures, 3);
}

TEST(TextInput, FocusTransferWithoutCompositionIgnoresSource) {
    auto p = ReadyProvider();
    ASSERT_TRUE(p->TransferTextFocus("nobody", "b", kOwner, 11, 1));
    EXPECT_EQ(p->events.size(), 2u);
    EXPECT_NE(LastEvent(*p).find("subject=b; state=focus; detail=from=nobody"), std::string::npos);
    EXPECT_EQ(p->focusWindow, "b");
}

TEST(TextInput, VirtualKeyboardHasItsOwnCapability) {
    ProviderConfig config = FullConfig();
    config.capabilities.virtualKeyboard = false;
    auto p = ReadyProvider(config);
    EXPECT_FALSE(p->SetVirtualKeyboard(true, true, "shown", kOwner, 11, 1));
    EXPECT_EQ(p->lastResult, Rejected("virtual-keyboard", "capability-unavailable-before-effect"));
    EXPECT_FALSE(p->keyboardRequested);

    auto q = ReadyProvider();
    ASSERT_TRUE(q->SetVirtualKeyboard(true, false, "pending", kOwner, 11, 1));
    EXPECT_EQ(LastEvent(*q),
              "host-event 2: time=11; correlation=1; category=text-input; subject=; state=virtual-keyboard; "
              "detail=requested=true; visible=false; state=pending");
    EXPECT_TRUE(q->keyboardRequested);
    EXPECT_FALSE(q->keyboardVisible);
}

}  // namespace
}  // namespace rava::testing
