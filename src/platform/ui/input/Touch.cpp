#include "platform/ui/input/Touch.h"

#include <utility>

#include "platform/ui/views/View.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {

Touch::Touch(uint64_t id, Point windowLocation, double timestamp, int tapCount)
    : id_(id), tapCount_(tapCount), timestamp_(timestamp), location_(windowLocation),
      previous_(windowLocation) {}

void Touch::moveTo(Point windowLocation, TouchPhase phase, double timestamp) {
  previous_ = location_;
  location_ = windowLocation;
  phase_ = phase;
  timestamp_ = timestamp;
}

namespace {

Point fromWindow(const Touch& touch, Point p, const View* view) {
  auto window = touch.window();
  if (!view) return p;
  if (window) return view->convertPointFrom(p, window.get());
  return view->convertPointFrom(p, nullptr);
}

}  // namespace

Point Touch::locationInView(const View* view) const { return fromWindow(*this, location_, view); }

Point Touch::previousLocationInView(const View* view) const {
  return fromWindow(*this, previous_, view);
}

void Touch::addFinishObserver(std::function<void(const Touch&)> observer) {
  if (observer) finishObservers_.push_back(std::move(observer));
}

void Touch::finish() {
  // Taken first: an observer may add another (it runs at the next finish, which never comes).
  const auto observers = std::exchange(finishObservers_, {});
  for (const auto& observer : observers) observer(*this);
}

}  // namespace zu::ui
