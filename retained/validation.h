// Record validation: the fragment rules and the per-kind resource rules.
// Each validator reads only its record and answers the first failing rule's
// exact message, or an empty text when the record is valid.
#pragma once

#include <string>
#include <string_view>

#include "retained/render_records.h"

namespace rava {

// Empty when x, y lie in -1000000..1000000 and width, height in 0..1000000.
std::string CheckRetainedGeometry(std::string_view label, const RenderBounds& bounds);
std::string ValidateFragment(const RenderFragment& fragment);

// The paint's 256-byte id rule follows a passed validation during admission
// and is not part of these rules.
std::string ValidatePaint(const RenderPaint& paint);
std::string ValidateImage(const RenderImage& image);
std::string ValidateGlyph(const RenderGlyphAlpha& glyph);
std::string ValidateClip(const RenderClip& clip);
std::string ValidateTransform(const RenderTransform& transform);

// True when every byte is 0-9, A-F or a-f; the empty text qualifies.
bool IsHexadecimal(std::string_view text);

}  // namespace rava
