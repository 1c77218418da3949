#include "platform/ui/views/ScrollView.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/Clock.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/input/PanGestureRecognizer.h"
#include "platform/ui/input/PinchGestureRecognizer.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

// The scroll view's own pan: it does not begin when there is nothing to scroll, so taps and
// swipes on fixed content go to the content; nor while a view of the content keeps one of its
// touches from scrolling (View::keepsTouchFromScrolling: a control tracking the touch as its
// own, as the phone's scroll view leaves such a touch to the control); nor, when the scroll view
// may not cancel content touches, once a view of its content has held a touch for
// kContentTouchDelay.
class ScrollPan : public PanGestureRecognizer {
 public:
  explicit ScrollPan(ScrollView* owner) : owner_(owner) {}

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override {
    for (const auto& touch : touches) {
      if (heldByContent(*touch)) contentSince_ = std::min(contentSince_, event.timestamp);
    }
    PanGestureRecognizer::touchesBegan(touches, event);
  }
  void touchesMoved(const TouchSet& touches, const Event& event) override {
    if (state() == GestureState::Possible &&
        (!scrollable() || keptByContent() ||
         (!owner_->canCancelContentTouches() &&
          event.timestamp - contentSince_ >= ScrollView::kContentTouchDelay - kClockGrain))) {
      setState(GestureState::Failed);
      return;
    }
    PanGestureRecognizer::touchesMoved(touches, event);
  }
  void reset() override {
    contentSince_ = kNever;
    PanGestureRecognizer::reset();
  }

 private:
  static constexpr double kNever = 1e300;
  // The clock counts microseconds: a delay reached to within one has passed.
  static constexpr double kClockGrain = 1e-6;
  // The touch went to a view inside the scroll view's content rather than to the scroll view.
  bool heldByContent(const Touch& touch) const {
    auto view = touch.view();
    if (!view || view.get() == owner_) return false;
    for (auto v = view->superview(); v; v = v->superview()) {
      if (v.get() == owner_) return true;
    }
    return false;
  }

  // A view of the content, the touch's own or one it passes the touch up to, or the scroll view
  // itself keeps one of the gesture's touches.
  bool keptByContent() const {
    for (const auto& touch : touches()) {
      // The scroll view itself may keep a touch of its own (a text view selecting by a drag).
      if (touch->view().get() == owner_ && owner_->keepsTouchFromScrolling(*touch)) return true;
      if (!heldByContent(*touch)) continue;
      for (auto v = touch->view(); v && v.get() != owner_; v = v->superview()) {
        if (v->keepsTouchFromScrolling(*touch)) return true;
      }
    }
    return false;
  }

  bool scrollable() const {
    const Point min = owner_->minimumContentOffset();
    const Point max = owner_->maximumContentOffset();
    return max.x > min.x || max.y > min.y || owner_->alwaysBounceHorizontal() ||
           owner_->alwaysBounceVertical();
  }
  ScrollView* owner_;
  // When a view of the content first took one of the gesture's touches (clock seconds).
  double contentSince_ = kNever;
};

// The scroll view's own pinch: it takes no part when there is nothing to zoom.
class ScrollPinch : public PinchGestureRecognizer {
 public:
  explicit ScrollPinch(ScrollView* owner) : owner_(owner) {}

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override {
    if (state() == GestureState::Possible && !owner_->canZoom()) {
      setState(GestureState::Failed);
      return;
    }
    PinchGestureRecognizer::touchesBegan(touches, event);
  }

 private:
  ScrollView* owner_;
};

}  // namespace

ScrollView::ScrollView(const Rect& frame)
    : View(frame), pan_(std::make_shared<ScrollPan>(this)), pinch_(std::make_shared<ScrollPinch>(this)) {
  setMultipleTouchEnabled(true);
  pan_->addTarget(this, [this](GestureRecognizer&) { onPan(); });
  addGestureRecognizer(pan_);
  pinch_->addTarget(this, [this](GestureRecognizer&) { onPinch(); });
  addGestureRecognizer(pinch_);
}

