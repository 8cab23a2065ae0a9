// The heads-up overlay and the frame's drawing order. Button rectangles come
// from the interaction's geometry so that what is drawn is what is hit-tested.
#include "playground/overlay.h"

#include <cmath>

#include "playground/interaction.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

constexpr int32_t kBackground[3] = {17, 27, 34};
constexpr int32_t kLabelColor[3] = {139, 169, 169};
constexpr int32_t kHeadingColor[3] = {221, 233, 230};
constexpr float kColumnX = 737.0f;
constexpr int32_t kSwatchX = 784;
constexpr int32_t kSwatchY = 649;
constexpr int32_t kSwatchRadius = 13;

// Nearest integer, halves away from zero; NaN and out-of-range give 0 so a
// corrupt value can never reach an undefined conversion.
int64_t RoundHalfAway(float value) {
    if (!(std::fabs(value) < 1.0e15f)) return 0;
    return std::llround(value);
}

void DrawRightColumn(Canvas& canvas, float exposure) {
    DrawHeading(canvas, "Liquid light.", kColumnX, 186, 145);
    DrawHeading(canvas, "Color without limits.", kColumnX, 223, 145);
    DrawLabel(canvas, "DRAG / ADD DYE + MOMENTUM", kColumnX, 286);
    DrawLabel(canvas, "SPACE / PAUSE", kColumnX, 324);
    DrawLabel(canvas, "C / CHANGE COLOR", kColumnX, 360);
    DrawLabel(canvas, "A / AUTOMATIC FOUNTAINS", kColumnX, 396);
    DrawLabel(canvas, "HDR radiance / SDR tone map", kColumnX, 471);
    DrawLabel(canvas, ExposureLine(exposure), kColumnX, 502);
    DrawLabel(canvas, "B / toggle soft bloom", kColumnX, 533);
    DrawLabel(canvas, "96 x 64 / real fluid flow", kColumnX, 564);
}

void DrawButtons(Canvas& canvas, const LoopState& state) {
    DrawButton(canvas, state.paused ? "Resume / Space" : "Pause / Space", kPauseButton.x, kPauseButton.width, true);
    DrawButton(canvas, "Clear / R", kClearButton.x, kClearButton.width, false);
    DrawButton(canvas, state.fountainsOn ? "Fountains: on / A" : "Fountains: off / A", kFountainsButton.x,
               kFountainsButton.width, false);
    DrawButton(canvas, "Color / C", kColorButton.x, kColorButton.width, false);
}

}  // namespace

void DrawLabel(Canvas& canvas, std::string_view text, float x, float y) {
    canvas.DrawTextStyled(text, x, y, 150, kLabelColor[0], kLabelColor[1], kLabelColor[2]);
}

void DrawHeading(Canvas& canvas, std::string_view text, float x, float y, int32_t widthClass) {
    canvas.DrawTextStyled(text, x, y, widthClass < 150 ? 250 : 330, kHeadingColor[0], kHeadingColor[1],
                          kHeadingColor[2]);
}

void DrawButton(Canvas& canvas, std::string_view text, int32_t x, int32_t width, bool accent) {
    const int32_t y = kPauseButton.y;
    const int32_t height = kPauseButton.height;
    const int32_t h = PointerInRect(canvas, x, y, width, height) ? 0 : 1;
    const int32_t a = accent ? 0 : 1;
    canvas.DrawRoundedRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                           static_cast<float>(height), 10.0f, 60 - 12 * h - 11 * a, 128 - 12 * h - 63 * a,
                           108 - 12 * h - 38 * a);
    DrawHeading(canvas, text, static_cast<float>(x) + 15.0f, 638.0f, 100);
}

void DrawSwatch(Canvas& canvas, int32_t red, int32_t green, int32_t blue) {
    for (int32_t y = kSwatchY - kSwatchRadius; y <= kSwatchY + kSwatchRadius; ++y) {
        const int32_t dy = y - kSwatchY;
        const auto d = static_cast<int32_t>(std::lround(std::sqrt(static_cast<double>(169 - dy * dy))));
        canvas.DrawRect(static_cast<float>(kSwatchX - d), static_cast<float>(y), static_cast<float>(2 * d + 1), 1.0f,
                        red, green, blue);
    }
}

std::string ExposureLine(float exposure) {
    return Format("Exposure: {0} / Up + Down", {RoundHalfAway(100.0f * exposure)});
}

void DrawFrame(Canvas& canvas, ColorFluid& fluid, PixelBuffer& pixels, const LoopState& state) {
    canvas.BeginFrame(kBackground[0], kBackground[1], kBackground[2]);
    DrawLabel(canvas, "RAVA / OPEN SOURCE PLAYGROUND", 34, 25);
    DrawHeading(canvas, "Rovovavev", 34, 57, 210);
    DrawLabel(canvas, "Paint with motion. Let color find its own way.", 36, 111);

    fluid.Render(pixels, state.exposure, state.bloomOn);
    canvas.DrawPixels(pixels, ColorFluid::kWidth, ColorFluid::kHeight, static_cast<float>(kFluidView.x),
                      static_cast<float>(kFluidView.y), static_cast<float>(kFluidView.width),
                      static_cast<float>(kFluidView.height));

    DrawRightColumn(canvas, state.exposure);
    DrawButtons(canvas, state);

    DrawSwatch(canvas, 236, 93, 168);
    if (state.colorIndex == 1) DrawSwatch(canvas, 80, 207, 237);
    if (state.colorIndex == 2) DrawSwatch(canvas, 244, 196, 66);
    canvas.EndFrame();
}

}  // namespace rava
