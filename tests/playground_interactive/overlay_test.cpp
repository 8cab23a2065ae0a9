// What the playground draws: the complete first frame in order, the exposure
// line, hover and accent fills, labels that follow the state, the swatch.
#include "playground/overlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fake_canvas.h"
#include "playground/interaction.h"

namespace rava::testing {
namespace {

const std::string kLabel = " size 150 (139,169,169)";
const std::string kHeading20 = " size 250 (221,233,230)";

std::vector<std::string> SwatchRows(const std::string& rgb) {
    // Half-widths of the disc's rows from y 636 (top) to 649 (middle).
    const int half[14] = {0, 5, 7, 8, 9, 10, 11, 12, 12, 12, 13, 13, 13, 13};
    std::vector<std::string> rows;
    for (int y = 636; y <= 662; ++y) {
        const int d = half[y <= 649 ? y - 636 : 662 - y];
        rows.push_back("Rect " + std::to_string(784 - d) + " " + std::to_string(y) + " " + std::to_string(2 * d + 1) +
                       "x1 " + rgb);
    }
    return rows;
}

TEST(Overlay, FirstFrameDrawsEverythingInOrder) {
    Rig rig;
    rig.Frame();
    std::vector<std::string> expected = {
        "BeginFrame (17,27,34)",
        "Text \"RAVA / OPEN SOURCE PLAYGROUND\" 34 25" + kLabel,
        "Text \"Rovovavev\" 34 57 size 330 (221,233,230)",
        "Text \"Paint with motion. Let color find its own way.\" 36 111" + kLabel,
        "Pixels 6144 96x64 -> 34 161 672x448",
        "Text \"Liquid light.\" 737 186" + kHeading20,
        "Text \"Color without limits.\" 737 223" + kHeading20,
        "Text \"DRAG / ADD DYE + MOMENTUM\" 737 286" + kLabel,
        "Text \"SPACE / PAUSE\" 737 324" + kLabel,
        "Text \"C / CHANGE COLOR\" 737 360" + kLabel,
        "Text \"A / AUTOMATIC FOUNTAINS\" 737 396" + kLabel,
        "Text \"HDR radiance / SDR tone map\" 737 471" + kLabel,
        "Text \"Exposure: 80 / Up + Down\" 737 502" + kLabel,
        "Text \"B / toggle soft bloom\" 737 533" + kLabel,
        "Text \"96 x 64 / real fluid flow\" 737 564" + kLabel,
        "RoundedRect 34 627 160x44 r10 (48,116,96)",
        "Text \"Pause / Space\" 49 638" + kHeading20,
        "RoundedRect 210 627 130x44 r10 (37,53,58)",
        "Text \"Clear / R\" 225 638" + kHeading20,
        "RoundedRect 358 627 200x44 r10 (37,53,58)",
        "Text \"Fountains: on / A\" 373 638" + kHeading20,
        "RoundedRect 576 627 180x44 r10 (37,53,58)",
        "Text \"Color / C\" 591 638" + kHeading20,
    };
    for (const auto& row : SwatchRows("(236,93,168)")) expected.push_back(row);
    expected.push_back("EndFrame");
    EXPECT_EQ(rig.canvas.LastFrame(), expected);
}

TEST(Overlay, FrameShowsTheFluidRenderedWithTheCurrentExposureAndBloom) {
    Rig rig;
    rig.loop.state.paused = true;
    const std::pair<float, bool> looks[] = {{2.0f, false}, {0.5f, true}};
    for (const auto& [exposure, bloom] : looks) {
        rig.loop.state.exposure = exposure;
        rig.loop.state.bloomOn = bloom;
        rig.Frame();
        PixelBuffer expected(ColorFluid::kCells);
        ColorFluid(rig.fluid).Render(expected, exposure, bloom);
        EXPECT_EQ(rig.pixels, expected) << exposure;
    }
}

TEST(Overlay, ExposureLineRoundsHundredthsHalfAwayFromZero) {
    const std::pair<float, const char*> rows[] = {{0.8f, "80"},
                                                  {0.15f, "15"},
                                                  {3.0f, "300"},
                                                  {1.234f, "123"},
                                                  {0.125f, "13"},  // 12.5 exactly
                                                  {std::numeric_limits<float>::quiet_NaN(), "0"}};
    for (const auto& [exposure, shown] : rows) {
        EXPECT_EQ(ExposureLine(exposure), "Exposure: " + std::string(shown) + " / Up + Down") << exposure;
    }
}

std::string FillOf(const std::vector<std::string>& frame, const std::string& rectPrefix) {
    for (const auto& call : frame) {
        if (call.rfind(rectPrefix, 0) == 0) return call.substr(call.find('('));
    }
    return "missing";
}

TEST(Overlay, HoveredButtonsAreLighterUpToTheirExclusiveEdge) {
    const struct {
        int32_t x, y;
        const char *pauseFill, *clearFill;
    } rows[] = {
        {210, 627, "(48,116,96)", "(49,65,70)"},   // clear button's top-left pixel
        {193, 670, "(60,128,108)", "(37,53,58)"},  // pause button's last column and row
        {194, 670, "(48,116,96)", "(37,53,58)"},   // right edge is exclusive
    };
    Rig rig;
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.x) + "," + std::to_string(r.y));
        rig.FrameAt(r.x, r.y, false);
        const auto frame = rig.canvas.LastFrame();
        EXPECT_EQ(FillOf(frame, "RoundedRect 34 "), r.pauseFill);
        EXPECT_EQ(FillOf(frame, "RoundedRect 210 "), r.clearFill);
    }
}

TEST(Overlay, LabelsFollowTheStateInTheFrameOfTheKeyPress) {
    Rig rig;
    rig.canvas.Press("space");
    rig.canvas.Press("a");
    rig.Frame();
    const auto frame = rig.canvas.LastFrame();
    EXPECT_NE(std::find(frame.begin(), frame.end(), "Text \"Resume / Space\" 49 638" + kHeading20), frame.end());
    EXPECT_NE(std::find(frame.begin(), frame.end(), "Text \"Fountains: off / A\" 373 638" + kHeading20), frame.end());
    EXPECT_EQ(FillOf(frame, "RoundedRect 34 "), "(48,116,96)");  // still the accent fill
}

TEST(Overlay, SwatchShowsThePaletteColourOverThePinkDisc) {
    FakeCanvas canvas;
    DrawSwatch(canvas, 1, 2, 3);
    EXPECT_EQ(canvas.log, SwatchRows("(1,2,3)"));

    Rig rig;
    rig.canvas.Press("c", 2);  // one press is consumed per frame
    rig.Frames(2);
    // Each frame: the pink disc, then the palette colour (cyan, then amber) over it.
    std::vector<std::string> expected;
    for (const char* overlay : {"(80,207,237)", "(244,196,66)"}) {
        for (const char* rgb : {"(236,93,168)", overlay}) {
            const auto rows = SwatchRows(rgb);
            expected.insert(expected.end(), rows.begin(), rows.end());
        }
    }
    EXPECT_EQ(rig.canvas.Calls("Rect "), expected);
}

}  // namespace
}  // namespace rava::testing