ScrollView::~ScrollView() {
  pan_->removeTarget(this);
  pinch_->removeTarget(this);
  if (tickToken_) RunLoop::main()->cancel(tickToken_);
  if (wheelToken_) RunLoop::main()->cancel(wheelToken_);
  if (animationToken_) RunLoop::main()->cancel(animationToken_);
}

void ScrollView::boundsDidChange(const Rect& oldBounds) {
  if (oldBounds.size != bounds().size && !tracking_ && !dragging_ && !decelerating_ && !animationToken_) {
    // Grown past an offset that is no longer reachable: the offset comes back to the largest
    // one, as the phone's scroll view adjusts it on a resize.
    // Shrunk back after such a growth: the offset it had before comes back as far as it can.
    const Point max = maximumContentOffset();
    const Point at = bounds().origin;
    const Point wanted = offsetBeforeGrowth_.value_or(at);
    // (+ 0 turns the −0 of an inset-free edge into 0.)
    const Point adjusted{std::min(wanted.x, max.x) + 0.f, std::min(wanted.y, max.y) + 0.f};
    if (adjusted != at) {
      adjustingForSize_ = true;
      setContentOffset(adjusted);
      adjustingForSize_ = false;
    }
    offsetBeforeGrowth_.reset();
    if (adjusted != wanted) offsetBeforeGrowth_ = wanted;
    if (adjusted != at) return;
  }
  if (oldBounds.origin == bounds().origin) return;
  if (!adjustingForSize_) offsetBeforeGrowth_.reset();
  if (auto d = delegate_.lock()) {
    auto keep = shared();
    d->scrollViewDidScroll(*this);
  }
}

Point ScrollView::minimumContentOffset() const { return {-contentInset_.left, -contentInset_.top}; }

void ScrollView::setContentSize(Size size) {
  if (size != contentSize_) offsetBeforeGrowth_.reset();
  contentSize_ = size;
}

Point ScrollView::maximumContentOffset() const {
  const Point min = minimumContentOffset();
  return {std::max(min.x, contentSize_.width + contentInset_.right - bounds().size.width),
          std::max(min.y, contentSize_.height + contentInset_.bottom - bounds().size.height)};
}

Point ScrollView::clamp(Point p) const {
  const Point min = minimumContentOffset();
  const Point max = maximumContentOffset();
  return {std::clamp(p.x, min.x, max.x), std::clamp(p.y, min.y, max.y)};
}

bool ScrollView::canScrollHorizontally() const {
  return maximumContentOffset().x > minimumContentOffset().x || bounceH_;
}

bool ScrollView::canScrollVertically() const {
  return maximumContentOffset().y > minimumContentOffset().y || bounceV_;
}

void ScrollView::setScrollEnabled(bool on) {
  scrollEnabled_ = on;
  pan_->setEnabled(on);
}

void ScrollView::cancelAnimation() {
  if (animationToken_) RunLoop::main()->cancel(animationToken_);
  animationToken_ = 0;
}

void ScrollView::setContentOffset(Point offset) {
  if (!std::isfinite(offset.x) || !std::isfinite(offset.y)) return;
  auto keep = shared();
  if (!animationStepping_) cancelAnimation();
  setBounds(Rect(offset, bounds().size));
}

void ScrollView::setContentOffset(Point offset, bool animated) {
  if (!std::isfinite(offset.x) || !std::isfinite(offset.y)) return;
  auto keep = shared();
  if (!animated) {
    setContentOffset(offset);
    return;
  }
  if (offset == contentOffset() && !animationToken_) return;
  cancelAnimation();
  Animations::logAnimation("scrollAnimation", kScrollAnimationDuration, *this, "contentOffset",
                           contentOffset(), offset);
  animationFrom_ = contentOffset();
  animationTarget_ = offset;
  animationStartMicros_ = Clock::get()->monotonicMicros();
  stepAnimationLater();
}

