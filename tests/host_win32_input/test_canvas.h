// Helpers for tests that drive real canvas windows: opening a fresh window,
// draining the queue, moving the foreground and injecting input.
#pragma once

#include <windows.h>

#include <functional>

#include "host/host.h"
#include "host/win32/canvas_window.h"

namespace rava::testing {

// Opens a new canvas window (even when one is already current) and returns
// its record; the window is shown, focused and in the foreground.
CanvasWindow& OpenFreshCanvas();

// The window shared by tests that do not need a fresh one, reset to a clean
// input state, focused and in the foreground.
CanvasWindow& SharedCanvas();

// Dispatches everything queued for this thread, repeatedly for `rounds`
// passes with a short sleep between them (injected input arrives late).
void Drain(int rounds = 3);

// Drains until `done` holds or the time is up; returns whether it held.
bool DrainUntil(const std::function<bool()>& done, int milliseconds = 1000);

// Makes the window foreground and focused.
void BringToFront(HWND hwnd);

// A plain top-level window of another class, shown and in the foreground.
HWND OpenForeignWindow();

// Client point to screen point of the window.
POINT ClientToScreenPoint(HWND hwnd, int x, int y);

// Injects one keyboard event through the system input queue.
void InjectKey(WORD virtualKey, bool down);

// Injects one mouse event (relative motion and/or button flags).
void InjectMouse(DWORD flags, int dx = 0, int dy = 0, ULONG_PTR extraInfo = 0);

LPARAM PackPoint(int x, int y);

}  // namespace rava::testing
