// BookCurlRenderer: draws one frame of the book curl with OpenGL ES 1.1 from a
// BookCurlGeometry::Mesh into whatever framebuffer is bound on the current context: a whole
// page, or the flat part of the current page, the uncovered page to come with the fold's
// shadow, and the rolled strip (its front with the current page, its back past the split with
// clockwise front faces) with the shadows over the roll's edge and the paper's back.
// The strip is lit per vertex by the mesh's light (colour array, modulating the picture), and
// where the paper's back faces the viewer a second, untextured pass lays the paper's white over
// it with the mesh's fade as alpha, on exactly the depths the strip left (depth test LEQUAL,
// no depth or alpha writes), so the picture shows through mirrored and faded.
// The page-turn view binds and clears its framebuffer, calls drawLayers(), then presents.
//
// Texturing must have been enabled by the caller; model-view mode is current. Main thread,
// current context.
#pragma once

#include <GLES/gl.h>

#include <array>

#include "views/BookCurlGeometry.h"

namespace zu {

class BookCurlRenderer {
 public:
  struct Frame {
    const BookCurlGeometry::Mesh* mesh = nullptr;
    bool columnStyle = false;
    std::array<GLuint, 3> textures{};  // 0 page to come, 1 current page, 2 shadow picture
    BookCurlGeometry::Extents extents;
  };

  static constexpr GLfloat kFlatDepth = -0.19991f;
  static constexpr GLfloat kFoldShadowDepth = -0.19997f;
  static constexpr GLfloat kUncoveredDepth = -0.19998f;
  static constexpr GLfloat kRollDepth = -0.1999f;

  static void drawLayers(const Frame& frame);
};

}  // namespace zu
