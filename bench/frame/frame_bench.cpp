// Times the playground's real frame body (controls, Step, Render, overlay,
// EndFrame) on a real canvas window of whichever host this tree builds
// (Win32 or X11), without the 16 ms wait, and reports the
// median frame work. Baselines from the same run break it down: the drawing
// alone, an empty presented frame, the solver alone, single host calls, a
// frame of text lines, and the frame body's host traffic without any drawing
// (every pump and input query it makes, nothing else). Usage: bench_frame [frames]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <vector>

#include "host/host.h"
#include "playground/color_fluid.h"
#include "playground/frame_loop.h"
#include "playground/host_canvas.h"
#include "playground/overlay.h"

namespace {

// Makes exactly the host calls the frame body would make, minus the drawing:
// each primitive only pumps (its first step in the host), queries go to the
// host. Counts what one frame asks of the host.
class HostTrafficCanvas final : public rava::Canvas {
public:
    explicit HostTrafficCanvas(rava::HostCanvas& host) : host_(host) {}

    void OpenWindow(std::string_view title) override { host_.OpenWindow(title); }
    void PumpMessages() override { Pump(); }
    bool WindowOpen() override { return host_.WindowOpen(); }
    void DestroyAllWindows() override { host_.DestroyAllWindows(); }
    void BeginFrame(int32_t, int32_t, int32_t) override { Pump(); }
    void EndFrame() override { Pump(); }
    void DrawRect(float, float, float, float, int32_t, int32_t, int32_t) override { Pump(); }
    void DrawRoundedRect(float, float, float, float, float, int32_t, int32_t, int32_t) override { Pump(); }
    void DrawTextStyled(std::string_view, float, float, int32_t, int32_t, int32_t, int32_t) override { Pump(); }
    void DrawPixels(std::span<const uint32_t>, int32_t, int32_t, float, float, float, float) override { Pump(); }
    int32_t MouseX() override { return PointerRead(host_.MouseX()); }
    int32_t MouseY() override { return PointerRead(host_.MouseY()); }
    bool PointerDown(std::string_view button) override { return KeyQuery(host_.PointerDown(button)); }
    bool KeyDown(std::string_view key) override { return KeyQuery(host_.KeyDown(key)); }
    bool KeyPressed(std::string_view key) override {
        ++pumps;
        return KeyQuery(host_.KeyPressed(key));
    }

    int64_t pumps = 0;
    int64_t pointerReads = 0;
    int64_t keyQueries = 0;

private:
    void Pump() {
        ++pumps;
        rava::PumpWindowMessages();
    }
    int32_t PointerRead(int32_t value) {
        ++pumps;
        ++pointerReads;
        return value;
    }
    bool KeyQuery(bool value) {
        ++keyQueries;
        return value;
    }

    rava::HostCanvas& host_;
};

using Clock = std::chrono::steady_clock;

#ifdef _WIN32
constexpr const char* kBackend = "win32";
constexpr double kTargetMs = 4.0;
#else
constexpr const char* kBackend = "x11";
constexpr double kTargetMs = 2.0;
#endif

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
        rava::HostCanvas canvas;
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
        const auto pump = Time(10, frames, [&] {
            rava::PumpWindowMessages();
            return true;
        });
        HostTrafficCanvas traffic(canvas);
        rava::FrameLoop trafficLoop(traffic, fluid, pixels, rava::SteadyClockMilliseconds);
        trafficLoop.state = loop.state;
        const auto hostTraffic = Time(10, frames, [&] {
            const bool more = trafficLoop.RunFrame() == rava::FrameOutcome::kContinue;
            if (more) trafficLoop.FinishFrame();
            return more;
        });
        const double trafficFrames = static_cast<double>(10 + hostTraffic.size());
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
        Report("  one PumpWindowMessages, empty queue", pump, empty);
        Report("  frame body with each draw only pumping", hostTraffic, empty);
        Report("  Step + Render, no window", solver, empty);
        std::printf("host calls per frame: %.1f pumps, %.1f pointer reads, %.1f key and button queries\n",
                    static_cast<double>(traffic.pumps) / trafficFrames,
                    static_cast<double>(traffic.pointerReads) / trafficFrames,
                    static_cast<double>(traffic.keyQueries) / trafficFrames);
        const double work = Median(frameWork);
        std::printf("frame work median %.3f ms (%s)\n", work, kBackend);
        std::printf("%.2f x the empty frame; target <= %.0f ms: %s\n", work / empty, kTargetMs,
                    work <= kTargetMs ? "met" : "missed");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
