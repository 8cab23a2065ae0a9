// Keyboard, character and IME messages of a canvas window: key events with
// modifier mask, repeat flag and per-key press counters; committed text with
// surrogate pairing; composition text read through the input context.
// NOTE: the system headers need <windows.h> first; keep this order.
// clang-format off
#include <windows.h>
#include <imm.h>
// clang-format on

#include <algorithm>

#include "host/core/input_rules.h"
#include "host/core/text_input.h"
#include "host/core/utf.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

constexpr int kImeMaxBytes = 512;

TextInputFields CommittedText(CanvasWindow& w) {
    return TextInputFields{w.text.committed, w.text.changeCounter, w.text.pendingHighSurrogate, kTextInputMaxBytes};
}

void BumpCompositionCounter(CanvasWindow& w) {
    if (w.text.compositionCounter < INT64_MAX) ++w.text.compositionCounter;
}

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

// Reads the result or composition string; at most 256 UTF-16 units.
std::u16string ReadCompositionString(HWND hwnd, DWORD which) {
    std::u16string units;
    HIMC context = ImmGetContext(hwnd);
    if (context == nullptr) return units;
    const LONG bytes = ImmGetCompositionStringW(context, which, nullptr, 0);
    if (bytes > 0) {
        char16_t buffer[kImeMaxBytes / 2] = {};
        const DWORD want = static_cast<DWORD>(std::min<LONG>(bytes, kImeMaxBytes)) & ~1u;
        const LONG got = ImmGetCompositionStringW(context, which, buffer, want);
        if (got > 0) units.assign(buffer, static_cast<size_t>(std::min<LONG>(got, static_cast<LONG>(want))) / 2);
    }
    ImmReleaseContext(hwnd, context);
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

LRESULT OnImeComposition(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const bool result = (lParam & GCS_RESULTSTR) != 0;
    if (!result && (lParam & GCS_COMPSTR) == 0) return DefWindowProcW(hwnd, WM_IME_COMPOSITION, wParam, lParam);
    const std::u16string units = ReadCompositionString(hwnd, result ? GCS_RESULTSTR : GCS_COMPSTR);
    if (result) {
        for (char16_t unit : units) FeedTextUnit(CommittedText(w), unit);
        w.text.pendingHighSurrogate = 0;
        w.text.composing = false;
        w.text.composition.clear();
    } else {
        w.text.composing = true;
        w.text.composition = Utf16ToUtf8(units, kImeMaxBytes);
    }
    BumpCompositionCounter(w);
    PositionImeWindows(w);
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
