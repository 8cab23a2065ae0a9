// Random operation sequences for the provider with an invariant check after every call; shared by
// the property test (seeded PRNG) and the fuzzer (bytes). Step() returns "" or the first broken
// invariant: refusals add one failure, no event and no record change; successes add the documented
// events; times and sequence numbers strictly increase; read-back and diagnostics match the counters.
#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace rava::testing {

class OperationDriver {
public:
    static constexpr int32_t kOwnerThread = 7;

    // choose(bound) must return a value in [0, bound); bound is never 0.
    explicit OperationDriver(std::function<uint32_t(uint32_t)> choose) : choose_(std::move(choose)) {}

    std::unique_ptr<NativeUiHostProvider> MakeProvider() {
        ProviderConfig config;
        config.providerName = Chance(10) ? std::string() : Pick<std::string>({"probe", "p{0}"});
        if (Chance(20)) config.contractVersion = Pick<uint32_t>({0, 2, UINT32_MAX});
        if (Chance(20)) config.contractId = Pick<std::string>({"", "rava.native-ui-host-capabilities.v2"});
        bool* flags[] = {&config.capabilities.accessibility,    &config.capabilities.textInput,
                         &config.capabilities.clipboard,        &config.capabilities.displayTopology,
                         &config.capabilities.sessionLifecycle, &config.capabilities.virtualKeyboard,
                         &config.capabilities.delayedClipboard};
        for (bool* flag : flags) *flag = !Chance(6);
        return std::make_unique<NativeUiHostProvider>(config, kOwnerThread);
    }

    // A fresh provider must already satisfy every invariant.
    std::string CheckFresh(const NativeUiHostProvider& p) const { return CheckCounters(p); }

    std::string Step(NativeUiHostProvider& p) {
        Snapshot before = Take(p);
        Outcome out = Run(p, before, Choose(26));
        return Check(p, before, out);
    }

    // A well-formed Initialize, so most sequences exercise the services of a ready provider.
    std::string StepInitialize(NativeUiHostProvider& p) {
        Snapshot before = Take(p);
        Outcome out = Run(p, before, kInitializeOwner);
        return Check(p, before, out);
    }

private:
    struct Snapshot {
        std::string fingerprint;
        std::string state;
        size_t events = 0;
        std::string lastLine;
        int64_t failures = 0;
        int64_t allocations = 0;
        size_t nodes = 0;
        size_t displays = 0;
        int64_t lastEventTime = 0;
        bool compositionActive = false;
        std::string clipboardPayload;
    };

    // What the call reported and which events a success must have added (category, state).
    struct Outcome {
        std::string name;
        bool query = false;  // a pure read: no failure, no event, no change
        bool result = false;
        std::vector<std::pair<std::string, std::string>> expected;
        bool partialInitialization = false;
        std::string readPayload;
        bool isRead = false;
    };

    uint32_t Choose(uint32_t bound) { return choose_(bound); }
    bool Chance(uint32_t oneIn) { return Choose(oneIn) == 0; }
    template <class T>
    T Pick(std::initializer_list<T> values) {
        return values.begin()[Choose(static_cast<uint32_t>(values.size()))];
    }

