#include "views/BookCurlRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zu {

namespace {

using Geometry = BookCurlGeometry;

// Interleaved x, y, z, s, t as the mesh holds them.
constexpr GLsizei kStride = sizeof(Geometry::Vertex);
constexpr size_t kStripSlots = 2 * Geometry::kSamples;
constexpr float kPi = 3.14159265f;

// Per-vertex colours of a strip: its light (alpha 1), or, for the pass that lays the paper's
// white over its back, that light with the fade as alpha.
using Colours = std::array<GLfloat, 4 * kStripSlots>;

void fillColours(const Geometry::Vertex* vertices, GLsizei count, bool fade, Colours& out) {
  for (GLsizei i = 0; i < count; ++i) {
    const Geometry::Vertex& v = vertices[i];
    GLfloat* c = &out[4 * static_cast<size_t>(i)];
    c[0] = c[1] = c[2] = v.light;
    c[3] = fade ? v.fade : 1.0f;
  }
}

void drawVertices(GLenum mode, const Geometry::Vertex* vertices, GLsizei count,
                  const GLfloat* colours = nullptr) {
  if (count <= 0) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, kStride, &vertices->x);
  glTexCoordPointer(2, GL_FLOAT, kStride, &vertices->s);
  if (colours != nullptr) {
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, colours);
  }
  glDrawArrays(mode, 0, count);
  if (colours != nullptr) {
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4f(1, 1, 1, 1);
  }
}

// A part of the strip textured and lit by its vertices' light.
void drawLit(const Geometry::Vertex* vertices, GLsizei count) {
  if (count <= 0) return;
  Colours colours;
  fillColours(vertices, count, false, colours);
  drawVertices(GL_TRIANGLE_STRIP, vertices, count, colours.data());
}

// The paper's white laid over the strip where its back faces the viewer, on exactly the
// depths the strip left, so that the picture shows through faded.
void drawFade(const Geometry::Vertex* vertices, GLsizei count) {
  GLsizei first = 0;
  while (first < count && vertices[first].fade <= 0) ++first;
  first = std::max<GLsizei>(first - 2, 0) & ~1;  // from the pair before, whole pairs
  if (count - first < 3) return;
  Colours colours;
  fillColours(vertices + first, count - first, true, colours);
  glDisable(GL_TEXTURE_2D);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_FALSE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  drawVertices(GL_TRIANGLE_STRIP, vertices + first, count - first, colours.data());
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glDepthFunc(GL_LESS);
  glEnable(GL_TEXTURE_2D);
}

void drawFan(const std::vector<Geometry::Vertex>& fan, GLuint texture, GLfloat depth) {
  glLoadIdentity();
  glTranslatef(0, 0, depth);
  glBindTexture(GL_TEXTURE_2D, texture);
  drawVertices(GL_TRIANGLE_FAN, fan.data(), static_cast<GLsizei>(fan.size()));
}

void drawWholePage(const Geometry::Extents& e, GLuint texture) {
  const Geometry::Vertex quad[4] = {{e.x0, e.y1, 0, 0, 1},
                                    {e.x0, e.y0, 0, 0, 0},
                                    {e.x1, e.y0, 0, 1, 0},
                                    {e.x1, e.y1, 0, 1, 1}};
  glLoadIdentity();
  glTranslatef(0, 0, BookCurlRenderer::kFlatDepth);
  glFrontFace(GL_CCW);
  glBindTexture(GL_TEXTURE_2D, texture);
  drawVertices(GL_TRIANGLE_FAN, quad, 4);
}

}  // namespace

void BookCurlRenderer::drawLayers(const Frame& frame) {
  if (frame.mesh == nullptr) return;
  const Geometry::Mesh& mesh = *frame.mesh;
  glColor4f(1, 1, 1, 1);
  if (mesh.show == Geometry::Show::kCurrentPage) return drawWholePage(frame.extents, frame.textures[1]);
  if (mesh.show == Geometry::Show::kPageToCome) return drawWholePage(frame.extents, frame.textures[0]);

  glFrontFace(GL_CCW);
  drawFan(mesh.flat, frame.textures[1], kFlatDepth);
  drawFan(mesh.uncovered, frame.textures[0], kUncoveredDepth);
  // Shadows darken the colour only: the frame stays opaque where they fall.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  drawFan(mesh.shadow, frame.textures[2], kFoldShadowDepth);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

  // The roll: its front up to the split, the paper's back after it.
  const auto* strip = mesh.strip.data();
  const auto count = static_cast<GLsizei>(mesh.strip.size());
  glLoadIdentity();
  glPushMatrix();
  glTranslatef(0, 0, kRollDepth);
  glBindTexture(GL_TEXTURE_2D, frame.textures[1]);
  if (mesh.split < 0) {
    drawLit(strip, count);
    drawFade(strip, count);
    glPopMatrix();
    return;
  }
  const int k = mesh.split;
  drawLit(strip, 2 * k + 2);
  glFrontFace(GL_CW);
  glBindTexture(GL_TEXTURE_2D, frame.textures[frame.columnStyle ? 0 : 1]);
  // From the split's own pair on, so that front and back meet without a gap.
  drawLit(strip + 2 * k, count - 2 * k);
  glFrontFace(GL_CCW);
  drawFade(strip, count);

  // The shadow over the roll's edge: the quad of the two pairs around the split.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  glFrontFace(GL_CCW);
  glPushMatrix();
  glTranslatef(0, 0, -0.000001f);
  const int first = std::max(k - 1, 0);
  Geometry::Vertex edge[4] = {strip[2 * first], strip[2 * first + 1], strip[2 * k + 3],
                              strip[2 * k + 2]};
  // A faint line only (a twentieth of darkness at most): the light already darkens the roll
  // toward its rim, and a darker line here would part the back from the roll's top.
  const float s[4] = {0.96f, 0.96f, 1.0f, 1.0f};
  for (int i = 0; i < 4; ++i) {
    edge[i].s = s[i];
    edge[i].t = i == 0 || i == 3 ? 0.0f : 1.0f;
  }
  glBindTexture(GL_TEXTURE_2D, frame.textures[2]);
  drawVertices(GL_TRIANGLE_FAN, edge, 4);
  glPopMatrix();

  // A soft shadow over the paper's back, near the roll.
  std::array<Geometry::Vertex, 2 * Geometry::kSamples> back;
  const int n = count - 2 * k;
  // Faint and soft: it rises from nothing at the fold, where the back meets the roll's top at
  // the same light, to 6% darkness and is gone again by the back's middle (later in column
  // style, where the back is the page to come).
  const float band = frame.columnStyle ? 0.6f : 0.5f;
  for (int i = 0; i < n; ++i) {
    Geometry::Vertex v = strip[2 * k + i];
    const float rel = static_cast<float>(i / 2) / static_cast<float>(std::max(n / 2 - 1, 1));
    const float darkness = 0.06f * std::sin(kPi * std::min(rel / band, 1.0f));
    // The picture is 0.6 dark up to s = 0.5 and clears linearly to nothing at s = 1.
    v.s = 1 - 0.5f * darkness / 0.6f;
    v.t = static_cast<float>(i % 2);
    back[static_cast<size_t>(i)] = v;
  }
  glPushMatrix();
  glTranslatef(0, 0, 0.0002f);
  glFrontFace(GL_CW);
  drawVertices(GL_TRIANGLE_STRIP, back.data(), n);
  glPopMatrix();
  glFrontFace(GL_CCW);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPopMatrix();
}

}  // namespace zu
