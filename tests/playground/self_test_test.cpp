// The self-test's verdicts: a correct solver passes; solvers broken in one
// operation fail with that check's name and status 2, printing nothing else.
#include "playground/self_test.h"

#include <gtest/gtest.h>

#include <sstream>

namespace rava {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunChecks(ColorFluid& fluid) {
    PixelBuffer pixels(ColorFluid::kCells);
    std::ostringstream out, err;
    int status = RunSelfTest(fluid, pixels, out, err);
    return {status, out.str(), err.str()};
}

TEST(SelfTest, CorrectSolverPasses) {
    ColorFluid fluid;
    Outcome o = RunChecks(fluid);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "ruved-uvizi: pass\n");
    EXPECT_EQ(o.err, "");
}

struct NoProjection : ColorFluid {
    void Project() override {}
};
struct StillDye : ColorFluid {
    void Step(float) override {}
};
struct OverbrightStep : ColorFluid {
    void Step(float dt) override {
        ColorFluid::Step(dt);
        dyeRed[200] = 13.0f;
        dyeRed[300] = 14.0f;
    }
};
struct LeakyReset : ColorFluid {
    void Reset() override {
        ColorFluid::Reset();
        dyeRed[3000] = 0.5f;
    }
};
struct DivergentReset : ColorFluid {
    void Reset() override {
        ColorFluid::Reset();
        velocityX[500] = 1.0f;
    }
};

TEST(SelfTest, BrokenOperationsFailWithTheirCheckName) {
    struct Case {
        std::unique_ptr<ColorFluid> fluid;
        const char* expected;
    };
    Case cases[] = {
        {std::make_unique<NoProjection>(), "projection reduces divergence\n"},
        {std::make_unique<StillDye>(), "dye advects\n"},
        {std::make_unique<OverbrightStep>(), "bounded dye\n"},
        {std::make_unique<LeakyReset>(), "reset\n"},
        {std::make_unique<DivergentReset>(), "reset\n"},
    };
    for (Case& c : cases) {
        // The constructor's own Reset ran before the override existed.
        Outcome o = RunChecks(*c.fluid);
        EXPECT_EQ(o.status, 2) << c.expected;
        EXPECT_EQ(o.err, c.expected);
        EXPECT_EQ(o.out, "");
    }
}

// Needs a child process: not in WebAssembly, where the passing self-test's
// exit status is checked through node instead.
#if GTEST_HAS_DEATH_TEST
TEST(SelfTestDeathTest, FailingCheckEndsTheProcessWithStatusTwo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    NoProjection fluid;
    PixelBuffer pixels(ColorFluid::kCells);
    EXPECT_EXIT(RunSelfTestAndExit(fluid, pixels), testing::ExitedWithCode(2), "projection reduces divergence");
}
#endif

}  // namespace
}  // namespace rava
