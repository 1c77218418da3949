#include "platform/ui/ScrollView.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Animations.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/Window.h"

namespace zu::ui {

namespace {

// The scroll view's own pan: it does not begin when there is nothing to scroll, so taps and
// swipes on fixed content go to the content.
class ScrollPan : public PanGestureRecognizer {
 public:
  explicit ScrollPan(ScrollView* owner) : owner_(owner) {}

 protected:
  void touchesMoved(const TouchSet& touches, const Event& event) override {
    if (state() == GestureState::Possible && !scrollable()) {
      setState(GestureState::Failed);
      return;
    }
    PanGestureRecognizer::touchesMoved(touches, event);
  }

 private:
  bool scrollable() const {
    const Point min = owner_->minimumContentOffset();
    const Point max = owner_->maximumContentOffset();
    return max.x > min.x || max.y > min.y || owner_->alwaysBounceHorizontal() ||
           owner_->alwaysBounceVertical();
  }
  ScrollView* owner_;
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
  if (decelerationToken_) RunLoop::main()->cancel(decelerationToken_);
  if (animationToken_) RunLoop::main()->cancel(animationToken_);
}

void ScrollView::boundsDidChange(const Rect& oldBounds) {
  if (oldBounds.origin == bounds().origin) return;
  if (auto d = delegate_.lock()) {
    auto keep = shared();
    d->scrollViewDidScroll(*this);
  }
}

Point ScrollView::minimumContentOffset() const { return {-contentInset_.left, -contentInset_.top}; }

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
  cancelAnimation();
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
  animationTarget_ = offset;
  std::weak_ptr<View> weak = keep;
  animationToken_ = RunLoop::main()->postDelayed(kScrollAnimationDuration, [weak] {
    auto self = std::static_pointer_cast<ScrollView>(weak.lock());
    if (!self) return;
    self->animationToken_ = 0;
    self->setContentOffset(self->animationTarget_);
    if (auto d = self->delegate_.lock()) d->scrollViewDidEndScrollingAnimation(*self);
  });
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

void ScrollView::beginDrag(Point windowPoint) {
  auto keep = shared();
  if (decelerating_) {
    RunLoop::main()->cancel(decelerationToken_);
    decelerationToken_ = 0;
    decelerating_ = false;
  }
  cancelAnimation();
  tracking_ = true;
  dragging_ = false;
  dragStartPoint_ = windowPoint;
  dragStartOffset_ = contentOffset();
}

void ScrollView::dragTo(Point windowPoint) {
  if (!tracking_) return;
  auto keep = shared();
  if (!dragging_) {
    dragging_ = true;
    if (auto d = delegate_.lock()) d->scrollViewWillBeginDragging(*this);
  }
  // The finger's movement in this view's space (the window point difference through the
  // transforms above).
  const Window* w = window();
  const Point a = convertPointFrom(dragStartPoint_, w);
  const Point b = convertPointFrom(windowPoint, w);
  const Point here = contentOffset();
  // Converting through our own bounds origin moves with the offset: take it back out.
  const float dx = (b.x - a.x);
  const float dy = (b.y - a.y);
  Point next = here;
  if (canScrollHorizontally()) next.x = dragStartOffset_.x - dx;
  if (canScrollVertically()) next.y = dragStartOffset_.y - dy;
  if (!bounces_) next = clamp(next);
  setContentOffset(next);
}

bool ScrollView::endDrag(Point velocity) {
  if (!tracking_) return false;
  const Point cur = contentOffset();
  Point target = cur;
  if (!paging_) {
    if (std::fabs(velocity.x) >= kFlickVelocity) target.x += velocity.x * 0.35f;
    if (std::fabs(velocity.y) >= kFlickVelocity) target.y += velocity.y * 0.35f;
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
      target.x = page(cur.x, dragStartOffset_.x, velocity.x, bounds().size.width);
    }
    if (canScrollVertically()) {
      target.y = page(cur.y, dragStartOffset_.y, velocity.y, bounds().size.height);
    }
  }
  return finishDrag(clamp(target));
}

bool ScrollView::endDragDeceleratingTo(Point offset) {
  if (!tracking_) return false;
  return finishDrag(offset);
}

bool ScrollView::finishDrag(Point target) {
  auto keep = shared();
  tracking_ = false;
  const bool wasDragging = dragging_;
  const bool decelerate = target != contentOffset();
  if (wasDragging) {
    if (auto d = delegate_.lock()) d->scrollViewDidEndDragging(*this, decelerate);
  }
  dragging_ = false;
  if (!decelerate) return false;
  decelerating_ = true;
  decelerationTarget_ = target;
  if (auto d = delegate_.lock()) d->scrollViewWillBeginDecelerating(*this);
  std::weak_ptr<View> weak = keep;
  decelerationToken_ = RunLoop::main()->postDelayed(kDecelerationDuration, [weak] {
    if (auto self = std::static_pointer_cast<ScrollView>(weak.lock())) {
      self->decelerationToken_ = 0;
      self->finishDecelerating();
    }
  });
  return true;
}

void ScrollView::finishDecelerating() {
  if (!decelerating_) return;
  auto keep = shared();
  if (decelerationToken_) RunLoop::main()->cancel(decelerationToken_);
  decelerationToken_ = 0;
  setContentOffset(decelerationTarget_);
  decelerating_ = false;
  if (auto d = delegate_.lock()) d->scrollViewDidEndDecelerating(*this);
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
  if (!std::isfinite(scale)) return;
  scale = std::clamp(scale, std::min(minZoom_, maxZoom_), std::max(minZoom_, maxZoom_));
  auto keep = shared();
  auto d = delegate_.lock();
  if (!d || !d->viewForZooming(*this)) return;
  if (!animated) {
    applyZoom(scale);
    return;
  }
  zoomToken_ = 1;
  std::weak_ptr<View> weak = keep;
  Animations::animate(kScrollAnimationDuration, [this, scale] { applyZoom(scale); },
                      [weak](bool) {
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
  const float scale = std::min(bounds().size.width / rect.size.width, bounds().size.height / rect.size.height);
  setZoomScale(scale, animated);
  setContentOffset(clamp(Point{rect.origin.x * zoomScale_, rect.origin.y * zoomScale_}), false);
}

}  // namespace zu::ui
