// Refusals of every operation, one row per case: the call returns false, leaves exactly the
// expected rejection line, adds one failure, and changes neither the state, the log nor any record.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "tests/provider/provider_test_support.h"

namespace rava::testing {
namespace {

using P = NativeUiHostProvider;
using Setup = std::function<bool(P&)>;  // false if the step itself failed

struct Refusal {
    const char* label;
    std::function<bool(P&)> call;
    std::string message;
};

// Runs each row on its own provider: a ready one (or, if fresh, a never initialized one) after the
// set-up steps.
void ExpectRefusals(const std::vector<Setup>& setup, const std::vector<Refusal>& rows, bool fresh = false) {
    for (const Refusal& row : rows) {
        SCOPED_TRACE(row.label);
        auto p = fresh ? std::make_unique<P>(FullConfig(), kOwner) : ReadyProvider();
        for (const Setup& step : setup) ASSERT_TRUE(step(*p));
        const std::string state = p->state;
        const std::string records = Fingerprint(*p);
        const int64_t failures = p->failures;
        EXPECT_FALSE(row.call(*p));
        EXPECT_EQ(p->lastResult, row.message);
        EXPECT_EQ(p->failures, failures + 1);
        EXPECT_EQ(p->state, state);
        EXPECT_EQ(Fingerprint(*p), records);
    }
}

// Set-ups and tables are laid out by hand: one row per line where it fits.
// clang-format off
bool NoTextInput(P& p) { p.capabilities.textInput = false; return true; }
bool NoKeyboard(P& p) { p.capabilities.virtualKeyboard = false; return true; }
bool NoDelayed(P& p) { p.capabilities.delayedClipboard = false; return true; }
bool NoAccessibility(P& p) { p.capabilities.accessibility = false; return true; }
bool Lose(P& p) { return p.ReportProviderLoss("gone", kOwner, 11, 1); }
bool TearItDown(P& p) { return p.Teardown(kOwner, 12, 1); }
bool Suspend(P& p) { return p.TransitionSession(true, "lock", kOwner, 11, 1); }
bool ComposeW(P& p) { return Compose(p, "w"); }
bool ComposeA(P& p) { return Compose(p, "a"); }
bool CommitW(P& p) { return p.CommitTextInput("w", "x", 0, 0, kOwner, 21, 1); }
bool Keep(P& p) { return p.SetClipboard("a", kText, "keep", false, true, kOwner, 11, 1); }
bool Promise(P& p) { return p.SetClipboard("doc", kText, "", true, true, kOwner, 11, 1); }
bool Fulfil(P& p) { return p.MaterializeClipboard("doc", "late", true, kOwner, 13, 1); }
bool Replace(P& p) { return p.SetClipboard("b", kImage, "two", false, true, kOwner, 12, 1); }
bool Batch(P& p) { return p.BeginAccessibilityBatch(kOwner, 11, 1); }
bool SaveNode(P& p) { return p.UpdateAccessibilityNode("n", 3, "button", "Save", kOwner); }
bool OkNode(P& p) { return CommitNode(p, "ok", 2); }
Setup Publish(std::string id, bool primary) {
    return [id, primary](P& p) { return p.PublishDisplay(PlainDisplay(id, primary), kOwner); };
}
// A refused read must also return nothing, so a read "succeeds" when it returns any bytes.
bool Reads(P& p, std::string_view format, bool permitted = true, int32_t thread = kOwner) {
    return !p.ReadClipboard(format, permitted, thread, 30, 1).empty();
}

const std::string kInit = Rejected("initialize", "invalid-state-or-thread");
const std::string kLoss = Rejected("provider-loss", "invalid-state-or-thread");
const std::string kWindow = Rejected("window-event", "invalid-state-thread-or-window");
const std::string kWrongThread = "wrong-thread expected=7 actual=9";
const std::string kNoCapability = "capability-unavailable-before-effect";

TEST(Refusals, LifecycleAndGate) {
    // The gate reports the state first, then the thread, then the capability.
    ExpectRefusals({NoTextInput}, {
        {"gate before initialize", [](P& p) { return p.RequireCapability(kStranger, "text-input"); },
         Rejected("text-input", "provider-state=new")},
        {"initialize from another thread", [](P& p) { return p.Initialize(true, false, kStranger, 1, 1); }, kInit},
        {"loss before initialize", [](P& p) { return p.ReportProviderLoss("x", kOwner, 1, 1); }, kLoss},
        {"teardown before initialize", [](P& p) { return p.Teardown(kOwner, 1, 1); },
         Rejected("teardown", "invalid-state=new")},
        {"window event before initialize", [](P& p) { return p.ReportWindowEvent("m", "e", 1, 1, kOwner); }, kWindow},
    }, true);
    ExpectRefusals({NoTextInput}, {
        {"gate on another thread", [](P& p) { return p.RequireCapability(kStranger, "text-input"); },
         Rejected("text-input", kWrongThread)},
        {"gate without capability", [](P& p) { return p.RequireCapability(kOwner, "text-input"); },
         Rejected("text-input", kNoCapability)},
        {"gate with unknown capability", [](P& p) { return p.RequireCapability(kOwner, "telepathy"); },
         Rejected("telepathy", kNoCapability)},
        {"clipboard call from another thread",
         [](P& p) { return p.SetClipboard("w", kImage, "x", false, true, kStranger, 20, 1); },
         Rejected("clipboard", kWrongThread)},
        {"second initialize", [](P& p) { return p.Initialize(true, false, kOwner, 20, 2); }, kInit},
        {"loss from another thread", [](P& p) { return p.ReportProviderLoss("x", kStranger, 20, 1); }, kLoss},
        {"teardown from another thread", [](P& p) { return p.Teardown(kStranger, 20, 1); },
         Rejected("teardown", "wrong-thread")},
        {"window event without id", [](P& p) { return p.ReportWindowEvent("", "e", 20, 1, kOwner); }, kWindow},
        {"window event from another thread", [](P& p) { return p.ReportWindowEvent("m", "e", 20, 1, kStranger); },
         kWindow},
    });
    ExpectRefusals({[](P& p) { p.ownerThread = -3; return true; }}, {
        {"negative thread ids", [](P& p) { return p.TransitionSession(true, "r", INT32_MIN, 20, 1); },
         Rejected("session-lifecycle", "wrong-thread expected=-3 actual=-2147483648")},
    });
    const std::string lost = "provider-state=lost";
    ExpectRefusals({Lose}, {
        {"second loss", [](P& p) { return p.ReportProviderLoss("again", kOwner, 20, 1); }, kLoss},
        {"window event after loss", [](P& p) { return p.ReportWindowEvent("w", "e", 20, 1, kOwner); }, kWindow},
        {"text input after loss", [](P& p) { return Compose(p, "w"); }, Rejected("text-input", lost)},
        {"clipboard read after loss", [](P& p) { return Reads(p, kImage); }, Rejected("clipboard", lost)},
        {"accessibility after loss", [](P& p) { return p.BeginAccessibilityBatch(kOwner, 20, 1); },
         Rejected("accessibility", lost)},
        {"display commit after loss", [](P& p) { return p.CommitDisplayTopology(kOwner, 20, 1); },
         Rejected("display-topology", lost)},
        {"session after loss", [](P& p) { return p.TransitionSession(true, "lock", kOwner, 20, 1); },
         Rejected("session-lifecycle", lost)},
    });
    const std::string tornDown = "provider-state=torn-down";
    ExpectRefusals({Suspend, TearItDown}, {
        {"initialize after teardown", [](P& p) { return p.Initialize(true, false, kOwner, 20, 1); }, kInit},
        {"teardown from another thread after teardown", [](P& p) { return p.Teardown(kStranger, 20, 1); },
         Rejected("teardown", "wrong-thread")},
        {"accessibility after teardown", [](P& p) { return p.CommitAccessibilityBatch(kOwner, 20, 1); },
         Rejected("accessibility", tornDown)},
        {"session after teardown", [](P& p) { return p.TransitionSession(false, "x", kOwner, 20, 1); },
         Rejected("session-lifecycle", tornDown)},
    });
}

TEST(Refusals, TextInput) {
    const std::string begin = Rejected("text-input-begin", "invalid-window-range-or-geometry");
    const std::string commit = Rejected("text-input-commit", "inactive-stale-window-or-invalid-range");
    const std::string surrounding = Rejected("surrounding-text", "inactive-stale-window-or-invalid-range");
    const std::string cancel = Rejected("text-input-cancel", "inactive-or-stale-window");
    const std::string transfer = Rejected("text-focus-transfer", "invalid-source-or-destination");
    ExpectRefusals({}, {
        {"begin without window", [](P& p) { return Compose(p, ""); }, begin},
        {"begin selection start", [](P& p) { return Compose(p, "w", {-1, 0, 0, 0, 0, 0, 0, 0, 0, 0}); }, begin},
        {"begin selection end", [](P& p) { return Compose(p, "w", {0, -1, 0, 0, 0, 0, 0, 0, 0, 0}); }, begin},
        {"begin replacement start", [](P& p) { return Compose(p, "w", {0, 0, -1, 0, 0, 0, 0, 0, 0, 0}); }, begin},
        {"begin replacement length", [](P& p) { return Compose(p, "w", {0, 0, 0, INT32_MIN, 0, 0, 0, 0, 0, 0}); },
         begin},
        {"begin caret width", [](P& p) { return Compose(p, "w", {0, 0, 0, 0, 4, 6, -1, 16, 0, 0}); }, begin},
        {"begin caret height", [](P& p) { return Compose(p, "w", {0, 0, 0, 0, 0, 0, 0, -5, 0, 0}); }, begin},
        {"commit without composition", [](P& p) { return p.CommitTextInput("w", "x", 0, 0, kOwner, 21, 1); }, commit},
        {"surrounding without composition",
         [](P& p) { return p.UpdateSurroundingText("w", "abc", 0, 0, 0, 0, kOwner, 21, 1); }, surrounding},
        {"cancel without composition", [](P& p) { return p.CancelTextInput("w", "esc", kOwner, 21, 1); }, cancel},
        {"transfer to no window", [](P& p) { return p.TransferTextFocus("a", "", kOwner, 21, 1); }, transfer},
    });
    ExpectRefusals({ComposeW}, {
        {"commit on another window", [](P& p) { return p.CommitTextInput("v", "x", 0, 0, kOwner, 21, 1); }, commit},
        {"commit negative start", [](P& p) { return p.CommitTextInput("w", "x", -1, 0, kOwner, 21, 1); }, commit},
        {"commit negative length", [](P& p) { return p.CommitTextInput("w", "x", 0, -1, kOwner, 21, 1); }, commit},
        {"surrounding on another window",
         [](P& p) { return p.UpdateSurroundingText("v", "abc", 0, 0, 0, 0, kOwner, 21, 1); }, surrounding},
        {"surrounding negative selection",
         [](P& p) { return p.UpdateSurroundingText("w", "abc", -1, 0, 0, 0, kOwner, 21, 1); }, surrounding},
        {"surrounding negative first delete",
         [](P& p) { return p.UpdateSurroundingText("w", "abc", 0, 0, -1, 0, kOwner, 21, 1); }, surrounding},
        {"surrounding negative second delete",
         [](P& p) { return p.UpdateSurroundingText("w", "abc", 0, 0, 0, -1, kOwner, 21, 1); }, surrounding},
        {"cancel on another window", [](P& p) { return p.CancelTextInput("v", "esc", kOwner, 21, 1); }, cancel},
        {"transfer from a window without the composition",
         [](P& p) { return p.TransferTextFocus("b", "c", kOwner, 21, 1); }, transfer},
        {"transfer composition to no window", [](P& p) { return p.TransferTextFocus("w", "", kOwner, 21, 1); },
         transfer},
    });
    ExpectRefusals({ComposeW, CommitW}, {
        {"commit twice", [](P& p) { return p.CommitTextInput("w", "x", 0, 0, kOwner, 22, 1); }, commit},
    });
    ExpectRefusals({ComposeA, ComposeW}, {
        {"commit on the window a new composition left",
         [](P& p) { return p.CommitTextInput("a", "x", 0, 0, kOwner, 22, 1); }, commit},
    });
    ExpectRefusals({NoTextInput, NoKeyboard}, {
        {"begin without capability", [](P& p) { return Compose(p, "w"); }, Rejected("text-input", kNoCapability)},
        {"keyboard without its capability", [](P& p) { return p.SetVirtualKeyboard(true, true, "s", kOwner, 21, 1); },
         Rejected("virtual-keyboard", kNoCapability)},
    });
}

TEST(Refusals, Clipboard) {
    const std::string set = Rejected("clipboard-set", "permission-format-owner-or-delayed-capability");
    const std::string materialize = Rejected("clipboard-materialize", "permission-owner-or-not-delayed");
    const std::string read = Rejected("clipboard-read", "permission-format-or-delayed-data");
    ExpectRefusals({}, {
        // A never-set entry has the empty format; matching it must not pass for a read.
        {"read the empty entry", [](P& p) { return Reads(p, ""); }, read},
    });
    ExpectRefusals({Keep}, {
        {"set unsupported format",
         [](P& p) { return p.SetClipboard("b", "text/plain", "x", false, true, kOwner, 12, 1); }, set},
        {"set without permission", [](P& p) { return p.SetClipboard("b", kText, "x", false, false, kOwner, 12, 1); },
         set},
        {"set without owner", [](P& p) { return p.SetClipboard("", kText, "x", false, true, kOwner, 12, 1); }, set},
        {"materialize an immediate entry", [](P& p) { return p.MaterializeClipboard("a", "x", true, kOwner, 13, 1); },
         materialize},
        {"read another format", [](P& p) { return Reads(p, kImage); }, read},
        {"read without permission", [](P& p) { return Reads(p, kText, false); }, read},
        {"read from another thread", [](P& p) { return Reads(p, kText, true, kStranger); },
         Rejected("clipboard", kWrongThread)},
    });
    ExpectRefusals({Keep, NoDelayed}, {
        {"set delayed without its capability",
         [](P& p) { return p.SetClipboard("b", kText, "", true, true, kOwner, 12, 1); }, set},
    });
    ExpectRefusals({Promise}, {
        {"read a promise", [](P& p) { return Reads(p, kText); }, read},
        {"materialize by another owner", [](P& p) { return p.MaterializeClipboard("x", "y", true, kOwner, 13, 1); },
         materialize},
        {"materialize without permission",
         [](P& p) { return p.MaterializeClipboard("doc", "late", false, kOwner, 13, 1); }, materialize},
    });
    ExpectRefusals({Promise, Fulfil}, {
        {"materialize twice", [](P& p) { return p.MaterializeClipboard("doc", "again", true, kOwner, 16, 1); },
         materialize},
    });
    ExpectRefusals({Promise, Replace}, {
        {"materialize a replaced promise", [](P& p) { return p.MaterializeClipboard("doc", "x", true, kOwner, 13, 1); },
         materialize},
    });
    ExpectRefusals({Promise, Lose}, {
        {"set after loss", [](P& p) { return p.SetClipboard("a", kText, "x", false, true, kOwner, 13, 1); },
         Rejected("clipboard", "provider-state=lost")},
        {"materialize after loss", [](P& p) { return p.MaterializeClipboard("doc", "x", true, kOwner, 13, 1); },
         Rejected("clipboard", "provider-state=lost")},
    });
}

TEST(Refusals, Accessibility) {
    const std::string update = Rejected("accessibility-update", "invalid-batch-node-role-or-name");
    const std::string action = Rejected("accessibility-action", "stale-or-missing-node-identity");
    ExpectRefusals({}, {
        {"update outside a batch", [](P& p) { return p.UpdateAccessibilityNode("n1", 1, "b", "OK", kOwner); }, update},
        {"commit without batch", [](P& p) { return p.CommitAccessibilityBatch(kOwner, 20, 1); },
         Rejected("accessibility-batch", "no-active-batch")},
    });
    ExpectRefusals({Batch}, {
        {"update without id", [](P& p) { return p.UpdateAccessibilityNode("", 1, "b", "OK", kOwner); }, update},
        {"update generation 0", [](P& p) { return p.UpdateAccessibilityNode("n1", 0, "b", "OK", kOwner); }, update},
        {"update negative generation", [](P& p) { return p.UpdateAccessibilityNode("n1", -4, "b", "OK", kOwner); },
         update},
        {"update without role", [](P& p) { return p.UpdateAccessibilityNode("n1", 1, "", "OK", kOwner); }, update},
        {"update without name", [](P& p) { return p.UpdateAccessibilityNode("n1", 1, "b", "", kOwner); }, update},
        {"nested batch", [](P& p) { return p.BeginAccessibilityBatch(kOwner, 20, 1); },
         Rejected("accessibility-batch", "nested-batch")},
    });
    ExpectRefusals({Batch, SaveNode}, {
        {"update to an older generation", [](P& p) { return p.UpdateAccessibilityNode("n", 2, "link", "Old", kOwner); },
         Rejected("accessibility-update", "stale-generation")},
    });
    ExpectRefusals({OkNode}, {
        {"action on older generation",
         [](P& p) { return p.PerformAccessibilityAction("ok", 1, "invoke", false, kOwner, 20, 1); }, action},
        {"action on newer generation",
         [](P& p) { return p.PerformAccessibilityAction("ok", 3, "invoke", false, kOwner, 20, 1); }, action},
        {"action on missing node",
         [](P& p) { return p.PerformAccessibilityAction("missing", 2, "invoke", false, kOwner, 20, 1); }, action},
        {"action without id", [](P& p) { return p.PerformAccessibilityAction("", 0, "invoke", false, kOwner, 20, 1); },
         action},
        {"re-entering action callback",
         [](P& p) { return p.PerformAccessibilityAction("ok", 2, "invoke", true, kOwner, 20, 1); },
         Rejected("accessibility-action", "callback-reentrancy-blocked")},
    });
    ExpectRefusals({NoAccessibility}, {
        {"accessibility without capability", [](P& p) { return p.BeginAccessibilityBatch(kOwner, 20, 1); },
         Rejected("accessibility", kNoCapability)},
    });
}

TEST(Refusals, DisplaysAndSession) {
    ExpectRefusals({}, {
        {"publish negative scale",
         [](P& p) { return p.PublishDisplay({"b", 0, 0, 9, 9, 0, 0, 9, 9, -100, true}, kOwner); },
         Rejected("display-publish", "invalid-display-geometry")},
        {"commit no displays", [](P& p) { return p.CommitDisplayTopology(kOwner, 20, 1); },
         Rejected("display-topology", "no-displays")},
        {"resume an active session", [](P& p) { return p.TransitionSession(false, "resume", kOwner, 20, 1); },
         Rejected("session-transition", "duplicate-state=active")},
    });
    ExpectRefusals({Publish("a", true)}, {
        {"publish work area outside",
         [](P& p) { return p.PublishDisplay({"a", 0, 0, 9, 9, 0, 0, 10, 9, 1, true}, kOwner); },
         Rejected("display-publish", "work-area-outside-display")},
    });
    ExpectRefusals({Publish("a", false)}, {
        {"commit without primary", [](P& p) { return p.CommitDisplayTopology(kOwner, 20, 1); },
         Rejected("display-topology", "primary-count=0")},
    });
    ExpectRefusals({Publish("a", true), Publish("b", true)}, {
        {"commit two primaries", [](P& p) { return p.CommitDisplayTopology(kOwner, 20, 1); },
         Rejected("display-topology", "primary-count=2")},
    });
    ExpectRefusals({Suspend}, {
        {"suspend a suspended session", [](P& p) { return p.TransitionSession(true, "again", kOwner, 20, 1); },
         Rejected("session-transition", "duplicate-state=suspended")},
    });
}

// clang-format on

}  // namespace
}  // namespace rava::testing
