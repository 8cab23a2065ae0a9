// NativeUiHostProvider: a portable model of a native UI host that publishes text-input, clipboard,
// accessibility, display-topology and session services under "rava.native-ui-host-capabilities.v1".
// It never throws and performs no system calls: every call returns true/false, refusals go through
// Reject (last-result line + failure count), and every accepted effect appends one host-event line.
#pragma once

// The headers use C++20 (concepts, std::span): say so before anything else fails.
#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 202002L
#error "the rava libraries need C++20: compile with -std=c++20 (or newer)"
#endif

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "provider/id_index.h"

namespace rava {

inline constexpr std::string_view kNativeUiHostContractId = "rava.native-ui-host-capabilities.v1";
inline constexpr std::string_view kNativeUiHostProviderSchema = "rava.native-ui-host-provider.v1";

// The seven capability flags, in contract order.
struct ProviderCapabilities {
    bool accessibility = false;
    bool textInput = false;
    bool clipboard = false;
    bool displayTopology = false;
    bool sessionLifecycle = false;
    bool virtualKeyboard = false;
    bool delayedClipboard = false;
};

struct ProviderConfig {
    std::string contractId = std::string(kNativeUiHostContractId);
    uint32_t contractVersion = 1;
    std::string providerName;
    ProviderCapabilities capabilities;
};

// One display as published by the client: bounds, work area, positive scale, primary flag.
struct DisplayRecord {
    std::string id;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t workX = 0;
    int32_t workY = 0;
    int32_t workWidth = 0;
    int32_t workHeight = 0;
    int32_t scale = 0;
    bool primary = false;
};

// "ok", "invalid-display-geometry" or "work-area-outside-display". Edge sums are taken in 64 bits
// so a display near the end of the int32 range is judged by its true extent, never a wrapped one.
std::string ValidateDisplay(const DisplayRecord& display);

struct AccessibilityNode {
    std::string id;
    int32_t generation = 0;
    std::string role;
    std::string name;
};

class NativeUiHostProvider {
public:
    NativeUiHostProvider(const ProviderConfig& config, int32_t ownerThread);
    virtual ~NativeUiHostProvider();

    // Contract, capability gate and lifecycle.
    virtual bool Reject(std::string_view operation, std::string_view reason);
    virtual bool HasCapability(std::string_view name) const;
    virtual bool RequireCapability(int32_t thread, std::string_view capability);
    virtual bool Initialize(bool hostAvailable, bool partialFailure, int32_t thread, int32_t time, int32_t correlation);

    // Host-event log and window events.
    virtual void LogHostEvent(std::string_view category, std::string_view subject, std::string_view state,
                              std::string_view detail, int32_t time, int32_t correlation, int32_t latency);
    virtual bool ReportWindowEvent(std::string_view windowId, std::string_view eventName, int32_t time,
                                   int32_t correlation, int32_t thread);

    // Accessibility.
    virtual int32_t FindNode(std::string_view nodeId) const;
    virtual bool BeginAccessibilityBatch(int32_t thread, int32_t time, int32_t correlation);
    virtual bool UpdateAccessibilityNode(std::string_view nodeId, int32_t generation, std::string_view role,
                                         std::string_view name, int32_t thread);
    virtual bool CommitAccessibilityBatch(int32_t thread, int32_t time, int32_t correlation);
    virtual bool PerformAccessibilityAction(std::string_view nodeId, int32_t generation, std::string_view action,
                                            bool reentrant, int32_t thread, int32_t time, int32_t correlation);

    // Text input.
    virtual bool BeginTextInput(std::string_view window, std::string_view text, int32_t selectionStart,
                                int32_t selectionEnd, int32_t replacementStart, int32_t replacementLength,
                                int32_t caretX, int32_t caretY, int32_t caretWidth, int32_t caretHeight,
                                int32_t candidateX, int32_t candidateY, std::string_view purpose,
                                std::string_view hints, bool deadKey, bool virtualKeyboard, int32_t thread,
                                int32_t time, int32_t correlation);
    virtual bool UpdateSurroundingText(std::string_view window, std::string_view text, int32_t selectionStart,
                                       int32_t selectionEnd, int32_t deleteFirst, int32_t deleteSecond, int32_t thread,
                                       int32_t time, int32_t correlation);
    virtual bool CommitTextInput(std::string_view window, std::string_view text, int32_t replacementStart,
                                 int32_t replacementLength, int32_t thread, int32_t time, int32_t correlation);
    virtual bool CancelTextInput(std::string_view window, std::string_view reason, int32_t thread, int32_t time,
                                 int32_t correlation);
    virtual bool TransferTextFocus(std::string_view fromWindow, std::string_view toWindow, int32_t thread, int32_t time,
                                   int32_t correlation);
    virtual bool SetVirtualKeyboard(bool requested, bool visible, std::string_view stateText, int32_t thread,
                                    int32_t time, int32_t correlation);

