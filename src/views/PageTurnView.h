// PageTurnView: how a GridView reaches its page-turn view (the GL view that draws flat flips
// and book curls over the grid) without depending on its renderer: the pictures, the leaf's
// angle or the curled corner's point, the finishing and cancelling animations, and the
// end-of-turn reports (PageTurnViewDelegate).
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

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"

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

  // --- the book curl: a corner under the finger (view coordinates; column style: two facing
  // pages with the spine at the centre), and the animations that carry it to its mirror image
  // across the spine (finish) or back to its place (cancel); curved paths when set
  virtual void setIsBeizerTans(bool curved) = 0;
  virtual void flipBookFromRBWithFinger(ui::Point finger, bool columnStyle) = 0;
  virtual void flipBookFromRTWithFinger(ui::Point finger, bool columnStyle) = 0;
  virtual void flipBookFromLBWithFinger(ui::Point finger, bool columnStyle) = 0;
  virtual void flipBookFromLTWithFinger(ui::Point finger, bool columnStyle) = 0;
  virtual void finishFlipBookR2L_B(bool columnStyle) = 0;
  virtual void finishFlipBookR2L_T(bool columnStyle) = 0;
  virtual void finishFlipBookL2R_B(bool columnStyle) = 0;
  virtual void finishFlipBookL2R_T(bool columnStyle) = 0;
  virtual void cancelFlipBookR2L_B(bool columnStyle) = 0;
  virtual void cancelFlipBookR2L_T(bool columnStyle) = 0;
  virtual void cancelFlipBookL2R_B(bool columnStyle) = 0;
  virtual void cancelFlipBookL2R_T(bool columnStyle) = 0;
};

}  // namespace zu
