#include "platform/ui/views/View.h"

#include <cxxabi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <typeinfo>

#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/DisplayChanges.h"
#include "platform/ui/input/GestureRecognizer.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

namespace {

bool finite(float v) { return std::isfinite(v); }

Size finiteSize(Size s) {
  return {finite(s.width) ? std::fabs(s.width) : 0, finite(s.height) ? std::fabs(s.height) : 0};
}

}  // namespace

View::View(const Rect& frame) {
  const Rect f = frame.isNull() ? Rect() : frame.standardized();
  bounds_ = Rect(Point{0, 0}, finiteSize(f.size));
  center_ = {f.midX(), f.midY()};
}

View::~View() {
  for (auto& sub : subviews_) {
    if (sub->superview_ == this) sub->superview_ = nullptr;
  }
}

std::shared_ptr<View> View::shared() {
  return std::static_pointer_cast<View>(weak_from_this().lock());
}

std::shared_ptr<const View> View::shared() const {
  return std::static_pointer_cast<const View>(weak_from_this().lock());
}

// --- geometry

Rect View::frame() const {
  const float w = bounds_.size.width;
  const float h = bounds_.size.height;
  if (transform_.isIdentity()) return Rect(center_.x - w / 2, center_.y - h / 2, w, h);
  return transform_.apply(Rect(-w / 2, -h / 2, w, h)).offsetBy(center_.x, center_.y);
}

void View::setFrame(const Rect& frameIn) {
  if (frameIn.isNull()) return;
  const Rect f = frameIn.standardized();
  if (!finite(f.origin.x) || !finite(f.origin.y) || !finite(f.size.width) || !finite(f.size.height)) {
    return;
  }
  const Rect oldFrame = frame();
  // A singular transform keeps the current bounds size.
  const Size size = transform_.isIdentity() ? f.size : transform_.sizeFilling(f.size, bounds_.size);
  if (Animations::isRecording()) Animations::record(*this, "frame", oldFrame, f);
  const Rect oldBounds = bounds_;
  if (oldFrame != f) DisplayChanges::shared().markDirty();
  center_ = {f.midX(), f.midY()};
  bounds_.size = size;
  if (oldBounds.size != size) {
    boundsSizeChanged(oldBounds.size);
    boundsDidChange(oldBounds);
  }
  tellSuperviewFrameChanged(oldFrame);
}

void View::tellSuperviewFrameChanged(const Rect& oldFrame) {
  if (superview_ && frame() != oldFrame) superview_->subviewFrameDidChange(*this, oldFrame);
}

void View::setBounds(const Rect& boundsIn) {
  if (boundsIn.isNull()) return;
  Rect b = boundsIn;
  b.size = finiteSize(b.size);
  if (!finite(b.origin.x) || !finite(b.origin.y)) return;
  if (Animations::isRecording()) Animations::record(*this, "bounds", bounds_, b);
  const Rect oldBounds = bounds_;
  const Rect oldFrame = frame();
  if (oldBounds != b) DisplayChanges::shared().markDirty();
  bounds_ = b;
  if (oldBounds.size != b.size) boundsSizeChanged(oldBounds.size);
  if (oldBounds != b) boundsDidChange(oldBounds);
  if (oldBounds.size != b.size) tellSuperviewFrameChanged(oldFrame);
}

void View::setCenter(Point c) {
  if (!finite(c.x) || !finite(c.y)) return;
  if (Animations::isRecording()) Animations::record(*this, "center", center_, c);
  if (center_ == c) return;
  DisplayChanges::shared().markDirty();
  const Rect oldFrame = frame();
  center_ = c;
  tellSuperviewFrameChanged(oldFrame);
}

void View::setTransform(const Transform& t) {
  if (Animations::isRecording()) Animations::record(*this, "transform", transform_, t);
  if (transform_ == t) return;
  DisplayChanges::shared().markDirty();
  const Rect oldFrame = frame();
  transform_ = t;
  tellSuperviewFrameChanged(oldFrame);
}

void View::boundsSizeChanged(Size oldSize) {
  if (autoresizesSubviews_) {
    for (size_t i = 0; i < subviews_.size(); ++i) {
      std::shared_ptr<View> sub = subviews_[i];
      if (sub->autoresizingMask_ != kAutoresizingNone) sub->autoresize(oldSize, bounds_.size);
    }
  }
  setNeedsLayout();
}

