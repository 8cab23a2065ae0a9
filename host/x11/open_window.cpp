// The opening sequence of a canvas window: display and GLX checks, fonts,
// framebuffer config, X window with the config's visual, GLX context, sRGB
// decision, glyph textures, then mapping and taking the focus. A failed step
// releases what was acquired and raises; the registry is left unchanged and
// the failed window takes no id.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "host/core/utf.h"
#include "host/host.h"
#include "host/x11/canvas_gl.h"
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
    // The legacy name is Latin-1; only ASCII means the same there.
    std::string legacy = title;
    for (char& c : legacy) {
        if (static_cast<unsigned char>(c) > 126) c = '?';
    }
    XChangeProperty(display, xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(legacy.data()), length);
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

void OpenWindow(std::string_view title) {
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
    GLXFBConfig config = ChooseCanvasConfig(srgbConfig);

    XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
    CheckCanvasCondition(visual != nullptr, "window/canvas GLX framebuffer config has no X visual");
    const ::Window root = RootWindow(display, registry.screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    attributes.background_pixel = 0x0A0B0D;
    attributes.border_pixel = 0;
    attributes.event_mask = kEventMask;
    // Centred on the screen; a window manager may place it elsewhere.
    const int x = (DisplayWidth(display, registry.screen) - kInitialClientWidth) / 2;
    const int y = (DisplayHeight(display, registry.screen) - kInitialClientHeight) / 2;
    const ::Window xid = XCreateWindow(display, root, x < 0 ? 0 : x, y < 0 ? 0 : y, kInitialClientWidth,
                                       kInitialClientHeight, 0, visual->depth, InputOutput, visual->visual,
                                       CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XFree(visual);

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
    window->rootX = x;
    window->rootY = y;
    CreateCanvasFonts(*window);
    window->open = true;

    const int32_t id = window->id;
    CanvasWindow& stored = *(registry.windows[id] = std::move(window));
    registry.currentId = id;
    registry.activeId = id;
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
    // A new window is the one the user works with, as on other desktops.
    XSetInputFocus(display, xid, RevertToParent, CurrentTime);
    PumpWindowMessages();
}

}  // namespace

void OpenCanvasWindow(std::string_view title) { OpenWindow(title); }

void OpenCanvasWindow(std::string_view title, const CanvasOpenOptions&) { OpenWindow(title); }

}  // namespace rava
