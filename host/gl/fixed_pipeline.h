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

inline constexpr GLenum kGlSrgb8Alpha8 = 0x8C43;
inline constexpr GLenum kGlFramebufferSrgb = 0x8DB9;

// Enables the sRGB framebuffer and probes sRGB textures; true when both work.
bool DecideSrgbOutput();

// The current drawing colour from 8-bit sRGB channels, linearised when the
// window renders through an sRGB framebuffer.
void SetSrgbColor(bool srgbOutput, int32_t red, int32_t green, int32_t blue);
// The clear colour from 8-bit sRGB channels, the same way.
void SetSrgbClearColor(bool srgbOutput, int32_t red, int32_t green, int32_t blue);

// The bound texture stretched over a rectangle, top row first.
void DrawTexturedQuad(float x, float y, float width, float height);

}  // namespace rava