void View::autoresize(Size oldSuper, Size newSuper) {
  const Rect f = frame();
  auto axis = [](float origin, float length, float oldTotal, float delta, bool flexLead,
                 bool flexLength, bool flexTrail, float& outOrigin, float& outLength) {
    float lead = origin;
    float trail = oldTotal - origin - length;
    const int count = int{flexLead} + int{flexLength} + int{flexTrail};
    outOrigin = origin;
    outLength = length;
    if (count == 0 || delta == 0) return;
    const float sum = (flexLead ? std::max(lead, 0.f) : 0) + (flexLength ? std::max(length, 0.f) : 0) +
                      (flexTrail ? std::max(trail, 0.f) : 0);
    auto share = [&](bool flex, float part) -> float {
      if (!flex) return 0;
      if (sum > 0) return delta * std::max(part, 0.f) / sum;
      return delta / static_cast<float>(count);
    };
    outOrigin = origin + share(flexLead, lead);
    outLength = std::max(0.f, length + share(flexLength, length));
  };
  const unsigned m = autoresizingMask_;
  Rect r;
  axis(f.origin.x, f.size.width, oldSuper.width, newSuper.width - oldSuper.width,
       m & kAutoresizingFlexibleLeftMargin, m & kAutoresizingFlexibleWidth,
       m & kAutoresizingFlexibleRightMargin, r.origin.x, r.size.width);
  axis(f.origin.y, f.size.height, oldSuper.height, newSuper.height - oldSuper.height,
       m & kAutoresizingFlexibleTopMargin, m & kAutoresizingFlexibleHeight,
       m & kAutoresizingFlexibleBottomMargin, r.origin.y, r.size.height);
  if (r != f) setFrame(r);
}

// --- appearance

void View::setAlpha(float alpha) {
  if (!finite(alpha)) return;
  if (Animations::isRecording()) Animations::record(*this, "alpha", alpha_, alpha);
  if (alpha_ != alpha) DisplayChanges::shared().markDirty();
  alpha_ = alpha;
}

void View::setHidden(bool hidden) {
  if (hidden_ != hidden) DisplayChanges::shared().markDirty();
  hidden_ = hidden;
}

void View::setBackgroundColor(std::optional<Color> color) {
  if (Animations::isRecording()) {
    Animations::record(*this, "backgroundColor", background_.value_or(Color::clearColor()),
                       color.value_or(Color::clearColor()));
  }
  if (background_ != color) DisplayChanges::shared().markDirty();
  background_ = color;
}

std::shared_ptr<View> View::viewWithTag(int tag) {
  if (tag_ == tag) return shared();
  for (const auto& sub : subviews_) {
    if (auto found = sub->viewWithTag(tag)) return found;
  }
  return nullptr;
}

// --- tree

std::shared_ptr<View> View::superview() const { return superview_ ? superview_->shared() : nullptr; }

const View* View::root() const {
  const View* v = this;
  while (v->superview_) v = v->superview_;
  return v;
}

Window* View::window() const {
  return dynamic_cast<Window*>(const_cast<View*>(root()));
}

bool View::isDescendantOf(const View* view) const {
  for (const View* v = this; v; v = v->superview_) {
    if (v == view) return true;
  }
  return false;
}

void View::notifyWillMoveToWindow(Window* window) {
  auto keep = shared();
  willMoveToWindow(window);
  for (size_t i = 0; i < subviews_.size(); ++i) {
    std::shared_ptr<View> sub = subviews_[i];
    sub->notifyWillMoveToWindow(window);
  }
}

void View::notifyDidMoveToWindow() {
  auto keep = shared();
  didMoveToWindow();
  for (size_t i = 0; i < subviews_.size(); ++i) {
    std::shared_ptr<View> sub = subviews_[i];
    sub->notifyDidMoveToWindow();
  }
}

