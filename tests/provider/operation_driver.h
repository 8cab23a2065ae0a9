// Random operation sequences for the provider with an invariant check after every call; shared by
// the property test (seeded PRNG) and the fuzzer (bytes). Step() returns "" or the first broken
// invariant: refusals add one failure, no event and no record change; successes add the documented
// events; times and sequence numbers strictly increase; read-back and diagnostics match the counters.
#pragma once

#include <charconv>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/runtime.h"
#include "tests/provider/provider_test_support.h"

namespace rava::testing {

class OperationDriver {
public:
    // choose(bound) must return a value in [0, bound); bound is never 0.
    explicit OperationDriver(std::function<uint32_t(uint32_t)> choose) : choose_(std::move(choose)) {}

    std::unique_ptr<NativeUiHostProvider> MakeProvider() {
        ProviderConfig config;
        config.providerName = Chance(10) ? std::string() : Pick<std::string>({"probe", "p{0}"});
        if (Chance(20)) config.contractVersion = Pick<uint32_t>({0, 2, UINT32_MAX});
        if (Chance(20)) config.contractId = Pick<std::string>({"", "rava.native-ui-host-capabilities.v2"});
        ProviderCapabilities& c = config.capabilities;
        for (bool* flag : {&c.accessibility, &c.textInput, &c.clipboard, &c.displayTopology, &c.sessionLifecycle,
                           &c.virtualKeyboard, &c.delayedClipboard}) {
            *flag = !Chance(6);
        }
        return std::make_unique<NativeUiHostProvider>(config, kOwner);
    }

    // A fresh provider must already satisfy every invariant.
    std::string CheckFresh(const NativeUiHostProvider& p) const { return CheckCounters(p); }
    std::string Step(NativeUiHostProvider& p) { return StepWith(p, Choose(kOperations)); }
    // A well-formed Initialize, so most sequences exercise the services of a ready provider.
    std::string StepInitialize(NativeUiHostProvider& p) { return StepWith(p, kInitializeOwner); }

private:
    static constexpr uint32_t kOperations = 26;
    static constexpr uint32_t kInitializeOwner = kOperations;
    using Events = std::vector<std::pair<std::string, std::string>>;  // (category, state) per line

    struct Snapshot {
        explicit Snapshot(const NativeUiHostProvider& p)
            : records(Fingerprint(p)),
              state(p.state),
              lastLine(p.events.empty() ? std::string() : p.events.back()),
              events(p.events.size()),
              failures(p.failures),
              lastEventTime(p.lastEventTime),
              compositionActive(p.compositionActive) {}
        std::string records, state, lastLine;
        size_t events;
        int64_t failures, lastEventTime;
        bool compositionActive;
    };

    struct Outcome {
        std::string name;
        bool result = false;
        Events expected;       // lines a success must add
        std::string endState;  // state a success must leave; "" for unchanged
        bool query = false;    // a pure read: no failure, no event, no change
        bool isRead = false;   // ReadClipboard, whose payload is in readPayload
        std::string readPayload;
        std::string broken;  // an inconsistency the call itself revealed
    };