void ScrollView::stepAnimationLater() {
  std::weak_ptr<View> weak = shared();
  animationToken_ = RunLoop::main()->postDelayed(kFrameInterval, [weak] {
    if (auto self = std::static_pointer_cast<ScrollView>(weak.lock())) {
      self->animationToken_ = 0;
      self->stepAnimation();
    }
  });
}

void ScrollView::stepAnimation() {
  auto keep = shared();
  // Whole microseconds, so a clock advanced by exactly the duration ends it.
  const double elapsed = static_cast<double>(Clock::get()->monotonicMicros() - animationStartMicros_) / 1e6;
  const double t = elapsed / kScrollAnimationDuration;
  if (!(t < 1)) {
    setContentOffset(animationTarget_);
    if (auto d = delegate_.lock()) d->scrollViewDidEndScrollingAnimation(*this);
    return;
  }
  // Eased in and out; each frame is an offset change the subclass and the delegate see.
  const float u = static_cast<float>(t * t * (3 - 2 * t));
  const Point at{animationFrom_.x + (animationTarget_.x - animationFrom_.x) * u,
                 animationFrom_.y + (animationTarget_.y - animationFrom_.y) * u};
  stepAnimationLater();
  animationStepping_ = true;
  setContentOffset(at);
  animationStepping_ = false;
}

void ScrollView::scrollRectToVisible(const Rect& rectIn, bool animated) {
  const Rect rect = rectIn.standardized();
  const Rect visible = bounds();
  Point offset = contentOffset();
  if (rect.maxX() > visible.maxX()) offset.x += rect.maxX() - visible.maxX();
  if (rect.minX() < offset.x) offset.x = rect.minX();
  if (rect.maxY() > visible.maxY()) offset.y += rect.maxY() - visible.maxY();
  if (rect.minY() < offset.y) offset.y = rect.minY();
  offset = clamp(offset);
  if (offset != contentOffset()) setContentOffset(offset, animated);
}

// --- dragging

namespace {

// The pull past an edge that a rubber band of `length` shows as `shown` points.
float pullFor(float shown, float length) {
  if (!(length > 0) || !(shown > 0)) return shown > 0 ? shown : 0;
  shown = std::min(shown, length * 0.99f);
  return length / ScrollView::kRubberBandCoefficient * (1 / (1 - shown / length) - 1);
}

}  // namespace

float ScrollView::rubberBand(float overshoot, float length) {
  if (!(length > 0) || !(overshoot > 0)) return 0;
  return (1 - 1 / (overshoot * kRubberBandCoefficient / length + 1)) * length;
}

Point ScrollView::resisted(Point raw) const {
  const Point min = minimumContentOffset();
  const Point max = maximumContentOffset();
  auto axis = [this](float v, float lo, float hi, float length) {
    if (v < lo) return bounces_ ? lo - rubberBand(lo - v, length) : lo;
    if (v > hi) return bounces_ ? hi + rubberBand(v - hi, length) : hi;
    return v;
  };
  return {axis(raw.x, min.x, max.x, bounds().size.width),
          axis(raw.y, min.y, max.y, bounds().size.height)};
}

Point ScrollView::unresisted(Point offset) const {
  if (!bounces_) return offset;
  const Point min = minimumContentOffset();
  const Point max = maximumContentOffset();
  auto axis = [](float v, float lo, float hi, float length) {
    if (v < lo) return lo - pullFor(lo - v, length);
    if (v > hi) return hi + pullFor(v - hi, length);
    return v;
  };
  return {axis(offset.x, min.x, max.x, bounds().size.width),
          axis(offset.y, min.y, max.y, bounds().size.height)};
}

