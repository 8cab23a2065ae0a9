// Text-input service: one focused window, an optional composition with its geometry, surrounding
// text, commit/cancel, focus transfer and the on-screen keyboard request. Refusals change nothing.
#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace rava {

bool NativeUiHostProvider::BeginTextInput(std::string_view window, std::string_view text, int32_t selectionStartArg,
                                          int32_t selectionEndArg, int32_t replacementStartArg,
                                          int32_t replacementLengthArg, int32_t caretXArg, int32_t caretYArg,
                                          int32_t caretWidthArg, int32_t caretHeightArg, int32_t candidateXArg,
                                          int32_t candidateYArg, std::string_view purpose, std::string_view hints,
                                          bool deadKey, bool virtualKeyboard, int32_t thread, int32_t time,
                                          int32_t correlation) {
    if (!RequireCapability(thread, "text-input")) return false;
    // Positions may be off-screen (negative); ranges and caret extents may not.
    if (window.empty() || selectionStartArg < 0 || selectionEndArg < 0 || replacementStartArg < 0 ||
        replacementLengthArg < 0 || caretWidthArg < 0 || caretHeightArg < 0) {
        return Reject("text-input-begin", "invalid-window-range-or-geometry");
    }
    focusWindow = window;
    compositionText = text;
    selectionStart = selectionStartArg;
    selectionEnd = selectionEndArg;
    replacementStart = replacementStartArg;
    replacementLength = replacementLengthArg;
    caretX = caretXArg;
    caretY = caretYArg;
    caretWidth = caretWidthArg;
    caretHeight = caretHeightArg;
    candidateX = candidateXArg;
    candidateY = candidateYArg;
    inputPurpose = purpose;
    inputHints = hints;
    compositionActive = true;
    keyboardRequested = virtualKeyboard;
    std::string detail =
        Format("{0}; {1}; {2}; {3}",
               {Format("selection={0},{1}; replacement={2},{3}",
                       {selectionStartArg, selectionEndArg, replacementStartArg, replacementLengthArg}),
                Format("caret={0},{1},{2},{3}", {caretXArg, caretYArg, caretWidthArg, caretHeightArg}),
                Format("candidate={0},{1}; purpose={2}; hints={3}", {candidateXArg, candidateYArg, purpose, hints}),
                Format("dead-key={0}; virtual-keyboard={1}", {deadKey, virtualKeyboard})});
    LogHostEvent("text-input", window, "preedit", detail, time, correlation, 3);
    return true;
}

bool NativeUiHostProvider::UpdateSurroundingText(std::string_view window, std::string_view text,
                                                 int32_t selectionStartArg, int32_t selectionEndArg,
                                                 int32_t deleteFirst, int32_t deleteSecond, int32_t thread,
                                                 int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "text-input")) return false;
    if (!compositionActive || window != focusWindow || selectionStartArg < 0 || selectionEndArg < 0 ||
        deleteFirst < 0 || deleteSecond < 0) {
        return Reject("surrounding-text", "inactive-stale-window-or-invalid-range");
    }
    surroundingText = text;
    selectionStart = selectionStartArg;
    selectionEnd = selectionEndArg;
    LogHostEvent(
        "text-input", window, "surrounding-update",
        Format("selection={0},{1}; delete={2},{3}", {selectionStartArg, selectionEndArg, deleteFirst, deleteSecond}),
        time, correlation, 2);
    return true;
}

bool NativeUiHostProvider::CommitTextInput(std::string_view window, std::string_view text, int32_t replacementStartArg,
                                           int32_t replacementLengthArg, int32_t thread, int32_t time,
                                           int32_t correlation) {
    if (!RequireCapability(thread, "text-input")) return false;
    if (!compositionActive || window != focusWindow || replacementStartArg < 0 || replacementLengthArg < 0) {
        return Reject("text-input-commit", "inactive-stale-window-or-invalid-range");
    }
    LogHostEvent("text-input", window, "commit",
                 Format("text={0}; replacement={1},{2}", {text, replacementStartArg, replacementLengthArg}), time,
                 correlation, 2);
    compositionText.clear();
    compositionActive = false;
    return true;
}

bool NativeUiHostProvider::CancelTextInput(std::string_view window, std::string_view reason, int32_t thread,
                                           int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "text-input")) return false;
    if (!compositionActive || window != focusWindow) return Reject("text-input-cancel", "inactive-or-stale-window");
    LogHostEvent("text-input", window, "cancel", reason, time, correlation, 1);
    compositionText.clear();
    compositionActive = false;
    return true;
}

bool NativeUiHostProvider::TransferTextFocus(std::string_view fromWindow, std::string_view toWindow, int32_t thread,
                                             int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "text-input")) return false;
    // Both refusals are decided before the first write so a refused transfer changes nothing.
    if (toWindow.empty() || (compositionActive && fromWindow != focusWindow)) {
        return Reject("text-focus-transfer", "invalid-source-or-destination");
    }
    if (compositionActive) {
        LogHostEvent("text-input", fromWindow, "focus-cancel", "composition-cancelled-before-transfer", time,
                     correlation, 1);
        compositionActive = false;
        compositionText.clear();
    }
    focusWindow = toWindow;
    LogHostEvent("text-input", toWindow, "focus", Format("from={0}", {fromWindow}), time, correlation, 1);
    return true;
}

bool NativeUiHostProvider::SetVirtualKeyboard(bool requested, bool visible, std::string_view stateText, int32_t thread,
                                              int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "virtual-keyboard")) return false;
    keyboardRequested = requested;
    keyboardVisible = visible;
    LogHostEvent("text-input", focusWindow, "virtual-keyboard",
                 Format("requested={0}; visible={1}; state={2}", {requested, visible, stateText}), time, correlation,
                 1);
    return true;
}

}  // namespace rava
