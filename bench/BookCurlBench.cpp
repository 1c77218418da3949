// Frames per second of a full book curl (the bottom-right corner from the middle of the page
// to the far side of the spine on the curved path: the finger's frame, then 9 animation frames)
// at 320 × 480 on the machine's GL (llvmpipe without a GPU), the roll lit by the angle of its
// paper and its back faded: the page-turn view driven frame by frame, which works out each
// frame's mesh, against a bare OpenGL ES 1.1 loop that draws the same meshes (worked out once
// beforehand) with the same layers, lighting, textures and depths into its own framebuffer
// object and reads the pixels back. Both pay the read-back, which is how a frame becomes
// visible here. The repetitions of the two run interleaved after a warm-up; the reference's
// context is made before any of them.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES/gl.h>
#include <GLES/glext.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "RatioReporter.h"
#include "RawGLES11.h"
#include "platform/runtime/Bundle.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "views/BookCurlGeometry.h"
#include "views/EAGLView.h"

namespace {

using Geometry = zu::BookCurlGeometry;

constexpr int kWidth = 320;
constexpr int kHeight = 480;

std::shared_ptr<zu::ui::Image> page(zu::ui::Color left, zu::ui::Color right) {
  auto image = zu::ui::Image::create(kWidth, kHeight);
  zu::ui::Canvas canvas(*image);
  canvas.setFillColor(left);
  canvas.fillRect(zu::ui::Rect(0, 0, kWidth / 2.0f, kHeight));
  canvas.setFillColor(right);
  canvas.fillRect(zu::ui::Rect(kWidth / 2.0f, 0, kWidth / 2.0f, kHeight));
  return image;
}

const zu::ui::Image& currentPage() {
  static auto image = page(zu::ui::Color(1, 0, 0), zu::ui::Color(0, 0, 1));
  return *image;
}

const zu::ui::Image& nextPage() {
  static auto image = page(zu::ui::Color(0, 1, 0), zu::ui::Color(1, 1, 0));
  return *image;
}

const zu::ui::Image& shadow() {
  static auto image = [] {
    auto path = zu::Bundle::mainBundle()->pathForResource("book_shadow_all", "png");
    std::shared_ptr<zu::ui::Image> loaded;
    if (path) loaded = zu::ui::Image::fromFile(path->string());
    return loaded ? loaded : zu::ui::Image::create(1, 1);
  }();
  return *image;
}

constexpr zu::ui::Point kStart{kWidth / 2.0f, kHeight / 2.0f};
constexpr zu::ui::Point kTarget{-kWidth, kHeight};

// The drawing extents of the book projection, and the meshes of the curl frame by frame.
Geometry::Extents extents() {
  const float r = 2 * std::tan(0.5f * static_cast<float>(M_PI) / 180) * 0.1f;
  const float t = r * kHeight / kWidth;
  return {-r, r, -t, t};
}

const std::vector<Geometry::Mesh>& curlMeshes() {
  static const std::vector<Geometry::Mesh> meshes = [] {
    std::vector<Geometry::Mesh> out;
    const zu::ui::Point p1 = Geometry::pathControlPoint(kStart, kTarget);
    for (double t = 0;; t += Geometry::tStep(kStart, kTarget, kWidth, true)) {
      if (t > 1) t = 1;
      out.push_back(Geometry::curl(Geometry::Corner::kRightBottom,
                                   Geometry::pathPoint(kStart, p1, kTarget, t, true),
                                   zu::ui::Size{kWidth, kHeight}, extents(), false));
      if (t >= 1) break;
    }
    return out;
  }();
  return meshes;
}

void BM_EAGLViewBookCurl(benchmark::State& state) {
  auto view = zu::EAGLView::create(zu::ui::Rect(0, 0, kWidth, kHeight));
  if (!view) {
    state.SkipWithError("no GL context");
    return;
  }
  view->setFlipModel(1);
  view->reloadTopTextureWithImage(&currentPage());
  view->reloadBottomTextureWithImage(&nextPage());
  view->layoutIfNeeded();
  view->redraw();
  view->setIsBeizerTans(true);
  int64_t frames = 0;
  for (auto _ : state) {
    // The finger's frame is drawn and presented like the animation's: it counts.
    view->flipBookFromRBWithFinger(kStart, false);
    ++frames;
    view->finishFlipBookR2L_B(false);
    while (view->isAnimating()) {
      view->drawView();
      ++frames;
    }
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_EAGLViewBookCurl)
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(0.1)
    ->Repetitions(15)
    ->MinTime(0.3)
    ->UseRealTime();

// The reference: the meshes drawn by hand.
struct RawGL {
  zu::RawGLES11 gl;
  GLuint textures[3] = {0, 0, 0};

  bool open() {
    if (!gl.open(kWidth, kHeight, 0.5f)) return false;
    textures[0] = zu::RawGLES11::texture(nextPage());
    textures[1] = zu::RawGLES11::texture(currentPage());
    textures[2] = zu::RawGLES11::texture(shadow());
    return true;
  }

  void draw(GLenum mode, const Geometry::Vertex* v, GLsizei count) {
    if (count <= 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Geometry::Vertex), &v->x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Geometry::Vertex), &v->s);
    glDrawArrays(mode, 0, count);
  }

