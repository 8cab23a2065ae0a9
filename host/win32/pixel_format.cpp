// Pixel-format negotiation. The ARB entry points exist only while some
// context is current, hence the throw-away probe window and context.
#include "host/win32/pixel_format.h"

#include "host/win32/canvas_faults.h"
#include "host/win32/canvas_gl.h"

namespace rava {

namespace {

constexpr int kDrawToWindow = 0x2001;
constexpr int kSupportOpenGl = 0x2010;
constexpr int kDoubleBuffer = 0x2011;
constexpr int kPixelType = 0x2013;
constexpr int kTypeRgba = 0x202B;
constexpr int kColorBits = 0x2014;
constexpr int kRedBits = 0x2015;
constexpr int kGreenBits = 0x2017;
constexpr int kBlueBits = 0x2019;
constexpr int kAlphaBits = 0x201B;
constexpr int kDepthBits = 0x2022;
constexpr int kStencilBits = 0x2023;
constexpr int kSrgbCapable = 0x20A9;

constexpr int kAttributeNames[12] = {kDrawToWindow, kSupportOpenGl, kDoubleBuffer, kPixelType,
                                     kColorBits,    kRedBits,       kGreenBits,    kBlueBits,
                                     kAlphaBits,    kDepthBits,     kStencilBits,  kSrgbCapable};

using ChoosePixelFormatArb = BOOL(WINAPI*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
using GetPixelFormatAttribivArb = BOOL(WINAPI*)(HDC, int, int, UINT, const int*, int*);

}  // namespace

bool IsUsableProcAddress(PROC proc) {
    const auto value = reinterpret_cast<intptr_t>(proc);
    return !(value == 0 || value == 1 || value == 2 || value == 3 || value == -1);
}

PIXELFORMATDESCRIPTOR CanvasPixelFormatDescriptor(BYTE colorBits) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = colorBits;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

bool IsStrictSrgbPixelFormat(HDC dc, int format) {
    if (dc == nullptr || format <= 0) return false;
    PROC proc = wglGetProcAddress("wglGetPixelFormatAttribivARB");
    if (!IsUsableProcAddress(proc)) return false;
    auto getAttribs = ProcAs<GetPixelFormatAttribivArb>(proc);
    int values[12] = {};
    if (getAttribs(dc, format, 0, 12, kAttributeNames, values) != 1) return false;
    return values[0] != 0 && values[1] != 0 && values[2] != 0 && values[3] == kTypeRgba && values[4] >= 24 &&
           values[5] >= 8 && values[6] >= 8 && values[7] >= 8 && values[8] >= 8 && values[9] >= 24 && values[10] >= 8 &&
           values[11] != 0;
}

int NegotiateArbPixelFormat(HDC windowDc) {
    HDC previousDc = wglGetCurrentDC();
    HGLRC previousRc = wglGetCurrentContext();

    HWND probe = CreateWindowExW(0, kCanvasWindowClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) return 0;
    HDC probeDc = GetDC(probe);
    if (probeDc == nullptr) {
        DestroyWindow(probe);
        return 0;
    }

    int format = 0;
    HGLRC probeRc = nullptr;
    bool probeCurrent = false;
    PIXELFORMATDESCRIPTOR pfd = CanvasPixelFormatDescriptor(24);
    const int probeFormat = ChoosePixelFormat(probeDc, &pfd);
    if (probeFormat > 0 && SetPixelFormat(probeDc, probeFormat, &pfd) == 1) {
        probeRc = wglCreateContext(probeDc);
        probeCurrent = probeRc != nullptr && wglMakeCurrent(probeDc, probeRc) == 1;
    }
    if (probeCurrent) {
        PROC proc = wglGetProcAddress("wglChoosePixelFormatARB");
        if (IsUsableProcAddress(proc) && !CanvasFaultInjected(kFaultNoArbExtension)) {
            auto choose = ProcAs<ChoosePixelFormatArb>(proc);
            const int attributes[] = {kDrawToWindow,
                                      1,
                                      kSupportOpenGl,
                                      1,
                                      kDoubleBuffer,
                                      1,
                                      kPixelType,
                                      kTypeRgba,
                                      kColorBits,
                                      24,
                                      kRedBits,
                                      8,
                                      kGreenBits,
                                      8,
                                      kBlueBits,
                                      8,
                                      kAlphaBits,
                                      8,
                                      kDepthBits,
                                      24,
                                      kStencilBits,
                                      8,
                                      kSrgbCapable,
                                      1,
                                      0};
            int chosen = 0;
            UINT count = 0;
            if (choose(windowDc, attributes, nullptr, 1, &chosen, &count) == 1 && count >= 1 && chosen > 0 &&
                IsStrictSrgbPixelFormat(windowDc, chosen)) {
                format = chosen;
            }
        }
        wglMakeCurrent(nullptr, nullptr);
    }
    if (probeRc != nullptr) wglDeleteContext(probeRc);
    ReleaseDC(probe, probeDc);
    DestroyWindow(probe);

    if (previousDc != nullptr && previousRc != nullptr) {
        if (wglMakeCurrent(previousDc, previousRc) != 1) format = 0;
    } else if (previousDc != nullptr || previousRc != nullptr) {
        format = 0;
    }
    return format;
}

}  // namespace rava
