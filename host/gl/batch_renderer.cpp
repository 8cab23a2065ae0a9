// Batched drawing over the common subset of OpenGL ES 2.0 / WebGL 1 and
// desktop GL 2.1: one shader pair (colour times texel), one vertex and one
// index buffer refilled per flush, runs split where texture or blending change.
#include "host/gl/batch_renderer.h"

#include "host/gl/gl_api.h"

#include <cstddef>
#include <string>

namespace rava {

namespace {

// The dialects and their version lines; everything below the line is shared.
struct DialectVersion {
    GlDialect dialect;
    const char* line;
};
constexpr DialectVersion kVersions[] = {
    {GlDialect::kGles2, "#version 100\n"},
    {GlDialect::kDesktopGl21, "#version 120\n"},
};

constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kUvAttribute = 1;
constexpr GLuint kColorAttribute = 2;

constexpr const char* kVertexShader = R"(
uniform vec4 u_transform;
attribute vec2 a_position;
attribute vec2 a_uv;
attribute vec4 a_color;
varying vec2 v_uv;
varying vec4 v_color;
void main() {
    v_uv = a_uv;
    v_color = a_color;
    gl_Position = vec4(a_position * u_transform.xy + u_transform.zw, 0.0, 1.0);
}
)";

// GLSL ES needs a default float precision in fragment shaders; GL 2.1's
// GLSL 1.20 has no precision qualifiers, hence the guard.
constexpr const char* kFragmentShader = R"(
#ifdef GL_ES
precision mediump float;
#endif
uniform sampler2D u_texture;
varying vec2 v_uv;
varying vec4 v_color;
void main() {
    gl_FragColor = v_color * texture2D(u_texture, v_uv);
}
)";

// Untextured primitives skip the texel fetch: the white texel would leave the
// colour as it is, and a software rasteriser pays for every fetch.
constexpr const char* kColorFragmentShader = R"(
#ifdef GL_ES
precision mediump float;
#endif
varying vec4 v_color;
void main() {
    gl_FragColor = v_color;
}
)";

GLuint CompileShader(GLenum kind, GlDialect dialect, const char* body) {
    const GLuint shader = glCreateShader(kind);
    if (shader == 0) return 0;
    const char* sources[2] = {GlslVersionLine(dialect), body};
    glShaderSource(shader, 2, sources, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint LinkProgram(GlDialect dialect, const char* fragmentBody) {
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, dialect, kVertexShader);
    const GLuint fragment = vertex != 0 ? CompileShader(GL_FRAGMENT_SHADER, dialect, fragmentBody) : 0;
    GLuint program = fragment != 0 ? glCreateProgram() : 0;
    if (program != 0) {
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glBindAttribLocation(program, kPositionAttribute, "a_position");
        glBindAttribLocation(program, kUvAttribute, "a_uv");
        glBindAttribLocation(program, kColorAttribute, "a_color");
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (ok != GL_TRUE) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    // Once linked (or failed) the program no longer needs its shader objects.
    if (vertex != 0) glDeleteShader(vertex);
    if (fragment != 0) glDeleteShader(fragment);
    return program;
}

// The state Flush changes, read before it draws and put back after. The blend
// function is not among it (see the header): in a browser, reading it waits
// for the GPU process to finish all queued work, which cost a whole frame.
struct SavedGlState {
    GLint program = 0;
    GLint arrayBuffer = 0;
    GLint elementBuffer = 0;
    GLint activeTexture = GL_TEXTURE0;
    GLint texture = 0;
    GLint viewport[4] = {};
    GLboolean blend = GL_FALSE;
    GLboolean scissor = GL_FALSE, depth = GL_FALSE, cull = GL_FALSE, stencil = GL_FALSE;
    GLint attributeEnabled[3] = {};

    void Save() {
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        glGetIntegerv(GL_VIEWPORT, viewport);
        blend = glIsEnabled(GL_BLEND);
        scissor = glIsEnabled(GL_SCISSOR_TEST);
        depth = glIsEnabled(GL_DEPTH_TEST);
        cull = glIsEnabled(GL_CULL_FACE);
        stencil = glIsEnabled(GL_STENCIL_TEST);
        for (GLuint i = 0; i < 3; ++i) glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &attributeEnabled[i]);
    }

    void Restore() const {
        glUseProgram(static_cast<GLuint>(program));
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(elementBuffer));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glActiveTexture(static_cast<GLenum>(activeTexture));
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        SetEnabled(GL_BLEND, blend);
        SetEnabled(GL_SCISSOR_TEST, scissor);
        SetEnabled(GL_DEPTH_TEST, depth);
        SetEnabled(GL_CULL_FACE, cull);
        SetEnabled(GL_STENCIL_TEST, stencil);
        for (GLuint i = 0; i < 3; ++i) {
            if (attributeEnabled[i]) {
                glEnableVertexAttribArray(i);
            } else {
                glDisableVertexAttribArray(i);
            }
        }
    }

    static void SetEnabled(GLenum capability, GLboolean on) {
        if (on) {
            glEnable(capability);
        } else {
            glDisable(capability);
        }
    }
};

}  // namespace

