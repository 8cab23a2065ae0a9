// host_hello: one canvas window with a rounded rectangle, styled text and a
// small block of pixels, redrawn about 60 times a second until Escape is
// pressed or the window is closed. A failure (no display, no OpenGL) prints
// the host's message and exits with 1.
#include <rava/host/host.h>

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

// Draws frames until Escape or until the user closes the window. `opened`
// tells the caller whether a window ever opened.
void Run(bool& opened) {
    const std::vector<uint32_t> pixels = Checkerboard();
    rava::OpenCanvasWindow("Hello from the rava host");  // 1000 x 700 client area
    opened = true;
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
        if (rava::KeyPressed("escape")) return;
        rava::CancellableSleepMilliseconds(16);
    }
}

}  // namespace

int main() {
    bool opened = false;
    try {
        Run(opened);
    } catch (const rava::rill_runtime_exception& error) {
        // The host pumps messages inside its calls, so a user's close can land
        // in the middle of a frame; the next call then finds no window. That
        // reads as a close only after a window had opened: before that (no
        // display, no OpenGL) or with the window still open it is a failure.
        if (!opened || rava::CurrentCanvasWindowOpen()) {
            std::fprintf(stderr, "%s\n", error.what());
            rava::DestroyAllCanvasWindows();
            return 1;
        }
    }
    rava::DestroyAllCanvasWindows();
    return 0;
}
