#include "platform/ui/system/Timer.h"

#include <cmath>

#include "platform/runtime/Clock.h"

namespace zu::ui {

Timer::Timer(double interval, bool repeats, Callback callback)
    : interval_(interval > 0 ? interval : 0.0001), repeats_(repeats), callback_(std::move(callback)) {}

std::shared_ptr<Timer> Timer::scheduled(double interval, bool repeats, Callback callback) {
  auto timer = std::make_shared<Timer>(interval, repeats, std::move(callback));
  timer->loop_ = RunLoop::current();
  timer->due_ = Clock::get()->monotonic() + timer->interval_;
  timer->arm();
  return timer;
}

void Timer::arm() {
  if (!valid_ || !loop_) return;
  const double delay = due_ - Clock::get()->monotonic();
  token_ = loop_->postDelayed(delay, [self = shared_from_this()] { self->onDue(); });
}

void Timer::onDue() {
  token_ = 0;
  if (!valid_) return;
  auto keep = shared_from_this();
  if (repeats_) {
    // Next firing on the original grid, skipping the ones already missed.
    due_ = nextOnGrid(due_, interval_, Clock::get()->monotonic());
    arm();
  }
  fire();
}

double Timer::nextOnGrid(double previous, double interval, double now) {
  double next = previous + interval;
  if (next <= now) next += std::ceil((now - next) / interval + 1e-9) * interval;
  if (next <= now) next = now + interval;
  return next;
}

void Timer::fire() {
  if (!valid_) return;
  auto keep = shared_from_this();
  Callback callback = callback_;  // the callback may invalidate the timer
  if (!repeats_) invalidate();
  if (callback) callback(*this);
}

void Timer::invalidate() {
  if (!valid_) return;
  valid_ = false;
  if (token_ && loop_) loop_->cancel(token_);
  token_ = 0;
  callback_ = nullptr;
}

}  // namespace zu::ui
