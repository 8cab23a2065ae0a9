// Process entry of the fluid playground: makes the solver and the pixel
// buffer, picks the self-test or the interactive mode, and turns escaped
// runtime errors into a message and exit status 1.
#include <exception>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#endif
#include <iostream>
#include <memory>

#include "playground/color_fluid.h"
#include "playground/interactive.h"
#include "playground/self_test.h"
#include "runtime/runtime.h"

int main() {
#ifdef _WIN32
    // NOTE: text-mode consoles would turn each line feed into CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    try {
        auto pixels = std::make_shared<rava::PixelBuffer>();
        auto fluid = std::make_shared<rava::ColorFluid>();
        pixels->resize(rava::ColorFluid::kCells, 0u);
        if (rava::ReadEnvironmentText("RAVA_EXAMPLE_TEST") == "1") rava::RunSelfTestAndExit(*fluid, *pixels);
        rava::RunInteractive(fluid, pixels);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
