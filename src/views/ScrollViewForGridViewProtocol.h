// ScrollViewForGridViewProtocol: what a grid's scroll view tells the grid that made it, besides
// the ordinary scroll callbacks (the protocol is a ScrollViewDelegate, and the scroll view makes
// its grid delegate both ways). Points are window coordinates. Every method must be answered.
// Main thread; the scroll view holds the delegate weakly.
#pragma once

#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/input/GestureRecognizer.h"
#include "platform/ui/views/ScrollViewDelegate.h"

namespace zu {

namespace ui {
class TapGestureRecognizer;
}  // namespace ui

class ScrollViewForGridView;

class ScrollViewForGridViewProtocol : public ui::ScrollViewDelegate {
 public:
  virtual void swipeLeftAction(ScrollViewForGridView& scrollView) = 0;
  virtual void swipeRightAction(ScrollViewForGridView& scrollView) = 0;
  // The one tracked finger began, moved, lifted or was cancelled.
  virtual void scrollViewTouchesStarted(ScrollViewForGridView& scrollView, ui::Point point) = 0;
  virtual void scrollViewTouchesMoved(ScrollViewForGridView& scrollView, ui::Point point) = 0;
  virtual void scrollViewTouchesEnded(ScrollViewForGridView& scrollView, ui::Point point) = 0;
  virtual void scrollViewTouchesCancelled(ScrollViewForGridView& scrollView, ui::Point point) = 0;
  // Each action of the long-press recogniser, with the last tracked finger position.
  virtual void scrollViewLongGestureOnPoint(ScrollViewForGridView& scrollView, ui::GestureState state,
                                            ui::Point point) = 0;
  // Each action of the pan recogniser (finger-driven page turns), at the pan's location.
  virtual void scrollViewPanGestureOnPoint(ScrollViewForGridView& scrollView, ui::GestureState state,
                                           ui::Point point) = 0;
  // The double-tap recogniser fired.
  virtual void scrollViewTapGestureOnPoint(ScrollViewForGridView& scrollView,
                                           ui::TapGestureRecognizer& tap, ui::Point point) = 0;
  // The tracked finger lifted, just before scrollViewTouchesEnded.
  virtual void scrollViewAcquireFocus(ScrollViewForGridView& scrollView) = 0;
};

}  // namespace zu
