// FrameSource: the display-link stand-in — calls back once per screen frame (1/60 s) times the
// frame interval, on the run loop it was started on, timed by the injected Clock.
//
// Kept from the phone: frameInterval n ≥ 1 fires every n-th frame (values below 1 are
// ignored); timestamp() is the time of the last frame; frames come on a fixed grid from the
// start, late frames are dropped rather than bunched; paused stops callbacks until unpaused
// (the grid continues); invalidate() removes it for good and drops the callback. The loop keeps
// a started source alive until it is invalidated.
// Threads: use it on the thread that started it.
#pragma once

#include <functional>
#include <memory>

#include "platform/runtime/RunLoop.h"

namespace zu::ui {

class FrameSource : public std::enable_shared_from_this<FrameSource> {
 public:
  using Callback = std::function<void(FrameSource&)>;
  static constexpr double kFrameDuration = 1.0 / 60;

  static std::shared_ptr<FrameSource> create(Callback callback);
  explicit FrameSource(Callback callback);
  FrameSource(const FrameSource&) = delete;
  FrameSource& operator=(const FrameSource&) = delete;

  // Starts delivering frames on the calling thread's run loop (once; later calls do nothing).
  void start();
  void invalidate();
  bool isValid() const { return valid_; }

  int frameInterval() const { return frameInterval_; }
  void setFrameInterval(int n);
  bool isPaused() const { return paused_; }
  void setPaused(bool paused) { paused_ = paused; }

  // Monotonic seconds of the last frame delivered (0 before the first).
  double timestamp() const { return timestamp_; }
  double duration() const { return kFrameDuration; }

 private:
  void arm();
  void onFrame();

  Callback callback_;
  int frameInterval_ = 1;
  bool paused_ = false;
  bool valid_ = true;
  bool started_ = false;
  double next_ = 0;
  double timestamp_ = 0;
  std::shared_ptr<RunLoop> loop_;
  RunLoop::Token token_ = 0;
};

}  // namespace zu::ui
