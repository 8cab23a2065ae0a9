// Frames: BeginFrame sets up a y-down pixel projection and clears, EndFrame
// swaps the window's buffers (not while the window is unmapped: nobody sees
// it). Also the shared colour step and the background repaint of a resize.
#include "host/core/srgb.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/x_error_trap.h"
#include "runtime/runtime.h"

namespace rava {

void UseBlending(CanvasWindow& window, bool on) {
    if (window.blending == on) return;
    if (on) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    window.blending = on;
}

void UseTexture(CanvasWindow& window, uint32_t texture) {
    if (window.texture == texture) return;
    if (texture == 0) {
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    } else {
        if (window.texture == 0) glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    window.texture = texture;
}

void SetCanvasColor(int32_t red, int32_t green, int32_t blue) {
    const CanvasWindow* window = ResolveCurrentWindow();
    SetSrgbColor(window != nullptr && window->srgbOutput, red, green, blue);
}

namespace {

using BlendFuncSeparate = void (*)(GLenum, GLenum, GLenum, GLenum);

void SetBlendFunction(const CanvasWindow& window) {
    if (window.translucent) {
        // Alpha accumulates as coverage, so the compositor sees real transparency.
        static const auto separate = reinterpret_cast<BlendFuncSeparate>(
            glXGetProcAddress(reinterpret_cast<const GLubyte*>("glBlendFuncSeparate")));
        if (separate != nullptr) {
            separate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            return;
        }
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

}  // namespace

void BeginFrame(int32_t red, int32_t green, int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("BeginFrame");
    SetupPixelProjection(window.width, window.height);
    ResetClippingState();
    glEnable(GL_BLEND);
    window.blending = true;
    SetBlendFunction(window);
    glClearStencil(0);
    SetSrgbClearColor(window.srgbOutput, red, green, blue);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    window.frameOpen = true;
}

void EndFrame() {
    CanvasWindow& window = RequireOpenWindow("EndFrame");
    ResetClippingState();
    // A size change during the frame is presented by this frame and the next.
    window.frameOpen = false;
    window.repaintPending = false;
    if (!window.visible) return;
    Display* display = CanvasRegistry().display;
    // A drawable another program destroyed fails here, before its
    // DestroyNotify arrives: say so instead of failing later in other words.
    // Drawing sends no X requests, so nothing earlier is waited for.
    XErrorTrap trap(display, false);
    glXSwapBuffers(display, window.xid);
    const std::string error = trap.Finish();
    CheckCanvasCondition(error.empty(), "window/canvas failed to present the frame: " + error);
    ++window.presents;
}

void RepaintCanvasBackground(CanvasWindow& window) {
    Display* display = CanvasRegistry().display;
    if (window.xid == 0 || window.context == nullptr || !glXMakeCurrent(display, window.xid, window.context)) return;
    SetupPixelProjection(window.width, window.height);
    if (window.translucent) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    } else if (window.srgbOutput) {
        glClearColor(SrgbToLinear(10), SrgbToLinear(11), SrgbToLinear(13), 1.0f);
    } else {
        glClearColor(10.0f / 255.0f, 11.0f / 255.0f, 13.0f / 255.0f, 1.0f);
    }
    // NOTE: Mesa re-reads the drawable's size after a swap, so both buffers
    // are cleared and swapped: the next frame then draws at the new size.
    for (int i = 0; i < 2; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        glXSwapBuffers(display, window.xid);
    }
    ++window.backgroundRepaints;
}

}  // namespace rava
