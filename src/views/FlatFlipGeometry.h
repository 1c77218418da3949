// FlatFlipGeometry: the half-page quads and texture coordinates of the flat flip, and the four
// directions that choose among them. The page is cut along its centre line; a half is a
// four-vertex triangle fan at z = 0 spanning the projection's near-plane extents doubled (at
// the drawing depth of about −0.2 the page then fills the view). Texture coordinates follow the
// page-turn view's textures: s = 0 is the picture's left edge, t = 1 its top edge. A "mirrored"
// mapping puts the other half of the picture reversed onto a quad, so that it reads correctly
// once the leaf has turned over onto the other half.
//
// Pure values; any thread.
#pragma once

#include <GLES/gl.h>

#include <array>

namespace zu {

class FlatFlipGeometry {
 public:
  enum class Half { kLeft, kRight, kUpper, kLower };
  enum class Mapping {
    kLeftAsIs,
    kRightMirroredOntoLeft,
    kRightAsIs,
    kLeftMirroredOntoRight,
    kUpperAsIs,
    kLowerMirroredOntoUpper,
    kLowerAsIs,
    kUpperMirroredOntoLower,
  };

  // One direction of the flat flip: the leaf starts on `startingHalf` and turns onto
  // `otherHalf` about the centre line `axis`, the angle taken with `sign`.
  struct Direction {
    Half startingHalf;
    Half otherHalf;
    Mapping startingAsIs;   // the leaf's front, and the page to come under it
    Mapping otherMirrored;  // the leaf's back, from 90 degrees on
    Mapping otherAsIs;      // the current page's other half
    std::array<GLfloat, 3> axis;
    GLfloat sign;
  };

  using Quad = std::array<GLfloat, 12>;        // four (x, y, z) vertices
  using TexCoords = std::array<GLfloat, 8>;    // four (s, t) pairs, in the quad's vertex order

  // Orientation codes 0 (left to right), 1 (right to left), 2 and 4 (top to bottom), 3 (bottom
  // to top); null for any other code.
  static const Direction* direction(int code);
  // The half's quad for the projection's near-plane extents.
  static Quad quad(Half half, GLfloat left, GLfloat right, GLfloat bottom, GLfloat top);
  static const TexCoords& texCoords(Mapping mapping);
};

}  // namespace zu
