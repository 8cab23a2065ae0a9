// Frames: BeginFrame sets up a y-down pixel projection and clears, EndFrame
// records the frame status and presents (SwapBuffers, or the layered copy
// for translucent windows). Also the shared colour step and background repaint.
#include <limits>

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

}  // namespace

void SetCanvasColor(int32_t red, int32_t green, int32_t blue) {
    const CanvasWindow* window = ResolveCurrentWindow();
    SetSrgbColor(window != nullptr && window->srgbOutput, red, green, blue);
}

void BeginFrame(int32_t red, int32_t green, int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("BeginFrame");
    CanvasRegistry().openFrameWindowId = window.id;
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
    if (CanvasRegistry().openFrameWindowId == window.id) return;
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
