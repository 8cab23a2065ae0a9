// Forwards the playground's canvas operations to the host. The host already
// answers -1/false while another application has the input.
#include "playground/host_canvas.h"

#include "host/host.h"

namespace rava {

void HostCanvas::OpenWindow(std::string_view title) { OpenCanvasWindow(title); }
void HostCanvas::PumpMessages() { PumpWindowMessages(); }
bool HostCanvas::WindowOpen() { return CurrentCanvasWindowOpen(); }
void HostCanvas::DestroyAllWindows() { DestroyAllCanvasWindows(); }
void HostCanvas::BeginFrame(int32_t red, int32_t green, int32_t blue) { rava::BeginFrame(red, green, blue); }
void HostCanvas::EndFrame() { rava::EndFrame(); }

void HostCanvas::DrawRect(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) {
    DrawRectRgba(x, y, width, height, red, green, blue);
}

void HostCanvas::DrawRoundedRect(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                                 int32_t blue) {
    DrawRoundedRectRgba(x, y, width, height, radius, red, green, blue);
}

void HostCanvas::DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                                int32_t blue) {
    rava::DrawTextStyled(text, x, y, sizeCode, red, green, blue);
}

void HostCanvas::DrawPixels(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                            float destWidth, float destHeight) {
    DrawPixelsBgra8(pixels, width, height, destX, destY, destWidth, destHeight);
}

int32_t HostCanvas::MouseX() { return rava::MouseX(); }
int32_t HostCanvas::MouseY() { return rava::MouseY(); }
bool HostCanvas::PointerDown(std::string_view button) { return rava::PointerDown(button); }
bool HostCanvas::KeyDown(std::string_view key) { return rava::KeyDown(key); }
bool HostCanvas::KeyPressed(std::string_view key) { return rava::KeyPressed(key); }

}  // namespace rava
