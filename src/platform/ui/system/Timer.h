// Timer: a one-shot or repeating timer on the run loop of the thread that scheduled it (the
// main loop for views), timed by the injected Clock, so a FakeClock's advance fires it.
//
// Kept from the phone:
//  - The run loop keeps a scheduled timer alive until it is invalidated; a one-shot timer
//    invalidates itself when it fires. invalidate() drops the callback (and what it captured)
//    at once; a timer invalidated from inside its own callback does not fire again.
//  - A repeating timer fires at start + k × interval; when the loop was late by more than an
//    interval the missed firings are skipped, not bunched. An interval ≤ 0 means 0.1 ms.
//  - fire() runs the callback now; for a repeating timer the schedule is unchanged, a one-shot
//    timer is invalidated.
// Threads: schedule, fire and invalidate on the timer's own thread.
#pragma once

#include <functional>
#include <memory>

#include "platform/runtime/RunLoop.h"

namespace zu::ui {

class Timer : public std::enable_shared_from_this<Timer> {
 public:
  using Callback = std::function<void(Timer&)>;

  static std::shared_ptr<Timer> scheduled(double interval, bool repeats, Callback callback);

  Timer(double interval, bool repeats, Callback callback);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void fire();
  void invalidate();
  bool isValid() const { return valid_; }
  double interval() const { return interval_; }
  bool repeats() const { return repeats_; }
  // When it fires next, on the clock's monotonic scale (seconds).
  double fireDate() const { return due_; }

  // The first time after `now` on the grid previous + k × interval (k ≥ 1): what a repeating
  // schedule fires at next when missed firings are skipped.
  static double nextOnGrid(double previous, double interval, double now);

 private:
  void arm();
  void onDue();

  double interval_;
  bool repeats_;
  Callback callback_;
  bool valid_ = true;
  double due_ = 0;
  std::shared_ptr<RunLoop> loop_;
  RunLoop::Token token_ = 0;
};

}  // namespace zu::ui