void ScrollView::startTracking() {
  stopDecelerating();
  cancelAnimation();
  tracking_ = true;
  dragging_ = false;
  dragStartOffset_ = unresisted(contentOffset());
}

void ScrollView::stopDecelerating() {
  decelerating_ = false;
  motionX_ = ScrollMotion::still(contentOffset().x);
  motionY_ = ScrollMotion::still(contentOffset().y);
}

void ScrollView::beginDrag(Point windowPoint) {
  auto keep = shared();
  if (wheeling_) {
    // A finger takes over from the wheel: its drag ends where it is.
    RunLoop::main()->cancel(wheelToken_);
    wheelToken_ = 0;
    wheeling_ = false;
    finishDrag(ScrollMotion::still(contentOffset().x), ScrollMotion::still(contentOffset().y));
  }
  startTracking();
  dragStartPoint_ = windowPoint;
}

void ScrollView::dragTo(Point windowPoint) {
  if (!tracking_ || wheeling_) return;
  auto keep = shared();
  if (!dragging_) {
    dragging_ = true;
    if (auto d = delegate_.lock()) d->scrollViewWillBeginDragging(*this);
  }
  // The finger's movement in this view's space (the window point difference through the
  // transforms above; our own bounds origin moves both points alike).
  const Window* w = window();
  const Point a = convertPointFrom(dragStartPoint_, w);
  const Point b = convertPointFrom(windowPoint, w);
  Point raw = contentOffset();
  if (canScrollHorizontally()) raw.x = dragStartOffset_.x - (b.x - a.x);
  if (canScrollVertically()) raw.y = dragStartOffset_.y - (b.y - a.y);
  const Point shown = resisted(raw);
  Point next = contentOffset();
  if (canScrollHorizontally()) next.x = shown.x;
  if (canScrollVertically()) next.y = shown.y;
  showIndicators();
  setContentOffset(next);
}

bool ScrollView::endDrag(Point velocity) {
  if (!tracking_) return false;
  const Point cur = contentOffset();
  const Point min = minimumContentOffset();
  const Point max = maximumContentOffset();
  ScrollMotion x = ScrollMotion::still(cur.x);
  ScrollMotion y = ScrollMotion::still(cur.y);
  if (!paging_) {
    if (canScrollHorizontally()) {
      x = ScrollMotion::decelerate(cur.x, velocity.x, decelerationRate_, min.x, max.x, bounces_);
    }
    if (canScrollVertically()) {
      y = ScrollMotion::decelerate(cur.y, velocity.y, decelerationRate_, min.y, max.y, bounces_);
    }
  } else {
    auto page = [](float offset, float start, float v, float size) {
      if (!(size > 0)) return offset;
      const float startPage = std::round(start / size);
      float p = std::round(offset / size);
      if (v >= kFlickVelocity) p = std::floor(offset / size) + 1;
      if (v <= -kFlickVelocity) p = std::ceil(offset / size) - 1;
      p = std::clamp(p, startPage - 1, startPage + 1);
      return p * size;
    };
    if (canScrollHorizontally()) {
      const float target = std::clamp(
          page(cur.x, dragStartOffset_.x, velocity.x, bounds().size.width), min.x, max.x);
      x = ScrollMotion::spring(cur.x, velocity.x, target);
    }
    if (canScrollVertically()) {
      const float target = std::clamp(
          page(cur.y, dragStartOffset_.y, velocity.y, bounds().size.height), min.y, max.y);
      y = ScrollMotion::spring(cur.y, velocity.y, target);
    }
  }
  return finishDrag(x, y);
}

bool ScrollView::endDragDeceleratingTo(Point offset) {
  if (!tracking_) return false;
  const Point cur = contentOffset();
  return finishDrag(ScrollMotion::decelerateTo(cur.x, offset.x, decelerationRate_),
                    ScrollMotion::decelerateTo(cur.y, offset.y, decelerationRate_));
}

