#include "platform/ui/controls/Control.h"

#include <algorithm>

namespace zu::ui {

Control::Control(const Rect& frame) : View(frame) {}

void Control::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  setNeedsDisplay();
  stateDidChange();
}

void Control::setSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  setNeedsDisplay();
  stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
  if (highlighted_ == highlighted) return;
  highlighted_ = highlighted;
  setNeedsDisplay();
  stateDidChange();
}

unsigned Control::state() const {
  unsigned s = kControlStateNormal;
  if (highlighted_) s |= kControlStateHighlighted;
  if (!enabled_) s |= kControlStateDisabled;
  if (selected_) s |= kControlStateSelected;
  return s;
}

void Control::addTarget(const void* key, unsigned events, Action action) {
  targets_.push_back({key, events, std::move(action)});
}

void Control::removeTarget(const void* key, unsigned events) {
  for (Target& t : targets_) {
    if (t.key == key) t.events &= ~events;
  }
  std::erase_if(targets_, [](const Target& t) { return t.events == 0; });
}

void Control::sendActionsForControlEvents(unsigned events) {
  auto keep = shared();
  const std::vector<Target> targets = targets_;
  for (const Target& t : targets) {
    if ((t.events & events) && t.action) t.action(*this);
  }
}

size_t Control::actionCount(unsigned events) const {
  return static_cast<size_t>(std::count_if(targets_.begin(), targets_.end(),
                                           [events](const Target& t) { return t.events & events; }));
}

bool Control::insideForTracking(Point p) const {
  return bounds().insetBy(-kTouchSlop, -kTouchSlop).contains(p);
}

void Control::touchesBegan(const TouchSet& touches, const Event&) {
  if (!enabled_ || touches.empty()) return;
  auto keep = shared();
  const Point p = touches.front()->locationInView(this);
  tracking_ = true;
  touchInside_ = true;
  setHighlighted(true);
  beginTracking(p);
  unsigned events = kControlEventTouchDown;
  if (touches.front()->tapCount() > 1) events |= kControlEventTouchDownRepeat;
  sendActionsForControlEvents(events);
}

void Control::touchesMoved(const TouchSet& touches, const Event&) {
  if (!enabled_ || !tracking_ || touches.empty()) return;
  auto keep = shared();
  const Point p = touches.front()->locationInView(this);
  const bool inside = insideForTracking(p);
  unsigned events = inside ? kControlEventTouchDragInside : kControlEventTouchDragOutside;
  if (inside != touchInside_) events |= inside ? kControlEventTouchDragEnter : kControlEventTouchDragExit;
  touchInside_ = inside;
  setHighlighted(inside);
  continueTracking(p);
  sendActionsForControlEvents(events);
}

void Control::touchesEnded(const TouchSet& touches, const Event&) {
  if (!tracking_ || touches.empty()) return;
  auto keep = shared();
  const Point p = touches.front()->locationInView(this);
  const bool inside = insideForTracking(p);
  tracking_ = false;
  touchInside_ = inside;
  setHighlighted(false);
  endTracking(p);
  if (enabled_) sendActionsForControlEvents(inside ? kControlEventTouchUpInside : kControlEventTouchUpOutside);
}

void Control::touchesCancelled(const TouchSet&, const Event&) {
  if (!tracking_) return;
  auto keep = shared();
  tracking_ = false;
  setHighlighted(false);
  sendActionsForControlEvents(kControlEventTouchCancel);
}

void Control::setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment) {
  if (horizontalAlignment_ == alignment) return;
  horizontalAlignment_ = alignment;
  setNeedsLayout();
}

}  // namespace zu::ui