    // Clipboard.
    virtual bool IsSupportedClipboardFormat(std::string_view format) const;
    virtual bool SetClipboard(std::string_view owner, std::string_view format, std::string_view payload, bool delayed,
                              bool permitted, int32_t thread, int32_t time, int32_t correlation);
    virtual bool MaterializeClipboard(std::string_view owner, std::string_view payload, bool permitted, int32_t thread,
                                      int32_t time, int32_t correlation);
    virtual std::string ReadClipboard(std::string_view format, bool permitted, int32_t thread, int32_t time,
                                      int32_t correlation);

    // Display topology and session lifecycle.
    virtual int32_t FindDisplay(std::string_view displayId) const;
    virtual bool PublishDisplay(const DisplayRecord& display, int32_t thread);
    virtual bool CommitDisplayTopology(int32_t thread, int32_t time, int32_t correlation);
    virtual bool TransitionSession(bool suspend, std::string_view reason, int32_t thread, int32_t time,
                                   int32_t correlation);

    // Provider loss, teardown and read-back.
    virtual bool ReportProviderLoss(std::string_view reason, int32_t thread, int32_t time, int32_t correlation);
    virtual bool Teardown(int32_t thread, int32_t time, int32_t correlation);
    virtual std::string EventAt(int64_t index) const;
    virtual std::string ProviderDiagnostics() const;

    // Identity.
    std::string schema = std::string(kNativeUiHostProviderSchema);
    int32_t schemaVersion = 1;
    std::string providerName;
    std::string contractId;
    uint32_t contractVersion = 0;

    // Lifecycle.
    std::string state = "new";
    int32_t ownerThread = 0;
    std::string lastResult = "ok";

    // Event log position. Kept in 64 bits: times and correlations are pushed past the last one, so a
    // caller passing INT32_MAX must not make the next event wrap to a negative time.
    int64_t nextEventSequence = 1;
    int64_t lastEventTime = 0;
    int64_t lastCorrelation = 0;

    // Counters; 64-bit so a long-lived provider refusing calls in a loop never wraps.
    int64_t failures = 0;
    int64_t allocations = 0;
    int32_t maxLatencyMicroseconds = 0;

    ProviderCapabilities capabilities;

    // Accessibility: nodes in order of first appearance (Nodes()), never removed, ids unique.
    bool actionInProgress = false;
    bool batchOpen = false;
    const std::vector<AccessibilityNode>& Nodes() const { return nodes_; }

    // Text input.
    std::string focusWindow;
    std::string compositionText;
    std::string surroundingText;
    int32_t selectionStart = 0;
    int32_t selectionEnd = 0;
    int32_t replacementStart = 0;
    int32_t replacementLength = 0;
    int32_t caretX = 0;
    int32_t caretY = 0;
    int32_t caretWidth = 0;
    int32_t caretHeight = 0;
    int32_t candidateX = 0;
    int32_t candidateY = 0;
    std::string inputPurpose = "text";
    std::string inputHints = "none";
    bool compositionActive = false;
    bool keyboardRequested = false;
    bool keyboardVisible = false;

    // Clipboard: one entry.
    std::string clipboardOwner;
    std::string clipboardFormat;
    std::string clipboardPayload;
    bool clipboardDelayed = false;

    // Displays in order of first publication (Displays()), ids unique; the revision advances per commit.
    const std::vector<DisplayRecord>& Displays() const { return displays_; }
    int64_t topologyRevision = 0;

    // Session.
    std::string sessionState = "active";

    // Host-event lines, oldest first; never shortened.
    std::vector<std::string> events;

private:
    // Read-only to clients: each list has an index beside it that only the provider's writes keep true.
    std::vector<AccessibilityNode> nodes_;
    IdIndex nodeIndex_;
    std::vector<DisplayRecord> displays_;
    IdIndex displayIndex_;
};

}  // namespace rava
