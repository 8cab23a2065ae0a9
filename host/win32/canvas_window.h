// The window record and the process-wide window registry of the canvas host.
// The registry owns every CanvasWindow (with its DC, GL context, fonts, display
// lists, textures and layered surface) until DestroyCanvasWindow. Single thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/core/event_stamp.h"

namespace rava {

inline constexpr int32_t kMaxCanvasWindows = 16;
inline constexpr int32_t kInitialClientWidth = 1000;
inline constexpr int32_t kInitialClientHeight = 700;
inline constexpr size_t kTextInputMaxBytes = 512;
// An input method's result or composition string is cut to this many UTF-16
// units, between characters; real ones are a few hundred at most.
inline constexpr size_t kImeStringMaxUnits = 4096;
inline constexpr int kCanvasFontSlotCount = 10;

inline constexpr wchar_t kCanvasWindowClass[] = L"rava_window_input_canvas_window";
inline constexpr wchar_t kCanvasTranslucentWindowClass[] = L"rava_window_input_canvas_translucent_window";

// A GDI font and the base of its 96 glyph display lists (0 = no lists).
struct CanvasFontSlot {
    HFONT font = nullptr;
    uint32_t listBase = 0;
};

// Pointer event fields: one set, overwritten by every pointer event.
struct CanvasPointerEvent {
    int32_t pointerId = 0;
    int32_t pointerType = 0;  // 1 mouse, 2 touch, 3 pen
    uint32_t buttons = 0;
    int32_t pressure = 0;  // 0..1000
    int32_t reserved = 0;  // always 0
    int32_t wheelDelta = 0;
    int32_t clientX = 0;
    int32_t clientY = 0;
    int32_t screenX = 0;
    int32_t screenY = 0;
    bool inContact = false;
    bool captureLost = false;
    bool cancelled = false;
};

// Copied from the pointer event on every pointer-down.
struct CanvasPressSnapshot {
    int64_t inputStamp = 0;
    int32_t pointerId = 0;
    int32_t pointerType = 0;
    int32_t pressure = 0;
    int32_t clientX = 0;
    int32_t clientY = 0;
    int32_t screenX = 0;
    int32_t screenY = 0;
    bool inContact = false;
};

// Key event fields; code and secondCode are shared with the drop event
// (code = drop flag, secondCode = dropped file count).
struct CanvasKeyEvent {
    uint32_t code = 0;
    uint32_t secondCode = 0;
    uint32_t modifiers = 0;  // shift 1, control 2, alt 4
    bool repeat = false;
    uint32_t extra1 = 0;  // every key event: 1
    uint32_t extra2 = 0;  // every key event: 1
    uint32_t extra3 = 0;  // every key event: 0
};

struct CanvasTextInput {
    std::string committed;  // UTF-8, at most kTextInputMaxBytes
    int64_t changeCounter = 0;
    uint16_t pendingHighSurrogate = 0;  // 0 = none
    std::string composition;            // UTF-8
    bool composing = false;
    int64_t compositionCounter = 0;
    // IME caret rectangle; x, y = -1 and height 0 keep the system positions.
    int32_t caretX = -1;
    int32_t caretY = -1;
    int32_t caretHeight = 0;
};

struct CanvasDrop {
    std::string path;  // UTF-8, only when exactly one file was dropped
    uint32_t count = 0;
    bool flag = false;
};

// A manual resize by a border of the client-drawn frame.
struct CanvasResizeDrag {
    bool active = false;
    int32_t hitCode = 0;
    POINT startCursor{};
    RECT startRect{};
};

// The DIB section a translucent window presents through.
struct CanvasLayeredSurface {
    HDC memoryDc = nullptr;
    HBITMAP dib = nullptr;
    HGDIOBJ displacedBitmap = nullptr;
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int64_t byteSize = 0;
    uint32_t lastCornerPixel = 0;
    int64_t presentCount = 0;
    bool shownOnce = false;
    bool presentedThisFrame = false;
};

struct CanvasTextureEntry2 {
    std::string first;
    std::string second;
    uint32_t texture = 0;
};
struct CanvasTextureEntry1 {
    std::string text;
    uint32_t texture = 0;
};

struct CanvasWindow {
    // identity and handles
    int32_t id = 0;
    int32_t ownerId = 0;  // 0 = none
    HWND hwnd = nullptr;
    HDC dc = nullptr;
    HGLRC glrc = nullptr;

    // colour flags
    bool strictSrgbFormat = false;
    bool srgbOutput = false;
    bool translucent = false;

    CanvasLayeredSurface layered;
    CanvasFontSlot fonts[kCanvasFontSlotCount];

    // geometry (client size never below 1 while the window lives)
    int32_t width = kInitialClientWidth;
    int32_t height = kInitialClientHeight;
    int32_t x = 0;
    int32_t y = 0;

    // state flags
    bool open = false;
    bool visible = false;
    bool focused = false;
    bool minimized = false;
    bool closeRequested = false;
    bool captionButtons = true;
    bool customChrome = true;

    // display
    int32_t dpiScale = 100;    // percent
    int32_t monitorIndex = 1;  // 1-based into the registry's monitor list, 0 = none

