// host_hello: one canvas window with a rounded rectangle, styled text and a
// small block of pixels, redrawn about 60 times a second until Escape is
// pressed or the window is closed. Host failures print their message.
#include <rava/host/host.h>
#include <rava/runtime/runtime.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// An 8 x 8 checkerboard of two colours, 0xAARRGGBB, row 0 at the top.
std::vector<uint32_t> Checkerboard() {
    std::vector<uint32_t> pixels(64);
    for (int32_t i = 0; i < 64; ++i) pixels[i] = ((i / 8 + i % 8) % 2) ? 0xFFF2A03Du : 0xFF2D6CDFu;
    return pixels;
}

// Draws frames until Escape; returns when the window goes away.
void Run() {
    const std::vector<uint32_t> pixels = Checkerboard();
    rava::OpenCanvasWindow("Hello from the rava host");
    while (true) {
        rava::PumpWindowMessages();
        if (!rava::CurrentCanvasWindowOpen()) return;  // closed by the user
        rava::BeginFrame(24, 26, 32);
        rava::DrawRoundedRectRgba(60, 60, 400, 160, 18, 52, 58, 74);
        rava::DrawTextStyled("Hello, canvas", 90, 90, 330, 240, 240, 245);
        rava::DrawText("Escape or close the window to quit", 90, 150, 4, 170, 175, 190);
        // Nearest sampling: each source pixel becomes a 20 x 20 square.
        rava::DrawPixelsBgra8(pixels, 8, 8, 520, 60, 160, 160);
        rava::EndFrame();
        if (rava::KeyPressed("escape")) break;
        rava::CancellableSleepMilliseconds(16);
    }
    rava::DestroyAllCanvasWindows();
}

}  // namespace

int main() {
    try {
        Run();
        return 0;
    } catch (const rava::rill_runtime_exception& error) {
        // The host pumps messages inside its queries, so a close can land in
        // the middle of a frame; the next drawing call then finds no window.
        if (!rava::CurrentCanvasWindowOpen()) return 0;
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
