// ScrollView: a view whose bounds origin (the content offset) moves over a larger content, with
// paging, bouncing, zooming and the phone's delegate callbacks. Main thread.
//
// Kept from the phone:
//  - contentOffset is the bounds origin; scrollViewDidScroll is called when it changes, however
//    it changes, and only then.
//  - A drag (by touches through the scroll view's own pan recogniser, or by the driver below):
//    tracking when the finger is down; on the first move dragging starts and
//    scrollViewWillBeginDragging is called; the offset follows the finger on the axes that can
//    scroll (the content is larger than the bounds, or bouncing is forced for the axis). Past an
//    edge it follows with the phone's rubber-band resistance: a pull of x points over a bounds
//    length d moves the content (1 − 1/(x·0.55/d + 1))·d. On release:
//    scrollViewDidEndDragging(willDecelerate); when the content must still move (a page to
//    settle on, a bounce back inside the edges, a fling) scrollViewWillBeginDecelerating, then
//    the content moves frame by frame on the main run loop by the injected clock (see
//    ScrollMotion: the exponential deceleration at decelerationRate, the overshoot and bounce
//    back at an edge, the spring onto a page), calling did scroll each frame it moved, and
//    scrollViewDidEndDecelerating once at rest. A new drag stops a deceleration without its end
//    callback.
//  - A deceleration ends inside the edges even when the content shrank or the view grew on the
//    way: past the new edge it springs back (without bounces it stops on the edge), and
//    scrollViewDidEndDecelerating comes once, at rest.
//  - Paging settles on multiples of the bounds size: the page nearest to the release point, or
//    the next one in the direction of a fling (|velocity| ≥ kFlickVelocity), never more than one
//    page from where the drag began.
//  - A resize that leaves the offset beyond the largest one (the view grown over short content)
//    brings it back to the largest, with did scroll — unless a finger, a deceleration or an
//    offset animation is moving it. Shrunk again before anything else moved the content (or
//    gave it another size), the view returns towards the offset it had before it grew.
//  - Every offset change (setting it, a drag's move, each frame of a deceleration or of an
//    offset animation) goes through the virtual setContentOffset(offset), so a subclass sees
//    each one as the phone's subclasses do.
//  - setContentOffset(animated): nothing when the offset is already there; otherwise the
//    animation is logged (AnimationLog, property "contentOffset") and the offset moves eased in
//    and out frame by frame (did scroll each frame) to reach the target
//    kScrollAnimationDuration later, when scrollViewDidEndScrollingAnimation is called. A later
//    offset change replaces a running animation (without its end callback).
//  - Scroll indicators (when shown for the axis and the content is larger than the bounds): a
//    bar along the right and bottom edges, sized by the visible part, shortened while the
//    content is pulled past an edge; visible while the content moves, fading out after it stops
//    and after flashScrollIndicators. The indicator style colours it: dark with a light rim
//    (default), dark (black), or white.
//  - canCancelContentTouches (on by default): a drag that starts on a view of the content scrolls
//    and cancels its touch, unless a view of the content keeps the touch as its own
//    (View::keepsTouchFromScrolling: a slider that tracks it, see Slider). Off, the content
//    keeps a touch it has held for kContentTouchDelay (the phone's delay before content sees a
//    touch) and the scroll view does not scroll for it; a finger moving sooner scrolls.
//  - Zooming scales the delegate's viewForZooming by a transform, keeps the zoom within
//    minimum…maximum, sets the content size to the zoomed view's size and calls
//    scrollViewDidZoom; setZoomScale keeps the content at the middle of the visible area there
//    and zoomToRect brings the rectangle's middle to it, as near as the edges allow, the offset
//    moving in the same animation as the zoom (a deceleration under way stops where it is, with
//    scrollViewDidEndDecelerating); animated zooms end with scrollViewDidEndZooming.
//  - Two fingers pinching (the scroll view's own pinch recogniser, which takes part only while
//    there is a view to zoom and the zoom limits differ) zoom from the scale at the start of
//    the pinch, keeping the content point between the fingers under them;
//    scrollViewDidEndZooming follows when the fingers lift. A scroll view takes multiple
//    touches.
// Where we differ on purpose: the mouse wheel (and a touchpad's two-finger scroll) scrolls the
// scroll view under the pointer (wheelAt) as a drag without a finger would: will begin
// dragging, did scroll per step, held inside the edges; kWheelPause after the last step the
// drag ends and a paged view settles on the next page in the wheel's direction. A scroll view
// that can only scroll across takes a vertical wheel as horizontal, unless the wheel turned
// over a scroll view inside it that scrolls up and down (a web page, a list): that one keeps
// the wheel even with nothing left to scroll.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/ScrollMotion.h"
#include "platform/ui/views/ScrollViewDelegate.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class PanGestureRecognizer;
class PinchGestureRecognizer;
class Window;

