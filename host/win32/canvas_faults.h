// Test seam of the canvas host: a test can make chosen Win32/WGL steps of
// opening and presentation fail so that the failure paths run for real.
// Not part of the public header; production code never sets it.
#pragma once

#include <cstdint>

namespace rava {

enum CanvasFault : uint32_t {
    kFaultNone = 0,
    kFaultCreateWindow = 1u << 0,
    kFaultGetDc = 1u << 1,
    kFaultDescribeFormat = 1u << 2,
    kFaultChooseFormat = 1u << 3,
    kFaultSetFormat = 1u << 4,
    kFaultCreateContext = 1u << 5,
    kFaultMakeCurrent = 1u << 6,
    kFaultNoArbExtension = 1u << 7,  // wglChoosePixelFormatARB reads as absent
    kFaultFontLists = 1u << 8,       // glGenLists gives 0 for every font
    kFaultLayeredDib = 1u << 9,      // CreateDIBSection fails
};

void SetCanvasFaultsForTesting(uint32_t faults);
bool CanvasFaultInjected(CanvasFault fault);

}  // namespace rava
