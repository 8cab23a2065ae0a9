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

TEST(Overlay, FrameShowsTheFluidRenderedAtTheCurrentExposure) {
    Rig rig;
    rig.loop.state.paused = true;
    rig.loop.state.exposure = 2.0f;
    rig.Frame();
    PixelBuffer expected(ColorFluid::kCells);
    ColorFluid copy = rig.fluid;
    copy.Render(expected, 2.0f, true);
    EXPECT_EQ(rig.pixels, expected);
}

TEST(Overlay, ExposureLineRoundsHundredthsHalfAwayFromZero) {
    EXPECT_EQ(ExposureLine(0.8f), "Exposure: 80 / Up + Down");
    EXPECT_EQ(ExposureLine(0.15f), "Exposure: 15 / Up + Down");
    EXPECT_EQ(ExposureLine(3.0f), "Exposure: 300 / Up + Down");
    EXPECT_EQ(ExposureLine(1.234f), "Exposure: 123 / Up + Down");
    EXPECT_EQ(ExposureLine(0.125f), "Exposure: 13 / Up + Down");  // 12.5 exactly
    EXPECT_EQ(ExposureLine(std::numeric_limits<float>::quiet_NaN()), "Exposure: 0 / Up + Down");
}

std::string FillOf(const std::vector<std::string>& frame, const std::string& rectPrefix) {
    for (const auto& call : frame) {
        if (call.rfind(rectPrefix, 0) == 0) return call.substr(call.find('('));
    }
    return "missing";
}

TEST(Overlay, HoveredButtonsAreLighter) {
    Rig rig;
    rig.canvas.mouseX = 210;  // clear button's top-left pixel
    rig.canvas.mouseY = 627;
    rig.Frame();
    EXPECT_EQ(FillOf(rig.canvas.LastFrame(), "RoundedRect 210 "), "(49,65,70)");
    EXPECT_EQ(FillOf(rig.canvas.LastFrame(), "RoundedRect 34 "), "(48,116,96)");

    rig.canvas.mouseX = 193;  // pause button's last column
    rig.canvas.mouseY = 670;
    rig.Frame();
    EXPECT_EQ(FillOf(rig.canvas.LastFrame(), "RoundedRect 34 "), "(60,128,108)");
    EXPECT_EQ(FillOf(rig.canvas.LastFrame(), "RoundedRect 210 "), "(37,53,58)");

    rig.canvas.mouseX = 194;  // right edge is exclusive
    rig.Frame();
    EXPECT_EQ(FillOf(rig.canvas.LastFrame(), "RoundedRect 34 "), "(48,116,96)");
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
    EXPECT_EQ(canvas.log[0], "Rect 784 636 1x1 (1,2,3)");
    EXPECT_EQ(canvas.log[13], "Rect 771 649 27x1 (1,2,3)");
    EXPECT_EQ(canvas.log[26], "Rect 784 662 1x1 (1,2,3)");

    Rig rig;
    rig.canvas.Press("c", 2);  // one press is consumed per frame
    rig.Frames(2);
    auto rects = rig.canvas.Calls("Rect ");
    ASSERT_EQ(rects.size(), 4 * 27u);  // each frame: the pink disc, then the palette colour over it
    auto pink = SwatchRows("(236,93,168)"), cyan = SwatchRows("(80,207,237)"), amber = SwatchRows("(244,196,66)");
    EXPECT_TRUE(std::equal(pink.begin(), pink.end(), rects.begin()));
    EXPECT_TRUE(std::equal(cyan.begin(), cyan.end(), rects.begin() + 27));
    EXPECT_TRUE(std::equal(pink.begin(), pink.end(), rects.begin() + 54));
    EXPECT_TRUE(std::equal(amber.begin(), amber.end(), rects.begin() + 81));
}

}  // namespace
}  // namespace rava::testing
