// OpenGL and WGL declarations the canvas host needs beyond GL 1.1, and the
// GL state helpers shared by frames, drawing and background repaint.
#pragma once

#include <GL/gl.h>
#include <windows.h>

#include <cstdint>

#include "host/gl/fixed_pipeline.h"

#include "host/win32/canvas_window.h"

namespace rava {

inline constexpr GLenum kGlBgra = 0x80E1;

// Entry points read through wglGetProcAddress may come back as these small
// values on some drivers; they mean "absent".
bool IsUsableProcAddress(PROC proc);

// Converts a looked-up entry point to its real type (via void* to keep the
// compiler's function-cast check quiet about the deliberate conversion).
template <typename F>
F ProcAs(PROC proc) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(proc));
}

// The current drawing colour from 8-bit sRGB channels (linearised when the
// current window renders through an sRGB framebuffer).
void SetCanvasColor(int32_t red, int32_t green, int32_t blue);

// Reads the back buffer into the window's layered surface and presents it;
// never raises.
void PresentLayered(CanvasWindow& window);

// Releases the layered surface and its share of the process-wide counters.
void ReleaseLayeredSurface(CanvasWindow& window);

}  // namespace rava
