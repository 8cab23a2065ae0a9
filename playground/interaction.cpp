// Controls, fountains and pointer painting. Pointer arithmetic runs in 64
// bits: positions come from outside the program and may be far off-window.
#include "playground/interaction.h"

#include "runtime/runtime.h"

namespace rava {
namespace {

constexpr DyeColor kPalette[3] = {{0.9f, 0.1f, 0.5f}, {0.1f, 0.8f, 0.95f}, {0.95f, 0.65f, 0.05f}};
constexpr float kMinExposure = 0.15f;
constexpr float kMaxExposure = 3.0f;

bool Clicked(Canvas& canvas, const FrameInput& input, const ScreenRect& button) {
    return input.click && PointerInRect(canvas, button);
}

// Pixels to cells; the difference is exact in 64 bits before it meets float.
float PixelsToCells(int64_t pixels) { return static_cast<float>(pixels) / static_cast<float>(kPixelsPerCell); }

}  // namespace

DyeColor PaletteDye(int32_t colorIndex) {
    if (colorIndex < 0 || colorIndex > 2) return kPalette[0];
    return kPalette[colorIndex];
}

bool PointerInRect(Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height) {
    return canvas.MouseX() >= x && int64_t{canvas.MouseX()} < int64_t{x} + width && canvas.MouseY() >= y &&
           int64_t{canvas.MouseY()} < int64_t{y} + height;
}

bool PointerInRect(Canvas& canvas, const ScreenRect& rect) {
    return PointerInRect(canvas, rect.x, rect.y, rect.width, rect.height);
}

void ApplyControls(Canvas& canvas, ColorFluid& fluid, LoopState& state, const FrameInput& input) {
    // A key press and a click in the same frame toggle once: the click is
    // not even looked at once the key answered.
    if (canvas.KeyPressed("SPACE") || Clicked(canvas, input, kPauseButton)) state.paused = !state.paused;
    if (canvas.KeyPressed("R") || Clicked(canvas, input, kClearButton)) fluid.Reset();
    if (canvas.KeyPressed("A") || Clicked(canvas, input, kFountainsButton)) state.fountainsOn = !state.fountainsOn;
    if (canvas.KeyPressed("C") || Clicked(canvas, input, kColorButton)) {
        state.colorIndex = state.colorIndex >= 2 || state.colorIndex < 0 ? 0 : state.colorIndex + 1;
    }
    if (canvas.KeyPressed("B")) state.bloomOn = !state.bloomOn;
    if (canvas.KeyDown("UP")) state.exposure = state.exposure + input.dt;
    if (canvas.KeyDown("DOWN")) state.exposure = state.exposure - input.dt;
    state.exposure = Clamp(state.exposure, kMinExposure, kMaxExposure);
}

void InjectFountains(ColorFluid& fluid, float simTime, float dt) {
    const float sn = Sin(0.55f * simTime);
    const float cs = Cos(0.47f * simTime);
    fluid.Splat(32.0f + 13.0f * sn, 31.0f + 13.0f * cs, 110.0f * cs * dt, -110.0f * sn * dt, 7.0f * dt, 0.03f * dt,
                1.6f * dt);
    fluid.Splat(62.0f - 13.0f * sn, 31.0f - 13.0f * cs, -110.0f * cs * dt, 110.0f * sn * dt, 0.02f * dt, 3.5f * dt,
                7.0f * dt);
    fluid.Splat(48.0f + 19.0f * cs, 33.0f + 17.0f * sn, -55.0f * sn * dt, 55.0f * cs * dt, 5.0f * dt, 2.4f * dt,
                0.02f * dt);
}

void PaintWithPointer(Canvas& canvas, ColorFluid& fluid, const LoopState& state, const FrameInput& input) {
    if (!input.down || !PointerInRect(canvas, kFluidView)) return;
    const DyeColor dye = PaletteDye(state.colorIndex);
    const int64_t mx = canvas.MouseX();
    const int64_t my = canvas.MouseY();
    float vx = 0.0f;
    float vy = 0.0f;
    if (!input.click) {
        vx = PixelsToCells(mx - state.previousX);
        vy = PixelsToCells(my - state.previousY);
    }
    const float x = PixelsToCells(int64_t{canvas.MouseX()} - kFluidView.x);
    const float y = PixelsToCells(int64_t{canvas.MouseY()} - kFluidView.y);
    const float amount = 24.0f * input.dt;
    fluid.Splat(x, y, 2.0f * vx, 2.0f * vy, amount * dye.red, amount * dye.green, amount * dye.blue);
}

void AdvanceSimulation(Canvas& canvas, ColorFluid& fluid, LoopState& state, const FrameInput& input) {
    if (state.paused) return;
    state.simTime = state.simTime + input.dt;
    if (state.fountainsOn) InjectFountains(fluid, state.simTime, input.dt);
    PaintWithPointer(canvas, fluid, state, input);
    fluid.Step(input.dt);
}

}  // namespace rava
