// Frames: BeginFrame sets up a y-down pixel projection and clears, EndFrame
// records the frame status and presents (SwapBuffers, or the layered copy
// for translucent windows). Also the shared colour step and background repaint.
#include <algorithm>
#include <limits>
#include <vector>

#include "host/core/srgb.h"
#include "host/host.h"
#include "host/win32/canvas_gl.h"

namespace rava {

namespace {

using BlendFuncSeparate = void(APIENTRY*)(GLenum, GLenum, GLenum, GLenum);

void SetBlending(const CanvasWindow& window) {
    glEnable(GL_BLEND);
    if (window.translucent) {
        // Alpha must accumulate as coverage so the layered copy sees real transparency.
        PROC proc = wglGetProcAddress("glBlendFuncSeparate");
        if (IsUsableProcAddress(proc)) {
            ProcAs<BlendFuncSeparate>(proc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            return;
        }
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// A size change inside a frame (a primitive pumped a maximize or a border
// drag) must still present the new size. The frame's pixels so far keep their
// client positions, the rest of the frame draws through a projection of the
// new client area, and the strips right of and below the size the frame began
// with get the frame's clear colour, as if it had begun at the new size.
void ResizeOpenFrame(const CanvasWindow& window) {
    CanvasOpenFrame& frame = CanvasRegistry().openFrame;
    if (frame.width == window.width && frame.height == window.height) return;
    wglMakeCurrent(window.dc, window.glrc);
    const int32_t keptWidth = std::min(frame.width, window.width);
    const int32_t keptHeight = std::min(frame.height, window.height);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT | GL_SCISSOR_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // Raw bytes out and back in: no sRGB conversion on either side.
    const bool srgb = glIsEnabled(kGlFramebufferSrgb) == GL_TRUE;
    glDisable(kGlFramebufferSrgb);
    // The frame's client rows [0, keptHeight) are the top rows of the old
    // size, counted from the bottom as GL does.
    std::vector<uint32_t> kept(static_cast<size_t>(keptWidth) * keptHeight);
    glReadBuffer(GL_BACK);
    glReadPixels(0, frame.height - keptHeight, keptWidth, keptHeight, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
    // NOTE: Mesa (under Wine too) keeps the back buffer at the old size until
    // the next SwapBuffers; neither glViewport nor binding the context again
    // resizes it. So swap once here (showing the partial frame for a moment),
    // then rebuild the frame in the resized buffer.
    SwapBuffers(window.dc);
    SetupPixelProjection(window.width, window.height);
    if (srgb) glEnable(kGlFramebufferSrgb);
    SetSrgbClearColor(window.srgbOutput, frame.red, frame.green, frame.blue);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(kGlFramebufferSrgb);
    // Client (1, 1) lies inside any viewport, so the raster position is
    // valid; the empty bitmap then moves it to the window row of client row
    // keptHeight, where the kept block's bottom row goes.
    glRasterPos2i(1, 1);
    glBitmap(0, 0, 0, 0, -1.0f, static_cast<GLfloat>(1 - keptHeight), nullptr);
    glDrawPixels(keptWidth, keptHeight, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
    glPopClientAttrib();
    glPopAttrib();
    if (srgb) glEnable(kGlFramebufferSrgb);
    frame.width = window.width;
    frame.height = window.height;
}

}  // namespace

void SetCanvasColor(int32_t red, int32_t green, int32_t blue) {
    const CanvasWindow* window = ResolveCurrentWindow();
    SetSrgbColor(window != nullptr && window->srgbOutput, red, green, blue);
}

void BeginFrame(int32_t red, int32_t green, int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("BeginFrame");
    CanvasWindowRegistry& registry = CanvasRegistry();
    registry.openFrameWindowId = window.id;
    registry.openFrame = CanvasOpenFrame{window.width, window.height, red, green, blue};
    SetupPixelProjection(window.width, window.height);
    ResetClippingState();
    SetBlending(window);
    glClearStencil(0);
    SetSrgbClearColor(window.srgbOutput, red, green, blue);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void EndFrame() {
    CanvasWindow& window = RequireOpenWindow("EndFrame");
    CanvasFrameStatus& status = CanvasFrames();
    status.flags.fetch_or(2);
    uint64_t ended = status.endedFrames.load();
    while (ended != std::numeric_limits<uint64_t>::max() &&
           !status.endedFrames.compare_exchange_weak(ended, ended + 1)) {
    }
    ResetClippingState();
    glFlush();
    if (window.translucent) {
        PresentLayered(window);
    } else {
        SwapBuffers(window.dc);
    }
    CanvasRegistry().openFrameWindowId = 0;
}

void RepaintCanvasBackground(CanvasWindow& window) {
    if (window.dc == nullptr || window.glrc == nullptr || window.width <= 0 || window.height <= 0) {
        return;
    }
    // Clearing and swapping here would wipe what the open frame has drawn.
    if (CanvasRegistry().openFrameWindowId == window.id) {
        ResizeOpenFrame(window);
        return;
    }
    wglMakeCurrent(window.dc, window.glrc);
    SetupPixelProjection(window.width, window.height);
    glDisable(GL_DEPTH_TEST);
    if (window.translucent) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    if (window.srgbOutput) {
        glClearColor(SrgbToLinear(10), SrgbToLinear(11), SrgbToLinear(13), 1.0f);
    } else {
        glClearColor(10.0f / 255.0f, 11.0f / 255.0f, 13.0f / 255.0f, 1.0f);
    }
    for (int i = 0; i < 2; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(window.dc);
    }
}

}  // namespace rava