void View::insertAt(const std::shared_ptr<View>& view, size_t index) {
  if (!view || view.get() == this || isDescendantOf(view.get())) return;
  auto keepSelf = shared();
  std::shared_ptr<View> keep = view;
  if (view->superview_ == this) {
    // Already ours: only the order changes.
    auto it = std::find(subviews_.begin(), subviews_.end(), view);
    const size_t from = static_cast<size_t>(it - subviews_.begin());
    subviews_.erase(it);
    if (from < index) --index;
    subviews_.insert(subviews_.begin() + static_cast<ptrdiff_t>(std::min(index, subviews_.size())), view);
    DisplayChanges::shared().markDirty();
    return;
  }
  Window* newWindow = window();
  Window* oldWindow = view->window();
  const bool windowChanges = newWindow != oldWindow;
  view->willMoveToSuperview(this);
  if (windowChanges) view->notifyWillMoveToWindow(newWindow);
  if (View* old = view->superview_) {
    auto keepOld = old->shared();
    old->willRemoveSubview(view.get());
    auto it = std::find(old->subviews_.begin(), old->subviews_.end(), view);
    if (it != old->subviews_.end()) old->subviews_.erase(it);
    old->setNeedsLayout();
  }
  subviews_.insert(subviews_.begin() + static_cast<ptrdiff_t>(std::min(index, subviews_.size())), view);
  view->superview_ = this;
  if (windowChanges) view->notifyDidMoveToWindow();
  view->didMoveToSuperview();
  didAddSubview(view.get());
  view->setNeedsLayout();
  setNeedsLayout();
}

void View::addSubview(const std::shared_ptr<View>& view) { insertAt(view, subviews_.size()); }

void View::insertSubviewAt(const std::shared_ptr<View>& view, size_t index) { insertAt(view, index); }

void View::insertSubviewAbove(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling) {
  auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
  if (!sibling || it == subviews_.end()) {
    insertAt(view, subviews_.size());
    return;
  }
  insertAt(view, static_cast<size_t>(it - subviews_.begin()) + 1);
}

void View::insertSubviewBelow(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling) {
  auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
  if (!sibling || it == subviews_.end()) {
    insertAt(view, 0);
    return;
  }
  insertAt(view, static_cast<size_t>(it - subviews_.begin()));
}

void View::removeFromSuperview() {
  View* old = superview_;
  if (!old) return;
  auto keep = shared();
  auto keepOld = old->shared();
  Window* oldWindow = window();
  willMoveToSuperview(nullptr);
  if (oldWindow) notifyWillMoveToWindow(nullptr);
  old->willRemoveSubview(this);
  auto it = std::find_if(old->subviews_.begin(), old->subviews_.end(),
                         [this](const std::shared_ptr<View>& v) { return v.get() == this; });
  if (it != old->subviews_.end()) old->subviews_.erase(it);
  superview_ = nullptr;
  old->setNeedsLayout();
  if (oldWindow) notifyDidMoveToWindow();
  didMoveToSuperview();
}

void View::bringSubviewToFront(const std::shared_ptr<View>& view) {
  auto it = std::find(subviews_.begin(), subviews_.end(), view);
  if (it == subviews_.end()) return;
  std::rotate(it, it + 1, subviews_.end());
  DisplayChanges::shared().markDirty();
}

void View::sendSubviewToBack(const std::shared_ptr<View>& view) {
  auto it = std::find(subviews_.begin(), subviews_.end(), view);
  if (it == subviews_.end()) return;
  std::rotate(subviews_.begin(), it, it + 1);
  DisplayChanges::shared().markDirty();
}

void View::exchangeSubviews(size_t i, size_t j) {
  if (i >= subviews_.size() || j >= subviews_.size()) return;
  std::swap(subviews_[i], subviews_[j]);
  DisplayChanges::shared().markDirty();
}

void View::touchesBegan(const TouchSet& touches, const Event& event) {
  if (View* next = nextResponder()) next->touchesBegan(touches, event);
}

void View::touchesMoved(const TouchSet& touches, const Event& event) {
  if (View* next = nextResponder()) next->touchesMoved(touches, event);
}

void View::touchesEnded(const TouchSet& touches, const Event& event) {
  if (View* next = nextResponder()) next->touchesEnded(touches, event);
}

void View::touchesCancelled(const TouchSet& touches, const Event& event) {
  if (View* next = nextResponder()) next->touchesCancelled(touches, event);
}

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
  if (!recognizer) return;
  if (auto old = recognizer->view(); old && old.get() != this) old->removeGestureRecognizer(recognizer);
  if (std::find(recognizers_.begin(), recognizers_.end(), recognizer) == recognizers_.end()) {
    recognizers_.push_back(recognizer);
  }
  recognizer->attach(shared());
}

void View::removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
  auto it = std::find(recognizers_.begin(), recognizers_.end(), recognizer);
  if (it == recognizers_.end()) return;
  recognizers_.erase(it);
  recognizer->attach(nullptr);
}

