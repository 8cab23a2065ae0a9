// Opening, guarding and tearing down real canvas windows under one process.
// The tests run in order: nothing is open at first, the 16-window budget is
// spent last.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "canvas_test_support.h"
#include "host/host.h"
#include "host/win32/canvas_faults.h"
#include "host/win32/canvas_window.h"

namespace rava {
namespace {

using test::RaisedMessage;

constexpr char kTitle[] = "Rovovavev / Rava + Dudura fluid";
constexpr char kNotOpen[] = "window.canvas: window/canvas runtime window is not open for ";

int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM p) -> BOOL {
            ++*reinterpret_cast<int*>(p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

std::u16string WindowTitle(HWND hwnd) {
    wchar_t buffer[256] = {};
    const int n = GetWindowTextW(hwnd, buffer, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), n > 0 ? n : 0);
}

CanvasWindow& Current() {
    CanvasWindow* w = FindCanvasWindowById(CanvasRegistry().currentId);
    EXPECT_NE(w, nullptr);
    return *w;
}

bool CountersAreZero() {
    const CanvasResourceCounters& c = CanvasCounters();
    return c.cache1Textures == 0 && c.cache2Textures == 0 && c.singleTextures == 0 && c.layeredDibs == 0 &&
           c.layeredDibBytes == 0;
}

TEST(CanvasHost, EveryGuardedOperationRaisesBeforeAnyWindowIsOpen) {
    const uint32_t block[1] = {0};
    const std::vector<std::pair<std::string, std::function<void()>>> calls = {
        {"BeginFrame", [] { BeginFrame(1, 2, 3); }},
        {"EndFrame", [] { EndFrame(); }},
        {"DrawRectRgba", [] { DrawRectRgba(0, 0, 1, 1, 1, 2, 3); }},
        {"DrawRoundedRectRgba", [] { DrawRoundedRectRgba(0, 0, 10, 10, 2, 1, 2, 3); }},
        {"DrawText", [] { DrawText("x", 0, 0, 4, 1, 2, 3); }},
        {"DrawTextStyled", [] { DrawTextStyled("x", 0, 0, 150, 1, 2, 3); }},
        {"DrawPixelsBgra8", [&] { DrawPixelsBgra8(block, 1, 1, 0, 0, 1, 1); }},
        {"MouseX", [] { MouseX(); }},
        {"MouseY", [] { MouseY(); }},
    };
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(RaisedMessage(call), kNotOpen + name);
    }
    try {
        MouseX();
        FAIL() << "MouseX did not raise";
    } catch (const rill_runtime_exception& e) {
        EXPECT_EQ(e.Record().code, "window.canvas");
        EXPECT_EQ(e.Record().message, "window/canvas runtime window is not open for MouseX");
        EXPECT_EQ(e.Record().module, "rill_window_input_canvas");
    }
    EXPECT_EQ(CanvasRegistry().nextId, 1);
}

TEST(CanvasHost, EachOpeningFailureRaisesItsMessageAndLeavesNothingBehind) {
    struct Case {
        uint32_t faults;
        const char* message;
    };
    const Case cases[] = {
        {kFaultCreateWindow, "failed to create window/canvas window"},
        {kFaultGetDc, "failed to acquire window/canvas device context"},
        {kFaultDescribeFormat, "failed to describe strict sRGB window/canvas pixel format"},
        {kFaultNoArbExtension | kFaultChooseFormat, "failed to configure window/canvas OpenGL pixel format"},
        {kFaultSetFormat, "failed to configure window/canvas OpenGL pixel format"},
        {kFaultNoArbExtension | kFaultSetFormat, "failed to configure window/canvas OpenGL pixel format"},
        {kFaultCreateContext, "failed to activate window/canvas OpenGL context"},
        {kFaultMakeCurrent, "failed to activate window/canvas OpenGL context"},
    };
    const int windowsBefore = ThreadWindowCount();
    for (const Case& c : cases) {
        SetCanvasFaultsForTesting(c.faults);
        EXPECT_EQ(RaisedMessage([] { OpenCanvasWindow(kTitle); }), std::string("window.canvas: ") + c.message)
            << c.faults;
        SetCanvasFaultsForTesting(kFaultNone);
        PumpWindowMessages();
        const CanvasWindowRegistry& registry = CanvasRegistry();
        EXPECT_EQ(registry.nextId, 1) << c.faults;
        EXPECT_TRUE(registry.windows.empty()) << c.faults;
        EXPECT_EQ(registry.currentId, 0);
        EXPECT_EQ(registry.activeId, 0);
        EXPECT_EQ(ThreadWindowCount(), windowsBefore) << c.faults;
        EXPECT_EQ(wglGetCurrentContext(), nullptr) << c.faults;
    }
}

TEST(CanvasHost, OpensA1000By700WindowWithTitleFontsAndStrictSrgb) {
    OpenCanvasWindow(kTitle);
    const CanvasWindowRegistry& registry = CanvasRegistry();
    ASSERT_EQ(registry.windows.size(), 1u);
    CanvasWindow& w = Current();
    EXPECT_EQ(w.id, 1);
    EXPECT_EQ(registry.nextId, 2);
    EXPECT_EQ(registry.activeId, 1);
    RECT client{};
    ASSERT_TRUE(GetClientRect(w.hwnd, &client));
    EXPECT_EQ(client.right - client.left, 1000);
    EXPECT_EQ(client.bottom - client.top, 700);
    EXPECT_EQ(w.width, 1000);
    EXPECT_EQ(w.height, 700);
    EXPECT_EQ(WindowTitle(w.hwnd), u"Rovovavev / Rava + Dudura fluid");
    wchar_t className[128] = {};
    GetClassNameW(w.hwnd, className, 128);
    EXPECT_STREQ(className, L"rava_window_input_canvas_window");
    EXPECT_TRUE(w.open);
    EXPECT_TRUE(w.visible);
    EXPECT_TRUE(IsWindowVisible(w.hwnd));
    EXPECT_FALSE(w.translucent);
    EXPECT_TRUE(w.captionButtons);
    EXPECT_TRUE(w.customChrome);
    EXPECT_EQ(w.dpiScale, 100);
    EXPECT_EQ(w.monitorIndex, 1);
    EXPECT_GT(w.stamps.stateStamp, 0);
    EXPECT_EQ(wglGetCurrentContext(), w.glrc);

    // Mesa's llvmpipe offers an sRGB-capable ARB format and sRGB textures.
    EXPECT_TRUE(w.strictSrgbFormat);
    EXPECT_TRUE(w.srgbOutput);
    EXPECT_EQ(glIsEnabled(0x8DB9), GL_TRUE);

    for (const CanvasFontSlot& slot : w.fonts) {
        EXPECT_NE(slot.font, nullptr);
        EXPECT_NE(slot.listBase, 0u);
        EXPECT_EQ(glIsList(slot.listBase + ('H' - 32)), GL_TRUE);
    }
}

TEST(CanvasHost, SecondOpenCreatesNothingAndRebindsTheContext) {
    CanvasWindow& w = Current();
    const int windowsBefore = ThreadWindowCount();
    wglMakeCurrent(nullptr, nullptr);
    OpenCanvasWindow("another title");
    EXPECT_EQ(CanvasRegistry().windows.size(), 1u);
    EXPECT_EQ(CanvasRegistry().nextId, 2);
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);
    EXPECT_EQ(WindowTitle(w.hwnd), u"Rovovavev / Rava + Dudura fluid");
    EXPECT_EQ(wglGetCurrentContext(), w.glrc);
}

