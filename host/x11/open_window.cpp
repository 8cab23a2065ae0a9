// The opening sequence of a canvas window: display and GLX checks, fonts,
// framebuffer config, X window with the config's visual (centred on the
// monitor under the pointer), GLX context, sRGB decision, glyph textures,
// then mapping; the focus comes from the window manager, or where none runs
// we take it. A failed step releases what was acquired and raises; the
// registry is left unchanged and the failed window takes no id.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/core/utf.h"
#include "host/host.h"
#include "host/x11/canvas_faults.h"
#include "host/x11/canvas_gl.h"
#include "host/x11/window_hints.h"
#include "host/x11/x_error_trap.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | FocusChangeMask | KeyPressMask | KeyReleaseMask |
                            ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | KeymapStateMask;

// Invalid UTF-8 gives an empty title; the text ends at the first NUL as a
// C string would.
std::string TitleText(std::string_view title) {
    std::u16string wide;
    if (!Utf8ToUtf16Strict(title, wide)) return {};
    std::string text(title);
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

void SetTitle(Display* display, ::Window xid, const std::string& title) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    const auto* bytes = reinterpret_cast<const unsigned char*>(title.data());
    const int length = static_cast<int>(title.size());
    XChangeProperty(display, xid, registry.netWmName, registry.utf8String, 8, PropModeReplace, bytes, length);
    const std::string legacy = Latin1Title(title);
    XChangeProperty(display, xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(legacy.data()), static_cast<int>(legacy.size()));
}

// The window an EWMH property names, or None.
::Window WindowProperty(Display* display, ::Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window named = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1) {
        named = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return named;
}

// ICCCM: a window manager owns WM_S<screen>; an EWMH one names a check
// window on the root that names itself (a manager that died leaves the
// root's property behind, naming a window that is gone).
bool WindowManagerRuns(Display* display, int screen) {
    const std::string selection = "WM_S" + std::to_string(screen);
    if (XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != None) return true;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const ::Window named = WindowProperty(display, RootWindow(display, screen), check);
    if (named == None) return false;
    XErrorTrap trap(display);
    const bool alive = WindowProperty(display, named, check) == named;
    return trap.Finish().empty() && alive;
}

// Where the window opens: centred on the monitor under the pointer, as
// XRandR lists the monitors (the whole screen when it lists none).
WindowPlace InitialPlace(Display* display, int screen) {
    const ::Window root = RootWindow(display, screen);
    ::Window pointerRoot = 0, child = 0;
    int pointerX = 0, pointerY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, root, &pointerRoot, &child, &pointerX, &pointerY, &windowX, &windowY, &mask);
    std::vector<MonitorArea> areas;
    int eventBase = 0, errorBase = 0, count = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase)) {
        if (XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count)) {
            for (int i = 0; i < count; ++i) {
                areas.push_back({monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height});
            }
            XRRFreeMonitors(monitors);
        }
    }
    const MonitorArea screenArea{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    return CentreOnMonitor(areas, pointerX, pointerY, screenArea, kInitialClientWidth, kInitialClientHeight);
}