bool ScrollView::finishDrag(ScrollMotion x, ScrollMotion y) {
  auto keep = shared();
  tracking_ = false;
  const bool wasDragging = dragging_;
  // A motion too short to take a frame still moves the content onto its resting offset.
  const bool decelerate = x.moves() || y.moves() ||
                          Point{x.restingOffset(), y.restingOffset()} != contentOffset();
  if (wasDragging) {
    if (auto d = delegate_.lock()) d->scrollViewDidEndDragging(*this, decelerate);
  }
  dragging_ = false;
  if (!decelerate) {
    fadeIndicatorsAfter(kIndicatorFadeDelay);
    return false;
  }
  motionX_ = x;
  motionY_ = y;
  motionStart_ = Clock::get()->monotonic();
  decelerating_ = true;
  if (auto d = delegate_.lock()) d->scrollViewWillBeginDecelerating(*this);
  scheduleTick();
  return true;
}

Point ScrollView::decelerationTarget() const {
  if (!decelerating_) return contentOffset();
  return {motionX_.restingOffset(), motionY_.restingOffset()};
}

Point ScrollView::insideScrollableEdges(Point offset) const {
  const Point inside = clamp(offset);
  if (canScrollHorizontally()) offset.x = inside.x;
  if (canScrollVertically()) offset.y = inside.y;
  return offset;
}

bool ScrollView::springBackInside() {
  const Point at = contentOffset();
  const Point inside = insideScrollableEdges(at);
  if (inside == at) return false;
  if (!bounces_) {
    setContentOffset(inside);
    return false;
  }
  motionX_ = ScrollMotion::spring(at.x, 0, inside.x);
  motionY_ = ScrollMotion::spring(at.y, 0, inside.y);
  motionStart_ = Clock::get()->monotonic();
  return true;
}

void ScrollView::finishDecelerating() {
  if (!decelerating_) return;
  auto keep = shared();
  setContentOffset(insideScrollableEdges(decelerationTarget()));
  if (!decelerating_) return;  // a did-scroll handler began something else
  decelerating_ = false;
  if (auto d = delegate_.lock()) d->scrollViewDidEndDecelerating(*this);
  fadeIndicatorsAfter(kIndicatorFadeDelay);
}

// --- frames

void ScrollView::scheduleTick() {
  if (tickToken_) RunLoop::main()->cancel(tickToken_);
  double delay = kFrameInterval;
  if (!decelerating_ && fadeStart_ >= 0) {
    // Nothing to draw until the fade begins.
    delay = std::max(delay, fadeStart_ - Clock::get()->monotonic());
  }
  std::weak_ptr<View> weak = shared();
  tickToken_ = RunLoop::main()->postDelayed(delay, [weak] {
    if (auto self = std::static_pointer_cast<ScrollView>(weak.lock())) {
      self->tickToken_ = 0;
      self->tick();
    }
  });
}

void ScrollView::tick() {
  auto keep = shared();
  const double now = Clock::get()->monotonic();
  if (decelerating_) {
    const double t = now - motionStart_;
    indicatorAlpha_ = 1;
    fadeStart_ = -1;
    setContentOffset(Point{motionX_.offsetAt(t), motionY_.offsetAt(t)});
    if (decelerating_ && motionX_.isFinishedAt(t) && motionY_.isFinishedAt(t) && !springBackInside()) {
      decelerating_ = false;
      if (auto d = delegate_.lock()) d->scrollViewDidEndDecelerating(*this);
      fadeIndicatorsAfter(kIndicatorFadeDelay);
    }
  } else if (fadeStart_ >= 0 && now >= fadeStart_) {
    indicatorAlpha_ = std::max(0.f, static_cast<float>(1 - (now - fadeStart_) / kIndicatorFadeDuration));
    if (indicatorAlpha_ == 0) fadeStart_ = -1;
    setNeedsDisplay();
  }
  if (!tickToken_ && (decelerating_ || fadeStart_ >= 0)) scheduleTick();
}