  // A strip lit by its vertices' light; with `fade`, the paper's white over its back instead.
  void lit(const Geometry::Vertex* v, GLsizei count, bool fade) {
    if (count <= 0) return;
    GLfloat colours[4 * 2 * Geometry::kSamples];
    for (GLsizei i = 0; i < count; ++i) {
      colours[4 * i] = colours[4 * i + 1] = colours[4 * i + 2] = v[i].light;
      colours[4 * i + 3] = fade ? v[i].fade : 1.0f;
    }
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, colours);
    draw(GL_TRIANGLE_STRIP, v, count);
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4f(1, 1, 1, 1);
  }

  void fadeBack(const Geometry::Vertex* v, GLsizei count) {
    GLsizei first = 0;
    while (first < count && v[first].fade <= 0) ++first;
    first = (first > 2 ? first - 2 : 0) & ~1;
    glDisable(GL_TEXTURE_2D);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    lit(v + first, count - first, true);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glEnable(GL_TEXTURE_2D);
  }

  void fan(const std::vector<Geometry::Vertex>& vertices, GLuint texture, float depth) {
    glLoadIdentity();
    glTranslatef(0, 0, depth);
    glBindTexture(GL_TEXTURE_2D, texture);
    draw(GL_TRIANGLE_FAN, vertices.data(), static_cast<GLsizei>(vertices.size()));
  }

  // One frame: the flat page, the page to come with the fold's shadow, the roll's front and
  // back, the shadow over the roll's edge and over the paper's back.
  void frame(const Geometry::Mesh& mesh) {
    gl.beginFrame();
    glColor4f(1, 1, 1, 1);
    fan(mesh.flat, textures[1], -0.19991f);
    fan(mesh.uncovered, textures[0], -0.19998f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    fan(mesh.shadow, textures[2], -0.19997f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const auto* strip = mesh.strip.data();
    const auto count = static_cast<GLsizei>(mesh.strip.size());
    glLoadIdentity();
    glTranslatef(0, 0, -0.1999f);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    const int k = mesh.split;
    if (k < 0) {
      lit(strip, count, false);
      fadeBack(strip, count);
    } else {
      lit(strip, 2 * k + 2, false);
      glFrontFace(GL_CW);
      lit(strip + 2 * k, count - 2 * k, false);
      glFrontFace(GL_CCW);
      fadeBack(strip, count);
      const int first = k > 0 ? k - 1 : 0;
      Geometry::Vertex edge[4] = {strip[2 * first], strip[2 * first + 1], strip[2 * k + 3],
                                  strip[2 * k + 2]};
      glBindTexture(GL_TEXTURE_2D, textures[2]);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
      glTranslatef(0, 0, -0.000001f);
      draw(GL_TRIANGLE_FAN, edge, 4);
      glTranslatef(0, 0, 0.000201f);
      glFrontFace(GL_CW);
      draw(GL_TRIANGLE_STRIP, strip + 2 * k, count - 2 * k);
      glFrontFace(GL_CCW);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    gl.readBack();
  }
};

// Opened once, before any benchmark runs, so that no repetition of the reference pays for
// making the context, the framebuffer and the textures.
RawGL& rawGL() {
  static RawGL gl;
  return gl;
}

bool rawGLOpened() {
  static const bool opened = rawGL().open();
  return opened;
}

void BM_RawGLES11BookCurl(benchmark::State& state) {
  RawGL& gl = rawGL();
  if (!rawGLOpened()) {
    state.SkipWithError("no GL context");
    return;
  }
  eglMakeCurrent(gl.gl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, gl.gl.context);
  int64_t frames = 0;
  for (auto _ : state) {
    for (const Geometry::Mesh& mesh : curlMeshes()) {
      gl.frame(mesh);
      ++frames;
    }
    benchmark::DoNotOptimize(gl.gl.pixels.data());
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_RawGLES11BookCurl)
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(0.1)
    ->Repetitions(15)
    ->MinTime(0.3)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  rawGLOpened();
  curlMeshes();
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_EAGLViewBookCurl");
  const double reference = reporter.rate("BM_RawGLES11BookCurl");
  if (ours > 0 && reference > 0) {
    std::printf("book curl at %dx%d, %zu animation frames: page-turn view %.0f frames/s, raw GLES 1.1 "
                "%.0f frames/s, ratio ours/reference %.2f (target >= 0.80)\n",
                kWidth, kHeight, curlMeshes().size(), ours, reference, ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
