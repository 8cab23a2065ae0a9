// Long run of the playground: the interactive frame body 200,000 times (or
// RAVA_LONG_RUN_FRAMES) on a recording canvas, fountains on, with a scripted
// random pointer. Checks every field for NaN and infinity and the dye for its
// clamp after each frame, follows resident memory after warm-up, and compares
// the median work per frame at the end with frames 10,000-20,000, both in the
// run and replayed side by side. A separate program (not a *_bench one) since
// it takes minutes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "playground/canvas.h"
#include "playground/frame_loop.h"
#include "playground/interaction.h"

namespace {

// Records each frame's calls (kind and one number each) and keeps a running
// checksum of the pixels it is given, so the drawing work is not optimised
// away; the record is emptied at each BeginFrame.
class RecordingCanvas : public rava::Canvas {
public:
    struct Call {
        char kind;
        float value;
    };
    std::vector<Call> frame;
    uint64_t pixelSum = 0;
    int32_t mouseX = 0, mouseY = 0;
    bool down = false;

    void OpenWindow(std::string_view) override { open_ = true; }
    void PumpMessages() override {}
    bool WindowOpen() override { return open_; }
    void DestroyAllWindows() override { open_ = false; }
    void BeginFrame(int32_t red, int32_t, int32_t) override {
        frame.clear();
        frame.push_back({'B', static_cast<float>(red)});
    }
    void EndFrame() override { frame.push_back({'E', 0}); }
    void DrawRect(float x, float, float, float, int32_t, int32_t, int32_t) override { frame.push_back({'R', x}); }
    void DrawRoundedRect(float x, float, float, float, float, int32_t, int32_t, int32_t) override {
        frame.push_back({'O', x});
    }
    void DrawTextStyled(std::string_view text, float x, float, int32_t, int32_t, int32_t, int32_t) override {
        frame.push_back({'T', x + static_cast<float>(text.size())});
    }
    void DrawPixels(std::span<const uint32_t> pixels, int32_t, int32_t, float, float, float, float) override {
        for (uint32_t p : pixels) pixelSum += p;
        frame.push_back({'P', static_cast<float>(pixels.size())});
    }
    int32_t MouseX() override { return mouseX; }
    int32_t MouseY() override { return mouseY; }
    bool PointerDown(std::string_view) override { return down; }
    bool KeyDown(std::string_view) override { return false; }
    bool KeyPressed(std::string_view) override { return false; }

private:
    bool open_ = false;
};

double ThreadMicroseconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Resident set size in bytes, from /proc/self/statm.
long ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * 4096;
}

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The scripted pointer: drags of random length to random points of the
// fluid view (the controls below it are never clicked, so the fountains stay
// on), with pauses between them.
struct Pointer {
    std::mt19937 rng{20261208};
    int framesLeft = 0;
    int targetX = 0, targetY = 0;

    void Move(RecordingCanvas& canvas) {
        const rava::ScreenRect& view = rava::kFluidView;
        if (framesLeft-- <= 0) {
            framesLeft = std::uniform_int_distribution<int>(1, 90)(rng);
            targetX = std::uniform_int_distribution<int>(view.x - 30, view.x + view.width - 1)(rng);
            targetY = std::uniform_int_distribution<int>(view.y - 60, view.y + view.height - 1)(rng);
            canvas.down = std::uniform_int_distribution<int>(0, 2)(rng) != 0;
        }
        canvas.mouseX += (targetX - canvas.mouseX) / 4;
        canvas.mouseY += (targetY - canvas.mouseY) / 4;
    }
};

struct FieldCheck {
    long nonFinite = 0;
    long dyeOutside = 0;
    void Run(const rava::ColorFluid& f) {
        for (const auto* field : {&f.velocityX, &f.velocityY, &f.dyeRed, &f.dyeGreen, &f.dyeBlue})
            for (float v : *field) nonFinite += !std::isfinite(v);
        for (const auto* field : {&f.dyeRed, &f.dyeGreen, &f.dyeBlue})
            for (float v : *field) dyeOutside += !(v >= 0.0f && v <= 12.0f);
    }
};

// One playground session: the canvas, the field, the clock and the scripted
// pointer. A session copied into another continues exactly as the original
// would (the loop's per-frame values are all set by RunFrame).
struct Session {
    RecordingCanvas canvas;
    rava::ColorFluid fluid;
    rava::PixelBuffer pixels = rava::PixelBuffer(rava::ColorFluid::kCells, 0u);
    int64_t now = 1000;
    std::mt19937 frameTimes{7};
    Pointer pointer;
    rava::FrameLoop loop{canvas, fluid, pixels, [this] { return now; }};