    int32_t Thread() { return Chance(8) ? Pick<int32_t>({9, -7, INT32_MIN, INT32_MAX, 0}) : kOwnerThread; }
    int32_t Number() {
        switch (Choose(8)) {
            case 0:
                return -1;
            case 1:
                return INT32_MIN;
            case 2:
                return INT32_MAX;
            case 3:
                return static_cast<int32_t>(Choose(1u << 16)) - (1 << 15);
            default:
                return static_cast<int32_t>(Choose(5));
        }
    }
    int32_t Time() {
        switch (Choose(6)) {
            case 0:
                return 0;
            case 1:
                return Pick<int32_t>({-5, INT32_MIN, INT32_MAX, INT32_MAX - 1});
            default:
                return static_cast<int32_t>(Choose(200));
        }
    }
    int32_t Correlation() { return Pick<int32_t>({0, 0, -1, 1, 2, 3, 40, INT32_MAX, INT32_MIN}); }
    std::string Text() {
        if (Chance(80)) return std::string(4096 + Choose(16384), static_cast<char>('a' + Choose(26)));
        return Pick<std::string>({"", "x", "{0}", "a; b", "\xe4\xbd\xa0", std::string("\0z", 2)});
    }
    std::string Window() { return Pick<std::string>({"", "a", "b", "c"}); }
    std::string NodeId() { return Pick<std::string>({"", "n1", "n2", "n3"}); }
    std::string ClipFormat() {
        return Pick<std::string>(
            {"text/plain;charset=utf-8", "image/rgba8", "application/rava-value-v1", "text/plain", ""});
    }
    std::string Capability() {
        return Pick<std::string>({"accessibility", "text-input", "clipboard", "display-topology", "session-lifecycle",
                                  "virtual-keyboard", "delayed-clipboard", "bogus", ""});
    }
    DisplayRecord Display() {
        DisplayRecord d;
        d.id = Pick<std::string>({"", "d1", "d2", "d3"});
        if (Chance(3)) {
            d.x = Number();
            d.y = Number();
            d.width = Number();
            d.height = Number();
            d.workX = Number();
            d.workY = Number();
            d.workWidth = Number();
            d.workHeight = Number();
            d.scale = Number();
        } else {
            d.x = static_cast<int32_t>(Choose(4)) * 1920 - 1920;
            d.y = 0;
            d.width = 1920;
            d.height = 1080;
            d.workX = d.x;
            d.workY = static_cast<int32_t>(Choose(3));
            d.workWidth = 1920 - static_cast<int32_t>(Choose(2));
            d.workHeight = 1040;
            d.scale = 100;
        }
        d.primary = Chance(2);
        return d;
    }

    static std::string Fingerprint(const NativeUiHostProvider& p) {
        std::string f = p.state + "|" + p.focusWindow + "|" + p.compositionText + "|" + p.surroundingText + "|" +
                        p.inputPurpose + "|" + p.inputHints + "|" + p.clipboardOwner + "|" + p.clipboardFormat + "|" +
                        p.clipboardPayload + "|" + p.sessionState + "|";
        for (int64_t v : {int64_t{p.selectionStart},
                          int64_t{p.selectionEnd},
                          int64_t{p.replacementStart},
                          int64_t{p.replacementLength},
                          int64_t{p.caretX},
                          int64_t{p.caretY},
                          int64_t{p.caretWidth},
                          int64_t{p.caretHeight},
                          int64_t{p.candidateX},
                          int64_t{p.candidateY},
                          int64_t{p.compositionActive},
                          int64_t{p.keyboardRequested},
                          int64_t{p.keyboardVisible},
                          int64_t{p.clipboardDelayed},
                          int64_t{p.batchOpen},
                          int64_t{p.actionInProgress},
                          p.topologyRevision,
                          p.allocations,
                          p.nextEventSequence,
                          p.lastEventTime,
                          p.lastCorrelation,
                          int64_t{p.maxLatencyMicroseconds},
                          static_cast<int64_t>(p.events.size())}) {
            f += std::to_string(v) + ",";
        }
        for (const AccessibilityNode& n : p.nodes) {
            f += "|" + n.id + "/" + std::to_string(n.generation) + "/" + n.role + "/" + n.name;
        }
        for (const DisplayRecord& d : p.displays) {
            f += "|" + d.id;
            for (int32_t v : {d.x, d.y, d.width, d.height, d.workX, d.workY, d.workWidth, d.workHeight, d.scale}) {
                f += "," + std::to_string(v);
            }
            f += d.primary ? "P" : "s";
        }
        return f;
    }

    static Snapshot Take(const NativeUiHostProvider& p) {
        Snapshot s;
        s.fingerprint = Fingerprint(p);
        s.state = p.state;
        s.events = p.events.size();
        s.lastLine = p.events.empty() ? std::string() : p.events.back();
        s.failures = p.failures;
        s.allocations = p.allocations;
        s.nodes = p.nodes.size();
        s.displays = p.displays.size();
        s.lastEventTime = p.lastEventTime;
        s.compositionActive = p.compositionActive;
        s.clipboardPayload = p.clipboardPayload;
        return s;
    }

    static constexpr uint32_t kInitializeOwner = 1000;