enum class ScrollViewIndicatorStyle { Default = 0, Black = 1, White = 2 };

class ScrollView : public View {
 public:
  static constexpr double kScrollAnimationDuration = 0.3;
  static constexpr float kFlickVelocity = 300;
  // Speed kept per millisecond of a deceleration.
  static constexpr float kDecelerationRateNormal = 0.998f;
  static constexpr float kDecelerationRateFast = 0.99f;
  // The rubber band's resistance past an edge.
  static constexpr float kRubberBandCoefficient = 0.55f;
  // Motion and indicator fades step once a frame.
  static constexpr double kFrameInterval = 1.0 / 60;
  // Indicators start fading this long after the content stops (after a flash: kFlashDuration),
  // and are gone kIndicatorFadeDuration later.
  static constexpr double kIndicatorFadeDelay = 0.2;
  static constexpr double kFlashDuration = 1;
  static constexpr double kIndicatorFadeDuration = 0.3;
  // How long a view of the content holds a touch before a scroll view that may not cancel
  // content touches leaves it the touch.
  static constexpr double kContentTouchDelay = 0.15;
  // A wheel gesture ends this long after its last step.
  static constexpr double kWheelPause = 0.15;

  // How far the content moves for a pull of `overshoot` points past an edge of a bounds
  // `length` points long (0 for a length of 0 or less).
  static float rubberBand(float overshoot, float length);

  explicit ScrollView(const Rect& frame = Rect());
  ~ScrollView() override;

