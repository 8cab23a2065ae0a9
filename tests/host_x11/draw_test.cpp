// Drawing on a real X11 window with Mesa's GLX: every primitive is drawn and
// its pixels read back from the back buffer before the swap, on the sRGB
// framebuffer and on the legacy one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/rounded_rect.h"
#include "host/x11/canvas_faults.h"
#include "host/x11/canvas_gl.h"
#include "playground/interaction.h"
#include "playground/overlay.h"
#include "x11_test_support.h"

namespace rava {
namespace {

using test::BackPixel;
using test::CountDifferent;
using test::Current;
using test::Rgb;

const Rgb kBackground{17, 27, 34};

void OpenFresh(uint32_t faults) {
    if (CanvasWindow* old = FindCanvasWindowById(CanvasRegistry().currentId)) DestroyCanvasWindow(*old);
    SetCanvasFaultsForTesting(faults);
    OpenCanvasWindow("draw test");
    SetCanvasFaultsForTesting(kFaultNone);
    ASSERT_TRUE(CurrentCanvasWindowOpen());
}

// The pixels of a text area after drawing one thing on a cleared frame.
std::string AreaPixels(const std::function<void()>& draw) {
    BeginFrame(17, 27, 34);
    draw();
    test::FlushDrawing();
    std::string buffer(400 * 60 * 4, '\0');
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(20, Current().height - 350, 400, 60, GL_RGBA, GL_UNSIGNED_BYTE, buffer.data());
    return buffer;
}

std::string SlotPixels(std::string_view text, int slot) {
    return AreaPixels([&] { DrawText(text, 20, 300, slot, 255, 255, 255); });
}

// The fills the end-to-end checks look for on screen, drawn as the overlay
// draws them: each must come back as exactly its 8-bit sRGB code, on both
// framebuffers, as it does on the Windows host over the same Mesa.
void ExpectEndToEndFills() {
    const Rgb fills[] = {{17, 27, 34},   {48, 116, 96},  {60, 128, 108}, {37, 53, 58},
                         {236, 93, 168}, {80, 207, 237}, {0, 0, 10},     {255, 255, 255}};
    BeginFrame(17, 27, 34);
    EXPECT_EQ(BackPixel(500, 350), kBackground);
    float x = 10;
    for (const Rgb& fill : fills) {
        DrawRoundedRectRgba(x, 20, 40, 30, 8, fill.r, fill.g, fill.b);
        EXPECT_EQ(BackPixel(static_cast<int>(x) + 20, 35), fill);
        x += 50;
    }
}

TEST(X11Draw, EndToEndFillsComeBackExactlyOnTheSrgbFramebuffer) {
    OpenFresh(kFaultNone);
    ASSERT_TRUE(Current().srgbOutput);
    EXPECT_EQ(glIsEnabled(kGlFramebufferSrgb), GL_TRUE);
    ExpectEndToEndFills();
    // Every code survives linearisation and the framebuffer's re-encoding.
    for (int v = 0; v < 256; ++v) {
        BeginFrame(v, 255 - v, v / 2);
        ASSERT_EQ(BackPixel(3, 3), (Rgb{v, 255 - v, v / 2})) << v;
    }
    BeginFrame(300, -4, 1000);
    EXPECT_EQ(BackPixel(3, 3), (Rgb{255, 0, 255}));
}

TEST(X11Draw, RectanglesCoverExactlyTheirPixels) {
    BeginFrame(17, 27, 34);
    DrawRectRgba(10, 20, 30, 40, 200, 100, 50);
    EXPECT_EQ(CountDifferent(0, 0, 100, 100, kBackground), 30 * 40);
    EXPECT_EQ(BackPixel(10, 20), (Rgb{200, 100, 50}));
    EXPECT_EQ(BackPixel(39, 59), (Rgb{200, 100, 50}));
    // A negative width draws nothing; a negative height draws upwards from y.
    DrawRectRgba(200, 100, -20, 10, 255, 255, 255);
    EXPECT_EQ(CountDifferent(170, 90, 230, 120, kBackground), 0);
    DrawRectRgba(300, 200, 10, -20, 9, 200, 9);
    EXPECT_EQ(BackPixel(305, 181), (Rgb{9, 200, 9}));
    EXPECT_EQ(BackPixel(305, 200), kBackground);
}

TEST(X11Draw, RoundedRectanglesCutTheirCorners) {
    BeginFrame(17, 27, 34);
    DrawRoundedRectRgba(200, 100, 100, 44, 10, 60, 180, 140);
    EXPECT_EQ(BackPixel(250, 122), (Rgb{60, 180, 140}));
    EXPECT_EQ(BackPixel(200, 100), kBackground);
    EXPECT_EQ(BackPixel(299, 143), kBackground);
    EXPECT_NEAR(CountDifferent(190, 90, 310, 150, kBackground), 4400 - 86, 40);
    DrawRoundedRectRgba(600, 100, 0, 44, 10, 255, 255, 255);
    EXPECT_EQ(CountDifferent(590, 90, 700, 150, kBackground), 0);
}

// A rounded rectangle is drawn in pieces; it covers exactly the pixels of its
// one-fan outline: each erases the other without leaving or spilling a pixel
// (pill shapes, a tiny radius and fractional places included).
TEST(X11Draw, RoundedRectanglesCoverExactlyTheirFanOutline) {
    const float shapes[][5] = {{200.3f, 100.6f, 100, 44, 10},
                               {40, 300, 61.5f, 20, 10},
                               {400.7f, 300.2f, 30, 90.4f, 15},
                               {600, 100, 120, 80, 1.2f},
                               {700.5f, 400.5f, 33.3f, 33.3f, 40}};
    CanvasWindow& window = Current();
    const BatchColor white = CanvasColor(window, 255, 255, 255), black = CanvasColor(window, 0, 0, 0);
    for (const auto& s : shapes) {
        const std::vector<FanPoint> fan =
            RoundedRectFan(s[0], s[1], s[2], s[3], EffectiveCornerRadius(s[2], s[3], s[4]));
        for (const bool piecesFirst : {false, true}) {
            BeginFrame(0, 0, 0);
            if (piecesFirst) {
                DrawRoundedRectRgba(s[0], s[1], s[2], s[3], s[4], 255, 255, 255);
                window.renderer.AddFan(fan, black);
            } else {
                window.renderer.AddFan(fan, white);
                DrawRoundedRectRgba(s[0], s[1], s[2], s[3], s[4], 0, 0, 0);
            }
            EXPECT_EQ(CountDifferent(0, 0, window.width, window.height, Rgb{0, 0, 0}), 0) << s[0] << " " << piecesFirst;
        }
    }
}

TEST(X11Draw, EverySlotDrawsTextBelowTheLineTopWithGrowingSizes) {
    int previousRows = 0;
    // Slots 0 (12 px), 4 (15 px), 6 (20 px) and 8 (28 px) grow; 13 px may
    // cover the same rows as 12 px.
    for (int slot : {0, 1, 4, 5, 6, 7, 8, 9, 2, 3}) {
        BeginFrame(17, 27, 34);
        DrawText("Hg", 20, 300, slot, 255, 255, 255);
        EXPECT_GT(CountDifferent(20, 300, 120, 340, kBackground), 20) << slot;
        EXPECT_EQ(CountDifferent(0, 280, 200, 300, kBackground), 0) << slot;
        int rows = 0;
        for (int y = 300; y < 340; ++y) rows += CountDifferent(20, y, 120, y + 1, kBackground) > 0;
        if (slot % 2 == 0) {
            EXPECT_NE(SlotPixels("Hg", slot), SlotPixels("Hg", slot + 1)) << "bold differs at " << slot;
        }
        if (slot % 2 == 0 && slot != 2) {
            EXPECT_GT(rows, previousRows) << slot;
            previousRows = rows;
        }
    }
    // Out-of-range slots draw nothing.
    EXPECT_EQ(SlotPixels("Hg", 10), SlotPixels("", 0));
    EXPECT_EQ(SlotPixels("Hg", -1), SlotPixels("", 0));
}

TEST(X11Draw, TextAdvancesByWholeGlyphsAndDrawsNonAsciiAsQuestionMarks) {
    EXPECT_EQ(SlotPixels("", 4), SlotPixels(" ", 4));
    EXPECT_NE(SlotPixels("A A", 4), SlotPixels("AA", 4));
    EXPECT_EQ(SlotPixels("h\xC3\xA9llo", 4), SlotPixels("h?llo", 4));
    EXPECT_EQ(SlotPixels("\xFF", 4), SlotPixels("?", 4));
    EXPECT_EQ(SlotPixels("a\xE2\x82", 4), SlotPixels("a??", 4));
    // A fractional position lands on the same pixels as its whole part.
    EXPECT_EQ(AreaPixels([] { DrawText("Hg", 20.7f, 300.4f, 4, 255, 255, 255); }), SlotPixels("Hg", 4));
    // Styled text picks the bold face of its size code.
    EXPECT_EQ(AreaPixels([] { DrawTextStyled("Hg", 20, 300, 150, 255, 255, 255); }), SlotPixels("Hg", 5));
    EXPECT_EQ(AreaPixels([] { DrawTextStyled("Hg", 20, 300, 330, 255, 255, 255); }), SlotPixels("Hg", 9));
    EXPECT_EQ(AreaPixels([] { DrawTextStyled("Hg", 20, 300, 250, 255, 255, 255); }), SlotPixels("Hg", 7));
}

std::vector<uint32_t> Block(int seed) {
    std::vector<uint32_t> block(96 * 64);
    for (int i = 0; i < 96 * 64; ++i) block[i] = 0xFF000000u | static_cast<uint32_t>((i * 2654435761u + seed) >> 8);
    return block;
}

// Every view pixel equals its block cell (stretched by seven, nearest).
int ViewMismatches(const std::vector<uint32_t>& block) {
    std::vector<unsigned char> view(672 * 448 * 4);
    test::FlushDrawing();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(34, Current().height - 609, 672, 448, GL_RGBA, GL_UNSIGNED_BYTE, view.data());
    int mismatches = 0;
    for (int y = 0; y < 448; ++y) {
        for (int x = 0; x < 672; ++x) {
            const unsigned char* p = &view[((447 - y) * 672 + x) * 4];
            const uint32_t c = block[(y / 7) * 96 + x / 7];
            if (!(Rgb{p[0], p[1], p[2]} == Rgb{int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF)})) ++mismatches;
        }
    }
    return mismatches;
}

TEST(X11Draw, PixelBlocksReuseOneTextureAndComeBackExactly) {
    for (int seed : {1, 77}) {
        const std::vector<uint32_t> block = Block(seed);
        BeginFrame(17, 27, 34);
        DrawPixelsBgra8(block, 96, 64, 34, 161, 672, 448);
        EXPECT_EQ(ViewMismatches(block), 0) << seed;
    }
    const uint32_t texture = Current().pixels.name;
    EXPECT_NE(texture, 0u);
    // Another size re-allocates the same texture object.
    const uint32_t small[4] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u};
    BeginFrame(17, 27, 34);
    DrawPixelsBgra8(small, 2, 2, 100, 100, 20, 20);
    EXPECT_EQ(BackPixel(115, 115), (Rgb{0xA0, 0xB0, 0xC0}));
    EXPECT_EQ(Current().pixels.name, texture);
    EXPECT_EQ(Current().pixels.width, 2);
    // Alpha blends: a clear texel leaves the background, a half one mixes.
    const uint32_t translucent[2] = {0x00FFFFFFu, 0x80FFFFFFu};
    BeginFrame(17, 27, 34);
    DrawPixelsBgra8(translucent, 2, 1, 100, 100, 20, 10);
    EXPECT_EQ(BackPixel(105, 105), kBackground);
    const Rgb mixed = BackPixel(115, 105);
    EXPECT_GT(mixed.r, 17);
    EXPECT_LT(mixed.r, 255);
    // Every texel partly transparent (none clear) blends the same way.
    const uint32_t halves[2] = {0x80FFFFFFu, 0x80FFFFFFu};
    BeginFrame(17, 27, 34);
    DrawPixelsBgra8(halves, 2, 1, 100, 100, 20, 10);
    EXPECT_EQ(BackPixel(105, 105), mixed);
    // Blocks of the wrong length or a non-positive size draw nothing.
    BeginFrame(17, 27, 34);
    DrawPixelsBgra8(std::span(small, 3), 2, 2, 100, 100, 20, 20);
    DrawPixelsBgra8(small, -2, -2, 100, 100, 20, 20);
    DrawPixelsBgra8({}, 0, 0, 100, 100, 20, 20);
    EXPECT_EQ(CountDifferent(90, 90, 130, 130, kBackground), 0);
}

