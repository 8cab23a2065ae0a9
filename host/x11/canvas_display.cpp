// The process's display connection: opened on the first window, checked for
// GLX 1.3, with our error handlers chained in front; and the framebuffer
// config of each window (double-buffered RGB of at least 8 bits a channel at
// the screen's default depth, an sRGB-capable one when the server offers it).
#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstring>
#include <exception>
#include <string>

#include "host/x11/canvas_faults.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/x_error_trap.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

uint32_t& Faults() {
    static uint32_t faults = 0;
    return faults;
}

bool HasGlxExtension(Display* display, int screen, const char* name) {
    const char* list = glXQueryExtensionsString(display, screen);
    if (list == nullptr) return false;
    const size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == '\0' || p[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

int ConfigAttribute(Display* display, GLXFBConfig config, int name) {
    int value = 0;
    return glXGetFBConfigAttrib(display, config, name, &value) == Success ? value : 0;
}

// Among the double-buffered configs whose visual has the screen's default
// depth (a deeper ARGB visual would make the window see-through under a
// compositor), the one with the fewest colour bits (8 where offered; a
// depth-30 screen offers only 10), then the fewest depth and stencil bits:
// nothing is drawn with them, and clearing a packed depth/stencil buffer is
// a large share of a frame on a software rasteriser.
//
// A translucent window instead needs a 32-bit visual with an alpha channel.
GLXFBConfig ChooseConfig(Display* display, int screen, bool srgb, bool alpha) {
    int attributes[32];
    int n = 0;
    auto add = [&](int name, int value) {
        attributes[n++] = name;
        attributes[n++] = value;
    };
    add(GLX_X_RENDERABLE, True);
    add(GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT);
    add(GLX_RENDER_TYPE, GLX_RGBA_BIT);
    add(GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR);
    add(GLX_DOUBLEBUFFER, True);
    add(GLX_RED_SIZE, 8);
    add(GLX_GREEN_SIZE, 8);
    add(GLX_BLUE_SIZE, 8);
    if (alpha) add(GLX_ALPHA_SIZE, 8);
    if (srgb) add(kGlxFramebufferSrgbCapable, True);
    attributes[n] = None;
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes, &count);
    if (configs == nullptr) return nullptr;
    GLXFBConfig chosen = nullptr;
    int chosenColour = 0;
    int chosenBits = 0;
    const int depth = alpha ? 32 : DefaultDepth(display, screen);
    for (int i = 0; i < count; ++i) {
        if (srgb && !ConfigAttribute(display, configs[i], kGlxFramebufferSrgbCapable)) continue;
        const int red = ConfigAttribute(display, configs[i], GLX_RED_SIZE);
        const int green = ConfigAttribute(display, configs[i], GLX_GREEN_SIZE);
        const int blue = ConfigAttribute(display, configs[i], GLX_BLUE_SIZE);
        if (red < 8 || green < 8 || blue < 8) continue;
        if (alpha && ConfigAttribute(display, configs[i], GLX_ALPHA_SIZE) < 8) continue;
        XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[i]);
        if (visual == nullptr) continue;
        const bool usable = visual->depth == depth;
        XFree(visual);
        if (!usable) continue;
        const int colour = red + green + blue;
        const int bits = ConfigAttribute(display, configs[i], GLX_DEPTH_SIZE) +
                         ConfigAttribute(display, configs[i], GLX_STENCIL_SIZE);
        if (chosen == nullptr || colour < chosenColour || (colour == chosenColour && bits < chosenBits)) {
            chosen = configs[i];
            chosenColour = colour;
            chosenBits = bits;
        }
    }
    XFree(configs);
    return chosen;
}

[[noreturn]] void Fail(Display* display, const std::string& message) {
    if (display != nullptr) XCloseDisplay(display);
    CheckCanvasCondition(false, message);
    std::terminate();  // not reached: a false condition always raises
}

}  // namespace

void SetCanvasFaultsForTesting(uint32_t faults) { Faults() = faults; }
bool CanvasFaultInjected(CanvasFault fault) { return (Faults() & fault) != 0; }

void EnsureCanvasDisplay() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (registry.displayLost) FailLostDisplay();
    if (registry.display != nullptr) {
        InstallCanvasErrorHandlers(registry.display);
        return;
    }
    const std::string name = XDisplayName(nullptr);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        Fail(nullptr, name.empty() ? std::string("failed to open window/canvas X display: DISPLAY is not set")
                                   : "failed to open window/canvas X display " + name);
    }
    const int screen = DefaultScreen(display);
    int errorBase = 0, eventBase = 0, major = 0, minor = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) {
        Fail(display, "window/canvas X display " + name + " has no GLX extension");
    }
    if (!glXQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 3)) {
        Fail(display, "window/canvas X display " + name + " has no GLX 1.3");
    }
    // Held keys are tracked from events; with detectable repeat an
    // auto-repeated key sends presses only, never a release in between.
    // Where it is unsupported, repeats arrive as release/press pairs that the
    // pump folds (see PumpWindowMessages).
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);

    InstallCanvasErrorHandlers(display);
    registry.display = display;
    registry.displayName = name;
    registry.screen = screen;
    registry.wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    registry.wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    registry.netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    registry.utf8String = XInternAtom(display, "UTF8_STRING", False);
    registry.clipboardAtom = XInternAtom(display, "CLIPBOARD", False);
    registry.targetsAtom = XInternAtom(display, "TARGETS", False);
}

GLXFBConfig ChooseCanvasConfig(bool translucent, bool& srgb, bool& argb) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    Display* display = registry.display;
    GLXFBConfig config = nullptr;
    srgb = false;
    argb = false;
    if (!CanvasFaultInjected(kFaultNoConfig)) {
        const bool offered = !CanvasFaultInjected(kFaultNoSrgbConfig) &&
                             (HasGlxExtension(display, registry.screen, "GLX_ARB_framebuffer_sRGB") ||
                              HasGlxExtension(display, registry.screen, "GLX_EXT_framebuffer_sRGB"));
        // A screen without an ARGB visual gives a translucent window an opaque one.
        for (const bool alpha : {true, false}) {
            if (alpha && !translucent) continue;
            if (offered) config = ChooseConfig(display, registry.screen, true, alpha);
            srgb = config != nullptr;
            if (config == nullptr) config = ChooseConfig(display, registry.screen, false, alpha);
            argb = alpha && config != nullptr;
            if (config != nullptr) break;
        }
    }
    if (config == nullptr) {
        CheckCanvasCondition(false, "window/canvas X display " + std::string(XDisplayString(display)) +
                                        " has no double-buffered RGBA GLX framebuffer config");
    }
    return config;
}

}  // namespace rava
