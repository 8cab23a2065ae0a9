#include "host/gl/fixed_pipeline.h"

#include "host/core/srgb.h"

namespace rava {

void SetupPixelProjection(int32_t width, int32_t height) {
    const GLsizei w = width < 1 ? 1 : width;
    const GLsizei h = height < 1 ? 1 : height;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
}

void ResetClippingState() {
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilMask(0xFF);
    glStencilFunc(GL_ALWAYS, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
}

bool DecideSrgbOutput() {
    glEnable(kGlFramebufferSrgb);
    if (glIsEnabled(kGlFramebufferSrgb) != GL_TRUE) return false;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    GLint internalFormat = 0;
    if (texture != 0) {
        const unsigned char pixel[4] = {0x80, 0x80, 0x80, 0xFF};
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, kGlSrgb8Alpha8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &texture);
    }
    if (texture == 0 || internalFormat != static_cast<GLint>(kGlSrgb8Alpha8)) {
        glDisable(kGlFramebufferSrgb);
        return false;
    }
    return true;
}

void SetSrgbColor(bool srgbOutput, int32_t red, int32_t green, int32_t blue) {
    if (!srgbOutput) {
        glColor4ub(ClampChannel(red), ClampChannel(green), ClampChannel(blue), 255);
        return;
    }
    glColor4f(SrgbToLinear(red), SrgbToLinear(green), SrgbToLinear(blue), 1.0f);
}

void SetSrgbClearColor(bool srgbOutput, int32_t red, int32_t green, int32_t blue) {
    auto channel = [srgbOutput](int32_t value) { return srgbOutput ? SrgbToLinear(value) : LegacyClearChannel(value); };
    glClearColor(channel(red), channel(green), channel(blue), 1.0f);
}

void DrawTexturedQuad(float x, float y, float width, float height) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x, y);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x + width, y);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x + width, y + height);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x, y + height);
    glEnd();
}

}  // namespace rava
