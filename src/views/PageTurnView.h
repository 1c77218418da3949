// PageTurnView: how a GridView reaches its page-turn view (the GL view that draws flat flips
// over the grid) without depending on its renderer: the pictures, the leaf's angle, the
// finishing and cancelling animations, and the end-of-turn reports (PageTurnViewDelegate).
// EAGLPageTurnView adapts the EAGLView to it; tests put a recording stand-in in its place.
//
// The page-turn view lies in the grid's superview, over the grid; the grid owns it and, when it
// goes, clears the view's delegate before removing it. The view reports the end of a turn to
// its delegate while it is still shown, then hides; a delegate may release the view from that
// report. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Color.h"

namespace zu {

namespace ui {
class View;
}  // namespace ui

class PageTurnView;

// The end of a turn: which direction, finished (the new page is shown) or cancelled.
class PageTurnViewDelegate {
 public:
  virtual ~PageTurnViewDelegate() = default;

  virtual void EAGLViewDidFlipL2RFinish(PageTurnView& /*view*/) {}
  virtual void EAGLViewDidFlipL2RCancel(PageTurnView& /*view*/) {}
  virtual void EAGLViewDidFlipR2LFinish(PageTurnView& /*view*/) {}
  virtual void EAGLViewDidFlipR2LCancel(PageTurnView& /*view*/) {}
  virtual void EAGLViewDidFlipU2DFinish(PageTurnView& /*view*/) {}
  virtual void EAGLViewDidFlipU2DCancel(PageTurnView& /*view*/) {}
  virtual void EAGLViewDidFlipD2UFinish(PageTurnView& /*view*/) {}
  virtual void EAGLViewDidFlipD2UCancel(PageTurnView& /*view*/) {}
};

class PageTurnView {
 public:
  virtual ~PageTurnView() = default;

  // The view itself, as placed in the grid's superview.
  virtual ui::View& view() = 0;
  // Held weakly.
  virtual void setEaglDelegate(std::weak_ptr<PageTurnViewDelegate> delegate) = 0;
  // Stops reporting the ends of turns.
  virtual void clearEaglDelegate() = 0;
  virtual void setClearColorRGB(std::optional<ui::Color> color) = 0;
  // 0 the flat flip, 1 the book curl.
  virtual void setFlipModel(int model) = 0;

  // --- pictures: the current page (top), the page to come (bottom; null for none), and the
  // picture shown between them while several pages pass
  virtual void reloadTopTextureWithView(ui::View* view) = 0;
  virtual void reloadBottomTextureWithView(ui::View* view) = 0;
  virtual void reloadMidTextureWithPath(const std::string& path) = 0;
  virtual void switchTopBottom() = 0;
  // Shows the current page whole, the leaf at rest.
  virtual void redraw() = 0;
  virtual int pagePass() const = 0;
  virtual void setPagePass(int pages) = 0;

  // --- the leaf under the finger (L2R turns back to the previous page, R2L on to the next)
  virtual void flipL2RToRota(float rota) = 0;
  virtual void flipR2LToRota(float rota) = 0;
  // --- animations, each ending with a report
  virtual void finishFlipL2R() = 0;
  virtual void finishFlipR2L() = 0;
  virtual void finishFlipU2D() = 0;
  virtual void finishFlipU2DPhysics() = 0;
  virtual void finishFlipD2U() = 0;
  virtual void cancelFlipL2R() = 0;
  virtual void cancelFlipR2L() = 0;
  // Runs on to `rota` first, then falls back.
  virtual void cancelFlipL2RAfterTo(float rota) = 0;
  virtual void cancelFlipR2LAfterTo(float rota) = 0;
  virtual bool isAnimating() const = 0;
};

}  // namespace zu