TEST(X11Draw, LegacyFramebufferGivesTheSameFillsAndClearsOneToWhite) {
    OpenFresh(kFaultNoSrgbConfig);
    EXPECT_FALSE(Current().srgbOutput);
    EXPECT_EQ(glIsEnabled(kGlFramebufferSrgb), GL_FALSE);
    ExpectEndToEndFills();
    BeginFrame(1, 1, 1);
    EXPECT_EQ(BackPixel(10, 10), (Rgb{255, 255, 255}));
    BeginFrame(2, 0, 1);
    EXPECT_EQ(BackPixel(10, 10), (Rgb{2, 0, 255}));
    const std::vector<uint32_t> block = Block(5);
    BeginFrame(17, 27, 34);
    DrawPixelsBgra8(block, 96, 64, 34, 161, 672, 448);
    EXPECT_EQ(ViewMismatches(block), 0);
    BeginFrame(17, 27, 34);
    DrawTextStyled("Hello", 20, 300, 250, 255, 255, 255);
    EXPECT_GT(CountDifferent(20, 290, 150, 340, kBackground), 40);
}

// Records where the overlay puts its texts and button shapes.
class LayoutCanvas : public Canvas {
public:
    struct Text {
        std::string text;
        float x, y;
        int32_t sizeCode;
    };
    std::vector<Text> texts;
    struct Box {
        float left, top, right, bottom;
    };
    std::vector<Box> buttons;  // the rounded shapes
    void OpenWindow(std::string_view) override {}
    void PumpMessages() override {}
    bool WindowOpen() override { return true; }
    void DestroyAllWindows() override {}
    void BeginFrame(int32_t, int32_t, int32_t) override {}
    void EndFrame() override {}
    void DrawRect(float, float, float, float, int32_t, int32_t, int32_t) override {}
    void DrawRoundedRect(float x, float y, float width, float height, float, int32_t, int32_t, int32_t) override {
        buttons.push_back({x, y, x + width, y + height});
    }
    void DrawTextStyled(std::string_view text, float x, float y, int32_t sizeCode, int32_t, int32_t, int32_t) override {
        texts.push_back({std::string(text), x, y, sizeCode});
    }
    void DrawPixels(std::span<const uint32_t>, int32_t, int32_t, float, float, float, float) override {}
    int32_t MouseX() override { return -1; }
    int32_t MouseY() override { return -1; }
    bool PointerDown(std::string_view) override { return false; }
    bool KeyDown(std::string_view) override { return false; }
    bool KeyPressed(std::string_view) override { return false; }
};

