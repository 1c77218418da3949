// GLContext: one OpenGL ES 1.1 rendering context of the shared GLDisplay, with no surface of
// its own: it draws into framebuffer objects (see GLDrawable for the storage and the read-back).
//
// create() returns null when no display can be had or EGL refuses the context, so a view that
// needs one fails cleanly. makeCurrent() binds the context to the calling thread; every
// drawing entry calls it first, as several contexts may take turns on the main thread.
// Destroying a context that is current on the calling thread first clears the current context.
//
// Ownership: single (unique_ptr), held by the view that draws with it. Main thread only.
#pragma once

#include <EGL/egl.h>

#include <memory>

namespace zu::gl {

class GLDisplay;

class GLContext {
 public:
  // An ES 1.1 context of GLDisplay::shared(); null when none can be made.
  static std::unique_ptr<GLContext> create();
  ~GLContext();
  GLContext(const GLContext&) = delete;
  GLContext& operator=(const GLContext&) = delete;

  // Makes this the calling thread's current context. False when EGL refuses.
  bool makeCurrent();
  // True when this is the calling thread's current context.
  bool isCurrent() const;
  // Leaves the calling thread with no current context.
  static void clearCurrent();

  GLDisplay& display() const { return display_; }

 private:
  GLContext(GLDisplay& display, EGLContext context) : display_(display), context_(context) {}

  GLDisplay& display_;
  EGLContext context_;
};

}  // namespace zu::gl
