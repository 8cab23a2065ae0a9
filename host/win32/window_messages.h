// Handlers the canvas window procedure dispatches to, grouped by concern in
// their own files. Each records one message into the window record or the
// registry and returns the message's result. Internal to the host.
#pragma once

#include <windows.h>

#include <string>

#include "host/win32/canvas_window.h"

namespace rava {

// pointer_messages.cpp: mouse, pointer-API and touch input.
// Records one pointer event; returns false when the synthesized-mouse filter
// dropped it.
bool RecordPointerEvent(CanvasWindow& w, int32_t kind, int32_t pointerId, int32_t pointerType, WPARAM wParam,
                        LPARAM lParam, int32_t pressure, bool fromPointerApi);
LRESULT OnMouseMessage(CanvasWindow& w, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnPointerApiMessage(CanvasWindow& w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnTouch(CanvasWindow& w, WPARAM wParam, LPARAM lParam);

// keyboard_text.cpp: keys, characters and IME composition.
LRESULT OnKey(CanvasWindow& w, WPARAM wParam, LPARAM lParam, bool down);
LRESULT OnChar(CanvasWindow& w, WPARAM wParam);
LRESULT OnUniChar(CanvasWindow& w, WPARAM wParam);
LRESULT OnImeStartComposition(CanvasWindow& w);
LRESULT OnImeEndComposition(CanvasWindow& w);
LRESULT OnImeComposition(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam);
// The strings one WM_IME_COMPOSITION carries, as read from the input context.
struct ImeCompositionStrings {
    bool hasResult = false;
    std::u16string result;
    bool hasComposition = false;
    std::u16string composition;
};
// Records them: the result is committed first, then the new composition
// (if any) becomes the composition text and composing stays on.
void ApplyImeComposition(CanvasWindow& w, const ImeCompositionStrings& strings);
// Ends a composition in progress (focus loss); returns whether one was.
bool CancelImeComposition(CanvasWindow& w);
void ClearPressCounters(CanvasWindow& w);

// custom_chrome.cpp: client-drawn frame, manual resize, cursors.
LRESULT OnNcHitTest(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam);
// Returns true (with *result) when the chrome consumed the button message.
bool OnChromeButtonDown(CanvasWindow& w, HWND hwnd, LPARAM lParam);
bool OnChromeButtonUp(CanvasWindow& w, HWND hwnd, LPARAM lParam);
// Moves the dragged border; false when no manual resize is running.
bool ContinueManualResize(CanvasWindow& w, HWND hwnd);
void EndManualResize(CanvasWindow& w);
// Forgets a pressed caption button (capture lost, window destroyed).
void EndCaptionButtonPress(CanvasWindow& w);
LRESULT OnSetCursor(CanvasWindow* w, HWND hwnd, WPARAM wParam, LPARAM lParam);

// pointer_lock.cpp: lock engagement, cursor, raw motion.
void EngagePointerLock(CanvasWindow& w);
// After a move: clips the cursor again without resetting the motion.
void ReclipPointerLock(CanvasWindow& w);
void DisengagePointerLock(CanvasWindow& w);
void UpdateLockCursor(CanvasWindow& w);
bool IsLockWindow(const CanvasWindow& w);
LRESULT OnRawInput(CanvasWindow& w, HWND hwnd, WPARAM wParam, LPARAM lParam);

// clipboard_render.cpp: delayed rendering of the pending text block.
LRESULT OnRenderFormat(CanvasWindow& w, HWND hwnd, WPARAM wParam);
LRESULT OnRenderAllFormats(CanvasWindow& w, HWND hwnd);
LRESULT OnDestroyClipboard(CanvasWindow& w, HWND hwnd);
// On window destruction: renders a block this window still owns, then
// releases the record with status 4.
void ReleaseClipboardAtDestroy(CanvasWindow& w, HWND hwnd);

// session_drop.cpp: session notifications and dropped files.
LRESULT OnSessionMessage(CanvasWindow* w, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnDropFiles(CanvasWindow& w, WPARAM wParam);

}  // namespace rava
