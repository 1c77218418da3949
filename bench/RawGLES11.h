// RawGLES11: the reference side of the page-turn benchmarks — a bare OpenGL ES 1.1 context on
// a surfaceless EGL display with a framebuffer object (RGBA8 colour, 16-bit depth) of the
// benchmark's size, the page-turn view's blending, depth test and frustum, and textures
// uploaded straight from images. Used on the benchmark thread only.
#pragma once

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/ui/images/Image.h"

namespace zu {

struct RawGLES11 {
  int width = 0;
  int height = 0;
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
  GLuint framebuffer = 0;
  std::vector<uint8_t> pixels;

  // The context made current with its framebuffer and a frustum of half-angle `angleDegrees`.
  bool open(int w, int h, float angleDegrees) {
    width = w;
    height = h;
    pixels.assign(static_cast<size_t>(w) * h * 4, 0);
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
    storage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, w, h);
    attach(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, colour);
    genRenderbuffers(1, &depth);
    bindRenderbuffer(GL_RENDERBUFFER_OES, depth);
    storage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, w, h);
    attach(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, depth);

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float right = std::tan(angleDegrees * static_cast<float>(M_PI) / 180) * 0.1f;
    const float aspect = static_cast<float>(w) / static_cast<float>(h);
    glFrustumf(-right, right, -right / aspect, right / aspect, 0.1f, 1000);
    return true;
  }

  // A texture holding the image's pixels as they lie in memory.
  static GLuint texture(const ui::Image& image) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_BGRA_EXT, image.pixelWidth(), image.pixelHeight(), 0,
                 GL_BGRA_EXT, GL_UNSIGNED_BYTE, image.pixels());
    return name;
  }

  // Starts a frame: the framebuffer bound and cleared to white, model-view mode.
  void beginFrame() const {
    bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
    glViewport(0, 0, width, height);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
  }

  void readBack() { glReadPixels(0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels.data()); }
};

}  // namespace zu
