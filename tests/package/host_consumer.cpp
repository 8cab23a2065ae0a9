// A client of an installed host: links rava::host with everything its
// backend needs and asks it for a key code, which needs no display.
#include <rava/host/host.h>

#include <cstdio>

int main() {
    const int escape = rava::VirtualKeyForName("ESCAPE");
    std::printf("host: escape is key %d\n", escape);
    return escape != 0 && rava::VirtualKeyForName("no-such-key") == 0 ? 0 : 1;
}
