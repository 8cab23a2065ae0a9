// Pixel-format negotiation of canvas windows: the legacy descriptor, the
// strict-sRGB attribute check and the ARB search through a probe window.
// Negotiation failures are never errors: they only mean "no ARB format".
#pragma once

#include <windows.h>

namespace rava {

// Double-buffered RGBA descriptor with the given colour bits, 8 alpha, 24 depth, 8 stencil.
PIXELFORMATDESCRIPTOR CanvasPixelFormatDescriptor(BYTE colorBits);

// True when the format draws to a window with OpenGL, is double-buffered RGBA
// with at least 8 bits per channel, 24 depth, 8 stencil, and is sRGB-capable.
bool IsStrictSrgbPixelFormat(HDC dc, int format);

// The strict-sRGB format wglChoosePixelFormatARB offers for windowDc, or 0.
// Uses a temporary probe window and context, and restores the thread's
// previous GL binding afterwards (a failed restore also gives 0).
int NegotiateArbPixelFormat(HDC windowDc);

}  // namespace rava
