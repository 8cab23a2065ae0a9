// Layered presentation of translucent windows: the back buffer is read into a
// bottom-up 32-bit DIB, converted to premultiplied sRGB and handed to
// UpdateLayeredWindow. Never raises; any failed step skips this frame and
// leaves the previous image on screen. Caps: 2048 px a side, 64 MiB of DIBs.
#include "host/core/srgb.h"
#include "host/win32/canvas_faults.h"
#include "host/win32/canvas_gl.h"

namespace rava {

namespace {

constexpr int32_t kMaxLayeredSide = 2048;
constexpr int64_t kMaxLayeredBytes = 64ll * 1024 * 1024;

bool EnsureSurface(CanvasWindow& window, int32_t width, int32_t height) {
    CanvasLayeredSurface& s = window.layered;
    if (s.dib != nullptr && s.width == width && s.height == height) return true;
    CanvasResourceCounters& counters = CanvasCounters();
    const int64_t newSize = static_cast<int64_t>(width) * height * 4;
    if (counters.layeredDibBytes + newSize - s.byteSize > kMaxLayeredBytes) return false;

    const bool madeDc = s.memoryDc == nullptr;
    HDC memoryDc = madeDc ? CreateCompatibleDC(nullptr) : s.memoryDc;
    if (memoryDc == nullptr) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up, like glReadPixels
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CanvasFaultInjected(kFaultLayeredDib)
                      ? nullptr
                      : CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ displaced = nullptr;
    if (dib != nullptr && bits != nullptr) displaced = SelectObject(memoryDc, dib);
    if (dib == nullptr || bits == nullptr || displaced == nullptr || displaced == HGDI_ERROR) {
        if (dib != nullptr) DeleteObject(dib);
        if (madeDc) DeleteDC(memoryDc);
        return false;
    }
    if (s.displacedBitmap == nullptr) s.displacedBitmap = displaced;
    if (s.dib != nullptr) {
        DeleteObject(s.dib);
        counters.layeredDibBytes -= s.byteSize;
    } else {
        ++counters.layeredDibs;
    }
    s.memoryDc = memoryDc;
    s.dib = dib;
    s.pixels = static_cast<uint32_t*>(bits);
    s.width = width;
    s.height = height;
    s.byteSize = newSize;
    counters.layeredDibBytes += newSize;
    return true;
}

}  // namespace

void PresentLayered(CanvasWindow& window) {
    CanvasLayeredSurface& s = window.layered;
    s.presentedThisFrame = false;
    if (window.width > kMaxLayeredSide || window.height > kMaxLayeredSide) return;
    const int32_t width = window.width < 1 ? 1 : window.width;
    const int32_t height = window.height < 1 ? 1 : window.height;
    if (!EnsureSurface(window, width, height)) return;

    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, kGlBgra, GL_UNSIGNED_BYTE, s.pixels);

    const auto& premultiply = PremultipliedSrgbTable();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = s.pixels[i];
        const uint32_t alpha = p >> 24;
        const uint8_t* row = &premultiply[alpha * 256];
        s.pixels[i] = (alpha << 24) | (uint32_t{row[(p >> 16) & 0xFF]} << 16) | (uint32_t{row[(p >> 8) & 0xFF]} << 8) |
                      uint32_t{row[p & 0xFF]};
    }
    s.lastCornerPixel = s.pixels[static_cast<size_t>(height - 1) * static_cast<size_t>(width)];

    RECT rect;
    if (!GetWindowRect(window.hwnd, &rect)) return;
    POINT position = {rect.left, rect.top};
    SIZE size = {s.width, s.height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HDC screen = GetDC(nullptr);
    const BOOL updated =
        UpdateLayeredWindow(window.hwnd, screen, &position, &size, s.memoryDc, &source, 0, &blend, ULW_ALPHA);
    ReleaseDC(nullptr, screen);
    if (updated == 1) {
        ++s.presentCount;
        s.presentedThisFrame = true;
        if (!s.shownOnce) {
            s.shownOnce = true;
            ShowWindow(window.hwnd, SW_SHOW);
        }
    }
}

void ReleaseLayeredSurface(CanvasWindow& window) {
    CanvasLayeredSurface& s = window.layered;
    CanvasResourceCounters& counters = CanvasCounters();
    if (s.memoryDc != nullptr && s.displacedBitmap != nullptr) {
        SelectObject(s.memoryDc, s.displacedBitmap);
    }
    if (s.dib != nullptr) {
        DeleteObject(s.dib);
        if (counters.layeredDibs > 0) --counters.layeredDibs;
        counters.layeredDibBytes -= s.byteSize;
        if (counters.layeredDibBytes < 0) counters.layeredDibBytes = 0;
    }
    if (s.memoryDc != nullptr) DeleteDC(s.memoryDc);
    s = CanvasLayeredSurface{};
}

}  // namespace rava