const char* GlslVersionLine(GlDialect dialect) {
    for (const DialectVersion& v : kVersions) {
        if (v.dialect == dialect) return v.line;
    }
    return kVersions[0].line;
}

// ---- BatchList ----------------------------------------------------------

bool BatchList::Reserve(uint32_t vertexCount) { return vertices_.size() + vertexCount <= kMaxVertices; }

void BatchList::Extend(uint32_t texture, bool blend, uint32_t indexCount) {
    if (!runs_.empty() && runs_.back().texture == texture && runs_.back().blend == blend) {
        runs_.back().indexCount += indexCount;
        return;
    }
    const auto first = static_cast<uint32_t>(indices_.size()) - indexCount;
    runs_.push_back(BatchRun{texture, blend, first, indexCount});
}

bool BatchList::AddQuad(uint32_t texture, bool blend, const BatchVertex (&corners)[4]) {
    if (!Reserve(4)) return false;
    const auto base = static_cast<uint16_t>(vertices_.size());
    vertices_.insert(vertices_.end(), std::begin(corners), std::end(corners));
    for (const uint16_t i : {0, 1, 2, 0, 2, 3}) indices_.push_back(static_cast<uint16_t>(base + i));
    Extend(texture, blend, 6);
    return true;
}

bool BatchList::AddFan(uint32_t texture, bool blend, std::span<const FanPoint> points, const BatchColor& color) {
    if (points.size() < 3) return true;
    if (points.size() > kMaxVertices || !Reserve(static_cast<uint32_t>(points.size()))) return false;
    const auto base = static_cast<uint32_t>(vertices_.size());
    for (const FanPoint& p : points) vertices_.push_back(BatchVertex{p.x, p.y, 0.0f, 0.0f, color});
    const auto count = static_cast<uint32_t>(points.size());
    for (uint32_t i = 1; i + 1 < count; ++i) {
        indices_.push_back(static_cast<uint16_t>(base));
        indices_.push_back(static_cast<uint16_t>(base + i));
        indices_.push_back(static_cast<uint16_t>(base + i + 1));
    }
    Extend(texture, blend, 3 * (count - 2));
    return true;
}

void BatchList::Clear() {
    vertices_.clear();
    indices_.clear();
    runs_.clear();
}

// ---- BatchRenderer ------------------------------------------------------

