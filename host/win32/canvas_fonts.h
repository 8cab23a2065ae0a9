// The ten GDI fonts of a canvas window and their glyph display-list blocks
// (characters 32..127). A font whose block cannot be made keeps its HFONT
// with list base 0, and text drawn with it draws nothing.
#pragma once

#include "host/win32/canvas_window.h"

namespace rava {

// Needs the window's context current on its DC.
void CreateCanvasFonts(CanvasWindow& window);

// Deletes every non-zero list block and every font; needs the context current.
void DeleteCanvasFonts(CanvasWindow& window);

}  // namespace rava