// A second context sharing the window's display lists outlives it, so it can
// see whether teardown really deleted them.
struct ListWitness {
    HWND hwnd = nullptr;
    HDC dc = nullptr;
    HGLRC rc = nullptr;

    explicit ListWitness(const CanvasWindow& w) {
        hwnd = CreateWindowExW(0, kCanvasWindowClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        dc = GetDC(hwnd);
        PIXELFORMATDESCRIPTOR pfd{};
        const int format = GetPixelFormat(w.dc);
        DescribePixelFormat(w.dc, format, sizeof(pfd), &pfd);
        SetPixelFormat(dc, format, &pfd);
        rc = wglCreateContext(dc);
    }
    ~ListWitness() {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(rc);
        ReleaseDC(hwnd, dc);
        DestroyWindow(hwnd);
    }
};

TEST(CanvasHost, TeardownReleasesEveryResourceAndZeroesTheCounters) {
    CanvasWindow& w = Current();
    // Fill the texture caches as a caching client would.
    CanvasResourceCounters& counters = CanvasCounters();
    GLuint names[4] = {};
    glGenTextures(4, names);
    w.textureCache2.push_back({"a", "b", names[0]});
    w.textureCache2.push_back({"c", "d", names[1]});
    counters.cache2Textures += 2;
    w.textureCache1.push_back({"e", names[2]});
    counters.cache1Textures += 1;
    w.singleTexture = names[3];
    w.singleTextureWidth = 4;
    w.singleTextureHeight = 4;
    counters.singleTextures += 1;

    ListWitness witness(w);
    ASSERT_NE(witness.rc, nullptr);
    ASSERT_TRUE(wglShareLists(w.glrc, witness.rc));
    std::vector<HFONT> fonts;
    std::vector<GLuint> bases;
    for (const CanvasFontSlot& slot : w.fonts) {
        fonts.push_back(slot.font);
        bases.push_back(slot.listBase);
        EXPECT_NE(GetObjectType(slot.font), 0u);
    }
    const HWND hwnd = w.hwnd;
    const HGLRC glrc = w.glrc;

    DestroyCanvasWindow(w);

    EXPECT_TRUE(CountersAreZero());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(FindCanvasWindowById(1), nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(wglDeleteContext(glrc));  // already deleted
    for (HFONT font : fonts) EXPECT_EQ(GetObjectType(font), 0u);
    ASSERT_TRUE(wglMakeCurrent(witness.dc, witness.rc));
    for (GLuint base : bases) EXPECT_EQ(glIsList(base), GL_FALSE) << base;
    for (GLuint name : names) EXPECT_EQ(glIsTexture(name), GL_FALSE) << name;
    wglMakeCurrent(nullptr, nullptr);

    EXPECT_EQ(RaisedMessage([] { BeginFrame(0, 0, 0); }), std::string(kNotOpen) + "BeginFrame");
}

TEST(CanvasHost, InvalidUtf8TitleOpensWithAnEmptyTitle) {
    OpenCanvasWindow("bad \xFF\xFE title");
    EXPECT_EQ(Current().id, 2);
    EXPECT_EQ(GetWindowTextLengthW(Current().hwnd), 0);
    DestroyCanvasWindow(Current());

    OpenCanvasWindow("caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(WindowTitle(Current().hwnd), u"caf\u00E9 \U0001F600");
    DestroyCanvasWindow(Current());
}

TEST(CanvasHost, ClosedWindowRaisesAndDestroyAllReleasesEveryWindow) {
    OpenCanvasWindow("first");
    CanvasWindow& first = Current();
    SendMessageW(first.hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(first.open);
    EXPECT_TRUE(first.closeRequested);
    EXPECT_FALSE(CurrentCanvasWindowOpen());
    EXPECT_EQ(RaisedMessage([] { EndFrame(); }), std::string(kNotOpen) + "EndFrame");

    // The closed window stays registered; the next open makes a new one.
    OpenCanvasWindow("second");
    EXPECT_EQ(CanvasRegistry().windows.size(), 2u);
    EXPECT_TRUE(CurrentCanvasWindowOpen());
    const HWND secondHwnd = Current().hwnd;
    DestroyAllCanvasWindows();
    EXPECT_TRUE(CanvasRegistry().windows.empty());
    EXPECT_EQ(CanvasRegistry().currentId, 0);
    EXPECT_EQ(CanvasRegistry().activeId, 0);
    EXPECT_FALSE(IsWindow(secondHwnd));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(CountersAreZero());
}

TEST(CanvasHost, AfterSixteenWindowsAFurtherOpenDoesNothing) {
    while (CanvasRegistry().nextId <= kMaxCanvasWindows) {
        const int32_t expected = CanvasRegistry().nextId;
        OpenCanvasWindow("budget");
        ASSERT_EQ(Current().id, expected);
        DestroyCanvasWindow(Current());
    }
    const int windowsBefore = ThreadWindowCount();
    OpenCanvasWindow("one too many");
    EXPECT_EQ(CanvasRegistry().nextId, 17);
    EXPECT_TRUE(CanvasRegistry().windows.empty());
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);
    EXPECT_EQ(RaisedMessage([] { DrawRectRgba(0, 0, 1, 1, 0, 0, 0); }), std::string(kNotOpen) + "DrawRectRgba");
}

}  // namespace
}  // namespace rava