// Waits (bounded) until the window is mapped, so that it can take the focus;
// a window manager may take a moment to map it.
void AwaitMap(Display* display, ::Window xid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    XEvent event;
    while (!XCheckTypedWindowEvent(display, xid, MapNotify, &event)) {
        if (std::chrono::steady_clock::now() > deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    HandleCanvasEvent(event);
}

void OpenWindow(std::string_view title, bool translucent) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (registry.currentId != 0) {
        CanvasWindow* current = FindCanvasWindowById(registry.currentId);
        if (current != nullptr && current->open) {
            registry.activeId = current->id;
            glXMakeCurrent(registry.display, current->xid, current->context);
            return;
        }
    }
    if (registry.nextId > kMaxCanvasWindows) return;
    EnsureCanvasDisplay();
    EnsureCanvasFontFiles();
    Display* display = registry.display;
    bool srgbConfig = false;
    bool argb = false;
    GLXFBConfig config = ChooseCanvasConfig(translucent, srgbConfig, argb);

    XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
    CheckCanvasCondition(visual != nullptr, "window/canvas GLX framebuffer config has no X visual");
    const ::Window root = RootWindow(display, registry.screen);
    XSetWindowAttributes attributes{};
    // A translucent window starts see-through (0 is transparent black).
    attributes.background_pixel = argb ? 0 : 0x0A0B0D;
    attributes.border_pixel = 0;
    attributes.event_mask = kEventMask;
    // A window manager may place it elsewhere.
    const WindowPlace place = InitialPlace(display, registry.screen);
    const int x = place.x;
    const int y = place.y;
    // A depth the visual does not have is the test seam's real BadMatch.
    const int depth = visual->depth + (CanvasFaultInjected(kFaultWindowBadMatch) ? 1 : 0);
    XErrorTrap trap(display);
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    const ::Window xid = XCreateWindow(display, root, x, y, kInitialClientWidth, kInitialClientHeight, 0, depth,
                                       InputOutput, visual->visual,
                                       CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XFree(visual);
    if (const std::string error = trap.Finish(); !error.empty()) {
        XErrorTrap cleanup(display);
        XDestroyWindow(display, xid);
        XFreeColormap(display, attributes.colormap);
        cleanup.Finish();
        CheckCanvasCondition(false, "failed to create window/canvas X window: " + error);
    }

    GLXContext context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    if (context == nullptr || !glXMakeCurrent(display, xid, context)) {
        if (context != nullptr) glXDestroyContext(display, context);
        XDestroyWindow(display, xid);
        XFreeColormap(display, attributes.colormap);
        CheckCanvasCondition(false, "failed to activate window/canvas OpenGL context");
    }

    SetTitle(display, xid, TitleText(title));
    XSetWMProtocols(display, xid, &registry.wmDeleteWindow, 1);
    XWMHints* hints = XAllocWMHints();
    if (hints != nullptr) {
        hints->flags = InputHint | StateHint;
        hints->input = True;
        hints->initial_state = NormalState;
        XSetWMHints(display, xid, hints);
        XFree(hints);
    }
    XClassHint classHint{const_cast<char*>("rava_fluid"), const_cast<char*>("Rava")};
    XSetClassHint(display, xid, &classHint);

    auto window = std::make_unique<CanvasWindow>();
    window->id = registry.nextId++;
    window->xid = xid;
    window->context = context;
    window->colormap = attributes.colormap;
    window->srgbOutput = srgbConfig && DecideSrgbOutput();
    window->translucent = argb;
    window->rootX = x;
    window->rootY = y;
    if (!window->renderer.Create(GlDialect::kDesktopGl21)) {
        glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, context);
        XDestroyWindow(display, xid);
        XFreeColormap(display, attributes.colormap);
        CheckCanvasCondition(false, "window/canvas OpenGL context cannot compile the drawing shaders");
    }
    CreateCanvasFonts(*window);
    window->open = true;

    const int32_t id = window->id;
    CanvasWindow& stored = *(registry.windows[id] = std::move(window));
    registry.currentId = id;
    registry.activeId = id;
    registry.windowManager = WindowManagerRuns(display, registry.screen);
    StampCanvasWindow(stored, kEventNone);

    XMapRaised(display, xid);
    AwaitMap(display, xid);
    // Pointer events keep the position from now on; ask once where it starts.
    ::Window pointerRoot = 0, child = 0;
    int rootPointerX = 0, rootPointerY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(display, xid, &pointerRoot, &child, &rootPointerX, &rootPointerY, &windowX, &windowY, &mask)) {
        registry.pointerRootX = rootPointerX;
        registry.pointerRootY = rootPointerY;
        stored.rootX = rootPointerX - windowX;
        stored.rootY = rootPointerY - windowY;
    }
    // A new window is the one the user works with, as on other desktops. A
    // window manager decides that itself (it may refuse while the user types
    // elsewhere); without one we take the focus.
    if (!registry.windowManager && stored.visible) {
        XErrorTrap trap(display);
        XSetInputFocus(display, xid, RevertToParent, CurrentTime);
        ++registry.focusTaken;
        trap.Finish();
    }
    PumpWindowMessages();
}

}  // namespace

void OpenCanvasWindow(std::string_view title) { OpenWindow(title, false); }

void OpenCanvasWindow(std::string_view title, const CanvasOpenOptions& options) {
    OpenWindow(title, options.translucent);
}

}  // namespace rava
