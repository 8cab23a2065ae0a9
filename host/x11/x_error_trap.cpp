// The error handlers of the canvas host's display: one chained protocol-error
// handler (traps nest; the first error of a trap is kept in words) and an
// I/O-error pair that records a lost connection and returns, so that the
// next canvas call raises instead of Xlib ending the process.
#include "host/x11/x_error_trap.h"

#include <cstdint>
#include <string>

#include "host/x11/canvas_window.h"

namespace rava {

namespace {

struct ErrorState {
    Display* display = nullptr;
    bool installed = false;
    XErrorHandler previous = nullptr;
    XIOErrorHandler previousIo = nullptr;
    int trapDepth = 0;
    bool trapped = false;
    XErrorEvent first{};
    int64_t untrapped = 0;
};

ErrorState& State() {
    static ErrorState state;
    return state;
}

int OnError(Display* display, XErrorEvent* error) {
    ErrorState& s = State();
    if (display != s.display) return s.previous != nullptr ? s.previous(display, error) : 0;
    if (s.trapDepth > 0) {
        if (!s.trapped) s.first = *error;
        s.trapped = true;
    } else {
        // A late error of our own requests, such as a swap on a window
        // another program destroyed: that window's DestroyNotify closes it.
        ++s.untrapped;
    }
    return 0;
}

int OnIoError(Display* display) {
    ErrorState& s = State();
    if (display == s.display) {
        CanvasRegistry().displayLost = true;
        return 0;
    }
    return s.previousIo != nullptr ? s.previousIo(display) : 0;
}

// Called by Xlib after the I/O-error handler; returning keeps the process.
void OnIoErrorExit(Display* display, void*) {
    if (display == State().display) CanvasRegistry().displayLost = true;
}

std::string Describe(Display* display, const XErrorEvent& error) {
    char text[160] = {};
    XGetErrorText(display, error.error_code, text, sizeof text);
    const std::string major = std::to_string(error.request_code);
    char request[160] = {};
    XGetErrorDatabaseText(display, "XRequest", major.c_str(), "", request, sizeof request);
    std::string name = request[0] != '\0' ? request : "request " + major + "." + std::to_string(error.minor_code);
    return std::string(text) + " in " + name;
}

}  // namespace

void InstallCanvasErrorHandlers(Display* display) {
    ErrorState& s = State();
    s.display = display;
    XSetIOErrorExitHandler(display, OnIoErrorExit, nullptr);
    if (s.installed) return;
    s.previous = XSetErrorHandler(OnError);
    s.previousIo = XSetIOErrorHandler(OnIoError);
    s.installed = true;
}

void RestoreCanvasErrorHandlers() {
    ErrorState& s = State();
    if (!s.installed || s.trapDepth > 0) return;
    // XSetErrorHandler answers the handler it replaces: put back whatever
    // someone installed after us.
    const XErrorHandler current = XSetErrorHandler(s.previous);
    if (current != OnError) XSetErrorHandler(current);
    const XIOErrorHandler currentIo = XSetIOErrorHandler(s.previousIo);
    if (currentIo != OnIoError) XSetIOErrorHandler(currentIo);
    s.installed = false;
}

int64_t UntrappedCanvasErrors() { return State().untrapped; }

XErrorTrap::XErrorTrap(Display* display, bool syncFirst) : display_(display) {
    ErrorState& s = State();
    if (syncFirst) XSync(display_, False);
    if (s.trapDepth++ == 0) s.trapped = false;
}

XErrorTrap::~XErrorTrap() {
    if (!finished_) Finish();
}

std::string XErrorTrap::Finish() {
    ErrorState& s = State();
    if (finished_) return {};
    finished_ = true;
    XSync(display_, False);
    --s.trapDepth;
    if (!s.trapped) return {};
    const std::string what = Describe(display_, s.first);
    if (s.trapDepth == 0) s.trapped = false;
    return what;
}

}  // namespace rava
