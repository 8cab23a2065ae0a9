#include "host/gl/pixel_texture.h"

#include "host/gl/gl_api.h"

namespace rava {

bool UploadPixelTexture(PixelTexture& texture, BatchRenderer& renderer, int32_t internalFormat, uint32_t format,
                        uint32_t type, const void* texels, int32_t width, int32_t height) {
    if (texture.name == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        if (name == 0) return false;
        texture = PixelTexture{name, 0, 0};
    }
    if (renderer.Uses(texture.name)) renderer.Flush();
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (texture.width != width || texture.height != height) {
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        texture.width = width;
        texture.height = height;
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, type, texels);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}

void DeletePixelTexture(PixelTexture& texture) {
    if (texture.name != 0) {
        const GLuint name = texture.name;
        glDeleteTextures(1, &name);
    }
    texture = {};
}

}  // namespace rava
