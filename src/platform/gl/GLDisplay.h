// GLDisplay: the process's one EGL display, on Mesa's surfaceless platform, with the config
// that every OpenGL ES 1.1 context of the process is made from. There is no window system
// behind it: contexts render into framebuffer objects and the pixels are read back
// (GLDrawable). On a machine without a GPU, Mesa's llvmpipe rasterises in software.
//
// The display is made on first use of shared() and lives until the process ends (EGL displays
// are process-wide; terminating one while another part of the process might use it would
// invalidate every context). shared() returns null, and logs why once, when no display can be
// made (no EGL, no surfaceless platform, no ES 1.1 config); callers then fail cleanly.
//
// Core ES 1.1 has no framebuffer objects: the OES_framebuffer_object entry points are looked up
// once through eglGetProcAddress and offered as `fbo()`. They are valid for every context of
// this display.
//
// Threads: GL work happens on the main thread; shared() itself may be called from any thread.
#pragma once

#include <EGL/egl.h>
#include <GLES/gl.h>
#include <GLES/glext.h>

namespace zu::gl {

class GLDisplay {
 public:
  // The OES_framebuffer_object functions of ES 1.1.
  struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSOESPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSOESPROC checkFramebufferStatus = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEROESPROC framebufferRenderbuffer = nullptr;
    PFNGLGENRENDERBUFFERSOESPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEROESPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEOESPROC renderbufferStorage = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVOESPROC getRenderbufferParameteriv = nullptr;
  };

  // The display, made on first call; null when this machine cannot give one.
  static GLDisplay* shared();

  GLDisplay(const GLDisplay&) = delete;
  GLDisplay& operator=(const GLDisplay&) = delete;

  EGLDisplay display() const { return display_; }
  // A config with EGL_PBUFFER_BIT, ES 1 renderable, RGBA 8888.
  EGLConfig config() const { return config_; }
  const FramebufferFunctions& fbo() const { return fbo_; }

 private:
  GLDisplay() = default;
  // Opens the display and picks the config; false (with a console line) on failure.
  bool open();

  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLConfig config_ = nullptr;
  FramebufferFunctions fbo_;
};

}  // namespace zu::gl
