// The one persistent texture through which a window of a shader-based
// backend draws its pixel blocks: storage is made again only when the
// block's size changes, otherwise the texels are replaced in place.
#pragma once

#include <cstdint>

#include "host/gl/batch_renderer.h"

namespace rava {

struct PixelTexture {
    uint32_t name = 0;  // 0 until the first upload
    int32_t width = 0;
    int32_t height = 0;
};

// Uploads width x height texels (format and type as glTexImage2D takes them;
// rows 4-byte aligned) for nearest sampling with clamped edges. A quad still
// waiting in the batch keeps the texels it was drawn with: the batch is
// flushed first. False when no texture can be made.
bool UploadPixelTexture(PixelTexture& texture, BatchRenderer& renderer, int32_t internalFormat, uint32_t format,
                        uint32_t type, const void* texels, int32_t width, int32_t height);

// Deletes the texture (its context current) and forgets it.
void DeletePixelTexture(PixelTexture& texture);

}  // namespace rava
