// Controls and dye injection of the playground: keys and on-screen buttons
// (reacting on press), the three fountains and pointer painting. Each runs
// once per frame and changes the loop state or calls the solver.
#pragma once

#include <cstdint>

#include "playground/canvas.h"
#include "playground/color_fluid.h"
#include "playground/loop_state.h"

namespace rava {

struct ScreenRect {
    int32_t x, y, width, height;
};

// Client-pixel geometry shared by hit-testing and drawing.
inline constexpr ScreenRect kFluidView{34, 161, 672, 448};
inline constexpr ScreenRect kPauseButton{34, 627, 160, 44};
inline constexpr ScreenRect kClearButton{210, 627, 130, 44};
inline constexpr ScreenRect kFountainsButton{358, 627, 200, 44};
inline constexpr ScreenRect kColorButton{576, 627, 180, 44};
inline constexpr int32_t kPixelsPerCell = 7;

struct DyeColor {
    float red, green, blue;
};
// The pointer's dye for a palette index; an index outside 0..2 gives entry 0.
DyeColor PaletteDye(int32_t colorIndex);

// Half-open hit test; the pointer is read afresh for every comparison.
bool PointerInRect(Canvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height);
bool PointerInRect(Canvas& canvas, const ScreenRect& rect);

// Pause, clear, fountains, colour, bloom and exposure, in that order. Every
// control works whether or not the simulation is paused.
void ApplyControls(Canvas& canvas, ColorFluid& fluid, LoopState& state, const FrameInput& input);

// The three fountain splats for this simulated time and frame time.
void InjectFountains(ColorFluid& fluid, float simTime, float dt);

// The pointer splat when the button is held over the fluid view: dye of the
// current palette entry and the movement since the previous frame (none on
// the click frame) as momentum.
void PaintWithPointer(Canvas& canvas, ColorFluid& fluid, const LoopState& state, const FrameInput& input);

// Unless paused: advance simTime, fountains, pointer splat, Step (dt).
void AdvanceSimulation(Canvas& canvas, ColorFluid& fluid, LoopState& state, const FrameInput& input);

}  // namespace rava
