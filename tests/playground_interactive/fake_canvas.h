// Recording fake of the playground's canvas and a solver that logs its
// splats and steps into the same event list, plus a hand-driven clock, so a
// test sees every host call and solver call of a frame in order.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "playground/canvas.h"
#include "playground/color_fluid.h"
#include "playground/frame_loop.h"

namespace rava::testing {

std::string Num(float value);  // shortest decimal text of a float

class FakeCanvas : public Canvas {
public:
    // Window operations, drawing calls, and (from RecordingFluid) solver calls.
    std::vector<std::string> log;

    bool open = false;
    bool failOpen = false;
    bool failPixels = false;  // DrawPixels raises although the window is open
    int32_t mouseX = -1, mouseY = -1;
    bool leftDown = false;
    std::set<std::string> held;          // lower-case key names held now
    std::map<std::string, int> presses;  // lower-case key name -> pending presses
    std::function<void()> onMouseQuery;  // runs at the start of MouseX and MouseY
    int pumps = 0;

    void Press(const std::string& key, int times = 1) { presses[key] += times; }
    // The calls from the last BeginFrame through its EndFrame.
    std::vector<std::string> LastFrame() const;
    // Only the entries that start with prefix, in order.
    std::vector<std::string> Calls(const std::string& prefix) const;

    void OpenWindow(std::string_view title) override;
    void PumpMessages() override {
        ++pumps;
        log.push_back("Pump");
    }
    bool WindowOpen() override { return open; }
    void DestroyAllWindows() override {
        log.push_back("DestroyAllWindows");
        open = false;
    }
    void BeginFrame(int32_t red, int32_t green, int32_t blue) override;
    void EndFrame() override {
        RequireOpen("EndFrame");
        log.push_back("EndFrame");
    }
    void DrawRect(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) override;
    void DrawRoundedRect(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                         int32_t blue) override;
    void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                        int32_t blue) override;
    void DrawPixels(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                    float destWidth, float destHeight) override;
    int32_t MouseX() override { return MouseQuery("MouseX", mouseX); }
    int32_t MouseY() override { return MouseQuery("MouseY", mouseY); }
    bool PointerDown(std::string_view button) override { return open && Lower(button) == "left" && leftDown; }
    bool KeyDown(std::string_view key) override { return open && held.count(Lower(key)) > 0; }
    bool KeyPressed(std::string_view key) override;

private:
    static std::string Lower(std::string_view text);
    void RequireOpen(const char* operation) const;
    int32_t MouseQuery(const char* operation, int32_t value) {
        if (onMouseQuery) onMouseQuery();
        RequireOpen(operation);
        return value;
    }
};

struct SplatCall {
    float x, y, dvx, dvy, r, g, b;
    bool operator==(const SplatCall&) const = default;
};
std::ostream& operator<<(std::ostream& out, const SplatCall& s);

class RecordingFluid : public ColorFluid {
public:
    explicit RecordingFluid(std::vector<std::string>* log = nullptr) : log_(log) {}
    std::vector<SplatCall> splats;
    std::vector<float> steps;
    int resets = 0;
    bool freezeSteps = false;  // record Step without advancing the field

    void Splat(float x, float y, float dvx, float dvy, float r, float g, float b) override;
    void Step(float dt) override;
    void Reset() override {
        ++resets;
        ColorFluid::Reset();
    }

private:
    std::vector<std::string>* log_;
};

// A clock the test moves by hand; each read is logged when a log is given.
struct FakeClock {
    int64_t now = 1000;
    std::vector<std::string>* log = nullptr;
    MillisecondClock Reader() {
        return [this] {
            if (log) log->push_back("Clock");
            return now;
        };
    }
};

// A loop on the fake (started unless asked not to) whose clock reads are
// logged and which advances 40 ms per frame.
struct Rig {
    FakeCanvas canvas;
    RecordingFluid fluid{&canvas.log};
    PixelBuffer pixels = PixelBuffer(ColorFluid::kCells, 0u);
    FakeClock clock;
    FrameLoop loop{canvas, fluid, pixels, clock.Reader()};
    int64_t frameMilliseconds = 40;

    explicit Rig(int64_t startMilliseconds = 1000, bool start = true) {
        clock.now = startMilliseconds;
        clock.log = &canvas.log;
        if (start) loop.Start();
    }
    // Runs one whole frame (wait included) and returns its outcome.
    FrameOutcome Frame();
    void Frames(int count) {
        for (int i = 0; i < count; ++i) Frame();
    }
    // One frame with the pointer at (x, y) and the left button as given.
    FrameOutcome FrameAt(int32_t x, int32_t y, bool down) {
        canvas.mouseX = x;
        canvas.mouseY = y;
        canvas.leftDown = down;
        return Frame();
    }
};

}  // namespace rava::testing
