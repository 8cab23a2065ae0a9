// Random operation sequences for the provider with an invariant check after every call; shared by
// the property test (seeded PRNG, full checks) and the fuzzer (bytes, cheap checks). Step() returns
// "" or the first broken invariant: refusals add one failure, no event and no record change;
// successes add the documented events; times and sequence numbers strictly increase; read-back and
// diagnostics match the counters. Cheap checks compare a digest of the records instead of all of
// them, and leave the diagnostics line to CheckCounters, which the fuzzer calls once per input.
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
    enum class Depth { kFull, kCheap };

    // choose(bound) must return a value in [0, bound); bound is never 0.
    explicit OperationDriver(std::function<uint32_t(uint32_t)> choose, Depth depth = Depth::kFull)
        : choose_(std::move(choose)), cheap_(depth == Depth::kCheap) {}

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

    // Counters, read-back and the diagnostics line agree; a fresh provider must already pass.
    std::string CheckCounters(const NativeUiHostProvider& p) const {
        if (std::string broken = CheckCountersCheaply(p); !broken.empty()) return broken;
        const int64_t count = static_cast<int64_t>(p.events.size());
        if (p.EventAt(count) != "" || p.EventAt(-1) != "") return "EventAt out of range is not empty";
        if (count > 0 && p.EventAt(count - 1) != p.events.back()) return "EventAt does not return the last line";
        const int64_t nodes = static_cast<int64_t>(p.Nodes().size()),
                      displays = static_cast<int64_t>(p.Displays().size());
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
    std::string Step(NativeUiHostProvider& p) { return StepWith(p, Choose(kOperations)); }
    // A well-formed Initialize, so most sequences exercise the services of a ready provider.
    std::string StepInitialize(NativeUiHostProvider& p) { return StepWith(p, kInitializeOwner); }

private:
    static constexpr uint32_t kOperations = 26;
    static constexpr uint32_t kInitializeOwner = kOperations;
    // A line a success must add. Its state is a literal, or (owned) the outcome's ownedState, which
    // holds a state that came from the call's own arguments. Views only: no allocation per call.
    struct Line {
        std::string_view category, state;
        bool owned = false;
    };

    struct Snapshot {
        Snapshot(const NativeUiHostProvider& p, bool cheap)
            : records(cheap ? std::string() : Fingerprint(p)),
              digest(cheap ? Digest(p) : 0),
              state(p.state),
              lastLine(cheap || p.events.empty() ? std::string() : p.events.back()),
              lastLineSize(p.events.empty() ? 0 : p.events.back().size()),
              events(p.events.size()),
              failures(p.failures),
              lastEventTime(p.lastEventTime),
              compositionActive(p.compositionActive) {}
        std::string records;  // full checks
        uint64_t digest;      // cheap checks
        std::string state, lastLine;
        size_t lastLineSize, events;
        int64_t failures, lastEventTime;
        bool compositionActive;
    };

    struct Outcome {
        const char* name = "";
        bool result = false;
        std::array<Line, 2> expected;  // lines a success must add
        size_t expectedCount = 0;
        std::string ownedState;
        std::string_view endState;  // state a success must leave; "" for unchanged
        bool query = false;         // a pure read: no failure, no event, no change
        bool isRead = false;        // ReadClipboard, whose payload is in readPayload
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
        const Snapshot before(p, cheap_);
        return Check(p, before, Run(p, before, operation));
    }

    uint32_t Choose(uint32_t bound) { return choose_(bound); }
    bool Chance(uint32_t oneIn) { return Choose(oneIn) == 0; }
    template <class T>
    T Pick(std::initializer_list<T> values) {
        return values.begin()[Choose(static_cast<uint32_t>(values.size()))];
    }
    std::string PickText(std::initializer_list<std::string_view> values) { return std::string(Pick(values)); }

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
        // Long texts stress copying and the log; the fuzzer keeps them shorter, as page faults on fresh
        // memory would otherwise dominate its time and no branch depends on the length.
        if (Chance(80)) {
            const uint32_t extra = cheap_ ? 256 : 16384;
            return std::string((cheap_ ? 256 : 4096) + Choose(extra), static_cast<char>('a' + Choose(26)));
        }
        return PickText({"", "x", "{0}", "a; b", "\xe4\xbd\xa0", std::string_view("\0z", 2)});
    }
    std::string Window() { return PickText({"", "a", "b", "c"}); }
    std::string NodeId() { return PickText({"", "n1", "n2", "n3"}); }
    std::string ClipFormat() { return PickText({kText, kImage, "application/rava-value-v1", "text/plain", ""}); }
    std::string Capability() {
        return PickText({"accessibility", "text-input", "clipboard", "display-topology", "session-lifecycle",
                         "virtual-keyboard", "delayed-clipboard", "bogus", ""});
    }
    DisplayRecord Display() {
        DisplayRecord d;
        d.id = PickText({"", "d1", "d2", "d3"});
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
    static Outcome Did(const char* name, bool result, std::initializer_list<Line> expected = {}) {
        Outcome o;
        o.name = name;
        o.result = result;
        if (result) {
            for (const Line& line : expected) o.expected[o.expectedCount++] = line;
        }
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
                if (before.state != "torn-down" && o.result) {
                    o.expected[0] = {"provider", "torn-down"};
                    o.expectedCount = 1;
                }
                o.endState = "torn-down";
                return o;
            }
            case 3: {
                const std::string window = Window(), event = Text();
                Outcome o = Did("ReportWindowEvent", p.ReportWindowEvent(window, event, time, correlation, thread),
                                {{"window", {}, true}});
                o.ownedState = event;
                return o;
            }
            case 4:
                return Did("BeginAccessibilityBatch", p.BeginAccessibilityBatch(thread, time, correlation),
                           {{"accessibility", "batch-begin"}});
            case 5:
            case 6: {
                const std::string id = NodeId(), role = PickText({"", "button", "window"}), name = Text();
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
                const std::string purpose = PickText({"text", "email", ""});
                const std::string hints = PickText({"none", "no-spellcheck", ""});
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
                const bool result = p.TransferTextFocus(from, to, thread, time, correlation);
                if (before.compositionActive) {
                    return Did("TransferTextFocus", result, {{"text-input", "focus-cancel"}, {"text-input", "focus"}});
                }
                return Did("TransferTextFocus", result, {{"text-input", "focus"}});
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
                const std::string_view category = Pick<std::string_view>({"custom", ""});
                const std::string subject = Text(), state = Text();
                p.LogHostEvent(category, subject, state, Text(), time, correlation, Number());
                Outcome o = Did("LogHostEvent", true, {{category, {}, true}});
                o.ownedState = state;
                return o;
            }
            default: {
                (void)p.HasCapability(Capability());
                (void)p.IsSupportedClipboardFormat(ClipFormat());
                const std::string node = NodeId(), display = PickText({"", "d1", "d2"});
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

    // The counter relations that need no text: cheap enough for every call.
    static std::string CheckCountersCheaply(const NativeUiHostProvider& p) {
        const int64_t count = static_cast<int64_t>(p.events.size());
        if (p.nextEventSequence - 1 != count) return "sequence does not match event count";
        if (p.failures < 0) return "failure count went negative";
        const int64_t nodes = static_cast<int64_t>(p.Nodes().size()),
                      displays = static_cast<int64_t>(p.Displays().size());
        if (p.allocations != count + 4 * nodes + 11 * displays) {
            return "allocations do not match events, nodes and displays";
        }
        return std::string();
    }

    bool SameRecords(const NativeUiHostProvider& p, const Snapshot& before) const {
        return cheap_ ? Digest(p) == before.digest : Fingerprint(p) == before.records;
    }

    static std::string Broken(const Outcome& o, std::string_view what) {
        return std::string(o.name) + ": " + std::string(what);
    }

    // Whether "; state=<state>; detail=" occurs at or after at.
    static bool HasState(std::string_view line, size_t at, std::string_view state) {
        for (size_t k = line.find("; state=", at); k != std::string_view::npos; k = line.find("; state=", k + 1)) {
            const std::string_view rest = line.substr(k + 8);
            if (rest.starts_with(state) && rest.substr(state.size()).starts_with("; detail=")) return true;
        }
        return false;
    }

    std::string Check(const NativeUiHostProvider& p, const Snapshot& before, const Outcome& o) const {
        const std::string_view name = o.name;
        if (!o.broken.empty()) return Broken(o, o.broken);
        const int64_t failuresAdded = p.failures - before.failures;
        if (p.events.size() < before.events) return Broken(o, "the log shrank");
        if (before.events > 0 && (p.events[before.events - 1].size() != before.lastLineSize ||
                                  (!cheap_ && p.events[before.events - 1] != before.lastLine))) {
            return Broken(o, "a line changed");
        }
        const size_t added = p.events.size() - before.events;
        if (o.query) {
            if (failuresAdded != 0 || p.state != before.state || !SameRecords(p, before)) {
                return Broken(o, "a query changed state");
            }
        } else if (!o.result) {
            if (failuresAdded != 1) return Broken(o, "a refusal did not add exactly one failure");
            if (!p.lastResult.starts_with("host.ui_services ") ||
                p.lastResult.find(" rejected: ") == std::string::npos) {
                return Broken(o, "a refusal left no rejection line");
            }
            if (o.isRead && !o.readPayload.empty()) return Broken(o, "a refused read returned data");
            // Only initialize may move on refusal: to "unavailable" silently, or to "failed" with a cleanup line.
            const bool fromNew = name == "Initialize" && before.state == "new";
            if (fromNew && p.state == "failed") {
                if (added != 1 ||
                    p.events.back().find("; state=partial-initialization-cleaned; ") == std::string::npos) {
                    return Broken(o, "partial initialization did not log its cleanup");
                }
            } else if (added != 0) {
                return Broken(o, "a refusal logged an event");
            } else if (p.state != before.state && !(fromNew && p.state == "unavailable")) {
                return Broken(o, "a refusal moved to " + p.state);
            } else if (!SameRecords(p, before)) {
                return Broken(o, "a refusal changed the records");
            }
        } else {
            if (failuresAdded != 0) return Broken(o, "a success counted a failure");
            if (added != o.expectedCount) {
                return Broken(o, "a success added " + std::to_string(added) + " events, expected " +
                                     std::to_string(o.expectedCount));
            }
            if (o.isRead && o.readPayload != p.clipboardPayload) return Broken(o, "read returned another payload");
            if (p.state != (o.endState.empty() ? before.state : o.endState)) {
                return Broken(o, "a success left the provider " + p.state);
            }
            if (name == "Initialize" && p.lastResult != "ok") return Broken(o, "initialize succeeded without ok");
        }
        // Every new line: consecutive number, later time, positive correlation, documented category/state.
        int64_t previousTime = before.lastEventTime;
        for (size_t i = 0; i < added; ++i) {
            const std::string_view line = p.events[before.events + i];
            size_t at = 0;
            int64_t time = 0, correlation = 0;
            char sequence[24];
            const char* sequenceEnd = std::to_chars(sequence, sequence + sizeof sequence, before.events + i + 1).ptr;
            if (!Consume(line, at, "host-event ") ||
                !Consume(line, at, std::string_view(sequence, static_cast<size_t>(sequenceEnd - sequence))) ||
                !Consume(line, at, ": time=") || !ParseNumber(line, at, time) || !Consume(line, at, "; correlation=") ||
                !ParseNumber(line, at, correlation) || !Consume(line, at, "; category=")) {
                return Broken(o, "malformed event line: " + std::string(line.substr(0, 200)));
            }
            if (time <= previousTime) return Broken(o, "event time did not increase");
            if (correlation <= 0) return Broken(o, "event correlation not positive");
            previousTime = time;
            if (i < o.expectedCount) {
                const Line& expected = o.expected[i];
                if (!Consume(line, at, expected.category) || !Consume(line, at, "; subject=")) {
                    return Broken(o, "wrong category in " + std::string(line.substr(0, 200)));
                }
                if (!HasState(line, at, expected.owned ? std::string_view(o.ownedState) : expected.state)) {
                    return Broken(o, "wrong state in " + std::string(line.substr(0, 200)));
                }
            }
        }
        if (p.lastEventTime != previousTime) return Broken(o, "last event time is not the last line's time");
        if (p.maxLatencyMicroseconds < 0) return Broken(o, "negative maximum latency");
        return cheap_ ? CheckCountersCheaply(p) : CheckCounters(p);
    }

    std::function<uint32_t(uint32_t)> choose_;
    bool cheap_;
};

}  // namespace rava::testing
