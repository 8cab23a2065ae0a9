// Drawing primitives and frames on real windows: pixels are read back from
// the back buffer with glReadPixels. Covers the sRGB window, a window forced
// onto the legacy format, fonts without display lists, and translucent
// windows presented through UpdateLayeredWindow.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "canvas_test_support.h"
#include "host/core/srgb.h"
#include "host/host.h"
#include "host/win32/canvas_faults.h"
#include "host/win32/canvas_window.h"

namespace rava {
namespace {

using test::BackPixel;
using test::CountDifferent;
using test::Rgb;

const Rgb kBackground{17, 27, 34};

CanvasWindow& Current() { return *FindCanvasWindowById(CanvasRegistry().currentId); }

struct Pixel {
    int x, y;
    Rgb colour;
};

// Each listed back-buffer pixel has its colour.
void ExpectPixels(std::initializer_list<Pixel> pixels) {
    for (const Pixel& p : pixels) EXPECT_EQ(BackPixel(p.x, p.y), p.colour) << "at " << p.x << ", " << p.y;
}

void OpenFresh(uint32_t faults, bool translucent = false) {
    if (CanvasWindow* old = FindCanvasWindowById(CanvasRegistry().currentId)) {
        DestroyCanvasWindow(*old);
    }
    SetCanvasFaultsForTesting(faults);
    CanvasOpenOptions options;
    options.translucent = translucent;
    OpenCanvasWindow("draw test", options);
    SetCanvasFaultsForTesting(kFaultNone);
    ASSERT_TRUE(CurrentCanvasWindowOpen());
}

// The pixels of the text area after drawing one thing on a cleared frame.
std::string AreaPixels(const std::function<void()>& draw) {
    BeginFrame(17, 27, 34);
    draw();
    std::string buffer(400 * 40 * 4, '\0');
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(20, Current().height - 340, 400, 40, GL_RGBA, GL_UNSIGNED_BYTE, buffer.data());
    return buffer;
}

std::string TextPixels(std::string_view text, int32_t sizeCode) {
    return AreaPixels([&] { DrawTextStyled(text, 20, 300, sizeCode, 255, 255, 255); });
}

// Rows of the area that hold any glyph pixel.
int InkRows(std::string_view text, int32_t sizeCode) {
    BeginFrame(17, 27, 34);
    DrawTextStyled(text, 20, 300, sizeCode, 255, 255, 255);
    int rows = 0;
    for (int y = 290; y < 350; ++y) rows += CountDifferent(20, y, 200, y + 1, kBackground) > 0;
    return rows;
}

TEST(CanvasDraw, BeginFrameClearsToTheExactRequestedSrgbColour) {
    OpenFresh(kFaultNone);
    ASSERT_TRUE(Current().srgbOutput);
    BeginFrame(17, 27, 34);
    ExpectPixels({{0, 0, kBackground}, {500, 350, kBackground}, {999, 699, kBackground}});
    // Every code survives linearisation and the framebuffer's re-encoding.
    for (int v = 0; v < 256; ++v) {
        BeginFrame(v, 255 - v, v / 2);
        ASSERT_EQ(BackPixel(3, 3), (Rgb{v, 255 - v, v / 2})) << v;
    }
    BeginFrame(300, -4, 1000);
    EXPECT_EQ(BackPixel(3, 3), (Rgb{255, 0, 255}));
}

TEST(CanvasDraw, RectanglesCoverExactlyTheirPixels) {
    BeginFrame(17, 27, 34);
    DrawRectRgba(10, 20, 30, 40, 200, 100, 50);
    const Rgb orange{200, 100, 50};
    ExpectPixels({{10, 20, orange}, {39, 59, orange}, {9, 20, kBackground}, {40, 20, kBackground},
                  {10, 19, kBackground}, {10, 60, kBackground}});
    EXPECT_EQ(CountDifferent(0, 0, 100, 100, kBackground), 30 * 40);

    // Out-of-range channels clamp: 300 -> 255, -4 -> 0.
    DrawRectRgba(100, 20, 10, 10, 300, -4, 128);
    EXPECT_EQ(BackPixel(105, 25), (Rgb{255, 0, 128}));

    // A negative width draws nothing; a negative height draws upwards from y.
    DrawRectRgba(200, 100, -20, 10, 255, 255, 255);
    EXPECT_EQ(CountDifferent(170, 90, 230, 120, kBackground), 0);
    DrawRectRgba(300, 200, 10, -20, 9, 200, 9);
    ExpectPixels({{305, 181, {9, 200, 9}}, {305, 199, {9, 200, 9}}, {305, 200, kBackground}, {305, 179, kBackground}});
}

TEST(CanvasDraw, RoundedRectanglesCutTheirCornersUnlessTheRadiusIsTiny) {
    BeginFrame(17, 27, 34);
    const Rgb fill{60, 180, 140};
    DrawRoundedRectRgba(200, 100, 100, 44, 10, fill.r, fill.g, fill.b);
    // Centre and straight edges are filled; the corners are cut.
    ExpectPixels({{250, 122, fill}, {250, 100, fill}, {200, 122, fill}, {200, 100, kBackground},
                  {299, 100, kBackground}, {200, 143, kBackground}, {299, 143, kBackground}});
    const int area = CountDifferent(190, 90, 310, 150, kBackground);
    // 100 x 44 minus four corners of (1 - pi/4) * 10 * 10 each: about 4314.
    EXPECT_NEAR(area, 4400 - 86, 40);

    // Radius 0.4 is a plain rectangle, corners included.
    DrawRoundedRectRgba(400, 100, 40, 20, 0.4f, fill.r, fill.g, fill.b);
    ExpectPixels({{400, 100, fill}, {439, 119, fill}});
    EXPECT_EQ(CountDifferent(390, 90, 450, 130, kBackground), 800);

    // Width 12 with radius 10 is a capsule of radius 6: the shape stays inside its box.
    DrawRoundedRectRgba(500, 100, 12, 44, 10, fill.r, fill.g, fill.b);
    ExpectPixels({{505, 100, fill}, {500, 122, fill}, {511, 122, fill}, {500, 100, kBackground}});
    EXPECT_EQ(CountDifferent(480, 80, 530, 160, kBackground), CountDifferent(500, 100, 512, 144, kBackground));

    // A width of 0 or less draws nothing.
    DrawRoundedRectRgba(600, 100, 0, 44, 10, 255, 255, 255);
    DrawRoundedRectRgba(650, 100, -30, 44, 10, 255, 255, 255);
    EXPECT_EQ(CountDifferent(590, 90, 700, 150, kBackground), 0);
}

TEST(CanvasDraw, TextDrawsGlyphPixelsWithTheDisplayListFonts) {
    BeginFrame(17, 27, 34);
    DrawTextStyled("Hello", 20, 300, 150, 255, 255, 255);
    const int ink = CountDifferent(20, 290, 120, 330, kBackground);
    EXPECT_GT(ink, 40);
    // Glyphs sit below the line top: nothing above y.
    EXPECT_EQ(CountDifferent(0, 280, 200, 300, kBackground), 0);
    // Glyph pixels carry the requested colour (bitmaps are not blended).
    bool sawWhite = false;
    for (int y = 300; y < 320 && !sawWhite; ++y) {
        for (int x = 20; x < 60 && !sawWhite; ++x) sawWhite = BackPixel(x, y) == Rgb{255, 255, 255};
    }
    EXPECT_TRUE(sawWhite);

    EXPECT_EQ(TextPixels("", 150), TextPixels(" ", 150));
    EXPECT_NE(TextPixels("A A", 150), TextPixels("AA", 150));
    // A space advances by its cell width without drawing anything.
    auto rasterAfter = [](std::string_view text) {
        BeginFrame(17, 27, 34);
        DrawText(text, 20, 300, 4, 255, 255, 255);
        GLfloat pos[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
        return pos[0];
    };
    const float spaceAdvance = rasterAfter("A ") - rasterAfter("A");
    EXPECT_GT(spaceAdvance, 1.0f);
    EXPECT_FLOAT_EQ(rasterAfter("A A") - rasterAfter("AA"), spaceAdvance);
    EXPECT_FLOAT_EQ(rasterAfter("h\xC3\xA9llo"), rasterAfter("h?llo"));
    EXPECT_NE(TextPixels("h\xC3\xA9llo", 150), TextPixels("hllo", 150));
    EXPECT_EQ(TextPixels("h\xC3\xA9llo", 150), TextPixels("h?llo", 150));
    EXPECT_EQ(TextPixels("\xFF", 150), TextPixels("?", 150));
    EXPECT_EQ(TextPixels("a\xE2\x82", 150), TextPixels("a??", 150));
}

TEST(CanvasDraw, SizeCodesPickThreeFaceSizes) {
    const std::string small = TextPixels("Hg", 150);
    for (int code : {100, 249}) EXPECT_EQ(TextPixels("Hg", code), small) << code;
    const std::string medium = TextPixels("Hg", 250);
    EXPECT_NE(medium, small);
    for (int code : {331, 329}) EXPECT_EQ(TextPixels("Hg", code), medium) << code;
    const std::string large = TextPixels("Hg", 330);
    EXPECT_NE(large, medium);
    EXPECT_NE(large, small);
    EXPECT_LT(InkRows("Hg", 150), InkRows("Hg", 250));
    EXPECT_LT(InkRows("Hg", 250), InkRows("Hg", 330));
}

TEST(CanvasDraw, TextWithoutDisplayListsOrWithABadSlotDrawsNothing) {
    CanvasWindow& w = Current();
    BeginFrame(17, 27, 34);
    DrawText("Hello", 20, 300, 99, 255, 255, 255);
    DrawText("Hello", 20, 300, -1, 255, 255, 255);
    EXPECT_EQ(CountDifferent(0, 280, 300, 340, kBackground), 0);
    DrawText("Hello", 20, 300, 0, 255, 255, 255);  // 12 px regular
    EXPECT_GT(CountDifferent(0, 280, 300, 340, kBackground), 20);

    // Styled text falls back to the regular face when the bold one has no lists.
    const std::string boldText = TextPixels("Hg", 150);
    const uint32_t bold = w.fonts[5].listBase;
    w.fonts[5].listBase = 0;
    const std::string fallback = TextPixels("Hg", 150);
    w.fonts[5].listBase = bold;
    const std::string regularText = AreaPixels([] { DrawText("Hg", 20, 300, 4, 255, 255, 255); });
    EXPECT_EQ(fallback, regularText);
    EXPECT_NE(boldText, regularText);
    EXPECT_EQ(boldText, AreaPixels([] { DrawText("Hg", 20, 300, 5, 255, 255, 255); }));
}

TEST(CanvasDraw, PixelBlockIsStretchedBySevenWithNearestSampling) {
    std::vector<uint32_t> block(96 * 64);
    auto colour = [](int cx, int cy) {
        return Rgb{(cx * 2 + 1) & 0xFF, (cy * 4 + 3) & 0xFF, (cx * 7 + cy * 13) & 0xFF};
    };
    for (int cy = 0; cy < 64; ++cy) {
        for (int cx = 0; cx < 96; ++cx) {
            const Rgb c = colour(cx, cy);
            block[cy * 96 + cx] = 0xFF000000u | (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
        }
    }
    BeginFrame(17, 27, 34);
    DrawPixelsBgra8(block, 96, 64, 34, 161, 672, 448);
    // Read the whole view and compare every pixel with its cell.
    std::vector<unsigned char> view(672 * 448 * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(34, 700 - 609, 672, 448, GL_RGBA, GL_UNSIGNED_BYTE, view.data());
    int mismatches = 0;
    for (int y = 0; y < 448; ++y) {
        for (int x = 0; x < 672; ++x) {
            const unsigned char* p = &view[((447 - y) * 672 + x) * 4];
            if (!(Rgb{p[0], p[1], p[2]} == colour(x / 7, y / 7))) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    ExpectPixels({{33, 161, kBackground}, {706, 608, kBackground}, {34, 160, kBackground}, {34, 609, kBackground}});

    // A block of the wrong length, or a non-positive size, draws nothing.
    BeginFrame(17, 27, 34);
    std::vector<uint32_t> shortBlock(96 * 64 - 1, 0xFFFFFFFFu);
    DrawPixelsBgra8(shortBlock, 96, 64, 34, 161, 672, 448);
    DrawPixelsBgra8(block, 64, 96 + 1, 34, 161, 672, 448);
    DrawPixelsBgra8(block, -96, -64, 34, 161, 672, 448);
    DrawPixelsBgra8({}, 0, 0, 34, 161, 672, 448);
    EXPECT_EQ(CountDifferent(30, 150, 720, 620, kBackground), 0);
}

TEST(CanvasDraw, EndFrameCountsTheFrame) {
    CanvasFrameStatus& status = CanvasFrames();
    const uint64_t before = status.endedFrames.load();
    BeginFrame(90, 30, 200);
    DrawRectRgba(0, 0, 10, 10, 1, 2, 3);
    EndFrame();
    EXPECT_EQ(status.endedFrames.load(), before + 1);
    EXPECT_EQ(status.flags.load() & 2u, 2u);
    // The count stops at the largest value instead of wrapping.
    status.endedFrames.store(UINT64_MAX);
    BeginFrame(0, 0, 0);
    EndFrame();
    EXPECT_EQ(status.endedFrames.load(), UINT64_MAX);
    status.endedFrames.store(before + 1);
}

// The screen pixel at client (x, y) of the current window, read through GDI.
Rgb ScreenPixel(int x, int y) {
    POINT p{x, y};
    ClientToScreen(Current().hwnd, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// Each listed screen pixel has its colour.
void ExpectScreenPixels(std::initializer_list<Pixel> pixels) {
    for (const Pixel& p : pixels) EXPECT_EQ(ScreenPixel(p.x, p.y), p.colour) << "at " << p.x << ", " << p.y;
}

// Primitives pump messages, so a size notification can arrive inside a frame;
// it must not wipe what the frame drew before it.
TEST(CanvasDraw, SizeNotificationInsideAFrameKeepsTheFramesDrawing) {
    CanvasWindow& w = Current();
    RECT client{};
    GetClientRect(w.hwnd, &client);
    BeginFrame(17, 27, 34);
    DrawRectRgba(10, 10, 40, 40, 200, 100, 50);
    PostMessageW(w.hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    const int64_t stamp = w.stamps.stateStamp;
    DrawRectRgba(100, 10, 40, 40, 50, 200, 100);
    EXPECT_GT(w.stamps.stateStamp, stamp);  // the pump delivered it
    EndFrame();
    glFinish();
    const Rgb orange{200, 100, 50}, green{50, 200, 100};
    EXPECT_EQ(ScreenPixel(30, 30), orange);
    EXPECT_EQ(ScreenPixel(120, 30), green);
    EXPECT_EQ(ScreenPixel(300, 300), kBackground);
    // Outside a frame the background is repainted as before.
    SendMessageW(w.hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    glFinish();
    EXPECT_EQ(ScreenPixel(30, 30), (Rgb{10, 11, 13}));
}

// A real size change inside a frame: the drawn Maximize button, clicked while
// the frame draws (the next primitive pumps the click), grows the client
// area. What the frame drew before keeps its place, the rest of the frame
// draws at the new size, and the newly exposed strips show the frame's clear
// colour instead of black.
TEST(CanvasDraw, SizeChangeInsideAFrameIsPresentedAtTheNewSize) {
    OpenFresh(kFaultNone);
    CanvasWindow& w = Current();
    const int oldWidth = w.width, oldHeight = w.height;
    BeginFrame(17, 27, 34);
    DrawRectRgba(300, 200, 40, 40, 90, 60, 200);
    PostMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(oldWidth - 70, 20));
    PostMessageW(w.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(oldWidth - 70, 20));
    DrawRectRgba(10, 10, 40, 40, 200, 100, 50);
    ASSERT_TRUE(IsZoomed(w.hwnd));
    ASSERT_GT(w.width, oldWidth);
    ASSERT_GT(w.height, oldHeight);
    DrawRectRgba(w.width - 50, w.height - 50, 40, 40, 50, 200, 100);
    EndFrame();
    glFinish();
    const Rgb blue{90, 60, 200}, orange{200, 100, 50}, green{50, 200, 100};
    ExpectScreenPixels({{320, 220, blue},
                        {30, 30, orange},
                        {w.width - 30, w.height - 30, green},
                        {500, 300, kBackground},
                        {w.width - 5, 300, kBackground},
                        {500, w.height - 5, kBackground},
                        {oldWidth + 10, oldHeight + 10, kBackground}});
}

TEST(CanvasDraw, LegacyFormatClearsOneToWhiteAndTwoToNearBlack) {
    OpenFresh(kFaultNoArbExtension);
    CanvasWindow& w = Current();
    EXPECT_FALSE(w.strictSrgbFormat);
    EXPECT_FALSE(w.srgbOutput);
    EXPECT_EQ(glIsEnabled(0x8DB9), GL_FALSE);
    PIXELFORMATDESCRIPTOR pfd{};
    DescribePixelFormat(w.dc, GetPixelFormat(w.dc), sizeof(pfd), &pfd);
    EXPECT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_GE(pfd.cColorBits, 24);

    BeginFrame(1, 1, 1);
    EXPECT_EQ(BackPixel(10, 10), (Rgb{255, 255, 255}));
    BeginFrame(2, 2, 2);
    EXPECT_EQ(BackPixel(10, 10), (Rgb{2, 2, 2}));
    BeginFrame(0, 1, -7);
    EXPECT_EQ(BackPixel(10, 10), (Rgb{0, 255, 0}));
    BeginFrame(17, 27, 34);
    EXPECT_EQ(BackPixel(10, 10), kBackground);
    DrawRectRgba(10, 10, 5, 5, 300, -4, 128);
    EXPECT_EQ(BackPixel(12, 12), (Rgb{255, 0, 128}));
    const uint32_t block[4] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u};
    DrawPixelsBgra8(block, 2, 2, 100, 100, 20, 20);
    ExpectPixels({{105, 105, {0x10, 0x20, 0x30}}, {115, 105, {0x40, 0x50, 0x60}}, {105, 115, {0x70, 0x80, 0x90}}});
    DrawTextStyled("Hello", 20, 300, 250, 255, 255, 255);
    EXPECT_GT(CountDifferent(20, 290, 150, 340, kBackground), 40);
}

TEST(CanvasDraw, FontsWithoutDisplayListsKeepTheirFontAndDrawNoText) {
    OpenFresh(kFaultFontLists);
    for (const CanvasFontSlot& slot : Current().fonts) {
        EXPECT_NE(slot.font, nullptr);
        EXPECT_EQ(slot.listBase, 0u);
    }
    BeginFrame(17, 27, 34);
    for (int code : {150, 250, 330}) DrawTextStyled("Hello", 20, 300, code, 255, 255, 255);
    for (int slot = 0; slot < 10; ++slot) DrawText("Hello", 20, 300, slot, 255, 255, 255);
    EXPECT_EQ(CountDifferent(0, 280, 300, 360, kBackground), 0);
}

TEST(CanvasDraw, TranslucentWindowPresentsPremultipliedSrgbThroughALayeredSurface) {
    OpenFresh(kFaultNone, true);
    CanvasWindow& w = Current();
    ASSERT_TRUE(w.translucent);
    wchar_t className[128] = {};
    GetClassNameW(w.hwnd, className, 128);
    EXPECT_STREQ(className, L"rava_window_input_canvas_translucent_window");
    EXPECT_TRUE(GetWindowLongW(w.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(IsWindowVisible(w.hwnd));  // hidden until first presented

    BeginFrame(17, 27, 34);
    DrawRectRgba(0, 0, 4, 4, 250, 10, 20);
    EndFrame();
    const CanvasLayeredSurface& s = w.layered;
    EXPECT_EQ(s.presentCount, 1);
    EXPECT_TRUE(s.presentedThisFrame);
    EXPECT_TRUE(s.shownOnce);
    EXPECT_TRUE(IsWindowVisible(w.hwnd));
    ASSERT_NE(s.pixels, nullptr);
    EXPECT_EQ(s.width, 1000);
    EXPECT_EQ(s.height, 700);
    EXPECT_EQ(CanvasCounters().layeredDibs, 1);
    EXPECT_EQ(CanvasCounters().layeredDibBytes, 1000 * 700 * 4);
    // Opaque pixels pass unchanged; the DIB is bottom-up, so the top-left
    // pixel starts the last row.
    EXPECT_EQ(s.lastCornerPixel, 0xFFFA0A14u);
    EXPECT_EQ(s.pixels[699 * 1000], 0xFFFA0A14u);
    EXPECT_EQ(s.pixels[0], 0xFF111B22u);

    // A half-transparent frame: each channel becomes the premultiplied sRGB code.
    BeginFrame(17, 27, 34);
    glClearColor(SrgbToLinear(200), SrgbToLinear(90), SrgbToLinear(10), 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char back[4] = {};
    glReadPixels(5, 5, 1, 1, 0x80E1, GL_UNSIGNED_BYTE, back);
    ASSERT_GT(back[3], 100);
    ASSERT_LT(back[3], 150);
    EndFrame();
    EXPECT_EQ(s.presentCount, 2);
    const uint32_t p = s.pixels[5 * 1000 + 5];
    EXPECT_EQ(p >> 24, back[3]);
    EXPECT_EQ((p >> 16) & 0xFF, PremultipliedSrgbCode(back[2], back[3]));
    EXPECT_EQ((p >> 8) & 0xFF, PremultipliedSrgbCode(back[1], back[3]));
    EXPECT_EQ(p & 0xFF, PremultipliedSrgbCode(back[0], back[3]));
    EXPECT_LT((p >> 16) & 0xFF, back[2]);
}

TEST(CanvasDraw, LayeredPresentationRespectsSizeAndMemoryLimits) {
    CanvasWindow& w = Current();
    const CanvasLayeredSurface& s = w.layered;
    CanvasResourceCounters& counters = CanvasCounters();
    const int64_t presented = s.presentCount;

    // Wider than 2048: never presented, the old surface stays.
    SetWindowPos(w.hwnd, nullptr, 0, 0, 2049, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    BeginFrame(1, 2, 3);
    EndFrame();
    ASSERT_EQ(w.width, 2049);
    EXPECT_FALSE(s.presentedThisFrame);
    EXPECT_EQ(s.presentCount, presented);
    EXPECT_EQ(s.width, 1000);
    SetWindowPos(w.hwnd, nullptr, 0, 0, 300, 2049, SWP_NOZORDER | SWP_NOACTIVATE);
    BeginFrame(1, 2, 3);
    EndFrame();
    EXPECT_EQ(s.presentCount, presented);

    // Exactly 2048 is allowed.
    SetWindowPos(w.hwnd, nullptr, 0, 0, 2048, 64, SWP_NOZORDER | SWP_NOACTIVATE);
    BeginFrame(1, 2, 3);
    EndFrame();
    EXPECT_EQ(s.presentCount, presented + 1);
    EXPECT_EQ(s.width, 2048);
    EXPECT_EQ(counters.layeredDibs, 1);
    EXPECT_EQ(counters.layeredDibBytes, 2048 * 64 * 4);

    // A new surface that would take the process past 64 MiB is not made.
    // The window's own 2048 x 64 surface is replaced, so it does not count.
    const int64_t others = 64ll * 1024 * 1024 - 100 * 100 * 4 + 1;
    counters.layeredDibBytes += others;
    SetWindowPos(w.hwnd, nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    BeginFrame(1, 2, 3);
    EndFrame();
    EXPECT_FALSE(s.presentedThisFrame);
    EXPECT_EQ(s.width, 2048);
    counters.layeredDibBytes -= 1;  // now it fits exactly
    BeginFrame(1, 2, 3);
    EndFrame();
    EXPECT_TRUE(s.presentedThisFrame);
    EXPECT_EQ(s.width, 100);
    EXPECT_EQ(counters.layeredDibBytes, others - 1 + 100 * 100 * 4);
    counters.layeredDibBytes -= others - 1;

    // A failed DIB leaves the previous surface and counters alone.
    SetWindowPos(w.hwnd, nullptr, 0, 0, 120, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    SetCanvasFaultsForTesting(kFaultLayeredDib);
    BeginFrame(1, 2, 3);
    EndFrame();
    SetCanvasFaultsForTesting(kFaultNone);
    EXPECT_FALSE(s.presentedThisFrame);
    EXPECT_EQ(s.width, 100);
    EXPECT_EQ(counters.layeredDibs, 1);
    EXPECT_EQ(counters.layeredDibBytes, 100 * 100 * 4);

    const HBITMAP dib = s.dib;
    const HDC memoryDc = s.memoryDc;
    DestroyCanvasWindow(w);
    EXPECT_EQ(counters.layeredDibs, 0);
    EXPECT_EQ(counters.layeredDibBytes, 0);
    EXPECT_EQ(GetObjectType(dib), 0u);
    EXPECT_EQ(GetObjectType(memoryDc), 0u);
}

}  // namespace
}  // namespace rava
