// The interactive mode in a browser: the same FrameLoop as on the desktop,
// its RunFrame called once per animation frame (the browser's frame callback
// takes the place of the 16 ms wait). The loop ends as on the desktop, then
// the program exits so that the page can say so. With RAVA_WEB_BENCH_FRAMES
// set it also prints the median frame work of that many frames.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <vector>

#include "playground/frame_loop.h"
#include "playground/host_canvas.h"
#include "playground/interactive.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

constexpr int kMaxBenchFrames = 100000;

// Lives for the rest of the page: the browser calls the frame body long
// after RunInteractive has handed control back to it.
struct BrowserLoop {
    BrowserLoop(const std::shared_ptr<ColorFluid>& f, const PixelBufferHandle& p)
        : fluid(f), pixels(p), loop(canvas, *f, *p, SteadyClockMilliseconds) {}

    HostCanvas canvas;
    std::shared_ptr<ColorFluid> fluid;
    PixelBufferHandle pixels;
    FrameLoop loop;
    int benchFrames = 0;
    std::vector<double> frameMs;
};

int BenchFrames() {
    const std::string text = ReadEnvironmentText("RAVA_WEB_BENCH_FRAMES");
    int frames = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), frames);
    if (error != std::errc() || end != text.data() + text.size() || frames < 1) return 0;
    return std::min(frames, kMaxBenchFrames);
}

void ReportBench(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("frame work median %.3f ms (web) over %zu frames, p10 %.3f, p90 %.3f\n", ms[ms.size() / 2], ms.size(),
                ms[ms.size() / 10], ms[ms.size() * 9 / 10]);
    std::fflush(stdout);
}

void End(BrowserLoop& browser, int status) {
    emscripten_cancel_main_loop();
    try {
        browser.canvas.DestroyAllWindows();
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        status = 1;
    }
    std::cout.flush();
    std::cerr.flush();
    emscripten_force_exit(status);
}

void Frame(void* argument) {
    auto& browser = *static_cast<BrowserLoop*>(argument);
    FrameOutcome outcome = FrameOutcome::kContinue;
    const double start = emscripten_get_now();
    try {
        outcome = browser.loop.RunFrame();
    } catch (const std::exception& error) {
        // As main does on the desktop: the message, then status 1.
        std::cerr << error.what() << '\n';
        End(browser, 1);
        return;
    }
    if (outcome != FrameOutcome::kContinue) {
        End(browser, 0);
        return;
    }
    if (static_cast<int>(browser.frameMs.size()) < browser.benchFrames) {
        browser.frameMs.push_back(emscripten_get_now() - start);
        if (static_cast<int>(browser.frameMs.size()) == browser.benchFrames) ReportBench(browser.frameMs);
    }
    browser.loop.FinishFrame();
}

}  // namespace

void RunInteractive(const std::shared_ptr<ColorFluid>& fluid, const PixelBufferHandle& pixels) {
    auto* browser = new BrowserLoop(fluid, pixels);
    browser->benchFrames = BenchFrames();
    browser->frameMs.reserve(static_cast<size_t>(browser->benchFrames));
    browser->loop.Start();
    // 0 frames per second: the browser's animation frames. Does not return.
    emscripten_set_main_loop_arg(Frame, browser, 0, true);
}

}  // namespace rava
