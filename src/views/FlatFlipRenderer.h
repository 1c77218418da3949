// FlatFlipRenderer: draws one frame of the flat flip with OpenGL ES 1.1 — the page to come
// under the leaf, the trailing leaves of a turn that passes several pages, the current page's
// other half, and the leaf itself — into whatever framebuffer is bound on the current context.
// The page-turn view binds and clears its framebuffer, calls drawLayers(), then presents.
//
// Layers, from the angle `rota` (degrees) of the leaf:
//  A  the page to come (slot 0) on the starting half, darkened by rota / 90 below 90 degrees;
//  B  with n ≥ 2 pages passing, n − 1 intermediate leaves showing the middle picture (slot 2),
//     each trailing the one before by the direction's page interval, and a last trailing leaf
//     that shows the page to come on its back from 90 degrees on;
//  C  the current page (slot 1) on the other half, darkened as the leaf comes over it;
//  D  the leaf: the current page's starting half on its front, the page to come (or, with pages
//     passing, the middle picture) mirrored on its back.
// Each layer sits at its own small depth (translated before the leaf's rotation, so a leaf
// turns about the centre line at its own depth); where leaves lie flat on the same half, the
// nearest is seen. The angle is clamped to 0..180 for drawing, except that the bounce (code 4)
// lets the leaf overshoot past 180.
//
// Texturing must have been enabled by the caller. Vertex and texture-coordinate arrays are
// enabled for each draw; nothing is allocated per frame. Main thread, current context.
#pragma once

#include <GLES/gl.h>

#include <array>

namespace zu {

class FlatFlipRenderer {
 public:
  struct Frame {
    int code = 0;                     // orientation code 0 to 4; others draw nothing
    float rota = 0;                   // leaf angle as the view keeps it (not clamped)
    int pagePass = 1;
    bool needShadow = true;
    float rotaMax = 0;                // the bounce's current upper turning point
    std::array<GLuint, 3> textures{};  // 0 bottom (page to come), 1 top (current), 2 middle
    float left = 0, right = 0, bottom = 0, top = 0;  // near-plane extents of the projection
  };

  // The depths of the layers, nearest first.
  static constexpr GLfloat kLastLeafBackDepth = -0.1998f;
  static constexpr GLfloat kLeafDepth = -0.19989f;
  static constexpr GLfloat kLastLeafFrontDepth = -0.1999f;
  static constexpr GLfloat kUnderDepth = -0.19991f;
  static constexpr GLfloat kIntermediateDepth = -0.19998f;
  static constexpr GLfloat kOtherHalfDepth = -0.19999f;

  static void drawLayers(const Frame& frame);
};

}  // namespace zu
