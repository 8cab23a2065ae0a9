// The batched renderer of the shader-based backends (WebGL, and desktop GL
// 2.1 for X11): coloured and textured quads and fans in client pixels, kept in
// one vertex buffer per frame and drawn with one call per texture or blend
// change. It saves the GL state it touches before drawing and restores it
// after. Translucent runs blend with the context's blend function, which the
// host sets once to source-alpha-over (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
// equation GL_FUNC_ADD); the renderer only switches GL_BLEND on and off.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/core/rounded_rect.h"

namespace rava {

// The GL dialect the shaders are written for; only the version line differs.
enum class GlDialect { kGles2, kDesktopGl21 };

// "#version 100" (OpenGL ES 2.0 / WebGL 1) or "#version 120" (GL 2.1).
const char* GlslVersionLine(GlDialect dialect);

// Colour of a primitive as the framebuffer should receive it: either 8-bit
// sRGB codes scaled to 0..1 (plain framebuffers) or their linear values
// (sRGB framebuffers), alpha 1.
struct BatchColor {
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
};

struct BatchVertex {
    float x = 0.0f, y = 0.0f;  // client pixels
    float u = 0.0f, v = 0.0f;
    BatchColor color;
};

// A run of indices drawn with one texture and one blend setting.
struct BatchRun {
    uint32_t texture = 0;
    bool blend = false;
    uint32_t firstIndex = 0;
    uint32_t indexCount = 0;
};

// The CPU side of a batch: vertices, 16-bit indices and runs. Kept apart
// from GL so that how primitives become runs is testable without a context.
class BatchList {
public:
    // Vertices a flush holds at most: indices are 16-bit everywhere WebGL 1 runs.
    static constexpr uint32_t kMaxVertices = 65536;

    // False when the quad does not fit and the list must be flushed first.
    bool AddQuad(uint32_t texture, bool blend, const BatchVertex (&corners)[4]);
    // A convex fan: the first point is the centre; each further pair of
    // neighbours makes one triangle with it.
    bool AddFan(uint32_t texture, bool blend, std::span<const FanPoint> points, const BatchColor& color);
    void Clear();
    bool Empty() const { return indices_.empty(); }

    const std::vector<BatchVertex>& Vertices() const { return vertices_; }
    const std::vector<uint16_t>& Indices() const { return indices_; }
    const std::vector<BatchRun>& Runs() const { return runs_; }

private:
    bool Reserve(uint32_t vertexCount);
    void Extend(uint32_t texture, bool blend, uint32_t indexCount);

    std::vector<BatchVertex> vertices_;
    std::vector<uint16_t> indices_;
    std::vector<BatchRun> runs_;
};

class BatchRenderer {
public:
    // Compiles the shaders and makes the buffers and the 1 x 1 white texture
    // of untextured primitives; needs the context current. False (with
    // everything released) when the context refuses any of it.
    bool Create(GlDialect dialect);
    // Deletes the GL objects; needs the context current.
    void Destroy();
    // After a lost context the objects are gone with it: only the names are dropped.
    void Forget();
    bool Ready() const { return program_ != 0; }

    // Starts a frame on a framebuffer of this size showing a client area of
    // clientWidth x clientHeight pixels (origin top left, y down).
    void BeginFrame(int32_t framebufferWidth, int32_t framebufferHeight, float clientWidth, float clientHeight);

    // Untextured, opaque rectangle; a negative width collapses to zero.
    void AddRect(float x, float y, float width, float height, const BatchColor& color);
    void AddFan(std::span<const FanPoint> points, const BatchColor& color);
    // A texture region stretched over a rectangle; texture 0 draws nothing.
    void AddTexturedQuad(uint32_t texture, bool blend, float x0, float y0, float x1, float y1, float u0, float v0,
                         float u1, float v1, const BatchColor& color);

    // Draws what is pending, then fills the whole framebuffer with this colour
    // (scissor off for the clear; the clear colour is left set).
    void Clear(const BatchColor& color);

    // True while a pending primitive samples this texture, so that a caller
    // about to change the texels can Flush first.
    bool Uses(uint32_t texture) const;
    // Draws everything pending and empties the list.
    void Flush();

    uint32_t WhiteTexture() const { return whiteTexture_; }
    const BatchList& Pending() const { return list_; }

private:
    void Push(uint32_t texture, bool blend, const BatchVertex (&corners)[4]);

    BatchList list_;
    uint32_t program_ = 0;       // colour times texel
    uint32_t colorProgram_ = 0;  // colour alone, for runs on the white texture
    uint32_t vertexBuffer_ = 0;
    uint32_t indexBuffer_ = 0;
    uint32_t whiteTexture_ = 0;
    int32_t transformLocation_ = -1;
    int32_t samplerLocation_ = -1;
    int32_t colorTransformLocation_ = -1;
    int32_t framebufferWidth_ = 1;
    int32_t framebufferHeight_ = 1;
    float clientWidth_ = 1.0f;
    float clientHeight_ = 1.0f;
};

}  // namespace rava
