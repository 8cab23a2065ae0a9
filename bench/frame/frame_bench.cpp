// Times the playground's real frame body (controls, Step, Render, overlay,
// EndFrame) on a real canvas window, without the 16 ms wait, and reports the
// median frame work. Baselines from the same run break it down: the drawing
// alone, an empty presented frame, the solver alone, one pointer query and
// a frame of text lines. Usage: bench_frame [frames]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <vector>

#include "playground/color_fluid.h"
#include "playground/frame_loop.h"
#include "playground/overlay.h"
#include "playground/win32_canvas.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> ms) {
    if (ms.empty()) return 0.0;
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double Percentile(std::vector<double> ms, double q) {
    if (ms.empty()) return 0.0;
    std::sort(ms.begin(), ms.end());
    return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5)];
}

// Milliseconds of each of `count` runs of body after `warmup` untimed runs;
// stops early when body reports false (the window went away).
std::vector<double> Time(int warmup, int count, const std::function<bool()>& body) {
    for (int i = 0; i < warmup; ++i) {
        if (!body()) return {};
    }
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool more = body();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!more) break;
    }
    return ms;
}

void Report(const char* name, const std::vector<double>& ms, double baseline) {
    const double median = Median(ms);
    std::printf("%-40s median %8.3f ms  p10 %8.3f  p90 %8.3f  %7.2f x empty frame  (%zu runs)\n", name, median,
                Percentile(ms, 0.1), Percentile(ms, 0.9), baseline > 0.0 ? median / baseline : 0.0, ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    try {
        rava::ColorFluid fluid;
        rava::PixelBuffer pixels(rava::ColorFluid::kCells, 0u);
        rava::Win32Canvas canvas;
        rava::FrameLoop loop(canvas, fluid, pixels, rava::SteadyClockMilliseconds);
        loop.Start();

        const auto frameWork = Time(30, frames, [&] {
            const bool more = loop.RunFrame() == rava::FrameOutcome::kContinue;
            if (more) loop.FinishFrame();
            return more;
        });
        const auto drawing = Time(10, frames, [&] {
            rava::DrawFrame(canvas, fluid, pixels, loop.state);
            return canvas.WindowOpen();
        });
        const auto emptyFrame = Time(10, frames, [&] {
            canvas.PumpMessages();
            canvas.BeginFrame(17, 27, 34);
            canvas.EndFrame();
            return canvas.WindowOpen();
        });
        const auto texts = Time(10, frames, [&] {
            canvas.BeginFrame(17, 27, 34);
            for (int i = 0; i < 20; ++i) rava::DrawLabel(canvas, "DRAG / ADD DYE + MOMENTUM", 737, 286);
            canvas.EndFrame();
            return canvas.WindowOpen();
        });
        const auto pointer = Time(10, frames, [&] {
            canvas.MouseX();
            return true;
        });
        rava::ColorFluid solverOnly = fluid;
        const auto solver = Time(10, frames, [&] {
            solverOnly.Step(0.016f);
            solverOnly.Render(pixels, 0.8f, true);
            return true;
        });
        canvas.DestroyAllWindows();
        if (frameWork.size() < static_cast<size_t>(frames) || emptyFrame.size() < static_cast<size_t>(frames)) {
            std::fprintf(stderr, "bench_frame: the window closed during the run\n");
            return 1;
        }

        const double empty = Median(emptyFrame);
        Report("frame work (whole frame body)", frameWork, empty);
        Report("  drawing only (Render, overlay, EndFrame)", drawing, empty);
        Report("  empty presented frame (baseline)", emptyFrame, empty);
        Report("  frame of 20 overlay labels", texts, empty);
        Report("  one MouseX query", pointer, empty);
        Report("  Step + Render, no window", solver, empty);
        const double work = Median(frameWork);
        std::printf("frame work median %.3f ms (%.2f x the empty frame); target <= 4 ms: %s\n", work, work / empty,
                    work <= 4.0 ? "met" : "missed");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