    Outcome Run(NativeUiHostProvider& p, const Snapshot& before, uint32_t operation) {
        Outcome o;
        const auto expect = [&o](std::string category, std::string state) {
            o.expected.emplace_back(std::move(category), std::move(state));
        };
        switch (operation) {
            case 0:
            case kInitializeOwner: {
                o.name = "Initialize";
                const bool wellFormed = operation == kInitializeOwner;
                const bool available = wellFormed || !Chance(8);
                const bool partial = !wellFormed && Chance(8);
                const int32_t thread = wellFormed ? kOwnerThread : Thread();
                o.result = p.Initialize(available, partial, thread, Time(), Correlation());
                expect("provider", "ready");
                o.partialInitialization = !o.result && before.state == "new" && p.state == "failed";
                break;
            }
            case 1: {
                o.name = "ReportProviderLoss";
                std::string reason = Text();
                o.result = p.ReportProviderLoss(reason, Thread(), Time(), Correlation());
                expect("provider", "lost");
                break;
            }
            case 2: {
                o.name = "Teardown";
                o.result = p.Teardown(Thread(), Time(), Correlation());
                if (before.state != "torn-down") expect("provider", "torn-down");
                break;
            }
            case 3: {
                o.name = "ReportWindowEvent";
                std::string window = Window();
                std::string event = Text();
                o.result = p.ReportWindowEvent(window, event, Time(), Correlation(), Thread());
                expect("window", event);
                break;
            }
            case 4: {
                o.name = "BeginAccessibilityBatch";
                o.result = p.BeginAccessibilityBatch(Thread(), Time(), Correlation());
                expect("accessibility", "batch-begin");
                break;
            }
            case 5:
            case 6: {
                o.name = "UpdateAccessibilityNode";
                std::string id = NodeId();
                int32_t generation = Pick<int32_t>({-1, 0, 1, 2, 3, INT32_MAX});
                std::string role = Pick<std::string>({"", "button", "window"});
                std::string name = Text();
                o.result = p.UpdateAccessibilityNode(id, generation, role, name, Thread());
                break;
            }
            case 7: {
                o.name = "CommitAccessibilityBatch";
                o.result = p.CommitAccessibilityBatch(Thread(), Time(), Correlation());
                expect("accessibility", "batch-commit");
                break;
            }
            case 8: {
                o.name = "PerformAccessibilityAction";
                std::string id = NodeId();
                int32_t generation = Pick<int32_t>({-1, 0, 1, 2, 3, INT32_MAX});
                o.result =
                    p.PerformAccessibilityAction(id, generation, Text(), Chance(4), Thread(), Time(), Correlation());
                expect("accessibility", "action");
                break;
            }
            case 9:
            case 10: {
                o.name = "BeginTextInput";
                std::string window = Window();
                std::string text = Text();
                int32_t n[10];
                for (int32_t& v : n) v = Chance(3) ? Number() : static_cast<int32_t>(Choose(8));
                std::string purpose = Pick<std::string>({"text", "email", ""});
                std::string hints = Pick<std::string>({"none", "no-spellcheck", ""});
                o.result = p.BeginTextInput(window, text, n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9],
                                            purpose, hints, Chance(2), Chance(2), Thread(), Time(), Correlation());
                expect("text-input", "preedit");
                break;
            }
            case 11: {
                o.name = "UpdateSurroundingText";
                std::string window = Window();
                std::string text = Text();
                int32_t a = Number(), b = Number(), c = Number(), d = Number();
                o.result = p.UpdateSurroundingText(window, text, a, b, c, d, Thread(), Time(), Correlation());
                expect("text-input", "surrounding-update");
                break;
            }
            case 12: {
                o.name = "CommitTextInput";
                std::string window = Window();
                std::string text = Text();
                int32_t a = Number(), b = Number();
                o.result = p.CommitTextInput(window, text, a, b, Thread(), Time(), Correlation());
                expect("text-input", "commit");
                break;
            }
            case 13: {
                o.name = "CancelTextInput";
                std::string window = Window();
                std::string reason = Text();
                o.result = p.CancelTextInput(window, reason, Thread(), Time(), Correlation());
                expect("text-input", "cancel");
                break;
            }
            case 14: {
                o.name = "TransferTextFocus";
                std::string from = Window();
                std::string to = Window();
                o.result = p.TransferTextFocus(from, to, Thread(), Time(), Correlation());
                if (before.compositionActive) expect("text-input", "focus-cancel");
                expect("text-input", "focus");
                break;
            }
            case 15: {
                o.name = "SetVirtualKeyboard";
                o.result = p.SetVirtualKeyboard(Chance(2), Chance(2), Text(), Thread(), Time(), Correlation());
                expect("text-input", "virtual-keyboard");
                break;
            }
            case 16: {
                o.name = "SetClipboard";
                std::string owner = Window();
                std::string format = ClipFormat();
                std::string payload = Text();
                o.result =
                    p.SetClipboard(owner, format, payload, Chance(3), !Chance(6), Thread(), Time(), Correlation());
                expect("clipboard", "ownership");
                break;
            }
            case 17: {
                o.name = "MaterializeClipboard";
                std::string owner = Window();
                std::string payload = Text();
                o.result = p.MaterializeClipboard(owner, payload, !Chance(6), Thread(), Time(), Correlation());
                expect("clipboard", "materialized");
                break;
            }
            case 18: {
                o.name = "ReadClipboard";
                std::string format = ClipFormat();
                o.isRead = true;
                o.readPayload = p.ReadClipboard(format, !Chance(6), Thread(), Time(), Correlation());
                o.result = p.failures == before.failures;
                expect("clipboard", "read");
                break;
            }
            case 19:
            case 20: {
                o.name = "PublishDisplay";
                o.result = p.PublishDisplay(Display(), Thread());
                break;
            }
            case 21: {
                o.name = "CommitDisplayTopology";
                o.result = p.CommitDisplayTopology(Thread(), Time(), Correlation());
                expect("display", "changed");
                break;
            }
            case 22: {
                o.name = "TransitionSession";
                bool suspend = Chance(2);
                o.result = p.TransitionSession(suspend, Text(), Thread(), Time(), Correlation());
                expect("session", suspend ? "suspended" : "active");
                break;
            }
            case 23: {
                o.name = "RequireCapability";
                o.result = p.RequireCapability(Thread(), Capability());
                break;
            }
            case 24: {
                o.name = "LogHostEvent";
                std::string category = Pick<std::string>({"custom", ""});
                std::string state = Text();
                p.LogHostEvent(category, Text(), state, Text(), Time(), Correlation(), Number());
                o.result = true;
                expect(category, state);
                break;
            }
            default: {
                o.name = "queries";
                o.query = true;
                o.result = true;
                (void)p.HasCapability(Capability());
                (void)p.IsSupportedClipboardFormat(ClipFormat());
                (void)p.FindNode(NodeId());
                (void)p.FindDisplay(Pick<std::string>({"", "d1", "d2"}));
                (void)p.EventAt(static_cast<int64_t>(Number()));
                (void)ValidateDisplay(Display());
                break;
            }
        }
        if (!o.result) o.expected.clear();
        return o;
    }

    static bool ParseNumber(const std::string& line, size_t& at, int64_t& value) {
        bool negative = at < line.size() && line[at] == '-';
        if (negative) ++at;
        size_t start = at;
        int64_t v = 0;
        while (at < line.size() && line[at] >= '0' && line[at] <= '9' && at - start < 18) {
            v = v * 10 + (line[at] - '0');
            ++at;
        }
        value = negative ? -v : v;
        return at > start;
    }

    static bool Consume(const std::string& line, size_t& at, std::string_view text) {
        if (line.compare(at, text.size(), text) != 0) return false;
        at += text.size();
        return true;
    }

    std::string CheckCounters(const NativeUiHostProvider& p) const {
        const int64_t count = static_cast<int64_t>(p.events.size());
        if (p.nextEventSequence - 1 != count) return "sequence does not match event count";
        if (p.EventAt(count) != "" || p.EventAt(-1) != "") return "EventAt out of range is not empty";
        if (count > 0 && p.EventAt(count - 1) != p.events.back()) return "EventAt does not return the last line";
        if (p.failures < 0 || p.allocations < count) return "counters went backwards";
        if (p.allocations !=
            count + 4 * static_cast<int64_t>(p.nodes.size()) + 11 * static_cast<int64_t>(p.displays.size())) {
            return "allocations do not match events, nodes and displays";
        }
        const std::string diag = p.ProviderDiagnostics();
        const std::string tables = Format(
            "; sequence={0}; timestamp={1}; correlation={2}; events={3}; nodes={4}; "
            "displays={5}; topology={6}; session={7}; ",
            {p.nextEventSequence - 1, p.lastEventTime, p.lastCorrelation, count, static_cast<int64_t>(p.nodes.size()),
             static_cast<int64_t>(p.displays.size()), p.topologyRevision, p.sessionState});
        const std::string tail = Format("; failures={0}; allocations={1}; max-latency-us={2}; diagnostic={3}",
                                        {p.failures, p.allocations, p.maxLatencyMicroseconds, p.lastResult});
        if (diag.find(tables) == std::string::npos) return "diagnostics tables disagree with counters: " + diag;
        if (diag.size() < tail.size() || diag.compare(diag.size() - tail.size(), tail.size(), tail) != 0) {
            return "diagnostics tail disagrees with counters";
        }
        if (diag.rfind("native-ui-host-provider: schema=rava.native-ui-host-provider.v1; version=1; provider=", 0) !=
            0) {
            return "diagnostics head is wrong";
        }
        return std::string();
    }

    std::string Check(const NativeUiHostProvider& p, const Snapshot& before, const Outcome& o) const {
        const std::string where = o.name + ": ";
        const int64_t failuresAdded = p.failures - before.failures;
        if (p.events.size() < before.events) return where + "the log shrank";
        if (before.events > 0 && p.events[before.events - 1] != before.lastLine) return where + "a line changed";
        const size_t added = p.events.size() - before.events;
        if (o.query) {
            if (failuresAdded != 0 || Fingerprint(p) != before.fingerprint) return where + "a query changed state";
        } else if (!o.result) {
            if (failuresAdded != 1) return where + "a refusal did not add exactly one failure";
            if (p.lastResult.rfind("host.ui_services ", 0) != 0 ||
                p.lastResult.find(" rejected: ") == std::string::npos) {
                return where + "a refusal left no rejection line";
            }
            if (o.isRead && !o.readPayload.empty()) return where + "a refused read returned data";
            if (o.partialInitialization) {
                if (added != 1 ||
                    p.events.back().find("; state=partial-initialization-cleaned; ") == std::string::npos) {
                    return where + "partial initialization did not log its cleanup";
                }
            } else if (added != 0) {
                return where + "a refusal logged an event";
            } else if (o.name == "Initialize") {
                if (p.state != before.state && !(before.state == "new" && p.state == "unavailable")) {
                    return where + "a refused initialize moved to " + p.state;
                }
            } else if (Fingerprint(p) != before.fingerprint) {
                return where + "a refusal changed the records";
            }
        } else {
            if (failuresAdded != 0) return where + "a success counted a failure";
            if (added != o.expected.size()) {
                return where + "a success added " + std::to_string(added) + " events, expected " +
                       std::to_string(o.expected.size());
            }
            if (o.isRead && o.readPayload != p.clipboardPayload) return where + "read returned another payload";
            if (o.name == "Initialize" && (p.lastResult != "ok" || p.state != "ready")) {
                return where + "initialize succeeded without becoming ready";
            }
            if (o.name == "ReportProviderLoss" && p.state != "lost") return where + "loss did not mark lost";
            if (o.name == "Teardown" && p.state != "torn-down") return where + "teardown did not finish";
            if (o.name != "Initialize" && o.name != "ReportProviderLoss" && o.name != "Teardown" &&
                p.state != before.state) {
                return where + "a service changed the provider state";
            }
        }
        // Every new line: consecutive number, later time, positive correlation, documented category/state.
        int64_t previousTime = before.lastEventTime;
        for (size_t i = 0; i < added; ++i) {
            const std::string& line = p.events[before.events + i];
            size_t at = 0;
            int64_t time = 0, correlation = 0;
            const std::string head = Format("host-event {0}: time=", {static_cast<int64_t>(before.events + i + 1)});
            if (!Consume(line, at, head) || !ParseNumber(line, at, time) || !Consume(line, at, "; correlation=") ||
                !ParseNumber(line, at, correlation) || !Consume(line, at, "; category=")) {
                return where + "malformed event line: " + line.substr(0, 200);
            }
            if (time <= previousTime) return where + "event time did not increase";
            if (correlation <= 0) return where + "event correlation not positive";
            previousTime = time;
            if (i < o.expected.size()) {
                const auto& [category, state] = o.expected[i];
                if (!Consume(line, at, category) || !Consume(line, at, "; subject=")) {
                    return where + "wrong category in " + line.substr(0, 200);
                }
                if (line.find("; state=" + state + "; detail=", at) == std::string::npos) {
                    return where + "wrong state in " + line.substr(0, 200);
                }
            }
        }
        if (p.lastEventTime != previousTime) return where + "last event time is not the last line's time";
        if (p.maxLatencyMicroseconds < 0) return where + "negative maximum latency";
        return CheckCounters(p);
    }

    std::function<uint32_t(uint32_t)> choose_;
};

}  // namespace rava::testing
