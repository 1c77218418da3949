#include "platform/gl/GLDrawable.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/gl/GLContext.h"
#include "platform/gl/GLDisplay.h"

namespace zu::gl {
namespace {

// A context with a framebuffer object of the drawable's size, bound and ready to draw.
struct Target {
  std::unique_ptr<GLContext> context;
  std::unique_ptr<GLDrawable> drawable;
  GLuint framebuffer = 0;
  GLuint colour = 0;
  GLuint depth = 0;

  Target(int width, int height) {
    context = GLContext::create();
    if (!context || !context->makeCurrent()) return;
    const auto& fbo = context->display().fbo();
    drawable = std::make_unique<GLDrawable>(context->display());
    drawable->setSize(width, height);
    fbo.genFramebuffers(1, &framebuffer);
    fbo.genRenderbuffers(1, &colour);
    fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
    fbo.bindRenderbuffer(GL_RENDERBUFFER_OES, colour);
    drawable->renderbufferStorage();
    fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES,
                                colour);
    fbo.genRenderbuffers(1, &depth);
    fbo.bindRenderbuffer(GL_RENDERBUFFER_OES, depth);
    fbo.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, width, height);
    fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES,
                                depth);
    glViewport(0, 0, width, height);
  }

  bool complete() const {
    return context && context->display().fbo().checkFramebufferStatus(GL_FRAMEBUFFER_OES) ==
                          GL_FRAMEBUFFER_COMPLETE_OES;
  }
};

using Pixel = std::array<uint8_t, 4>;

Pixel at(const std::vector<uint8_t>& pixels, size_t stride, int x, int y) {
  const uint8_t* p = pixels.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

// Fills the upper half of the viewport with red over a blue clear.
void drawRedUpperHalf() {
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat quad[] = {-1, 1, -1, 0, 1, 0, 1, 1};
  glColor4f(1, 0, 0, 1);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, quad);
  glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
  glDisableClientState(GL_VERTEX_ARRAY);
}

TEST(GLDrawableTest, PresentWritesTopRowFirstInEitherByteOrder) {
  ASSERT_NE(GLDisplay::shared(), nullptr) << "no EGL display: install-deps.sh installs Mesa";
  Target target(7, 6);  // odd width: rows of 28 bytes
  ASSERT_TRUE(target.complete());
  drawRedUpperHalf();

  const size_t stride = 7 * 4 + 8;  // padded rows must keep their padding untouched
  std::vector<uint8_t> rgba(stride * 6, 0xEE);
  ASSERT_TRUE(target.drawable->present(7, 6, rgba.data(), stride, GLDrawable::PixelOrder::kRGBA));
  EXPECT_EQ(at(rgba, stride, 0, 0), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(rgba, stride, 6, 2), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(rgba, stride, 0, 3), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(rgba, stride, 6, 5), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(rgba[7 * 4], 0xEE);
  EXPECT_EQ(rgba[stride * 6 - 1], 0xEE);

  std::vector<uint8_t> bgra(7 * 4 * 6);
  ASSERT_TRUE(target.drawable->present(7, 6, bgra.data(), 7 * 4, GLDrawable::PixelOrder::kBGRA));
  EXPECT_EQ(at(bgra, 28, 3, 0), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(bgra, 28, 3, 5), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(GLDrawableTest, ContextsTakingTurnsKeepTheirOwnFramebuffers) {
  Target red(4, 4);
  ASSERT_TRUE(red.complete());
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  Target green(4, 4);
  ASSERT_TRUE(green.complete());
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_TRUE(green.context->isCurrent());
  EXPECT_FALSE(red.context->isCurrent());

  std::vector<uint8_t> pixels(4 * 4 * 4);
  ASSERT_TRUE(red.context->makeCurrent());
  ASSERT_TRUE(red.drawable->present(4, 4, pixels.data(), 16, GLDrawable::PixelOrder::kRGBA));
  EXPECT_EQ(at(pixels, 16, 2, 2), (Pixel{255, 0, 0, 255}));
  ASSERT_TRUE(green.context->makeCurrent());
  ASSERT_TRUE(green.drawable->present(4, 4, pixels.data(), 16, GLDrawable::PixelOrder::kRGBA));
  EXPECT_EQ(at(pixels, 16, 2, 2), (Pixel{0, 255, 0, 255}));

  // Destroying the current context leaves the thread without one, not with a dangling one.
  green.context.reset();
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
}

TEST(GLDrawableTest, EmptySizesAndShortRowsAreRefused) {
  Target target(4, 4);
  ASSERT_TRUE(target.complete());
  GLDrawable empty(target.context->display());
  empty.setSize(-3, 10);
  EXPECT_EQ(empty.width(), 0);
  EXPECT_FALSE(empty.renderbufferStorage());

  std::vector<uint8_t> pixels(64, 0x11);
  EXPECT_FALSE(target.drawable->present(4, 4, pixels.data(), 15, GLDrawable::PixelOrder::kRGBA));
  EXPECT_FALSE(target.drawable->present(0, 4, pixels.data(), 16, GLDrawable::PixelOrder::kRGBA));
  EXPECT_FALSE(target.drawable->present(4, 4, nullptr, 16, GLDrawable::PixelOrder::kRGBA));
  EXPECT_EQ(pixels[0], 0x11);
}

}  // namespace
}  // namespace zu::gl