// --- indicators

void ScrollView::showIndicators() {
  fadeStart_ = -1;
  if (indicatorAlpha_ == 1) return;
  indicatorAlpha_ = 1;
  setNeedsDisplay();
}

void ScrollView::fadeIndicatorsAfter(double delay) {
  if (!(indicatorAlpha_ > 0) || decelerating_ || tracking_) return;
  fadeStart_ = Clock::get()->monotonic() + delay;
  scheduleTick();
}

void ScrollView::flashScrollIndicators() {
  ++indicatorFlashes_;
  showIndicators();
  fadeIndicatorsAfter(kFlashDuration);
}

void ScrollView::drawOverSubviews(Canvas& canvas) {
  if (!(indicatorAlpha_ > 0)) return;
  constexpr float kThickness = 3;
  constexpr float kInset = 2;
  constexpr float kShortest = 7;
  const Rect b = bounds();
  const Point min = minimumContentOffset();
  const Point max = maximumContentOffset();
  const Point offset = contentOffset();
  const bool vertical = showsV_ && max.y > min.y;
  const bool horizontal = showsH_ && max.x > min.x;
  // One axis: the bar's start and length along a track from `from`, `track` long.
  auto bar = [&](float from, float track, float visible, float lo, float hi, float at,
                 float& start, float& length) {
    const float content = visible + (hi - lo);
    length = std::max(kShortest, track * visible / content);
    // Pulled past an edge the bar shortens by the pull.
    const float over = at < lo ? lo - at : (at > hi ? at - hi : 0);
    length = std::max(kThickness, length - over);
    const float fraction = std::clamp((at - lo) / (hi - lo), 0.f, 1.f);
    start = from + fraction * (track - length);
  };
  // The bar: dark (with a light rim by default, so it shows on dark content too) or white.
  auto paint = [&](const Rect& r) {
    if (indicatorStyle_ == ScrollViewIndicatorStyle::Default) {
      canvas.setFillColor(Color(1, 1, 1, 0.5f * indicatorAlpha_));
      canvas.fillRoundedRect(r.insetBy(-1, -1), kThickness / 2 + 1);
    }
    canvas.setFillColor(indicatorStyle_ == ScrollViewIndicatorStyle::White ? Color(1, 1, 1, 0.5f * indicatorAlpha_)
                                                                          : Color(0, 0, 0, 0.5f * indicatorAlpha_));
    canvas.fillRoundedRect(r, kThickness / 2);
  };
  canvas.save();
  const float corner = horizontal && vertical ? kThickness + kInset : 0;
  if (vertical) {
    const float from = b.minY() + kInset + indicatorInsets_.top;
    const float track = b.size.height - 2 * kInset - indicatorInsets_.top - indicatorInsets_.bottom - corner;
    if (track > kThickness) {
      float y = 0, length = 0;
      bar(from, track, b.size.height, min.y, max.y, offset.y, y, length);
      const float x = b.maxX() - kInset - indicatorInsets_.right - kThickness;
      paint(Rect(x, y, kThickness, length));
    }
  }
  if (horizontal) {
    const float from = b.minX() + kInset + indicatorInsets_.left;
    const float track = b.size.width - 2 * kInset - indicatorInsets_.left - indicatorInsets_.right - corner;
    if (track > kThickness) {
      float x = 0, length = 0;
      bar(from, track, b.size.width, min.x, max.x, offset.x, x, length);
      const float y = b.maxY() - kInset - indicatorInsets_.bottom - kThickness;
      paint(Rect(x, y, length, kThickness));
    }
  }
  canvas.restore();
}

// --- the wheel

