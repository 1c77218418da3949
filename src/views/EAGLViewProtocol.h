// EAGLViewProtocol: what the page-turn view (EAGLView) tells its owner when a turn's animation
// ends. Every method is optional: the defaults do nothing, and the view calls the one that
// matches the direction and whether the turn finished or was cancelled, on the main thread,
// while the view is still shown; the view hides right after. The view holds its delegate
// weakly. An owner may release the view from inside a callback.
#pragma once

namespace zu {

class EAGLView;

class EAGLViewProtocol {
 public:
  virtual ~EAGLViewProtocol() = default;

  virtual void EAGLViewDidFlipL2RFinish(EAGLView& /*view*/) {}
  virtual void EAGLViewDidFlipL2RCancel(EAGLView& /*view*/) {}
  virtual void EAGLViewDidFlipR2LFinish(EAGLView& /*view*/) {}
  virtual void EAGLViewDidFlipR2LCancel(EAGLView& /*view*/) {}
  virtual void EAGLViewDidFlipU2DFinish(EAGLView& /*view*/) {}
  virtual void EAGLViewDidFlipU2DCancel(EAGLView& /*view*/) {}
  virtual void EAGLViewDidFlipD2UFinish(EAGLView& /*view*/) {}
  virtual void EAGLViewDidFlipD2UCancel(EAGLView& /*view*/) {}
};

}  // namespace zu
