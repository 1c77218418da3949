#include "platform/ui/input/TouchDispatcher.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/Clock.h"
#include "platform/ui/input/GestureRecognizer.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

TouchDispatcher::Tracked* TouchDispatcher::find(const std::shared_ptr<Touch>& touch) {
  for (Tracked& t : active_) {
    if (t.touch == touch) return &t;
  }
  return nullptr;
}

Event TouchDispatcher::event() const {
  Event e;
  e.timestamp = Clock::get()->monotonic();
  for (const Tracked& t : active_) e.allTouches.push_back(t.touch);
  return e;
}

std::shared_ptr<Touch> TouchDispatcher::begin(Point p) {
  auto window = std::static_pointer_cast<Window>(window_.shared());
  const double now = Clock::get()->monotonic();
  int taps = 1;
  if (lastUpTime_ >= 0 && now - lastUpTime_ <= kTapInterval &&
      std::hypot(p.x - lastUpLocation_.x, p.y - lastUpLocation_.y) <= kTapDistance) {
    taps = lastTapCount_ + 1;
  }
  auto touch = std::make_shared<Touch>(nextId_++, p, now, taps);
  touch->setWindow(window);
  Tracked rec;
  rec.touch = touch;
  std::shared_ptr<View> view = window_.hitTest(p);
  bool deliver = view != nullptr;
  bool toView = deliver;
  for (const Tracked& other : active_) {
    if (!other.view || !deliver) continue;
    if (other.view != view && (other.view->isExclusiveTouch() || view->isExclusiveTouch())) deliver = false;
    // A view that takes one touch at a time does not get a second, but its recognisers do.
    if (other.view == view && !view->isMultipleTouchEnabled()) toView = false;
  }
  if (deliver) {
    touch->setView(view);
    rec.view = view;
    rec.toView = toView;
    for (View* v = view.get(); v; v = v->superview().get()) {
      for (const auto& gr : v->gestureRecognizers()) {
        // Views made their recognisers before they could name themselves (in constructors).
        if (!gr->view()) gr->attach(v->shared());
        if (gr->accept(touch)) {
          gr->onCancelViewTouches = [this](GestureRecognizer& g) { cancelViewTouchesOf(g); };
          rec.recognizers.push_back(gr);
        }
      }
    }
  }
  active_.push_back(rec);
  const Event e = event();
  for (const auto& gr : rec.recognizers) gr->deliverBegan({touch}, e);
  if (Tracked* t = find(touch); t && t->toView) t->view->touchesBegan({touch}, e);
  return touch;
}

void TouchDispatcher::move(const std::shared_ptr<Touch>& touch, Point p) {
  Tracked* t = find(touch);
  if (!t) return;
  touch->moveTo(p, TouchPhase::Moved, Clock::get()->monotonic());
  const Tracked rec = *t;
  const Event e = event();
  for (const auto& gr : rec.recognizers) gr->deliverMoved({touch}, e);
  if (Tracked* again = find(touch); again && again->toView) again->view->touchesMoved({touch}, e);
}

void TouchDispatcher::end(const std::shared_ptr<Touch>& touch, Point p) {
  Tracked* t = find(touch);
  if (!t) return;
  touch->moveTo(p, TouchPhase::Ended, Clock::get()->monotonic());
  lastUpLocation_ = p;
  lastUpTime_ = touch->timestamp();
  lastTapCount_ = touch->tapCount();
  finish(touch, false);
}

void TouchDispatcher::cancel(const std::shared_ptr<Touch>& touch) {
  Tracked* t = find(touch);
  if (!t) return;
  touch->setPhase(TouchPhase::Cancelled);
  finish(touch, true);
}

void TouchDispatcher::finish(const std::shared_ptr<Touch>& touch, bool cancelled) {
  const Event e = event();
  const auto recognizers = find(touch)->recognizers;
  for (const auto& gr : recognizers) {
    if (cancelled) {
      gr->deliverCancelled({touch}, e);
    } else {
      gr->deliverEnded({touch}, e);
    }
  }
  // A recogniser may have cancelled the view's share of the touch during that delivery; the
  // record is looked up again since callbacks may have added touches.
  auto it = std::find_if(active_.begin(), active_.end(), [&](const Tracked& t) { return t.touch == touch; });
  const bool toView = it->toView;
  const std::shared_ptr<View> view = it->view;
  active_.erase(it);
  if (toView && view) {
    if (cancelled) {
      view->touchesCancelled({touch}, e);
    } else {
      view->touchesEnded({touch}, e);
    }
  }
  touch->finish();
}

void TouchDispatcher::cancelViewTouchesOf(GestureRecognizer& recognizer) {
  const Event e = event();
  for (Tracked& t : active_) {
    if (!t.toView || !t.view) continue;
    const bool mine = std::any_of(t.recognizers.begin(), t.recognizers.end(),
                                  [&](const auto& gr) { return gr.get() == &recognizer; });
    if (!mine) continue;
    t.toView = false;
    const TouchPhase phase = t.touch->phase();
    t.touch->setPhase(TouchPhase::Cancelled);
    std::shared_ptr<View> view = t.view;
    view->touchesCancelled({t.touch}, e);
    t.touch->setPhase(phase);
  }
}

}  // namespace zu::ui
