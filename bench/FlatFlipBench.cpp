// Frames per second of a full flat flip (right to left, one page, 23 frames) at 320 × 480 on
// the machine's GL (llvmpipe without a GPU): the page-turn view driven frame by frame, against
// a bare OpenGL ES 1.1 loop that draws the same three textured quads per frame with the same
// textures and angles into its own framebuffer object and reads the pixels back. Both pay the
// read-back, which is how a frame becomes visible here.
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
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "views/EAGLView.h"
#include "views/FlatFlipStepper.h"

namespace {

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

// The leaf angles of one finishing flip, frame by frame.
const std::vector<float>& flipAngles() {
  static const std::vector<float> angles = [] {
    std::vector<float> out;
    zu::FlatFlipStepper::State state;
    state.flipOrientation = zu::FlatFlipStepper::kR2L;
    state.rotaInc = 12;
    for (bool stop = false; !stop;) {
      auto step = zu::FlatFlipStepper::step(state, true);
      for (int i = 0; i < step.frameCount; ++i) out.push_back(step.frameRota[i]);
      stop = step.stop;
    }
    return out;
  }();
  return angles;
}

void BM_EAGLViewFlatFlip(benchmark::State& state) {
  auto view = zu::EAGLView::create(zu::ui::Rect(0, 0, kWidth, kHeight));
  if (!view) {
    state.SkipWithError("no GL context");
    return;
  }
  view->reloadTopTextureWithImage(&currentPage());
  view->reloadBottomTextureWithImage(&nextPage());
  view->layoutIfNeeded();
  view->redraw();
  int64_t frames = 0;
  for (auto _ : state) {
    view->finishFlipR2L();
    while (view->isAnimating()) {
      view->drawView();
      ++frames;
    }
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_EAGLViewFlatFlip)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->MinTime(0.3)
    ->UseRealTime();

// The reference: the quads by hand.
struct RawGL {
  zu::RawGLES11 gl;
  GLuint textures[2] = {0, 0};

  bool open() {
    if (!gl.open(kWidth, kHeight, 15.0f)) return false;
    textures[0] = zu::RawGLES11::texture(currentPage());
    textures[1] = zu::RawGLES11::texture(nextPage());
    return true;
  }

  void quad(GLuint texture, const GLfloat* vertices, const GLfloat* coords, float depth,
            float angle, float brightness) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glLoadIdentity();
    glColor4f(brightness, brightness, brightness, 1);
    glTranslatef(0, 0, depth);
    if (angle != 0) glRotatef(-angle, 0, 1, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coords);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
  }

  // One right-to-left frame: the page to come under the leaf, the current left half, the leaf.
  void frame(float rota) {
    const float r = 2 * std::tan(15.0f * static_cast<float>(M_PI) / 180) * 0.1f;
    const float t = r * kHeight / kWidth;
    const GLfloat left[] = {-r, t, 0, -r, -t, 0, 0, -t, 0, 0, t, 0};
    const GLfloat right[] = {0, t, 0, 0, -t, 0, r, -t, 0, r, t, 0};
    static const GLfloat leftAsIs[] = {0, 1, 0, 0, 0.5f, 0, 0.5f, 1};
    static const GLfloat rightAsIs[] = {0.5f, 1, 0.5f, 0, 1, 0, 1, 1};
    static const GLfloat leftMirrored[] = {0.5f, 1, 0.5f, 0, 0, 0, 0, 1};
    gl.beginFrame();
    quad(textures[1], right, rightAsIs, -0.19991f, 0, rota <= 90 ? rota / 90 : 1);
    quad(textures[0], left, leftAsIs, -0.19999f, 0, rota >= 90 ? (180 - rota) / 90 : 1);
    const bool back = rota >= 90;
    quad(back ? textures[1] : textures[0], right, back ? leftMirrored : rightAsIs, -0.19989f,
         rota, rota == 0 || rota == 180 ? 1 : 0.95f);
    gl.readBack();
  }
};

void BM_RawGLES11FlatFlip(benchmark::State& state) {
  static RawGL gl;
  static const bool opened = gl.open();
  if (!opened) {
    state.SkipWithError("no GL context");
    return;
  }
  eglMakeCurrent(gl.gl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, gl.gl.context);
  int64_t frames = 0;
  for (auto _ : state) {
    for (float rota : flipAngles()) {
      gl.frame(rota);
      ++frames;
    }
    benchmark::DoNotOptimize(gl.gl.pixels.data());
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_RawGLES11FlatFlip)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->MinTime(0.3)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // Repetitions run interleaved in random order; the reporter keeps each one's median.
  const double ours = reporter.rate("BM_EAGLViewFlatFlip");
  const double reference = reporter.rate("BM_RawGLES11FlatFlip");
  if (ours > 0 && reference > 0) {
    std::printf("flat flip at %dx%d, %zu frames: page-turn view %.0f frames/s, raw GLES 1.1 "
                "%.0f frames/s, ratio ours/reference %.2f (target >= 0.80)\n",
                kWidth, kHeight, flipAngles().size(), ours, reference, ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