bool BatchRenderer::Create(GlDialect dialect) {
    Destroy();
    program_ = LinkProgram(dialect, kFragmentShader);
    if (program_ == 0) return false;
    colorProgram_ = LinkProgram(dialect, kColorFragmentShader);
    transformLocation_ = glGetUniformLocation(program_, "u_transform");
    samplerLocation_ = glGetUniformLocation(program_, "u_texture");
    colorTransformLocation_ = colorProgram_ != 0 ? glGetUniformLocation(colorProgram_, "u_transform") : -1;
    GLuint buffers[2] = {};
    glGenBuffers(2, buffers);
    vertexBuffer_ = buffers[0];
    indexBuffer_ = buffers[1];
    GLuint white = 0;
    glGenTextures(1, &white);
    whiteTexture_ = white;
    if (vertexBuffer_ == 0 || indexBuffer_ == 0 || whiteTexture_ == 0 || transformLocation_ < 0 ||
        colorTransformLocation_ < 0) {
        Destroy();
        return false;
    }
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    const unsigned char texel[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return true;
}

void BatchRenderer::Destroy() {
    if (program_ != 0) glDeleteProgram(program_);
    if (colorProgram_ != 0) glDeleteProgram(colorProgram_);
    const GLuint buffers[2] = {vertexBuffer_, indexBuffer_};
    for (const GLuint b : buffers) {
        if (b != 0) glDeleteBuffers(1, &b);
    }
    if (whiteTexture_ != 0) {
        const GLuint t = whiteTexture_;
        glDeleteTextures(1, &t);
    }
    Forget();
}

void BatchRenderer::Forget() {
    program_ = 0;
    colorProgram_ = 0;
    vertexBuffer_ = 0;
    indexBuffer_ = 0;
    whiteTexture_ = 0;
    transformLocation_ = -1;
    samplerLocation_ = -1;
    colorTransformLocation_ = -1;
    list_.Clear();
}

void BatchRenderer::BeginFrame(int32_t framebufferWidth, int32_t framebufferHeight, float clientWidth,
                               float clientHeight) {
    list_.Clear();
    framebufferWidth_ = framebufferWidth < 1 ? 1 : framebufferWidth;
    framebufferHeight_ = framebufferHeight < 1 ? 1 : framebufferHeight;
    clientWidth_ = clientWidth > 0.0f ? clientWidth : 1.0f;
    clientHeight_ = clientHeight > 0.0f ? clientHeight : 1.0f;
}

void BatchRenderer::Push(uint32_t texture, bool blend, const BatchVertex (&corners)[4]) {
    if (list_.AddQuad(texture, blend, corners)) return;
    Flush();
    list_.AddQuad(texture, blend, corners);
}

void BatchRenderer::AddRect(float x, float y, float width, float height, const BatchColor& color) {
    const float w = width < 0.0f ? 0.0f : width;
    const BatchVertex corners[4] = {
        {x, y, 0, 0, color}, {x + w, y, 0, 0, color}, {x + w, y + height, 0, 0, color}, {x, y + height, 0, 0, color}};
    Push(whiteTexture_, false, corners);
}

void BatchRenderer::AddFan(std::span<const FanPoint> points, const BatchColor& color) {
    if (list_.AddFan(whiteTexture_, false, points, color)) return;
    Flush();
    list_.AddFan(whiteTexture_, false, points, color);
}

void BatchRenderer::AddTexturedQuad(uint32_t texture, bool blend, float x0, float y0, float x1, float y1, float u0,
                                    float v0, float u1, float v1, const BatchColor& color) {
    if (texture == 0) return;
    const BatchVertex corners[4] = {
        {x0, y0, u0, v0, color}, {x1, y0, u1, v0, color}, {x1, y1, u1, v1, color}, {x0, y1, u0, v1, color}};
    Push(texture, blend, corners);
}

void BatchRenderer::Clear(const BatchColor& color) {
    Flush();
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    if (scissor) glDisable(GL_SCISSOR_TEST);
    glClearColor(color.r, color.g, color.b, color.a);
    glClear(GL_COLOR_BUFFER_BIT);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

bool BatchRenderer::Uses(uint32_t texture) const {
    for (const BatchRun& run : list_.Runs()) {
        if (run.texture == texture) return true;
    }
    return false;
}

void BatchRenderer::Flush() {
    if (list_.Empty() || program_ == 0) {
        list_.Clear();
        return;
    }
    SavedGlState saved;
    saved.Save();

    const float transform[4] = {2.0f / clientWidth_, -2.0f / clientHeight_, -1.0f, 1.0f};
    glUseProgram(colorProgram_);
    glUniform4fv(colorTransformLocation_, 1, transform);
    glUseProgram(program_);
    glUniform4fv(transformLocation_, 1, transform);
    glUniform1i(samplerLocation_, 0);
    uint32_t usedProgram = program_;
    glViewport(0, 0, framebufferWidth_, framebufferHeight_);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST);

    const auto& vertices = list_.Vertices();
    const auto& indices = list_.Indices();
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(BatchVertex)), vertices.data(),
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)), indices.data(),
                 GL_STREAM_DRAW);
    constexpr auto stride = static_cast<GLsizei>(sizeof(BatchVertex));
    glEnableVertexAttribArray(kPositionAttribute);
    glEnableVertexAttribArray(kUvAttribute);
    glEnableVertexAttribArray(kColorAttribute);
    glVertexAttribPointer(kPositionAttribute, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(BatchVertex, x)));
    glVertexAttribPointer(kUvAttribute, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(BatchVertex, u)));
    glVertexAttribPointer(kColorAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(BatchVertex, color)));

    uint32_t boundTexture = 0;
    int blendState = -1;
    for (const BatchRun& run : list_.Runs()) {
        const uint32_t program = run.texture == whiteTexture_ ? colorProgram_ : program_;
        if (program != usedProgram) {
            glUseProgram(program);
            usedProgram = program;
        }
        if (run.texture != boundTexture) {
            glBindTexture(GL_TEXTURE_2D, run.texture);
            boundTexture = run.texture;
        }
        if (static_cast<int>(run.blend) != blendState) {
            SavedGlState::SetEnabled(GL_BLEND, run.blend ? GL_TRUE : GL_FALSE);
            blendState = static_cast<int>(run.blend);
        }
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(run.indexCount), GL_UNSIGNED_SHORT,
                       reinterpret_cast<const void*>(static_cast<uintptr_t>(run.firstIndex) * sizeof(uint16_t)));
    }
    saved.Restore();
    list_.Clear();
}

}  // namespace rava