    Session() = default;
    Session(const Session&) = delete;
    void CopyFrom(const Session& other) {
        canvas = other.canvas;
        fluid = other.fluid;
        pixels = other.pixels;
        now = other.now;
        frameTimes = other.frameTimes;
        pointer = other.pointer;
        loop.state = other.loop.state;
    }
    // One frame; its work in microseconds of this thread, or -1 when the loop ended.
    double Frame() {
        pointer.Move(canvas);
        const double t0 = ThreadMicroseconds();
        const rava::FrameOutcome outcome = loop.RunFrame();
        now += std::uniform_int_distribution<int>(8, 45)(frameTimes);
        loop.FinishFrame();
        const double work = ThreadMicroseconds() - t0;
        return outcome == rava::FrameOutcome::kContinue ? work : -1.0;
    }
};

bool SameField(const rava::ColorFluid& a, const rava::ColorFluid& b) {
    return a.velocityX == b.velocityX && a.velocityY == b.velocityY && a.dyeRed == b.dyeRed &&
           a.dyeGreen == b.dyeGreen && a.dyeBlue == b.dyeBlue;
}

void BM_LongRun(benchmark::State& state) {
    const char* env = std::getenv("RAVA_LONG_RUN_FRAMES");
    const int frames = env ? std::max(30000, std::atoi(env)) : 200000;
    constexpr int kEarly = 10000, kWarmUp = 20000, kTail = 10000;
    for (auto _ : state) {
        Session run;
        run.loop.Start();
        FieldCheck check;
        std::vector<double> work(static_cast<size_t>(frames));
        // The sessions as they stood before frame 10,000 and before the last
        // 10,000 frames, and the fields those stretches ended with.
        auto earlyStart = std::make_unique<Session>(), lateStart = std::make_unique<Session>();
        rava::ColorFluid earlyEnd;
        long residentAtWarmUp = 0, residentMax = 0;
        for (int n = 0; n < frames; ++n) {
            if (n == kEarly) earlyStart->CopyFrom(run);
            if (n == frames - kTail) lateStart->CopyFrom(run);
            work[static_cast<size_t>(n)] = run.Frame();
            if (work[static_cast<size_t>(n)] < 0) {
                state.SkipWithError("the frame loop ended early");
                return;
            }
            check.Run(run.fluid);
            if (n == kWarmUp - 1) earlyEnd = run.fluid;
            if (n == kWarmUp) residentAtWarmUp = ResidentBytes();
            if (n > kWarmUp && n % 1000 == 0) residentMax = std::max(residentMax, ResidentBytes());
        }
        const double early = Median(std::vector<double>(work.begin() + kEarly, work.begin() + kWarmUp));
        const double late = Median(std::vector<double>(work.end() - kTail, work.end()));
        // The same two stretches again, one frame of each in turn: the load of
        // a shared machine drifts over a run of minutes, and alternating puts
        // the same drift on both. The replays must end on the fields the run
        // reached, or they were not the same work.
        std::vector<double> earlyAgain(kTail), lateAgain(kTail);
        for (int n = 0; n < kTail; ++n) {
            earlyAgain[static_cast<size_t>(n)] = earlyStart->Frame();
            lateAgain[static_cast<size_t>(n)] = lateStart->Frame();
        }
        if (!SameField(earlyStart->fluid, earlyEnd) || !SameField(lateStart->fluid, run.fluid)) {
            state.SkipWithError("a replayed stretch did not repeat the run");
            return;
        }
        const double paired = Median(lateAgain) / Median(earlyAgain);
        state.counters["frames"] = frames;
        state.counters["nonFiniteValues"] = static_cast<double>(check.nonFinite);
        state.counters["dyeOutsideClamp"] = static_cast<double>(check.dyeOutside);
        state.counters["residentGrowthKiB"] = static_cast<double>(residentMax - residentAtWarmUp) / 1024.0;
        state.counters["earlyMedianUs"] = early;
        state.counters["lateMedianUs"] = late;
        state.counters["lateOverEarly"] = late / early;
        state.counters["lateOverEarlyPaired"] = paired;
        std::printf(
            "frames %d: non-finite values %ld, dye outside [0, 12] %ld, resident growth after warm-up %.0f KiB "
            "(limit 1024), median work per frame %.1f us at 10k-20k, %.1f us in the last 10k (%.3fx in the run); "
            "replayed in turn %.1f / %.1f us: %.3fx (target <= 1.1x); simulated time %.0f s, pixel checksum %llx\n",
            frames, check.nonFinite, check.dyeOutside, static_cast<double>(residentMax - residentAtWarmUp) / 1024.0,
            early, late, late / early, Median(earlyAgain), Median(lateAgain), paired,
            static_cast<double>(run.loop.state.simTime), static_cast<unsigned long long>(run.canvas.pixelSum));
        if (check.nonFinite != 0 || check.dyeOutside != 0) state.SkipWithError("a field left its range");
    }
}
BENCHMARK(BM_LongRun)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
