// The headless self-test: seven named checks of the solver and tone mapping.
#pragma once

#include <iosfwd>

#include "playground/color_fluid.h"

namespace rava {

// Runs the checks in order on a cleared field. On the first failing check its
// name and a line feed go to err and the result is 2; when all pass the
// verdict line goes to out and the result is 0. Nothing else is written.
int RunSelfTest(ColorFluid& fluid, PixelBuffer& pixels, std::ostream& out, std::ostream& err);

// The program's form: runs the checks on the console and ends the process
// with their status, without clean-up.
[[noreturn]] void RunSelfTestAndExit(ColorFluid& fluid, PixelBuffer& pixels);

}  // namespace rava