  void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }

  Point contentOffset() const { return bounds().origin; }
  virtual void setContentOffset(Point offset);
  void setContentOffset(Point offset, bool animated);
  Size contentSize() const { return contentSize_; }
  // Content of another size is new content: an offset a growth of the view took back from the
  // old one is forgotten.
  void setContentSize(Size size);
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
  ScrollViewIndicatorStyle indicatorStyle() const { return indicatorStyle_; }
  void setIndicatorStyle(ScrollViewIndicatorStyle style) {
    if (indicatorStyle_ != style) setNeedsDisplay();
    indicatorStyle_ = style;
  }
  bool canCancelContentTouches() const { return canCancelContentTouches_; }
  void setCanCancelContentTouches(bool on) { canCancelContentTouches_ = on; }
  bool scrollsToTop() const { return scrollsToTop_; }
  void setScrollsToTop(bool on) { scrollsToTop_ = on; }
  // Shows the indicators, fading them out kFlashDuration later.
  void flashScrollIndicators();
  // How many times flashScrollIndicators was called.
  int scrollIndicatorFlashes() const { return indicatorFlashes_; }
  // The indicators' opacity now: 0 hidden … 1 shown.
  float scrollIndicatorAlpha() const { return indicatorAlpha_; }
  float decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(float rate) {
    if (rate > 0 && rate < 1) decelerationRate_ = rate;
  }

  bool isTracking() const { return tracking_; }
  bool isDragging() const { return dragging_; }
  bool isDecelerating() const { return decelerating_; }
  bool isScrollAnimating() const { return animationToken_ != 0; }
  // Where a running deceleration comes to rest (the offset when none runs).
  Point decelerationTarget() const;

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
  // Ends a running deceleration now, at its resting offset.
  void finishDecelerating();

  // --- the wheel
  // One step of a wheel or touchpad scroll moving the offset by `delta` points (positive:
  // toward larger offsets). False when this view cannot scroll that way.
  bool scrollByWheel(Point delta);
  // Hands a wheel step to the innermost scroll view under `windowPoint` that can take it (the
  // hit view's scroll views, inner first); a mostly vertical step goes no further out than the
  // first of them that scrolls vertically. True when one took it.
  static bool wheelAt(Window& window, Point windowPoint, Point delta);

  // The scroll view's own pan recogniser (not a plain PanGestureRecognizer).
  const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return pan_; }
  // The pinch that zooms.
  const std::shared_ptr<PinchGestureRecognizer>& pinchGestureRecognizer() const { return pinch_; }
  // True when a pinch may zoom: a view to zoom and zoom limits that differ.
  bool canZoom();

 protected:
  void boundsDidChange(const Rect& oldBounds) override;
  void drawOverSubviews(Canvas& canvas) override;

 private:
  bool canScrollHorizontally() const;
  bool canScrollVertically() const;
  Point clamp(Point offset) const;
  // The offset a pull to `raw` shows: raw inside the edges, rubber-banded (or held) past them.
  Point resisted(Point raw) const;
  // The inverse: the pull that shows `offset`.
  Point unresisted(Point offset) const;
  void startTracking();
  bool finishDrag(ScrollMotion x, ScrollMotion y);
  void stopDecelerating();
  // `offset` with the axes that scroll brought inside the edges.
  Point insideScrollableEdges(Point offset) const;
  // A motion planned for the content and bounds at its start may end past an edge once they
  // changed on the way: then the content springs back inside (true: a spring now runs), or
  // without bounces is put on the edge.
  bool springBackInside();
  void endWheel();
  void showIndicators();
  void fadeIndicatorsAfter(double delay);
  void scheduleTick();
  void tick();
  void cancelAnimation();
  void stepAnimationLater();
  void stepAnimation();
  void applyZoom(float scale);
  // Zooms to `scale` with the unzoomed content point `anchor` at `at` in the visible area (as
  // near as the edges allow).
  void zoomTo(float scale, Point anchor, Point at, bool animated);
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
  bool canCancelContentTouches_ = true;
  ScrollViewIndicatorStyle indicatorStyle_ = ScrollViewIndicatorStyle::Default;
  int indicatorFlashes_ = 0;
  bool tracking_ = false;
  bool dragging_ = false;
  bool decelerating_ = false;
  Point dragStartPoint_;
  // The unresisted offset the drag began at (see unresisted).
  Point dragStartOffset_;
  float decelerationRate_ = kDecelerationRateNormal;
  ScrollMotion motionX_ = ScrollMotion::still(0);
  ScrollMotion motionY_ = ScrollMotion::still(0);
  double motionStart_ = 0;  // the clock's monotonic seconds at the release
  bool wheeling_ = false;
  Point wheelOffset_;
  RunLoop::Token wheelToken_ = 0;
  float indicatorAlpha_ = 0;
  double fadeStart_ = -1;  // monotonic seconds the fade begins; < 0: no fade due
  RunLoop::Token tickToken_ = 0;
  RunLoop::Token animationToken_ = 0;
  Point animationFrom_;
  Point animationTarget_;
  int64_t animationStartMicros_ = 0;  // the clock's monotonic time
  bool animationStepping_ = false;  // an animation frame is setting the offset
  // The offset a growth of the view took back (kept until something else moves the content or
  // gives it another size), and whether a resize is moving it.
  std::optional<Point> offsetBeforeGrowth_;
  bool adjustingForSize_ = false;
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
