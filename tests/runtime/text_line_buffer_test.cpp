// The one-line text buffer's editing rules.
#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace rava {
namespace {

TEST(TextLineBuffer, FirstEditAfterSetTextReplaces) {
    TextLineBuffer b;
    b.SetText("abc");
    b.AppendText("x");
    EXPECT_EQ(b.text, "x");
    b.AppendText("y");
    EXPECT_EQ(b.text, "xy");
    b.SetText("abc");
    b.Backspace();
    EXPECT_EQ(b.text, "");
}

TEST(TextLineBuffer, AppendingItsOwnTextAppendsACopy) {
    TextLineBuffer b;
    b.SetText("abc");
    b.AppendText(b.text);  // the first edit replaces, with what the text held before
    EXPECT_EQ(b.text, "abc");
    b.AppendText(b.text);
    EXPECT_EQ(b.text, "abcabc");
}

TEST(TextLineBuffer, InertBeforeSetTextAndAfterRevert) {
    TextLineBuffer b;
    b.AppendText("x");
    EXPECT_EQ(b.text, "");
    b.SetText("saved");
    b.AppendText("new");
    b.Revert();
    EXPECT_EQ(b.text, "saved");
    b.AppendText("more");
    EXPECT_EQ(b.text, "saved");
    EXPECT_FALSE(b.enabled);
}

TEST(TextLineBuffer, DropsPiecesBeyond4096BytesWhole) {
    TextLineBuffer b;
    b.SetText("");
    b.AppendText(std::string(4095, 'a'));
    b.AppendText("bc");
    EXPECT_EQ(b.text.size(), 4095u);
    b.AppendText("b");
    EXPECT_EQ(b.text.size(), 4096u);
    b.AppendText("c");
    EXPECT_EQ(b.text.size(), 4096u);
    b.AppendText("");
    EXPECT_EQ(b.text.back(), 'b');
}

TEST(TextLineBuffer, BackspaceRemovesWholeUtf8Characters) {
    TextLineBuffer b;
    b.SetText("");
    b.AppendText("a\xE2\x82\xAC");  // a, euro sign
    b.Backspace();
    EXPECT_EQ(b.text, "a");
    b.Backspace();
    b.Backspace();
    EXPECT_EQ(b.text, "");
    b.AppendText("\x80\x80");  // only continuation bytes: cut to empty
    b.Backspace();
    EXPECT_EQ(b.text, "");
}

}  // namespace
}  // namespace rava
