// Self-test sequence: splat, project, step, render, splat again, tone-map
// ordering and reset, each guarded by a named check.
#include "playground/self_test.h"

#include <cmath>
#include <cstdlib>
#include <iostream>

namespace rava {
namespace {

struct FailedCheck {
    const char* name;
};

void Check(bool condition, const char* name) {
    if (!condition) throw FailedCheck{name};
}

void RunChecks(ColorFluid& fluid, PixelBuffer& pixels) {
    fluid.Splat(45, 30, 30, 17, 1, 0.2f, 0.7f);
    float d1 = fluid.Divergence();
    fluid.Project();
    float d2 = fluid.Divergence();
    Check(d1 > d2, "projection reduces divergence");

    std::vector<float> before = fluid.dyeRed;
    fluid.Step(0.033f);
    std::vector<float> after = fluid.dyeRed;
    bool changed = false;
    for (size_t n = 0; n < static_cast<size_t>(ColorFluid::kCells); ++n) {
        float a = n < after.size() ? after[n] : NAN;
        float b = n < before.size() ? before[n] : NAN;
        Check(a >= 0.0f && a <= 12.0f, "bounded dye");
        changed = changed || std::fabs(a - b) > 0.001f;
    }
    Check(changed, "dye advects");

    fluid.Render(pixels, 0.8f, true);
    Check(pixels.size() == static_cast<size_t>(ColorFluid::kCells), "pixel dimensions");

    fluid.Splat(45, 30, 0, 0, 5, 2, 0.5f);
    Check(fluid.dyeRed.size() > 2925 && fluid.dyeRed[2925] > 1.0f, "HDR radiance retained");

    Check(ToneMap(1, 0.3f) < ToneMap(4, 0.3f), "HDR highlight detail survives tone mapping");

    fluid.Reset();
    float d3 = fluid.Divergence();
    Check(d3 == 0.0f && fluid.dyeRed.size() > 3000 && fluid.dyeRed[3000] == 0.0f, "reset");
}

}  // namespace

int RunSelfTest(ColorFluid& fluid, PixelBuffer& pixels, std::ostream& out, std::ostream& err) {
    try {
        RunChecks(fluid, pixels);
    } catch (const FailedCheck& failed) {
        err << failed.name << '\n';
        err.flush();
        return 2;
    }
    out << "ruved-uvizi: pass\n";
    out.flush();
    return 0;
}

void RunSelfTestAndExit(ColorFluid& fluid, PixelBuffer& pixels) {
    int status = RunSelfTest(fluid, pixels, std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(status);
}

}  // namespace rava
