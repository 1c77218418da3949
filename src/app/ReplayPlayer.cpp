#include "app/ReplayPlayer.h"

#include <cmath>
#include <cstdio>

#include "app/ScreenInput.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {

const char* nameOf(ReplayStep::Kind kind) {
  switch (kind) {
    case ReplayStep::Kind::Wait: return "wait";
    case ReplayStep::Kind::Tap: return "tap";
    case ReplayStep::Kind::Drag: return "drag";
    case ReplayStep::Kind::Pinch: return "pinch";
    case ReplayStep::Kind::Type: return "type";
    case ReplayStep::Kind::Backspace: return "key backspace";
    case ReplayStep::Kind::Return: return "key return";
    case ReplayStep::Kind::Rotate: return "rotate";
  }
  return "?";
}

}  // namespace

ReplayPlayer::ReplayPlayer(ScreenInput& input, std::vector<ReplayStep> steps, std::function<void()> done)
    : input_(input), steps_(std::move(steps)), done_(std::move(done)) {}

ReplayPlayer::~ReplayPlayer() {
  if (token_) RunLoop::main()->cancel(token_);
}

void ReplayPlayer::start() { after(0, [this] { playNext(); }); }

void ReplayPlayer::after(double seconds, std::function<void()> work) {
  token_ = RunLoop::main()->postDelayed(seconds, [this, work = std::move(work)] {
    token_ = 0;
    work();
  });
}

void ReplayPlayer::playNext() {
  if (next_ >= steps_.size()) {
    std::printf("zureader: replay done\n");
    std::fflush(stdout);
    if (done_) done_();
    return;
  }
  const ReplayStep& step = steps_[next_++];
  std::printf("zureader: replay line %d: %s\n", step.line, nameOf(step.kind));
  std::fflush(stdout);
  switch (step.kind) {
    case ReplayStep::Kind::Wait:
      after(step.seconds, [this] { playNext(); });
      return;
    case ReplayStep::Kind::Tap:
      input_.press(step.from);
      after(kTapSeconds, [this, at = step.from] {
        input_.release(at);
        playNext();
      });
      return;
    case ReplayStep::Kind::Drag:
    case ReplayStep::Kind::Pinch: {
      input_.press(step.from, step.kind == ReplayStep::Kind::Pinch);
      const int frames = std::max(1, static_cast<int>(std::lround(step.seconds / kFrameSeconds)));
      moveFingers(step, 1, frames);
      return;
    }
    case ReplayStep::Kind::Type:
      input_.type(step.text);
      break;
    case ReplayStep::Kind::Backspace:
      input_.backspace();
      break;
    case ReplayStep::Kind::Return:
      input_.enter();
      break;
    case ReplayStep::Kind::Rotate:
      if (step.turn == ReplayStep::Turn::Left) {
        input_.turnLeft();
      } else if (step.turn == ReplayStep::Turn::Right) {
        input_.turnRight();
      } else {
        input_.turnTo(step.orientation);
      }
      break;
  }
  after(0, [this] { playNext(); });
}

void ReplayPlayer::moveFingers(const ReplayStep& step, int frame, int frames) {
  after(kFrameSeconds, [this, &step, frame, frames] {
    const float t = static_cast<float>(frame) / static_cast<float>(frames);
    const ui::Point at{step.from.x + (step.to.x - step.from.x) * t, step.from.y + (step.to.y - step.from.y) * t};
    input_.move(at);
    if (frame < frames) {
      moveFingers(step, frame + 1, frames);
      return;
    }
    input_.release(step.to);
    playNext();
  });
}

}  // namespace zu
