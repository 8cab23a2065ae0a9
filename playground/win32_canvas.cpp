// Forwards the playground's canvas operations to the Win32 host. The host
// already answers -1/false while another application is in the foreground.
#include "playground/win32_canvas.h"

#include "host/host.h"

namespace rava {

void Win32Canvas::OpenWindow(std::string_view title) { OpenCanvasWindow(title); }
void Win32Canvas::PumpMessages() { PumpWindowMessages(); }
bool Win32Canvas::WindowOpen() { return CurrentCanvasWindowOpen(); }
void Win32Canvas::DestroyAllWindows() { DestroyAllCanvasWindows(); }
void Win32Canvas::BeginFrame(int32_t red, int32_t green, int32_t blue) { rava::BeginFrame(red, green, blue); }
void Win32Canvas::EndFrame() { rava::EndFrame(); }

void Win32Canvas::DrawRect(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) {
    DrawRectRgba(x, y, width, height, red, green, blue);
}

void Win32Canvas::DrawRoundedRect(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                                  int32_t blue) {
    DrawRoundedRectRgba(x, y, width, height, radius, red, green, blue);
}

void Win32Canvas::DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                                 int32_t blue) {
    rava::DrawTextStyled(text, x, y, sizeCode, red, green, blue);
}

void Win32Canvas::DrawPixels(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                             float destWidth, float destHeight) {
    DrawPixelsBgra8(pixels, width, height, destX, destY, destWidth, destHeight);
}

int32_t Win32Canvas::MouseX() { return rava::MouseX(); }
int32_t Win32Canvas::MouseY() { return rava::MouseY(); }
bool Win32Canvas::PointerDown(std::string_view button) { return rava::PointerDown(button); }
bool Win32Canvas::KeyDown(std::string_view key) { return rava::KeyDown(key); }
bool Win32Canvas::KeyPressed(std::string_view key) { return rava::KeyPressed(key); }

}  // namespace rava