bool ScrollView::scrollByWheel(Point delta) {
  if (!scrollEnabled_ || (tracking_ && !wheeling_)) return false;
  if (!std::isfinite(delta.x) || !std::isfinite(delta.y)) return false;
  auto keep = shared();
  const Point min = minimumContentOffset();
  const Point max = maximumContentOffset();
  const bool across = max.x > min.x;
  const bool down = max.y > min.y;
  if (!down && delta.x == 0) delta = Point{delta.y, 0};
  Point next = wheeling_ ? wheelOffset_ : contentOffset();
  if (across) next.x = std::clamp(next.x + delta.x, min.x, max.x);
  if (down) next.y = std::clamp(next.y + delta.y, min.y, max.y);
  if (!wheeling_) {
    if (next == contentOffset()) return false;  // nothing to move: an outer view may
    startTracking();
    wheeling_ = true;
  }
  wheelOffset_ = next;
  if (!dragging_) {
    dragging_ = true;
    if (auto d = delegate_.lock()) d->scrollViewWillBeginDragging(*this);
  }
  showIndicators();
  setContentOffset(next);
  if (wheelToken_) RunLoop::main()->cancel(wheelToken_);
  std::weak_ptr<View> weak = keep;
  wheelToken_ = RunLoop::main()->postDelayed(kWheelPause, [weak] {
    if (auto self = std::static_pointer_cast<ScrollView>(weak.lock())) {
      self->wheelToken_ = 0;
      self->endWheel();
    }
  });
  return true;
}

void ScrollView::endWheel() {
  if (!wheeling_) return;
  wheeling_ = false;
  // A paged view goes on to the next page in the direction the wheel turned.
  Point velocity{0, 0};
  if (paging_) {
    const Point moved{contentOffset().x - dragStartOffset_.x, contentOffset().y - dragStartOffset_.y};
    auto push = [](float m) { return m > 0.5f ? kFlickVelocity : (m < -0.5f ? -kFlickVelocity : 0.f); };
    velocity = Point{push(moved.x), push(moved.y)};
  }
  endDrag(velocity);
}

bool ScrollView::wheelAt(Window& window, Point windowPoint, Point delta) {
  const bool upDown = std::fabs(delta.y) > std::fabs(delta.x);
  for (std::shared_ptr<View> v = window.hitTest(windowPoint); v; v = v->superview()) {
    auto* scroll = dynamic_cast<ScrollView*>(v.get());
    if (!scroll) continue;
    if (scroll->scrollByWheel(delta)) return true;
    // A wheel turned up or down over a view that scrolls up and down (a page, a list) stops
    // there when it has nothing left to scroll: an outer view that scrolls across (the paged
    // browser) would take it as a turn to the next page.
    if (upDown && scroll->isScrollEnabled() && scroll->canScrollVertically()) return false;
  }
  return false;
}

void ScrollView::onPan() {
  auto keep = shared();
  const Window* w = window();
  const Point here = pan_->locationInView(w);
  switch (pan_->state()) {
    case GestureState::Began: {
      const Point t = pan_->translationInView(w);
      beginDrag(Point{here.x - t.x, here.y - t.y});
      dragTo(here);
      break;
    }
    case GestureState::Changed:
      dragTo(here);
      break;
    case GestureState::Ended: {
      const Point v = pan_->velocityInView(w);
      endDrag(Point{-v.x, -v.y});
      break;
    }
    case GestureState::Cancelled:
      endDrag();
      break;
    default:
      break;
  }
}

// --- zooming

void ScrollView::applyZoom(float scale) {
  auto d = delegate_.lock();
  auto view = d ? d->viewForZooming(*this) : nullptr;
  if (!view || !(scale > 0)) return;
  zoomScale_ = scale;
  view->setTransform(Transform::makeScale(scale, scale));
  const Rect f = view->frame();
  view->setCenter(Point{view->center().x - f.origin.x, view->center().y - f.origin.y});
  contentSize_ = f.size;
  d->scrollViewDidZoom(*this);
}

