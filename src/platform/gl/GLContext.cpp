#include "platform/gl/GLContext.h"

#include <cstdio>

#include "platform/gl/GLDisplay.h"

namespace zu::gl {

std::unique_ptr<GLContext> GLContext::create() {
  GLDisplay* display = GLDisplay::shared();
  if (display == nullptr) return nullptr;
  if (!eglBindAPI(EGL_OPENGL_ES_API)) return nullptr;
  const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
  EGLContext context =
      eglCreateContext(display->display(), display->config(), EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) {
    std::fprintf(stderr, "GLContext: eglCreateContext failed (EGL error 0x%x)\n",
                 static_cast<unsigned>(eglGetError()));
    return nullptr;
  }
  return std::unique_ptr<GLContext>(new GLContext(*display, context));
}

GLContext::~GLContext() {
  if (isCurrent()) clearCurrent();
  eglDestroyContext(display_.display(), context_);
}

bool GLContext::makeCurrent() {
  if (isCurrent()) return true;
  return eglMakeCurrent(display_.display(), EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

bool GLContext::isCurrent() const { return eglGetCurrentContext() == context_; }

void GLContext::clearCurrent() {
  EGLDisplay display = eglGetCurrentDisplay();
  if (display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

}  // namespace zu::gl
