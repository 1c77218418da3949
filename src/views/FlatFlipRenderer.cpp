#include "views/FlatFlipRenderer.h"

#include <algorithm>

#include "views/FlatFlipGeometry.h"
#include "views/FlatFlipStepper.h"

namespace zu {

namespace {

using Geometry = FlatFlipGeometry;

constexpr GLfloat kLeafBrightness = 0.95f;

float clamp180(float angle) {
  if (angle > 180) angle = 180;
  if (angle < 0) angle = 0;
  return angle;
}

// One textured half at `depth`, turned by `angle` about the direction's axis (0: flat).
void drawHalf(const Geometry::Direction& dir, const FlatFlipRenderer::Frame& frame,
              Geometry::Half half, Geometry::Mapping mapping, GLfloat depth, GLfloat angle,
              GLfloat brightness) {
  glLoadIdentity();
  glColor4f(brightness, brightness, brightness, 1);
  glTranslatef(0, 0, depth);
  if (angle != 0) glRotatef(dir.sign * angle, dir.axis[0], dir.axis[1], dir.axis[2]);
  const Geometry::Quad quad = Geometry::quad(half, frame.left, frame.right, frame.bottom,
                                             frame.top);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, quad.data());
  glTexCoordPointer(2, GL_FLOAT, 0, Geometry::texCoords(mapping).data());
  glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

// Full brightness without shadows, and for a leaf lying exactly flat.
GLfloat leafBrightness(bool needShadow, float angle) {
  return needShadow && angle != 0 && angle != 180 ? kLeafBrightness : 1.0f;
}

}  // namespace

void FlatFlipRenderer::drawLayers(const Frame& frame) {
  const Geometry::Direction* dir = Geometry::direction(frame.code);
  if (dir == nullptr) return;
  const bool bounce = frame.code == FlatFlipStepper::kU2DBounce;
  const float r = frame.rota;

  // A: the page to come under the leaf.
  float rota = clamp180(r);
  glBindTexture(GL_TEXTURE_2D, frame.textures[0]);
  const GLfloat under = rota <= 90 && frame.needShadow ? rota / 90 : 1.0f;
  drawHalf(*dir, frame, dir->startingHalf, dir->startingAsIs, kUnderDepth, 0, under);

  // B: the trailing leaves of a turn passing several pages.
  const int n = std::min(frame.pagePass, FlatFlipStepper::kMaxPagePass);
  if (n >= 2) {
    const float* intervals = FlatFlipStepper::kPageIntervals[n - 1];
    glBindTexture(GL_TEXTURE_2D, frame.textures[2]);
    float a = r - intervals[0];
    for (int i = 0; i <= n - 2; ++i) {
      float angle;
      if (a < 0) {
        angle = 0;
      } else if (!bounce) {
        angle = a > 180 ? 180 : a;
      } else if (a <= frame.rotaMax) {
        angle = a;
      } else {
        angle = std::max(frame.rotaMax - static_cast<float>(i), r);
      }
      const GLfloat brightness = frame.needShadow ? kLeafBrightness : 1.0f;
      drawHalf(*dir, frame, dir->startingHalf, angle < 90 ? dir->startingAsIs : dir->otherMirrored,
               kIntermediateDepth, angle, brightness);
      a -= intervals[i + 1];
    }
    a = r - FlatFlipStepper::intervalSum(n);
    float angle = a;
    bool showsPageToCome = false;
    if (a < 0) {
      angle = 0;
    } else if (a >= 90) {  // also every a above 180
      angle = bounce ? a : std::min(a, 180.0f);
      showsPageToCome = true;
      glBindTexture(GL_TEXTURE_2D, frame.textures[0]);
    }
    drawHalf(*dir, frame, dir->startingHalf,
             showsPageToCome ? dir->otherMirrored : dir->startingAsIs,
             showsPageToCome ? kLastLeafBackDepth : kLastLeafFrontDepth, angle,
             leafBrightness(frame.needShadow, angle));
  }

  // The bounce lets the leaf overshoot: no second clamp.
  rota = bounce ? r : clamp180(r);

  // C: the current page's other half, shaded as the leaf comes down on it.
  glBindTexture(GL_TEXTURE_2D, frame.textures[1]);
  if (!(bounce && rota > 180)) {
    const GLfloat covered = rota >= 90 && frame.needShadow ? (180 - rota) / 90 : 1.0f;
    drawHalf(*dir, frame, dir->otherHalf, dir->otherAsIs, kOtherHalfDepth, 0, covered);
  }

  // D: the leaf.
  if (rota >= 0 && (bounce || rota <= 180)) {
    if (rota >= 90) glBindTexture(GL_TEXTURE_2D, frame.textures[frame.pagePass < 2 ? 0 : 2]);
    drawHalf(*dir, frame, dir->startingHalf, rota < 90 ? dir->startingAsIs : dir->otherMirrored,
             kLeafDepth, rota, leafBrightness(frame.needShadow, rota));
  }
}

}  // namespace zu