void ScrollView::setZoomScale(float scale, bool animated) {
  // The content at the middle of the visible area stays there.
  const float current = zoomScale_ > 0 ? zoomScale_ : 1;
  const Point offset = contentOffset();
  const Size size = bounds().size;
  zoomTo(scale, Point{(offset.x + size.width / 2) / current, (offset.y + size.height / 2) / current},
         Point{size.width / 2, size.height / 2}, animated);
}

void ScrollView::zoomTo(float scale, Point anchor, Point at, bool animated) {
  if (!std::isfinite(scale)) return;
  scale = std::clamp(scale, std::min(minZoom_, maxZoom_), std::max(minZoom_, maxZoom_));
  auto keep = shared();
  auto d = delegate_.lock();
  if (!d || !d->viewForZooming(*this)) return;
  if (decelerating_) {
    // A fling still moving the content stops where it is: its course was worked out for the
    // old scale, and the zoom moves the content from here.
    stopDecelerating();
    d->scrollViewDidEndDecelerating(*this);
    fadeIndicatorsAfter(kIndicatorFadeDelay);
  }
  // The zoom and the offset that keeps `anchor` at `at` change together, so an animated zoom
  // moves the content along one curve and rests where its last frame showed it.
  auto change = [this, scale, anchor, at] {
    applyZoom(scale);
    setContentOffset(clamp(Point{anchor.x * zoomScale_ - at.x, anchor.y * zoomScale_ - at.y}));
  };
  if (!animated) {
    change();
    return;
  }
  zoomToken_ = 1;
  std::weak_ptr<View> weak = keep;
  Animations::animate(kScrollAnimationDuration, change, [weak](bool) {
    auto self = std::static_pointer_cast<ScrollView>(weak.lock());
    if (!self) return;
    self->zoomToken_ = 0;
    auto delegate = self->delegate_.lock();
    auto view = delegate ? delegate->viewForZooming(*self) : nullptr;
    if (delegate) delegate->scrollViewDidEndZooming(*self, view.get(), self->zoomScale_);
  });
}

bool ScrollView::canZoom() {
  auto d = delegate_.lock();
  return d && minZoom_ != maxZoom_ && d->viewForZooming(*this) != nullptr;
}

void ScrollView::onPinch() {
  auto keep = shared();
  // The fingers' midpoint relative to the visible area, and in the content.
  const Point inBounds = pinch_->locationInView(this);
  const Point offset = contentOffset();
  const Point onScreen{inBounds.x - offset.x, inBounds.y - offset.y};
  switch (pinch_->state()) {
    case GestureState::Began:
      pinchStartZoom_ = zoomScale_;
      pinchAnchor_ = Point{inBounds.x / zoomScale_, inBounds.y / zoomScale_};
      [[fallthrough]];
    case GestureState::Changed: {
      const float scale = std::clamp(pinchStartZoom_ * pinch_->scale(), std::min(minZoom_, maxZoom_),
                                     std::max(minZoom_, maxZoom_));
      applyZoom(scale);
      setContentOffset(
          clamp(Point{pinchAnchor_.x * zoomScale_ - onScreen.x, pinchAnchor_.y * zoomScale_ - onScreen.y}));
      break;
    }
    case GestureState::Ended:
    case GestureState::Cancelled: {
      auto d = delegate_.lock();
      auto view = d ? d->viewForZooming(*this) : nullptr;
      if (d) d->scrollViewDidEndZooming(*this, view.get(), zoomScale_);
      break;
    }
    default:
      break;
  }
}

void ScrollView::zoomToRect(const Rect& rectIn, bool animated) {
  const Rect rect = rectIn.standardized();
  if (rect.isEmpty()) return;
  const Size size = bounds().size;
  const float scale = std::min(size.width / rect.size.width, size.height / rect.size.height);
  // The rectangle's middle at the middle of the visible area.
  zoomTo(scale, Point{rect.midX(), rect.midY()}, Point{size.width / 2, size.height / 2}, animated);
}

}  // namespace zu::ui
