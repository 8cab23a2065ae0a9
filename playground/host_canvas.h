// The canvas seam implemented with the window/canvas host (Win32 or X11,
// whichever this build has): every operation is the host's operation of the
// same meaning, errors included.
#pragma once

#include "playground/canvas.h"

namespace rava {

class HostCanvas final : public Canvas {
public:
    void OpenWindow(std::string_view title) override;
    void PumpMessages() override;
    bool WindowOpen() override;
    void DestroyAllWindows() override;
    void BeginFrame(int32_t red, int32_t green, int32_t blue) override;
    void EndFrame() override;
    void DrawRect(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) override;
    void DrawRoundedRect(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                         int32_t blue) override;
    void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                        int32_t blue) override;
    void DrawPixels(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                    float destWidth, float destHeight) override;
    int32_t MouseX() override;
    int32_t MouseY() override;
    bool PointerDown(std::string_view button) override;
    bool KeyDown(std::string_view key) override;
    bool KeyPressed(std::string_view key) override;
};

}  // namespace rava