// With the faces this host loaded, every label of the opening frame ends
// inside its button, or inside the window, with at least 4 pixels to spare.
TEST(X11Draw, OpeningLabelsEndInsideTheirButtonsAndTheWindow) {
    OpenFresh(kFaultNone);
    LayoutCanvas canvas;
    ColorFluid fluid;
    PixelBuffer pixels;
    DrawFrame(canvas, fluid, pixels, LoopState{});
    ASSERT_EQ(canvas.buttons.size(), 4u);
    int checked = 0;
    for (const LayoutCanvas::Text& t : canvas.texts) {
        const float end = t.x + static_cast<float>(MeasureCanvasText(Current(), t.text, t.sizeCode));
        float limit = static_cast<float>(kInitialClientWidth);
        for (const LayoutCanvas::Box& b : canvas.buttons) {
            if (t.x > b.left && t.x < b.right && t.y > b.top && t.y < b.bottom) limit = b.right;
        }
        EXPECT_LE(end, limit - 4.0f) << '"' << t.text << "\" ends at " << end << ", limit " << limit;
        ++checked;
    }
    EXPECT_GE(checked, 17);
}

TEST(X11Draw, NoUsableFramebufferConfigRaisesAndTakesNoId) {
    const int32_t next = CanvasRegistry().nextId;
    DestroyAllCanvasWindows();
    SetCanvasFaultsForTesting(kFaultNoConfig);
    const std::string message = test::RaisedMessage([] { OpenCanvasWindow("no config"); });
    SetCanvasFaultsForTesting(kFaultNone);
    EXPECT_EQ(message.rfind("window.canvas: window/canvas X display ", 0), 0u) << message;
    EXPECT_NE(message.find(" has no double-buffered RGBA GLX framebuffer config"), std::string::npos) << message;
    EXPECT_EQ(CanvasRegistry().nextId, next);
    EXPECT_TRUE(CanvasRegistry().windows.empty());
}

}  // namespace
}  // namespace rava
