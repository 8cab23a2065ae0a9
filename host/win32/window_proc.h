// The window procedure shared by both canvas window classes. It turns window
// messages into the recorded state of the CanvasWindow and the registry; the
// host has no other entry for messages.
#pragma once

#include <windows.h>

namespace rava {

LRESULT CALLBACK CanvasWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace rava
