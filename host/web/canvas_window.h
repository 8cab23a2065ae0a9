// The window record and the process-wide registry of the web canvas host.
// The page's first <canvas> is the one window a page can show: each opened
// window draws there through its own WebGL context, owns its renderer, glyph
// atlases and pixel texture, and gives them up in DestroyCanvasWindow.
// Input arrives from the page's listeners between frames. Single thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/core/event_stamp.h"
#include "host/core/font_slots.h"
#include "host/gl/batch_renderer.h"
#include "host/gl/glyph_atlas.h"
#include "host/gl/pixel_texture.h"
#include "host/web/page_input.h"

namespace rava {

inline constexpr int32_t kMaxCanvasWindows = 16;
inline constexpr int32_t kClientWidth = 1000;
inline constexpr int32_t kClientHeight = 700;
struct CanvasWindow {
    int32_t id = 0;
    int context = 0;  // the WebGL context handle, 0 once released
    bool contextLost = false;
    BatchRenderer renderer;
    // The drawing buffer: the client area at the page's device pixel ratio.
    int32_t framebufferWidth = kClientWidth;
    int32_t framebufferHeight = kClientHeight;
    double pixelRatio = 1.0;  // what the glyph atlases were made for
    // Asked once per context: in a browser every GL query waits for the GPU.
    int32_t maxTextureSize = 0;

    bool open = false;
    EventStamps stamps;
    GlyphAtlas fonts[kFontSlotCount];
    // DrawPixelsBgra8's texture and the RGBA copy its texels are uploaded
    // from (WebGL 1 has no BGRA).
    PixelTexture pixels;
    std::vector<uint32_t> pixelScratch;
};

struct CanvasWindowRegistry {
    std::unordered_map<int32_t, std::unique_ptr<CanvasWindow>> windows;
    int32_t nextId = 1;
    int32_t currentId = 0;
    int32_t activeId = 0;
    int64_t eventSequence = 1;
    bool listening = false;  // the page's listeners are attached
    PageInputState input;
};

CanvasWindowRegistry& CanvasRegistry();

CanvasWindow* FindCanvasWindowById(int32_t id);
// Active window if open, else the current window if open (which becomes
// active), else nullptr. Never raises.
CanvasWindow* ResolveCurrentWindow();
void StampCanvasWindow(CanvasWindow& window, int32_t kind);

// Resolves the current window and makes its context current; raises
// "window/canvas runtime window is not open for <operation>" otherwise.
CanvasWindow& RequireOpenWindow(std::string_view operation);

// Glyph atlases of the ten slots at the window's pixel ratio; needs the
// window's context current. A slot the page cannot rasterise draws nothing.
void CreateCanvasFonts(CanvasWindow& window);

// Makes the renderer, fonts and pixel texture of a window whose context is
// current, as at opening and again after a restored context. False when the
// context refuses the renderer.
bool CreateWindowResources(CanvasWindow& window);

void DestroyCanvasWindow(CanvasWindow& window);

// The context went away: its GL objects went with it, only their names are
// dropped. Drawing does nothing until the context is restored.
void MarkContextLost(CanvasWindow& window);
// Whether the window can draw now. A context can be lost before the page
// hears of it (WEBGL_lose_context loses it at once, the event comes later),
// and every GL query on a lost context answers null, so this asks the
// context itself first.
bool ContextUsable(CanvasWindow& window);

// The colour a primitive gets: the page's WebGL framebuffer takes sRGB codes as they are.
BatchColor CanvasColor(int32_t red, int32_t green, int32_t blue);

}  // namespace rava
