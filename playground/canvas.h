// The playground's narrow view of the window/canvas host: one window, a frame
// with immediate drawing, and polled input. The program implements it with the
// Win32 host; tests implement it with a recording fake.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace rava {

class Canvas {
public:
    virtual ~Canvas() = default;

    // Window lifetime. OpenWindow raises when the window cannot be made;
    // DestroyAllWindows tears down every window the host holds, in id order.
    virtual void OpenWindow(std::string_view title) = 0;
    virtual void PumpMessages() = 0;
    virtual bool WindowOpen() = 0;
    virtual void DestroyAllWindows() = 0;

    // Frame and drawing; colours are 8-bit sRGB, positions client pixels.
    virtual void BeginFrame(int32_t red, int32_t green, int32_t blue) = 0;
    virtual void EndFrame() = 0;
    virtual void DrawRect(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) = 0;
    virtual void DrawRoundedRect(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                                 int32_t blue) = 0;
    virtual void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                                int32_t blue) = 0;
    virtual void DrawPixels(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                            float destWidth, float destHeight) = 0;

    // Input, answered only while a canvas window is in the foreground
    // (otherwise -1 or false). MouseX/MouseY raise when no window is open.
    virtual int32_t MouseX() = 0;
    virtual int32_t MouseY() = 0;
    virtual bool PointerDown(std::string_view button) = 0;
    virtual bool KeyDown(std::string_view key) = 0;
    virtual bool KeyPressed(std::string_view key) = 0;
};

}  // namespace rava