void View::willMoveToSuperview(View*) {}
void View::willMoveToWindow(Window*) {}
void View::didAddSubview(View*) {}
void View::willRemoveSubview(View*) {}

// --- coordinates

Point View::pointToSuperview(Point p) const {
  const Point local{p.x - bounds_.origin.x - bounds_.size.width / 2,
                    p.y - bounds_.origin.y - bounds_.size.height / 2};
  const Point t = transform_.isIdentity() ? local : transform_.apply(local);
  return {t.x + center_.x, t.y + center_.y};
}

Point View::pointFromSuperview(Point p) const {
  Point local{p.x - center_.x, p.y - center_.y};
  if (!transform_.isIdentity()) local = transform_.inverted().apply(local);
  return {local.x + bounds_.origin.x + bounds_.size.width / 2,
          local.y + bounds_.origin.y + bounds_.size.height / 2};
}

Point View::toRootOutside(Point p) const {
  for (const View* v = this; v; v = v->superview_) p = v->pointToSuperview(p);
  return p;
}

Point View::fromRootOutside(Point p) const {
  // Apply the chain from the root down to this view.
  std::vector<const View*> chain;
  for (const View* v = this; v; v = v->superview_) chain.push_back(v);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) p = (*it)->pointFromSuperview(p);
  return p;
}

Point View::convertPointTo(Point p, const View* view) const {
  if (view == this) return p;
  if (!view) view = root();
  return view->fromRootOutside(toRootOutside(p));
}

Point View::convertPointFrom(Point p, const View* view) const {
  if (view == this) return p;
  if (!view) view = root();
  return fromRootOutside(view->toRootOutside(p));
}

namespace {

template <typename F>
Rect convertCorners(const Rect& r, F f) {
  if (r.isNull()) return r;
  const Point p[4] = {f(Point{r.minX(), r.minY()}), f(Point{r.maxX(), r.minY()}),
                      f(Point{r.minX(), r.maxY()}), f(Point{r.maxX(), r.maxY()})};
  return Rect::boundingBox(p);
}

}  // namespace

Rect View::convertRectTo(const Rect& r, const View* view) const {
  return convertCorners(r, [&](Point p) { return convertPointTo(p, view); });
}

Rect View::convertRectFrom(const Rect& r, const View* view) const {
  return convertCorners(r, [&](Point p) { return convertPointFrom(p, view); });
}

// --- hit testing

bool View::pointInside(Point p) const { return bounds_.contains(p); }

std::shared_ptr<View> View::hitTest(Point p) {
  if (hidden_ || !userInteraction_ || alpha_ < 0.01f) return nullptr;
  if (!pointInside(p)) return nullptr;
  auto keep = shared();
  const std::vector<std::shared_ptr<View>> subs = subviews_;
  for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
    if (auto hit = (*it)->hitTest((*it)->pointFromSuperview(p))) return hit;
  }
  return keep;
}

// --- layout

void View::setNeedsLayout() {
  needsLayout_ = true;
  DisplayChanges::shared().markDirty();
  if (window()) Application::shared().scheduleDisplayPass();
}

void View::layoutIfNeeded() {
  auto keep = shared();
  if (needsLayout_) {
    needsLayout_ = false;
    layoutSubviews();
  }
  for (size_t i = 0; i < subviews_.size(); ++i) {
    std::shared_ptr<View> sub = subviews_[i];
    sub->layoutIfNeeded();
  }
}

Size View::sizeThatFits(Size) const { return bounds_.size; }

void View::sizeToFit() {
  const Rect f = frame();
  const Size s = finiteSize(sizeThatFits(bounds_.size));
  setFrame(Rect(f.origin, s));
}

// --- drawing

void View::drawForRender(Canvas& canvas, const Rect& rect) {
  needsDisplay_ = false;
  draw(canvas, rect);
}

void View::draw(Canvas&, const Rect&) {}

void View::setNeedsDisplay() {
  needsDisplay_ = true;
  DisplayChanges::shared().markDirty();
}

void View::drawOverSubviews(Canvas&) {}

// --- descriptions

std::string classNameOf(const Object& object) {
  const char* mangled = typeid(object).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : mangled;
  std::free(demangled);
  const size_t colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

std::string View::className() const { return classNameOf(*this); }

std::string View::dumpDetails() const { return std::string(); }

std::string View::description() const { return className() + " " + frame().toString(); }

}  // namespace zu::ui
