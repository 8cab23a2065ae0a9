// Draws a representative canvas frame (background, rectangles, rounded
// rectangles, the three text sizes, a stretched pixel block) until the stop
// file named by the first argument exists or 60 s pass (a second argument
// "translucent" presents through a layered window). Prints
// "ready X Y" with the client area's screen origin once the frame is shown.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/win32/canvas_window.h"

namespace {

std::vector<uint32_t> QuadrantBlock() {
    std::vector<uint32_t> block(96 * 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 96; ++x) {
            const bool right = x >= 48;
            const bool bottom = y >= 32;
            uint32_t c = !bottom ? (right ? 0x00F03C28u : 0x0032C864u) : (right ? 0x00E6D232u : 0x00286EF0u);
            block[y * 96 + x] = 0xFF000000u | c;
        }
    }
    return block;
}

void DrawDemoFrame(const std::vector<uint32_t>& block) {
    rava::BeginFrame(17, 27, 34);
    rava::DrawRectRgba(40, 40, 200, 80, 200, 60, 40);
    rava::DrawRoundedRectRgba(300, 40, 200, 80, 16, 60, 180, 140);
    rava::DrawRoundedRectRgba(560, 40, 120, 44, 10, 43, 47, 54);
    rava::DrawTextStyled("Small label 150", 40, 150, 150, 139, 169, 169);
    rava::DrawTextStyled("Heading 250", 40, 180, 250, 221, 233, 230);
    rava::DrawTextStyled("Title 330", 40, 220, 330, 221, 233, 230);
    rava::DrawPixelsBgra8(block, 96, 64, 300, 230, 672, 448);
    rava::EndFrame();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: canvas_demo STOPFILE\n");
        return 2;
    }
    try {
        rava::CanvasOpenOptions options;
        options.translucent = argc > 2 && std::string(argv[2]) == "translucent";
        rava::OpenCanvasWindow("canvas demo", options);
        const std::vector<uint32_t> block = QuadrantBlock();
        const rava::CanvasWindow* window = rava::FindCanvasWindowById(rava::CanvasRegistry().currentId);
        bool announced = false;
        for (int frame = 0; frame < 1200 && rava::CurrentCanvasWindowOpen(); ++frame) {
            DrawDemoFrame(block);
            if (!announced && frame >= 5) {
                POINT origin = {0, 0};
                ClientToScreen(window->hwnd, &origin);
                std::printf("ready %ld %ld\n", origin.x, origin.y);
                std::fflush(stdout);
                announced = true;
            }
            if (GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES) break;
            Sleep(50);
        }
        rava::DestroyAllCanvasWindows();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
