// The interactive mode: opens the canvas window and runs the frame loop
// until the window closes or Escape is pressed.
#pragma once

#include <memory>

#include "playground/color_fluid.h"

namespace rava {

void RunInteractive(const std::shared_ptr<ColorFluid>& fluid, const PixelBufferHandle& pixels);

}  // namespace rava
