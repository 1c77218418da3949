// ScrollView: a view whose bounds origin (the content offset) moves over a larger content, with
// paging, bouncing, zooming and the phone's delegate callbacks. Main thread.
//
// Kept from the phone:
//  - contentOffset is the bounds origin; scrollViewDidScroll is called when it changes, however
//    it changes, and only then.
//  - A drag (by touches through the scroll view's own pan recogniser, or by the driver below):
//    tracking when the finger is down; on the first move dragging starts and
//    scrollViewWillBeginDragging is called; the offset follows the finger on the axes that can
//    scroll (the content is larger than the bounds, or bouncing is forced for the axis). On
//    release: scrollViewDidEndDragging(willDecelerate); when the content must still move (a
//    page to settle on, a bounce back inside the edges, a fling) scrollViewWillBeginDecelerating,
//    then, kDecelerationDuration later by the clock, the offset reaches its target (did scroll)
//    and scrollViewDidEndDecelerating. A new drag stops a deceleration without its end callback.
//  - Paging settles on multiples of the bounds size: the page nearest to the release point, or
//    the next one in the direction of a fling (|velocity| ≥ kFlickVelocity).
//  - Every offset change without an animation (setting it, a drag's move, the end of a
//    deceleration or of an offset animation) goes through the virtual setContentOffset(offset),
//    so a subclass sees each one as the phone's subclasses do.
//  - setContentOffset(animated): nothing when the offset is already there; otherwise the
//    animation is logged (AnimationLog, property "contentOffset") and kScrollAnimationDuration
//    later the offset is set (did scroll) and scrollViewDidEndScrollingAnimation is called. A
//    later offset change replaces a running animation (without its end callback).
//  - Zooming scales the delegate's viewForZooming by a transform, keeps the zoom within
//    minimum…maximum, sets the content size to the zoomed view's size and calls
//    scrollViewDidZoom; animated zooms end with scrollViewDidEndZooming.
//  - Two fingers pinching (the scroll view's own pinch recogniser, which takes part only while
//    there is a view to zoom and the zoom limits differ) zoom from the scale at the start of
//    the pinch, keeping the content point between the fingers under them;
//    scrollViewDidEndZooming follows when the fingers lift. A scroll view takes multiple
//    touches.
// Where we differ on purpose: moves beyond the edges follow the finger one to one (no rubber
// band), decelerations jump to their target at their end, and scroll indicators are not drawn
// (flashScrollIndicators only counts the flashes, so a screen's flash can be checked).
#pragma once

#include <memory>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/ScrollViewDelegate.h"
#include "platform/ui/View.h"

namespace zu::ui {

class PanGestureRecognizer;
class PinchGestureRecognizer;

class ScrollView : public View {
 public:
  static constexpr double kDecelerationDuration = 0.4;
  static constexpr double kScrollAnimationDuration = 0.3;
  static constexpr float kFlickVelocity = 300;

  explicit ScrollView(const Rect& frame = Rect());
  ~ScrollView() override;

  void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }

  Point contentOffset() const { return bounds().origin; }
  virtual void setContentOffset(Point offset);
  void setContentOffset(Point offset, bool animated);
  Size contentSize() const { return contentSize_; }
  void setContentSize(Size size) { contentSize_ = size; }
  const EdgeInsets& contentInset() const { return contentInset_; }
  virtual void setContentInset(const EdgeInsets& insets) { contentInset_ = insets; }
  const EdgeInsets& scrollIndicatorInsets() const { return indicatorInsets_; }
  void setScrollIndicatorInsets(const EdgeInsets& insets) { indicatorInsets_ = insets; }

