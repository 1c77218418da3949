#include "app/ReplayPlayer.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "app/ScreenInput.h"
#include "app/ScreenProbe.h"
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
    case ReplayStep::Kind::Escape:
    case ReplayStep::Kind::Edit:
    case ReplayStep::Kind::Delete:
    case ReplayStep::Kind::DeleteWord:
    case ReplayStep::Kind::Caret:
    case ReplayStep::Kind::Tab: return "key";
    case ReplayStep::Kind::Rotate: return "rotate";
    case ReplayStep::Kind::Expect: return "expect";
  }
  return "?";
}

const char* nameOf(ReplayStep::Check check) {
  switch (check) {
    case ReplayStep::Check::Screen: return "screen";
    case ReplayStep::Check::Title: return "title";
    case ReplayStep::Check::Text: return "text";
    case ReplayStep::Check::Slider: return "slider";
  }
  return "?";
}

// How far a slider's value may be from the one expected.
constexpr double kSliderTolerance = 0.005;

// Whether the screen shows what `step` expects.
bool holds(const ReplayStep& step) {
  switch (step.check) {
    case ReplayStep::Check::Screen: return ScreenProbe::topScreen() == step.text;
    case ReplayStep::Check::Title: return ScreenProbe::barTitle() == step.text;
    case ReplayStep::Check::Text: return ScreenProbe::shows(step.text);
    case ReplayStep::Check::Slider: {
      // A value as a road writes it, to two places.
      const std::optional<float> value = ScreenProbe::sliderValueAt(step.from);
      return value && std::fabs(*value - step.value) <= kSliderTolerance;
    }
  }
  return false;
}

// What the screen shows instead, for the failure's message.
std::string found(const ReplayStep& step) {
  switch (step.check) {
    case ReplayStep::Check::Screen: return "the top screen is \"" + ScreenProbe::topScreen() + "\"";
    case ReplayStep::Check::Title: return "the bar's title is \"" + ScreenProbe::barTitle() + "\"";
    case ReplayStep::Check::Text: {
      constexpr size_t kMostShown = 400;
      std::string texts;
      for (const auto& text : ScreenProbe::texts()) {
        if (texts.size() > kMostShown) {
          texts += " | …";
          break;
        }
        texts += (texts.empty() ? "\"" : " | \"") + text + "\"";
      }
      return "not in sight; the texts in sight: " + (texts.empty() ? std::string("none") : texts);
    }
    case ReplayStep::Check::Slider: {
      const std::optional<float> value = ScreenProbe::sliderValueAt(step.from);
      if (!value) return "no slider there";
      char shown[32];
      std::snprintf(shown, sizeof shown, "%.3f", static_cast<double>(*value));
      return std::string("the slider is at ") + shown;
    }
  }
  return {};
}

}  // namespace

ReplayPlayer::ReplayPlayer(ScreenInput& input, std::vector<ReplayStep> steps, std::function<void()> done,
                           std::function<void(const std::string&)> failed)
    : input_(input), steps_(std::move(steps)), done_(std::move(done)), failed_(std::move(failed)) {}

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
  if (step.kind == ReplayStep::Kind::Expect) {
    std::printf("zureader: replay line %d: expect %s %s\n", step.line, nameOf(step.check), step.text.c_str());
  } else if (std::string_view(nameOf(step.kind)) == "key") {  // a key named as written
    std::printf("zureader: replay line %d: key %s\n", step.line, step.text.c_str());
  } else {
    std::printf("zureader: replay line %d: %s\n", step.line, nameOf(step.kind));
  }
  std::fflush(stdout);
  switch (step.kind) {
    case ReplayStep::Kind::Expect:
      expect(step, 0, std::max(1, static_cast<int>(std::lround(kExpectSeconds / kFrameSeconds))));
      return;
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
    case ReplayStep::Kind::Escape:
      input_.back();
      break;
    case ReplayStep::Kind::Edit:
      input_.edit(step.action);
      break;
    case ReplayStep::Kind::Delete:
      input_.deleteForward();
      break;
    case ReplayStep::Kind::DeleteWord:
      input_.deleteWord(step.forward);
      break;
    case ReplayStep::Kind::Caret:
      input_.moveCaret(step.move, step.shift);
      break;
    case ReplayStep::Kind::Tab:
      input_.tab(step.shift);
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

void ReplayPlayer::expect(const ReplayStep& step, int poll, int polls) {
  if (holds(step)) {
    playNext();
    return;
  }
  if (poll >= polls) {
    const std::string failure = "line " + std::to_string(step.line) + ": expect " + nameOf(step.check) + " " +
                                step.text + ": " + found(step);
    next_ = steps_.size();
    if (failed_) {
      failed_(failure);
    } else {
      std::printf("zureader: replay %s\n", failure.c_str());
      std::fflush(stdout);
    }
    return;
  }
  after(kFrameSeconds, [this, &step, poll, polls] { expect(step, poll + 1, polls); });
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
