// ReplayPlayer: plays a replay script's steps through the screen's input, one after the other
// on the main run loop, in real time: a wait pauses, a tap presses and lifts after kTapSeconds,
// a drag or pinch moves its fingers in steps of a frame (1/60 s) over its seconds, typing, keys
// and rotations happen at once. An expect step looks at the screen (ScreenProbe) every frame
// until what it expects holds, for at most kExpectSeconds; when it never does, the play stops
// there and `failed` gets the line's number and what was found instead ("line 12: expect
// title 内容中心: the bar's title is \"我的订阅\""). Each step is printed as it is played
// ("zureader: replay line 3: tap"), and the end ("zureader: replay done").
//
// Main thread only; owned by the screen host; steps not yet played are dropped when it goes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/ReplayScript.h"

namespace zu {

class ScreenInput;

class ReplayPlayer {
 public:
  static constexpr double kTapSeconds = 0.05;
  static constexpr double kFrameSeconds = 1.0 / 60;
  static constexpr double kExpectSeconds = 10;

  // `input` must outlive the player. `done` runs after the last step; `failed` instead of it
  // when an expect step does not hold.
  ReplayPlayer(ScreenInput& input, std::vector<ReplayStep> steps, std::function<void()> done = {},
               std::function<void(const std::string&)> failed = {});
  ~ReplayPlayer();
  ReplayPlayer(const ReplayPlayer&) = delete;
  ReplayPlayer& operator=(const ReplayPlayer&) = delete;

  void start();
  bool isDone() const { return next_ >= steps_.size() && !token_; }

 private:
  void playNext();
  // Moves the fingers of a drag or pinch step `frame` of `frames` along, then schedules the rest.
  void moveFingers(const ReplayStep& step, int frame, int frames);
  // Looks at the screen for an expect step, the `poll`th time of `polls`.
  void expect(const ReplayStep& step, int poll, int polls);
  void after(double seconds, std::function<void()> work);

  ScreenInput& input_;
  std::vector<ReplayStep> steps_;
  std::function<void()> done_;
  std::function<void(const std::string&)> failed_;
  size_t next_ = 0;
  uint64_t token_ = 0;
};

}  // namespace zu
