// A client of an installed host: links rava::host with everything its
// backend needs, asks it for a key code, and catches the host's exception
// through <rava/host/host.h> alone (no other rava header). Needs no display.
#include <rava/host/host.h>

#include <cstdio>
#include <cstring>

int main() {
    const int escape = rava::VirtualKeyForName("ESCAPE");
    std::printf("host: escape is key %d\n", escape);
    bool raised = false;
    try {
        rava::MouseX();  // no window is open
    } catch (const rava::rill_runtime_exception& error) {
        std::printf("host: %s\n", error.what());
        raised = std::strcmp(error.Record().code.c_str(), "window.canvas") == 0;
    }
    return escape != 0 && rava::VirtualKeyForName("no-such-key") == 0 && raised ? 0 : 1;
}
