// Fixed-function OpenGL state that both canvas backends set the same way.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>

#include <cstdint>

namespace rava {

// Viewport and y-down pixel projection for a client area (taken as at least
// 1 x 1), depth test off.
void SetupPixelProjection(int32_t width, int32_t height);

// No scissor, no stencil test, all colour channels writable, neutral stencil state.
void ResetClippingState();

}  // namespace rava
