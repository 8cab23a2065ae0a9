// Frames: BeginFrame starts the window's batch on a y-down pixel space and
// clears, EndFrame draws the batch and swaps the window's buffers (not while
// the window is unmapped: nobody sees it). Also the shared colour step and
// the background repaint of a resize.
#include "host/core/srgb.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/x_error_trap.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

// The clear colour's channels: as primitives on an sRGB framebuffer; without
// one, 0 and 1 are normalised values and larger ones 8-bit codes.
BatchColor ClearColor(const CanvasWindow& window, int32_t red, int32_t green, int32_t blue) {
    if (window.srgbOutput) return CanvasColor(window, red, green, blue);
    return BatchColor{LegacyClearChannel(red), LegacyClearChannel(green), LegacyClearChannel(blue), 1.0f};
}

}  // namespace

BatchColor CanvasColor(const CanvasWindow& window, int32_t red, int32_t green, int32_t blue) {
    if (window.srgbOutput) return BatchColor{SrgbToLinear(red), SrgbToLinear(green), SrgbToLinear(blue), 1.0f};
    return BatchColor{ClampChannel(red) / 255.0f, ClampChannel(green) / 255.0f, ClampChannel(blue) / 255.0f, 1.0f};
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
    ResetClippingState();
    // The renderer only switches blending on and off; the function is ours.
    SetBlendFunction(window);
    window.renderer.BeginFrame(window.width, window.height, static_cast<float>(window.width),
                               static_cast<float>(window.height));
    window.renderer.Clear(ClearColor(window, red, green, blue));
    window.frameOpen = true;
}

void EndFrame() {
    CanvasWindow& window = RequireOpenWindow("EndFrame");
    window.renderer.Flush();
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
    // NOTE: Mesa re-reads the drawable's size after a swap, so both buffers
    // are cleared and swapped: the next frame then draws at the new size.
    const BatchColor background =
        window.translucent ? BatchColor{0.0f, 0.0f, 0.0f, 0.0f} : CanvasColor(window, 10, 11, 13);
    for (int i = 0; i < 2; ++i) {
        window.renderer.Clear(background);
        glXSwapBuffers(display, window.xid);
    }
    ++window.backgroundRepaints;
}

}  // namespace rava