    template <class Row>
    static int32_t FirstPosition(const std::vector<Row>& rows, std::string_view id) {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].id == id) return static_cast<int32_t>(i);
        }
        return -1;
    }

    std::string StepWith(NativeUiHostProvider& p, uint32_t operation) {
        const Snapshot before(p);
        return Check(p, before, Run(p, before, operation));
    }

    uint32_t Choose(uint32_t bound) { return choose_(bound); }
    bool Chance(uint32_t oneIn) { return Choose(oneIn) == 0; }
    template <class T>
    T Pick(std::initializer_list<T> values) {
        return values.begin()[Choose(static_cast<uint32_t>(values.size()))];
    }

    int32_t Thread() { return Chance(8) ? Pick<int32_t>({9, -7, INT32_MIN, INT32_MAX, 0}) : kOwner; }
    int32_t Number() {
        const uint32_t kind = Choose(8);
        if (kind < 3) return std::array<int32_t, 3>{-1, INT32_MIN, INT32_MAX}[kind];
        if (kind == 3) return static_cast<int32_t>(Choose(1u << 16)) - (1 << 15);
        return static_cast<int32_t>(Choose(5));
    }
    int32_t Time() {
        const uint32_t kind = Choose(6);
        if (kind == 0) return 0;
        if (kind == 1) return Pick<int32_t>({-5, INT32_MIN, INT32_MAX, INT32_MAX - 1});
        return static_cast<int32_t>(Choose(200));
    }
    int32_t Correlation() { return Pick<int32_t>({0, 0, -1, 1, 2, 3, 40, INT32_MAX, INT32_MIN}); }
    int32_t Generation() { return Pick<int32_t>({-1, 0, 1, 2, 3, INT32_MAX}); }
    std::string Text() {
        if (Chance(80)) return std::string(4096 + Choose(16384), static_cast<char>('a' + Choose(26)));
        return Pick<std::string>({"", "x", "{0}", "a; b", "\xe4\xbd\xa0", std::string("\0z", 2)});
    }
    std::string Window() { return Pick<std::string>({"", "a", "b", "c"}); }
    std::string NodeId() { return Pick<std::string>({"", "n1", "n2", "n3"}); }
    std::string ClipFormat() {
        return Pick<std::string>({kText, kImage, "application/rava-value-v1", "text/plain", ""});
    }
    std::string Capability() {
        return Pick<std::string>({"accessibility", "text-input", "clipboard", "display-topology", "session-lifecycle",
                                  "virtual-keyboard", "delayed-clipboard", "bogus", ""});
    }
    DisplayRecord Display() {
        DisplayRecord d;
        d.id = Pick<std::string>({"", "d1", "d2", "d3"});
        if (Chance(3)) {
            for (int32_t* v :
                 {&d.x, &d.y, &d.width, &d.height, &d.workX, &d.workY, &d.workWidth, &d.workHeight, &d.scale}) {
                *v = Number();
            }
        } else {
            d.x = static_cast<int32_t>(Choose(4)) * 1920 - 1920;
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

    // The outcome of a call that, on success, adds the given lines.
    static Outcome Did(std::string name, bool result, Events expected = {}) {
        Outcome o;
        o.name = std::move(name);
        o.result = result;
        if (result) o.expected = std::move(expected);
        return o;
    }

    Outcome Run(NativeUiHostProvider& p, const Snapshot& before, uint32_t operation) {
        const int32_t thread = operation == kInitializeOwner ? kOwner : Thread();
        const int32_t time = Time();
        const int32_t correlation = Correlation();
        switch (operation) {
            case 0:
            case kInitializeOwner: {
                const bool wellFormed = operation == kInitializeOwner;
                const bool available = wellFormed || !Chance(8);
                const bool partial = !wellFormed && Chance(8);
                Outcome o = Did("Initialize", p.Initialize(available, partial, thread, time, correlation),
                                {{"provider", "ready"}});
                o.endState = "ready";
                return o;
            }
            case 1: {
                Outcome o = Did("ReportProviderLoss", p.ReportProviderLoss(Text(), thread, time, correlation),
                                {{"provider", "lost"}});
                o.endState = "lost";
                return o;
            }
            case 2: {
                Outcome o = Did("Teardown", p.Teardown(thread, time, correlation));
                if (before.state != "torn-down" && o.result) o.expected = {{"provider", "torn-down"}};
                o.endState = "torn-down";
                return o;
            }
            case 3: {
                const std::string window = Window(), event = Text();
                return Did("ReportWindowEvent", p.ReportWindowEvent(window, event, time, correlation, thread),
                           {{"window", event}});
            }
            case 4:
                return Did("BeginAccessibilityBatch", p.BeginAccessibilityBatch(thread, time, correlation),
                           {{"accessibility", "batch-begin"}});
            case 5:
            case 6: {
                const std::string id = NodeId(), role = Pick<std::string>({"", "button", "window"}), name = Text();
                return Did("UpdateAccessibilityNode", p.UpdateAccessibilityNode(id, Generation(), role, name, thread));
            }
            case 7:
                return Did("CommitAccessibilityBatch", p.CommitAccessibilityBatch(thread, time, correlation),
                           {{"accessibility", "batch-commit"}});
            case 8: {
                const std::string id = NodeId(), action = Text();
                const int32_t generation = Generation();
                return Did("PerformAccessibilityAction",
                           p.PerformAccessibilityAction(id, generation, action, Chance(4), thread, time, correlation),
                           {{"accessibility", "action"}});
            }
            case 9:
            case 10: {
                const std::string window = Window(), text = Text();
                int32_t n[10];
                for (int32_t& v : n) v = Chance(3) ? Number() : static_cast<int32_t>(Choose(8));
                const std::string purpose = Pick<std::string>({"text", "email", ""});
                const std::string hints = Pick<std::string>({"none", "no-spellcheck", ""});
                const bool deadKey = Chance(2), keyboard = Chance(2);
                return Did("BeginTextInput",
                           p.BeginTextInput(window, text, n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9],
                                            purpose, hints, deadKey, keyboard, thread, time, correlation),
                           {{"text-input", "preedit"}});
            }
            case 11: {
                const std::string window = Window(), text = Text();
                const int32_t a = Number(), b = Number(), c = Number(), d = Number();
                return Did("UpdateSurroundingText",
                           p.UpdateSurroundingText(window, text, a, b, c, d, thread, time, correlation),
                           {{"text-input", "surrounding-update"}});
            }
            case 12: {
                const std::string window = Window(), text = Text();
                const int32_t a = Number(), b = Number();
                return Did("CommitTextInput", p.CommitTextInput(window, text, a, b, thread, time, correlation),
                           {{"text-input", "commit"}});
            }
            case 13: {
                const std::string window = Window(), reason = Text();
                return Did("CancelTextInput", p.CancelTextInput(window, reason, thread, time, correlation),
                           {{"text-input", "cancel"}});
            }
            case 14: {
                const std::string from = Window(), to = Window();
                Events lines = {{"text-input", "focus"}};
                if (before.compositionActive) lines.insert(lines.begin(), {"text-input", "focus-cancel"});
                return Did("TransferTextFocus", p.TransferTextFocus(from, to, thread, time, correlation), lines);
            }
            case 15: {
                const bool requested = Chance(2), visible = Chance(2);
                return Did("SetVirtualKeyboard",
                           p.SetVirtualKeyboard(requested, visible, Text(), thread, time, correlation),
                           {{"text-input", "virtual-keyboard"}});
            }
            case 16: {
                const std::string owner = Window(), format = ClipFormat(), payload = Text();
                const bool delayed = Chance(3), permitted = !Chance(6);
                return Did("SetClipboard",
                           p.SetClipboard(owner, format, payload, delayed, permitted, thread, time, correlation),
                           {{"clipboard", "ownership"}});
            }
            case 17: {
                const std::string owner = Window(), payload = Text();
                return Did("MaterializeClipboard",
                           p.MaterializeClipboard(owner, payload, !Chance(6), thread, time, correlation),
                           {{"clipboard", "materialized"}});
            }
            case 18: {
                const std::string format = ClipFormat();
                std::string payload = p.ReadClipboard(format, !Chance(6), thread, time, correlation);
                Outcome o = Did("ReadClipboard", p.failures == before.failures, {{"clipboard", "read"}});
                o.isRead = true;
                o.readPayload = std::move(payload);
                return o;
            }
            case 19:
            case 20:
                return Did("PublishDisplay", p.PublishDisplay(Display(), thread));
            case 21:
                return Did("CommitDisplayTopology", p.CommitDisplayTopology(thread, time, correlation),
                           {{"display", "changed"}});
            case 22: {
                const bool suspend = Chance(2);
                return Did("TransitionSession", p.TransitionSession(suspend, Text(), thread, time, correlation),
                           {{"session", suspend ? "suspended" : "active"}});
            }
            case 23:
                return Did("RequireCapability", p.RequireCapability(thread, Capability()));
            case 24: {
                const std::string category = Pick<std::string>({"custom", ""}), subject = Text(), state = Text();
                p.LogHostEvent(category, subject, state, Text(), time, correlation, Number());
                return Did("LogHostEvent", true, {{category, state}});
            }
            default: {
                (void)p.HasCapability(Capability());
                (void)p.IsSupportedClipboardFormat(ClipFormat());
                const std::string node = NodeId(), display = Pick<std::string>({"", "d1", "d2"});
                const int32_t nodeAt = p.FindNode(node), displayAt = p.FindDisplay(display);
                (void)p.EventAt(static_cast<int64_t>(Number()));
                (void)ValidateDisplay(Display());
                Outcome o = Did("queries", true);
                o.query = true;
                if (nodeAt != FirstPosition(p.Nodes(), node) || displayAt != FirstPosition(p.Displays(), display)) {
                    o.broken = "a lookup disagrees with its list";
                }
                return o;
            }
        }
    }

    static bool Consume(std::string_view line, size_t& at, std::string_view text) {
        if (line.substr(at, text.size()) != text) return false;
        at += text.size();
        return true;
    }

    static bool ParseNumber(std::string_view line, size_t& at, int64_t& value) {
        const auto [end, error] = std::from_chars(line.data() + at, line.data() + line.size(), value);
        if (error != std::errc()) return false;
        at = static_cast<size_t>(end - line.data());
        return true;
    }

    std::string CheckCounters(const NativeUiHostProvider& p) const {
        const int64_t count = static_cast<int64_t>(p.events.size());
        const int64_t nodes = static_cast<int64_t>(p.Nodes().size()),
                      displays = static_cast<int64_t>(p.Displays().size());
        if (p.nextEventSequence - 1 != count) return "sequence does not match event count";
        if (p.EventAt(count) != "" || p.EventAt(-1) != "") return "EventAt out of range is not empty";
        if (count > 0 && p.EventAt(count - 1) != p.events.back()) return "EventAt does not return the last line";
        if (p.failures < 0) return "failure count went negative";
        if (p.allocations != count + 4 * nodes + 11 * displays) {
            return "allocations do not match events, nodes and displays";
        }
        const std::string diag = p.ProviderDiagnostics();
        const std::string tables = Format(
            "; sequence={0}; timestamp={1}; correlation={2}; events={3}; nodes={4}; "
            "displays={5}; topology={6}; session={7}; ",
            {p.nextEventSequence - 1, p.lastEventTime, p.lastCorrelation, count, nodes, displays, p.topologyRevision,
             p.sessionState});
        const std::string tail = Format("; failures={0}; allocations={1}; max-latency-us={2}; diagnostic={3}",
                                        {p.failures, p.allocations, p.maxLatencyMicroseconds, p.lastResult});
        if (diag.find(tables) == std::string::npos) return "diagnostics tables disagree with counters: " + diag;
        if (!std::string_view(diag).ends_with(tail)) return "diagnostics tail disagrees with counters";
        if (!diag.starts_with(
                "native-ui-host-provider: schema=rava.native-ui-host-provider.v1; version=1; provider=")) {
            return "diagnostics head is wrong";
        }
        return std::string();
    }

    std::string Check(const NativeUiHostProvider& p, const Snapshot& before, const Outcome& o) const {
        const std::string where = o.name + ": ";
        if (!o.broken.empty()) return where + o.broken;
        const int64_t failuresAdded = p.failures - before.failures;
        if (p.events.size() < before.events) return where + "the log shrank";
        if (before.events > 0 && p.events[before.events - 1] != before.lastLine) return where + "a line changed";
        const size_t added = p.events.size() - before.events;
        if (o.query) {
            if (failuresAdded != 0 || p.state != before.state || Fingerprint(p) != before.records) {
                return where + "a query changed state";
            }
        } else if (!o.result) {
            if (failuresAdded != 1) return where + "a refusal did not add exactly one failure";
            if (!p.lastResult.starts_with("host.ui_services ") ||
                p.lastResult.find(" rejected: ") == std::string::npos) {
                return where + "a refusal left no rejection line";
            }
            if (o.isRead && !o.readPayload.empty()) return where + "a refused read returned data";
            // Only initialize may move on refusal: to "unavailable" silently, or to "failed" with a cleanup line.
            const bool fromNew = o.name == "Initialize" && before.state == "new";
            if (fromNew && p.state == "failed") {
                if (added != 1 ||
                    p.events.back().find("; state=partial-initialization-cleaned; ") == std::string::npos) {
                    return where + "partial initialization did not log its cleanup";
                }
            } else if (added != 0) {
                return where + "a refusal logged an event";
            } else if (p.state != before.state && !(fromNew && p.state == "unavailable")) {
                return where + "a refusal moved to " + p.state;
            } else if (Fingerprint(p) != before.records) {
                return where + "a refusal changed the records";
            }
        } else {
            if (failuresAdded != 0) return where + "a success counted a failure";
            if (added != o.expected.size()) {
                return where + "a success added " + std::to_string(added) + " events, expected " +
                       std::to_string(o.expected.size());
            }
            if (o.isRead && o.readPayload != p.clipboardPayload) return where + "read returned another payload";
            if (p.state != (o.endState.empty() ? before.state : o.endState)) {
                return where + "a success left the provider " + p.state;
            }
            if (o.name == "Initialize" && p.lastResult != "ok") return where + "initialize succeeded without ok";
        }
        // Every new line: consecutive number, later time, positive correlation, documented category/state.
        int64_t previousTime = before.lastEventTime;
        for (size_t i = 0; i < added; ++i) {
            const std::string& line = p.events[before.events + i];
            size_t at = 0;
            int64_t time = 0, correlation = 0;
            if (!Consume(line, at, "host-event " + std::to_string(before.events + i + 1) + ": time=") ||
                !ParseNumber(line, at, time) || !Consume(line, at, "; correlation=") ||
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
