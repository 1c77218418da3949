#include "platform/gl/GLDisplay.h"

#include <EGL/eglext.h>

#include <cstdio>

namespace zu::gl {

namespace {

void consoleLine(const char* what, EGLint error) {
  std::fprintf(stderr, "GLDisplay: %s (EGL error 0x%x)\n", what, static_cast<unsigned>(error));
}

template <typename Fn>
bool lookUp(Fn& fn, const char* name) {
  fn = reinterpret_cast<Fn>(eglGetProcAddress(name));
  return fn != nullptr;
}

}  // namespace

GLDisplay* GLDisplay::shared() {
  // Made once; a failure is final too, so the reason is logged once.
  static GLDisplay* instance = [] {
    auto* display = new GLDisplay();
    if (display->open()) return display;
    delete display;
    return static_cast<GLDisplay*>(nullptr);
  }();
  return instance;
}

bool GLDisplay::open() {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (clientExtensions == nullptr || getPlatformDisplay == nullptr) {
    consoleLine("EGL has no platform displays", eglGetError());
    return false;
  }
  display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display_ == EGL_NO_DISPLAY) {
    consoleLine("no surfaceless display", eglGetError());
    return false;
  }
  EGLint major = 0;
  EGLint minor = 0;
  if (!eglInitialize(display_, &major, &minor)) {
    consoleLine("eglInitialize failed", eglGetError());
    display_ = EGL_NO_DISPLAY;
    return false;
  }
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                               EGL_RENDERABLE_TYPE, EGL_OPENGL_ES_BIT,
                               EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                               EGL_ALPHA_SIZE, 8, EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(display_, attributes, &config_, 1, &count) || count < 1) {
    consoleLine("no ES 1.1 config with pbuffers", eglGetError());
    eglTerminate(display_);
    display_ = EGL_NO_DISPLAY;
    return false;
  }
  bool found = lookUp(fbo_.genFramebuffers, "glGenFramebuffersOES") &&
               lookUp(fbo_.deleteFramebuffers, "glDeleteFramebuffersOES") &&
               lookUp(fbo_.bindFramebuffer, "glBindFramebufferOES") &&
               lookUp(fbo_.checkFramebufferStatus, "glCheckFramebufferStatusOES") &&
               lookUp(fbo_.framebufferRenderbuffer, "glFramebufferRenderbufferOES") &&
               lookUp(fbo_.genRenderbuffers, "glGenRenderbuffersOES") &&
               lookUp(fbo_.deleteRenderbuffers, "glDeleteRenderbuffersOES") &&
               lookUp(fbo_.bindRenderbuffer, "glBindRenderbufferOES") &&
               lookUp(fbo_.renderbufferStorage, "glRenderbufferStorageOES") &&
               lookUp(fbo_.getRenderbufferParameteriv, "glGetRenderbufferParameterivOES");
  if (!found) {
    consoleLine("no OES framebuffer object functions", eglGetError());
    eglTerminate(display_);
    display_ = EGL_NO_DISPLAY;
    return false;
  }
  return true;
}

}  // namespace zu::gl
