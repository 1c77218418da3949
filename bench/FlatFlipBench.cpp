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
#include "platform/ui/Canvas.h"
#include "platform/ui/Image.h"
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

// The reference: EGL, a framebuffer object and the quads by hand.
struct RawGL {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
  GLuint framebuffer = 0;
  GLuint textures[2] = {0, 0};
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kWidth * kHeight * 4);

  bool open() {
    auto platformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    display = platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major, minor;
    if (!eglInitialize(display, &major, &minor)) return false;
    eglBindAPI(EGL_OPENGL_ES_API);
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_ES_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                       EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) return false;
    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) return false;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);

    auto genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSOESPROC>(
        eglGetProcAddress("glGenFramebuffersOES"));
    bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFEROESPROC>(
        eglGetProcAddress("glBindFramebufferOES"));
    auto genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSOESPROC>(
        eglGetProcAddress("glGenRenderbuffersOES"));
    auto bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFEROESPROC>(
        eglGetProcAddress("glBindRenderbufferOES"));
    auto storage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEOESPROC>(
        eglGetProcAddress("glRenderbufferStorageOES"));
    auto attach = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFEROESPROC>(
        eglGetProcAddress("glFramebufferRenderbufferOES"));
    GLuint colour, depth;
    genFramebuffers(1, &framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
    genRenderbuffers(1, &colour);
    bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
    storage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, kWidth, kHeight);
    attach(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, colour);
    genRenderbuffers(1, &depth);
    bindRenderbuffer(GL_RENDERBUFFER_OES, depth);
    storage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, kWidth, kHeight);
    attach(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, depth);

    glGenTextures(2, textures);
    const zu::ui::Image* images[2] = {&currentPage(), &nextPage()};
    for (int i = 0; i < 2; ++i) {
      glBindTexture(GL_TEXTURE_2D, textures[i]);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_BGRA_EXT, kWidth, kHeight, 0, GL_BGRA_EXT,
                   GL_UNSIGNED_BYTE, images[i]->pixels());
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float right = std::tan(15.0f * static_cast<float>(M_PI) / 180) * 0.1f;
    const float aspect = static_cast<float>(kWidth) / kHeight;
    glFrustumf(-right, right, -right / aspect, right / aspect, 0.1f, 1000);
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
    bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    quad(textures[1], right, rightAsIs, -0.19991f, 0, rota <= 90 ? rota / 90 : 1);
    quad(textures[0], left, leftAsIs, -0.19999f, 0, rota >= 90 ? (180 - rota) / 90 : 1);
    const bool back = rota >= 90;
    quad(back ? textures[1] : textures[0], right, back ? leftMirrored : rightAsIs, -0.19989f,
         rota, rota == 0 || rota == 180 ? 1 : 0.95f);
    glReadPixels(0, 0, kWidth, kHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels.data());
  }
};

void BM_RawGLES11FlatFlip(benchmark::State& state) {
  static RawGL gl;
  static const bool opened = gl.open();
  if (!opened) {
    state.SkipWithError("no GL context");
    return;
  }
  eglMakeCurrent(gl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, gl.context);
  int64_t frames = 0;
  for (auto _ : state) {
    for (float rota : flipAngles()) {
      gl.frame(rota);
      ++frames;
    }
    benchmark::DoNotOptimize(gl.pixels.data());
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
