// Keyboard, character and IME messages of a canvas window: key events with
// modifier mask, repeat flag and per-key press counters; committed text with
// surrogate pairing; result and composition strings read through the input
// context (at most 4,096 UTF-16 units each, cut between characters).
// NOTE: the system headers need <windows.h> first; keep this order.
// clang-format off
#include <windows.h>
#include <imm.h>
// clang-format on

#include <algorithm>

#include "host/core/input_rules.h"
#include "host/core/saturating_counter.h"
#include "host/core/text_input.h"
#include "host/core/utf.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

TextInputFields CommittedText(CanvasWindow& w) {
    return TextInputFields{w.text.committed, w.text.changeCounter, w.text.pendingHighSurrogate, kTextInputMaxBytes};
}

void BumpCompositionCounter(CanvasWindow& w) { BumpCounter(w.text.compositionCounter); }

void PositionImeWindows(CanvasWindow& w) {
    const CanvasTextInput& t = w.text;
    if (w.hwnd == nullptr || t.caretX < 0 || t.caretY < 0 || t.caretHeight <= 0) return;
    HIMC context = ImmGetContext(w.hwnd);
    if (context == nullptr) return;
    COMPOSITIONFORM composition{};
    composition.dwStyle = CFS_POINT;
    composition.ptCurrentPos = POINT{t.caretX, t.caretY};
    ImmSetCompositionWindow(context, &composition);
    CANDIDATEFORM candidate{};
    candidate.dwIndex = 0;
    candidate.dwStyle = CFS_EXCLUDE;
    const int64_t below = static_cast<int64_t>(t.caretY) + t.caretHeight;
    candidate.ptCurrentPos = POINT{t.caretX, static_cast<LONG>(std::min<int64_t>(below, INT32_MAX))};
    candidate.rcArea = RECT{0, 0, 0, 0};
    ImmSetCandidateWindow(context, &candidate);
    ImmReleaseContext(w.hwnd, context);
}

// Reads the result or composition string of the input context.
std::u16string ReadCompositionString(HIMC context, DWORD which) {
    std::u16string units;
    if (context == nullptr) return units;
    const LONG bytes = ImmGetCompositionStringW(context, which, nullptr, 0);
    if (bytes <= 0) return units;
    // Read the whole string, then cut it.
    const size_t wanted = std::min<size_t>(static_cast<size_t>(bytes) / 2, 16 * kImeStringMaxUnits);
    units.resize(wanted);
    const LONG got = ImmGetCompositionStringW(context, which, units.data(), static_cast<DWORD>(wanted * 2));
    units.resize(got > 0 ? std::min(wanted, static_cast<size_t>(got) / 2) : 0);
    if (units.size() > kImeStringMaxUnits) {
        // Never split a surrogate pair.
        const bool splitsPair = units[kImeStringMaxUnits - 1] >= 0xD800 && units[kImeStringMaxUnits - 1] <= 0xDBFF;
        units.resize(splitsPair ? kImeStringMaxUnits - 1 : kImeStringMaxUnits);
    }
    return units;
}

}  // namespace

void ClearPressCounters(CanvasWindow& w) { std::fill(std::begin(w.pressCounters), std::end(w.pressCounters), 0); }

LRESULT OnKey(CanvasWindow& w, WPARAM wParam, LPARAM lParam, bool down) {
    // Wider values are not virtual keys; keep them out of the 256-entry tables.
    const uint32_t code = wParam <= 0xFFFF ? static_cast<uint32_t>(wParam) : 0xFFFFu;
    w.key.code = code;
    w.key.secondCode = code;
    w.key.modifiers = UpdateModifierMask(w.key.modifiers, code, down);
    w.key.extra1 = 1;
    w.key.extra2 = 1;
    w.key.extra3 = 0;
    w.key.repeat = IsKeyRepeat(static_cast<uint64_t>(lParam));
    if (!down) {
        StampCanvasWindow(w, kEventKeyUp);
    } else {
        if (!w.key.repeat) CountKeyPress(w.pressCounters, code);
        StampCanvasWindow(w, kEventKeyDown);
    }
    return 0;
}

LRESULT OnChar(CanvasWindow& w, WPARAM wParam) {
    // A WM_CHAR carries one UTF-16 unit; anything wider is not text.
    if (wParam > 0xFFFF) return 0;
    FeedTextUnit(CommittedText(w), static_cast<uint16_t>(wParam));
    return 0;
}

LRESULT OnUniChar(CanvasWindow& w, WPARAM wParam) {
    if (wParam == UNICODE_NOCHAR) return 1;
    FeedTextCodePoint(CommittedText(w), wParam > 0x10FFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(wParam));
    return 0;
}

LRESULT OnImeStartComposition(CanvasWindow& w) {
    w.text.composing = true;
    w.text.composition.clear();
    BumpCompositionCounter(w);
    PositionImeWindows(w);
    return 0;
}

LRESULT OnImeEndComposition(CanvasWindow& w) {
    w.text.composing = false;
    w.text.composition.clear();
    BumpCompositionCounter(w);
    return 0;
}

void ApplyImeComposition(CanvasWindow& w, const ImeCompositionStrings& strings) {
    // Input methods often commit and start the next composition in one
    // message: the result is committed first, then the new composition runs.
    if (strings.hasResult) {
        for (char16_t unit : strings.result) FeedTextUnit(CommittedText(w), unit);
        w.text.pendingHighSurrogate = 0;
        w.text.composing = false;
        w.text.composition.clear();
    }
    if (strings.hasComposition) {
        w.text.composing = true;
        w.text.composition = Utf16ToUtf8(strings.composition);
    }
    BumpCompositionCounter(w);
    PositionImeWindows(w);
}

LRESULT OnImeComposition(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    ImeCompositionStrings strings;
    strings.hasResult = (lParam & GCS_RESULTSTR) != 0;
    strings.hasComposition = (lParam & GCS_COMPSTR) != 0;
    if (!strings.hasResult && !strings.hasComposition) {
        return DefWindowProcW(hwnd, WM_IME_COMPOSITION, wParam, lParam);
    }
    HIMC context = ImmGetContext(hwnd);
    if (strings.hasResult) strings.result = ReadCompositionString(context, GCS_RESULTSTR);
    if (strings.hasComposition) strings.composition = ReadCompositionString(context, GCS_COMPSTR);
    if (context != nullptr) ImmReleaseContext(hwnd, context);
    ApplyImeComposition(w, strings);
    return 0;
}

bool CancelImeComposition(CanvasWindow& w) {
    if (!w.text.composing) return false;
    w.text.composing = false;
    w.text.composition.clear();
    BumpCompositionCounter(w);
    return true;
}

}  // namespace rava
