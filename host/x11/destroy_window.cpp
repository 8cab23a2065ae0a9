// Teardown of a canvas window, in reverse order of acquisition: recorded
// state, GL objects (glyph and pixel textures), context, X window, colormap.
// The record then leaves the registry. A window someone else destroyed has
// no drawable left, so its GL objects go with the context.
#include "host/x11/canvas_gl.h"

namespace rava {

void DestroyCanvasWindow(CanvasWindow& window) {
    Display* display = CanvasRegistry().display;
    ClearPressCounters(window);
    window.open = false;
    window.visible = false;
    window.focused = false;
    window.closeRequested = false;
    StampCanvasWindow(window, kEventNone);

    // After a lost connection the server has freed everything, and no X or
    // GLX call may be made: the record just leaves the registry.
    if (CanvasRegistry().displayLost) {
        window.context = nullptr;
        window.xid = 0;
        window.colormap = 0;
    }
    ReleaseClipboardAtDestroy(window);
    DropPointerLock(window);
    if (window.context != nullptr) {
        if (window.xid != 0 && glXMakeCurrent(display, window.xid, window.context)) {
            window.renderer.Destroy();
            DeleteGlyphAtlases(window.fonts);
            DeletePixelTexture(window.pixels);
        }
        // Objects left behind go with the context.
        window.renderer.Forget();
        window.pixels = {};
        if (glXGetCurrentContext() == window.context) glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, window.context);
        window.context = nullptr;
    }
    if (window.xid != 0) XDestroyWindow(display, window.xid);
    window.xid = 0;
    if (window.colormap != 0) XFreeColormap(display, window.colormap);
    window.colormap = 0;
    window.width = 0;
    window.height = 0;
    if (!CanvasRegistry().displayLost) XFlush(display);

    auto& windows = CanvasRegistry().windows;
    auto it = windows.find(window.id);
    if (it != windows.end() && it->second.get() == &window) windows.erase(it);
}

}  // namespace rava