  bool isPagingEnabled() const { return paging_; }
  void setPagingEnabled(bool on) { paging_ = on; }
  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool on);
  bool bounces() const { return bounces_; }
  void setBounces(bool on) { bounces_ = on; }
  bool alwaysBounceHorizontal() const { return bounceH_; }
  void setAlwaysBounceHorizontal(bool on) { bounceH_ = on; }
  bool alwaysBounceVertical() const { return bounceV_; }
  void setAlwaysBounceVertical(bool on) { bounceV_ = on; }
  bool showsHorizontalScrollIndicator() const { return showsH_; }
  void setShowsHorizontalScrollIndicator(bool on) { showsH_ = on; }
  bool showsVerticalScrollIndicator() const { return showsV_; }
  void setShowsVerticalScrollIndicator(bool on) { showsV_ = on; }
  bool scrollsToTop() const { return scrollsToTop_; }
  void setScrollsToTop(bool on) { scrollsToTop_ = on; }
  void flashScrollIndicators() { ++indicatorFlashes_; }
  // How many times flashScrollIndicators was called.
  int scrollIndicatorFlashes() const { return indicatorFlashes_; }

  bool isTracking() const { return tracking_; }
  bool isDragging() const { return dragging_; }
  bool isDecelerating() const { return decelerating_; }
  bool isScrollAnimating() const { return animationToken_ != 0; }

  // Scrolls as little as needed to show `rect` (content coordinates).
  void scrollRectToVisible(const Rect& rect, bool animated);
  // The smallest and largest offsets inside the edges (insets included).
  Point minimumContentOffset() const;
  Point maximumContentOffset() const;

  // --- zooming
  float zoomScale() const { return zoomScale_; }
  void setZoomScale(float scale, bool animated = false);
  float minimumZoomScale() const { return minZoom_; }
  void setMinimumZoomScale(float scale) { minZoom_ = scale; }
  float maximumZoomScale() const { return maxZoom_; }
  void setMaximumZoomScale(float scale) { maxZoom_ = scale; }
  // Zooms so that `rect` (in the zooming view's coordinates) fills the bounds.
  void zoomToRect(const Rect& rect, bool animated);
  bool isZooming() const { return zoomToken_ != 0; }

  // --- the driver (window points, as a finger would give them)
  void beginDrag(Point windowPoint);
  void dragTo(Point windowPoint);
  // Lifts the finger; `velocity` is the offset's speed in points per second. Returns
  // willDecelerate.
  bool endDrag(Point velocity = Point{0, 0});
  // Lifts the finger and decelerates to exactly `offset` (no deceleration when already there).
  bool endDragDeceleratingTo(Point offset);
  // Ends a running deceleration now.
  void finishDecelerating();

  // The scroll view's own pan recogniser (not a plain PanGestureRecognizer).
  const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return pan_; }
  // The pinch that zooms.
  const std::shared_ptr<PinchGestureRecognizer>& pinchGestureRecognizer() const { return pinch_; }
  // True when a pinch may zoom: a view to zoom and zoom limits that differ.
  bool canZoom();

 protected:
  void boundsDidChange(const Rect& oldBounds) override;

 private:
  bool canScrollHorizontally() const;
  bool canScrollVertically() const;
  Point clamp(Point offset) const;
  bool finishDrag(Point target);
  void cancelAnimation();
  void applyZoom(float scale);
  void onPan();
  void onPinch();

  std::weak_ptr<ScrollViewDelegate> delegate_;
  Size contentSize_;
  EdgeInsets contentInset_;
  EdgeInsets indicatorInsets_;
  bool paging_ = false;
  bool scrollEnabled_ = true;
  bool bounces_ = true;
  bool bounceH_ = false;
  bool bounceV_ = false;
  bool showsH_ = true;
  bool showsV_ = true;
  bool scrollsToTop_ = true;
  int indicatorFlashes_ = 0;
  bool tracking_ = false;
  bool dragging_ = false;
  bool decelerating_ = false;
  Point dragStartPoint_;
  Point dragStartOffset_;
  Point decelerationTarget_;
  RunLoop::Token decelerationToken_ = 0;
  RunLoop::Token animationToken_ = 0;
  Point animationTarget_;
  float zoomScale_ = 1;
  float minZoom_ = 1;
  float maxZoom_ = 1;
  RunLoop::Token zoomToken_ = 0;
  std::shared_ptr<PanGestureRecognizer> pan_;
  std::shared_ptr<PinchGestureRecognizer> pinch_;
  float pinchStartZoom_ = 1;
  Point pinchAnchor_;  // the unzoomed content point under the fingers when the pinch began
};

}  // namespace zu::ui
