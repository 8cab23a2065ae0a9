// X protocol and connection errors of the canvas host's own display. Errors
// of our requests are caught around the requests that can fail (and raised
// in words), or recorded when they arrive later; errors of every other
// connection go to the handler that was installed before ours. A lost
// connection marks the display lost instead of ending the process.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace rava {

// Chains our error and I/O-error handlers in front of the installed ones
// (once per display; again after RestoreCanvasErrorHandlers).
void InstallCanvasErrorHandlers(Display* display);
// Puts the handler found at installation back, unless someone replaced ours since.
void RestoreCanvasErrorHandlers();

// Errors of the display's requests that arrived outside any trap.
int64_t UntrappedCanvasErrors();

// Catches the errors of the requests made during its lifetime. Finish()
// waits for the server to answer them all and describes the first error
// ("BadMatch (invalid parameter attributes) in X_CreateWindow"), or "".
class XErrorTrap {
public:
    // syncFirst: wait for the answers to earlier requests first, so their
    // errors are not blamed on these (a round trip; the present skips it).
    explicit XErrorTrap(Display* display, bool syncFirst = true);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    std::string Finish();

private:
    Display* display_;
    bool finished_ = false;
};

}  // namespace rava