    // recorded input (written by the window procedure, read by the queries)
    EventStamps stamps;
    CanvasPointerEvent pointer;
    CanvasPressSnapshot press;
    CanvasKeyEvent key;
    uint8_t pressCounters[256] = {};
    CanvasTextInput text;
    CanvasDrop drop;
    CanvasResizeDrag resize;
    // The caption button a left press landed on (0 = none); it fires only
    // when the release is over the same button.
    int32_t pressedCaptionButton = 0;
    int64_t touchInputCount = 0;

    // texture caches, released at teardown
    std::vector<CanvasTextureEntry2> textureCache2;
    std::vector<CanvasTextureEntry1> textureCache1;
    uint32_t singleTexture = 0;
    int32_t singleTextureWidth = 0;
    int32_t singleTextureHeight = 0;
};

// Delayed clipboard rendering of one pending UTF-16 text block.
struct CanvasClipboardState {
    bool pending = false;
    HWND owner = nullptr;
    HGLOBAL block = nullptr;
    int32_t status = 0;  // 2 rendered, 3 released (clipboard destroyed), 4 released (window destroyed)
    int64_t changeCounter = 0;
    int64_t renderCount = 0;
    int64_t releaseCountClipboard = 0;  // on WM_DESTROYCLIPBOARD
    int64_t releaseCountWindow = 0;     // on window destruction
    uint64_t pendingSize = 0;
};

// Last session-lifecycle notification.
struct CanvasSessionEvent {
    int64_t eventCount = 0;
    int32_t kind = 0;  // 1 activation, 2 power, 3 session change, 4 query end, 5 end
    uint64_t value = 0;
    int32_t windowId = 0;
    bool flag = false;
};

struct CanvasOpenFrame {
    int32_t width = 0;
    int32_t height = 0;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

struct CanvasPointerLock {
    HWND window = nullptr;
    bool requested = false;
    bool engaged = false;
    bool rawInputRegistered = false;
    bool cursorShown = true;
    // x in the low 32 bits, y in the high 32 bits, each saturating at int32.
    std::atomic<uint64_t> rawMotion{0};
    uint64_t rawMotionSecond = 0;
};

struct CanvasWindowRegistry {
    CanvasWindowRegistry() : windows(1) { windows.max_load_factor(1.0f); }

    std::unordered_map<int32_t, std::unique_ptr<CanvasWindow>> windows;
    std::vector<HMONITOR> monitors;
    int32_t nextId = 1;
    int32_t currentId = 0;
    int32_t activeId = 0;
    int64_t eventSequence = 1;
    // The window whose frame is open between BeginFrame and EndFrame (0 =
    // none): its background is not repainted under the frame's drawing.
    int32_t openFrameWindowId = 0;
    // The open frame's clear colour and the client size its projection
    // covers, so a size change inside the frame can carry it to the new size.
    CanvasOpenFrame openFrame;
    CanvasPointerLock lock;
    std::atomic<bool> classesRegistered{false};
    CanvasClipboardState clipboard;
    CanvasSessionEvent session;
};

// Live resources across all windows; all return to zero when every window is destroyed.
struct CanvasResourceCounters {
    int64_t cache2Textures = 0;
    int64_t cache1Textures = 0;
    int64_t singleTextures = 0;
    int64_t layeredDibs = 0;
    int64_t layeredDibBytes = 0;
};

// Frame status shared by all windows.
struct CanvasFrameStatus {
    std::atomic<uint64_t> flags{0};        // EndFrame sets bit 2
    std::atomic<uint64_t> endedFrames{0};  // stops at the largest value
};

// The one registry of the process, made on first use and never destroyed.
CanvasWindowRegistry& CanvasRegistry();
CanvasResourceCounters& CanvasCounters();
CanvasFrameStatus& CanvasFrames();

// The window with this handle, or nullptr.
CanvasWindow* FindCanvasWindowByHandle(HWND hwnd);
// The window with this id, or nullptr.
CanvasWindow* FindCanvasWindowById(int32_t id);

// Active window if open, else the current window if open (which becomes
// active), else nullptr. Never pumps, never raises.
CanvasWindow* ResolveCurrentWindow();

// Takes the next event sequence value into the window's stamps.
void StampCanvasWindow(CanvasWindow& window, int32_t kind);

// Re-reads the window's DPI scale and monitor index.
void RefreshDpiAndMonitor(CanvasWindow& window);

// Clears both buffers of an opaque window to the background colour (a
// translucent one to transparent once); used after size changes. While the
// window has a frame open it clears nothing the frame drew: the frame goes on
// at the new size (projection reset, newly exposed strips in its clear colour).
void RepaintCanvasBackground(CanvasWindow& window);

// Pumps, resolves the current window and makes its context current; raises
// "window/canvas runtime window is not open for <operation>" otherwise.
CanvasWindow& RequireOpenWindow(std::string_view operation);

void RegisterCanvasWindowClasses();
void DestroyCanvasWindow(CanvasWindow& window);

// Defined with the window procedure: drops the pointer lock if this window holds it.
void ReleaseCanvasPointerLock(CanvasWindow& window);

}  // namespace rava
