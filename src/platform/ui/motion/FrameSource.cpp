#include "platform/ui/motion/FrameSource.h"

#include <cmath>

#include "platform/runtime/Clock.h"
#include "platform/ui/system/Timer.h"

namespace zu::ui {

std::shared_ptr<FrameSource> FrameSource::create(Callback callback) {
  return std::make_shared<FrameSource>(std::move(callback));
}

FrameSource::FrameSource(Callback callback) : callback_(std::move(callback)) {}

void FrameSource::setFrameInterval(int n) {
  if (n >= 1) frameInterval_ = n;
}

void FrameSource::start() {
  if (started_ || !valid_) return;
  started_ = true;
  loop_ = RunLoop::current();
  next_ = Clock::get()->monotonic() + kFrameDuration * frameInterval_;
  arm();
}

void FrameSource::arm() {
  token_ = loop_->postDelayed(next_ - Clock::get()->monotonic(),
                              [self = shared_from_this()] { self->onFrame(); });
}

void FrameSource::onFrame() {
  token_ = 0;
  if (!valid_) return;
  auto keep = shared_from_this();
  const double frameTime = next_;
  next_ = Timer::nextOnGrid(next_, kFrameDuration * frameInterval_, Clock::get()->monotonic());
  arm();
  if (paused_) return;
  timestamp_ = frameTime;
  Callback callback = callback_;
  if (callback) callback(*this);
}

void FrameSource::invalidate() {
  if (!valid_) return;
  valid_ = false;
  if (token_ && loop_) loop_->cancel(token_);
  token_ = 0;
  callback_ = nullptr;
}

}  // namespace zu::ui
