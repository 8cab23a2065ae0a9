// The whole frame the playground draws: background, header, tone-mapped
// fluid view, the right-hand column, four buttons and the colour swatch, in a
// fixed order between BeginFrame and EndFrame. Rebuilt from the loop state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "playground/canvas.h"
#include "playground/color_fluid.h"
#include "playground/loop_state.h"

namespace rava {

// Small grey-green line in the 15-pixel face.
void DrawLabel(Canvas& canvas, std::string_view text, float x, float y);
// Light line: the 20-pixel face below width class 150, else the 28-pixel one.
void DrawHeading(Canvas& canvas, std::string_view text, float x, float y, int32_t widthClass);
// Bottom-row button at y 627, height 44; lighter while hovered, green when accent.
void DrawButton(Canvas& canvas, std::string_view text, int32_t x, int32_t width, bool accent);
// Disc of radius 13 at (784, 649) as 27 one-pixel rows.
void DrawSwatch(Canvas& canvas, int32_t red, int32_t green, int32_t blue);

// "Exposure: N / Up + Down" with N the nearest integer to 100 x exposure.
std::string ExposureLine(float exposure);

// Renders the fluid into pixels and draws the complete frame, presenting it.
void DrawFrame(Canvas& canvas, ColorFluid& fluid, PixelBuffer& pixels, const LoopState& state);

}  // namespace rava
