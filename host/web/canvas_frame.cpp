// Frames: BeginFrame follows a changed device pixel ratio (a zoomed page)
// with a new drawing buffer and glyph atlases, clears, and starts the
// renderer's batch; EndFrame draws the batch. The browser presents the
// canvas when the animation-frame callback returns, so there is no swap.
#include <GLES2/gl2.h>

#include "host/core/srgb.h"
#include "host/host.h"
#include "host/web/canvas_window.h"
#include "host/web/page_bridge.h"

namespace rava {

namespace {

void FollowPixelRatio(CanvasWindow& window) {
    const double ratio = rava_page_pixel_ratio();
    if (!(ratio > 0.0) || ratio == window.pixelRatio) return;
    int32_t bufferSize[2] = {window.framebufferWidth, window.framebufferHeight};
    if (rava_page_prepare_canvas(kClientWidth, kClientHeight, bufferSize) <= 0.0) return;
    window.framebufferWidth = bufferSize[0];
    window.framebufferHeight = bufferSize[1];
    window.pixelRatio = ratio;
    DeleteGlyphAtlases(window.fonts);
    CreateCanvasFonts(window);
}

}  // namespace

void BeginFrame(int32_t red, int32_t green, int32_t blue) {
    CanvasWindow& window = RequireOpenWindow("BeginFrame");
    if (!ContextUsable(window)) return;
    FollowPixelRatio(window);
    window.renderer.BeginFrame(window.framebufferWidth, window.framebufferHeight, kClientWidth, kClientHeight);
    glViewport(0, 0, window.framebufferWidth, window.framebufferHeight);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(LegacyClearChannel(red), LegacyClearChannel(green), LegacyClearChannel(blue), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void EndFrame() {
    CanvasWindow& window = RequireOpenWindow("EndFrame");
    if (ContextUsable(window)) window.renderer.Flush();
}

}  // namespace rava
