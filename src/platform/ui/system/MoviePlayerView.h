// MoviePlayerView: the movie player's screen. On black: the video's picture fitted to the
// screen; a translucent top bar under the status bar with the Done button ("完成") at its left; a
// translucent bottom bar with the time played, a progress line and the time left (once the
// length is known); a play sign in the middle while paused; "正在载入…" until the first picture;
// and, when the video cannot be played, a message in the middle (a title and a reason) in place
// of all but the top bar. A tap on the screen outside the buttons calls the tap handler.
//
// Made by MoviePlayerViewController, which owns it through its view; main thread only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/views/View.h"

namespace zu::ui {

class Button;
class Image;

class MoviePlayerView : public View {
 public:
  static constexpr float kTopBarHeight = 44;
  static constexpr float kBottomBarHeight = 44;
  static constexpr float kStatusBarHeight = 20;

  explicit MoviePlayerView(const Rect& frame);

  const std::shared_ptr<Button>& doneButton() const { return done_; }
  const std::shared_ptr<Image>& picture() const { return picture_; }
  void setPicture(std::shared_ptr<Image> picture);
  // `duration` ≤ 0: not known yet (no progress line).
  void setProgress(double seconds, double duration);
  double seconds() const { return seconds_; }
  double duration() const { return duration_; }
  void setPaused(bool paused);
  bool isPaused() const { return paused_; }
  struct Message {
    std::string title;
    std::string reason;
  };
  void setMessage(std::optional<Message> message);
  const std::optional<Message>& message() const { return message_; }
  void setTapHandler(std::function<void()> handler) { onTap_ = std::move(handler); }

  // Where the picture goes: fitted to the bounds, centred.
  Rect pictureRect() const;
  // Where the progress line runs (in the bottom bar).
  Rect progressLineRect() const;
  // "0:07", "12:05", "1:02:03" (whole seconds, rounded down).
  static std::string clockText(double seconds);

  void layoutSubviews() override;
  void draw(Canvas& canvas, const Rect& rect) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  std::string className() const override { return "MoviePlayerView"; }
  std::string dumpDetails() const override;

 private:
  std::shared_ptr<Button> done_;
  std::shared_ptr<Image> picture_;
  double seconds_ = 0;
  double duration_ = 0;
  bool paused_ = false;
  std::optional<Message> message_;
  std::function<void()> onTap_;
  Point touchStart_;
};

}  // namespace zu::ui
