// The GL declarations of the shader-based backends: OpenGL ES 2.0 in the
// browser, desktop GL with its extension prototypes elsewhere. Include it
// before any other GL header.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES2/gl2.h>
#else
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#endif
