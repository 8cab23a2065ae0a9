// Shared helpers for the provider tests and the provider fuzzer: configs, a provider already
// initialized on its owner thread, common service set-ups, expected texts, and a fingerprint of
// every record a refused call must leave alone. Free of gtest so the fuzzer can include it.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "provider/native_ui_host_provider.h"

namespace rava::testing {

inline constexpr int32_t kOwner = 7;
inline constexpr int32_t kStranger = 9;
inline constexpr const char* kText = "text/plain;charset=utf-8";
inline constexpr const char* kImage = "image/rgba8";

inline ProviderConfig FullConfig(std::string name = "probe") {
    ProviderConfig config;
    config.providerName = std::move(name);
    config.capabilities = ProviderCapabilities{true, true, true, true, true, true, true};
    return config;
}

// A provider in "ready" whose single initialization event used time 10 and correlation 1.
inline std::unique_ptr<NativeUiHostProvider> ReadyProvider(const ProviderConfig& config = FullConfig()) {
    auto provider = std::make_unique<NativeUiHostProvider>(config, kOwner);
    provider->Initialize(true, false, kOwner, 10, 1);
    return provider;
}

// Opens composition "ni" on window at time 20; n holds selection, replacement, caret and candidate.
inline bool Compose(NativeUiHostProvider& p, std::string_view window,
                    std::array<int32_t, 10> n = {0, 2, 0, 0, 4, 6, 1, 16, -30, 40}) {
    return p.BeginTextInput(window, "ni", n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9], "text", "none",
                            false, false, kOwner, 20, 0);
}

// Publishes node id with generation in its own batch.
inline bool CommitNode(NativeUiHostProvider& p, std::string_view id, int32_t generation) {
    return p.BeginAccessibilityBatch(kOwner, 11, 1) &&
           p.UpdateAccessibilityNode(id, generation, "button", "OK", kOwner) &&
           p.CommitAccessibilityBatch(kOwner, 12, 1);
}

inline DisplayRecord PlainDisplay(std::string id, bool primary = true) {
    return DisplayRecord{std::move(id), 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, primary};
}

inline std::string LastEvent(const NativeUiHostProvider& p) {
    return p.EventAt(static_cast<int64_t>(p.events.size()) - 1);
}

inline std::string Rejected(std::string_view operation, std::string_view reason) {
    return "host.ui_services " + std::string(operation) + " rejected: " + std::string(reason);
}

inline std::string EventLine(int64_t n, int64_t time, int64_t correlation, std::string_view category,
                             std::string_view subject, std::string_view state, std::string_view detail) {
    return "host-event " + std::to_string(n) + ": time=" + std::to_string(time) +
           "; correlation=" + std::to_string(correlation) + "; category=" + std::string(category) +
           "; subject=" + std::string(subject) + "; state=" + std::string(state) + "; detail=" + std::string(detail);
}

// Hands every record and counter except the lifecycle state, the failure count and the last result
// to visit.Text(text) and visit.Number(value), in a fixed order.
template <class Visitor>
void VisitRecords(const NativeUiHostProvider& p, Visitor& visit) {
    for (std::string_view text :
         {std::string_view(p.focusWindow), std::string_view(p.compositionText), std::string_view(p.surroundingText),
          std::string_view(p.inputPurpose), std::string_view(p.inputHints), std::string_view(p.clipboardOwner),
          std::string_view(p.clipboardFormat), std::string_view(p.clipboardPayload),
          std::string_view(p.sessionState)}) {
        visit.Text(text);
    }
    for (int64_t v : std::initializer_list<int64_t>{p.selectionStart,
                                                    p.selectionEnd,
                                                    p.replacementStart,
                                                    p.replacementLength,
                                                    p.caretX,
                                                    p.caretY,
                                                    p.caretWidth,
                                                    p.caretHeight,
                                                    p.candidateX,
                                                    p.candidateY,
                                                    p.compositionActive,
                                                    p.keyboardRequested,
                                                    p.keyboardVisible,
                                                    p.clipboardDelayed,
                                                    p.batchOpen,
                                                    p.actionInProgress,
                                                    p.topologyRevision,
                                                    p.allocations,
                                                    p.nextEventSequence,
                                                    p.lastEventTime,
                                                    p.lastCorrelation,
                                                    p.maxLatencyMicroseconds,
                                                    static_cast<int64_t>(p.events.size())}) {
        visit.Number(v);
    }
    for (const AccessibilityNode& n : p.Nodes()) {
        visit.Text(n.id);
        visit.Number(n.generation);
        visit.Text(n.role);
        visit.Text(n.name);
    }
    for (const DisplayRecord& d : p.Displays()) {
        visit.Text(d.id);
        for (int32_t v : {d.x, d.y, d.width, d.height, d.workX, d.workY, d.workWidth, d.workHeight, d.scale}) {
            visit.Number(v);
        }
        visit.Number(d.primary);
    }
}

// Every visited record, written out in full.
inline std::string Fingerprint(const NativeUiHostProvider& p) {
    struct Writer {
        std::string out;
        void Text(std::string_view text) {
            out += std::to_string(text.size());  // length-prefixed, so no separator is ambiguous
            out += ':';
            out += text;
        }
        void Number(int64_t v) {
            out += std::to_string(v);
            out += ',';
        }
    } writer;
    VisitRecords(p, writer);
    return writer.out;
}

// A cheap stand-in for Fingerprint, for the fuzzer: every visited number, and each text by its length
// and three of its bytes. The provider only ever replaces a text whole, so a refusal that wrote one
// would almost always show.
inline uint64_t Digest(const NativeUiHostProvider& p) {
    struct Hasher {
        uint64_t h = 14695981039346656037ull;
        void Number(int64_t v) { h = (h ^ static_cast<uint64_t>(v)) * 1099511628211ull; }
        void Text(std::string_view text) {
            Number(static_cast<int64_t>(text.size()));
            if (text.empty()) return;
            for (size_t at : {size_t{0}, text.size() / 2, text.size() - 1})
                Number(static_cast<unsigned char>(text[at]));
        }
    } hasher;
    VisitRecords(p, hasher);
    return hasher.h;
}

}  // namespace rava::testing
