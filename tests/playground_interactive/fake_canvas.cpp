// Recording fake canvas, logging solver and hand-driven clock for the
// playground's native tests.
#include "fake_canvas.h"

#include <cctype>
#include <cstdio>

#include "runtime/runtime.h"

namespace rava::testing {
namespace {

std::string Rgb(int32_t r, int32_t g, int32_t b) {
    return " (" + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) + ")";
}

}  // namespace

std::string Num(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::vector<std::string> FakeCanvas::LastFrame() const {
    size_t begin = log.size();
    for (size_t i = log.size(); i-- > 0;) {
        if (log[i].rfind("BeginFrame", 0) == 0) {
            begin = i;
            break;
        }
    }
    std::vector<std::string> frame;
    for (size_t i = begin; i < log.size(); ++i) {
        if (log[i].rfind("Splat", 0) == 0 || log[i].rfind("Step", 0) == 0 || log[i] == "Clock") continue;
        frame.push_back(log[i]);
        if (log[i] == "EndFrame") break;
    }
    return frame;
}

std::vector<std::string> FakeCanvas::Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& entry : log) {
        if (entry.rfind(prefix, 0) == 0) out.push_back(entry);
    }
    return out;
}

std::string FakeCanvas::Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

void FakeCanvas::RequireOpen(const char* operation) const {
    CheckCanvasCondition(open, std::string("window/canvas runtime window is not open for ") + operation);
}

void FakeCanvas::OpenWindow(std::string_view title) {
    log.push_back("OpenWindow " + std::string(title));
    CheckCanvasCondition(!failOpen, "failed to create window/canvas window");
    open = true;
}

void FakeCanvas::BeginFrame(int32_t red, int32_t green, int32_t blue) {
    RequireOpen("BeginFrame");
    log.push_back("BeginFrame" + Rgb(red, green, blue));
}

void FakeCanvas::DrawRect(float x, float y, float width, float height, int32_t red, int32_t green, int32_t blue) {
    log.push_back("Rect " + Num(x) + " " + Num(y) + " " + Num(width) + "x" + Num(height) + Rgb(red, green, blue));
}

void FakeCanvas::DrawRoundedRect(float x, float y, float width, float height, float radius, int32_t red, int32_t green,
                                 int32_t blue) {
    log.push_back("RoundedRect " + Num(x) + " " + Num(y) + " " + Num(width) + "x" + Num(height) + " r" + Num(radius) +
                  Rgb(red, green, blue));
}

void FakeCanvas::DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t red, int32_t green,
                                int32_t blue) {
    log.push_back("Text \"" + std::string(text) + "\" " + Num(x) + " " + Num(y) + " size " + std::to_string(sizeCode) +
                  Rgb(red, green, blue));
}

void FakeCanvas::DrawPixels(std::span<const uint32_t> pixels, int32_t width, int32_t height, float destX, float destY,
                            float destWidth, float destHeight) {
    CheckCanvasCondition(!failPixels, "failed to upload window/canvas pixels");
    log.push_back("Pixels " + std::to_string(pixels.size()) + " " + std::to_string(width) + "x" +
                  std::to_string(height) + " -> " + Num(destX) + " " + Num(destY) + " " + Num(destWidth) + "x" +
                  Num(destHeight));
}

bool FakeCanvas::KeyPressed(std::string_view key) {
    auto it = presses.find(Lower(key));
    if (!open || it == presses.end() || it->second == 0) return false;
    --it->second;
    return true;
}

std::ostream& operator<<(std::ostream& out, const SplatCall& s) {
    return out << "Splat at " << Num(s.x) << "," << Num(s.y) << " momentum " << Num(s.dvx) << "," << Num(s.dvy)
               << " dye " << Num(s.r) << "," << Num(s.g) << "," << Num(s.b);
}

void RecordingFluid::Splat(float x, float y, float dvx, float dvy, float r, float g, float b) {
    splats.push_back({x, y, dvx, dvy, r, g, b});
    if (log_) log_->push_back("Splat " + Num(x) + " " + Num(y));
    ColorFluid::Splat(x, y, dvx, dvy, r, g, b);
}

void RecordingFluid::Step(float dt) {
    steps.push_back(dt);
    if (log_) log_->push_back("Step " + Num(dt));
    if (!freezeSteps) ColorFluid::Step(dt);
}

FrameOutcome Rig::Frame() {
    const FrameOutcome outcome = loop.RunFrame();
    if (outcome == FrameOutcome::kContinue) {
        clock.now += frameMilliseconds;
        loop.FinishFrame();
    }
    return outcome;
}

}  // namespace rava::testing
