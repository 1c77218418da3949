#include "platform/ui/system/MoviePlayerView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/input/Touch.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/views/Label.h"

namespace zu::ui {

namespace {

const Color kBarColor{0, 0, 0, 0.55f};
const Color kTrackColor{1, 1, 1, 0.3f};
constexpr float kTimeWidth = 52;
constexpr float kKnobRadius = 5;
constexpr float kPlaySign = 64;
// A finger that moved further than this between down and up is no tap.
constexpr float kTapSlop = 10;

}  // namespace

MoviePlayerView::MoviePlayerView(const Rect& frame) : View(frame) {
  setBackgroundColor(Color::blackColor());
  setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  done_ = Button::create(ButtonType::Custom);
  done_->setTitle(std::string("完成"), kControlStateNormal);
  done_->setTitleColor(Color::whiteColor(), kControlStateNormal);
  done_->setTitleColor(Color::white(0.7f), kControlStateHighlighted);
  done_->titleLabel()->setFont(Font::boldSystemFont(14));
  done_->setLeavesScreen(true);
  addSubview(done_);
}

void MoviePlayerView::layoutSubviews() {
  View::layoutSubviews();
  done_->setFrame(Rect(8, kStatusBarHeight + 7, 56, 30));
}

void MoviePlayerView::setPicture(std::shared_ptr<Image> picture) {
  picture_ = std::move(picture);
  setNeedsDisplay();
}

void MoviePlayerView::setProgress(double seconds, double duration) {
  seconds_ = std::max(0.0, seconds);
  duration_ = duration;
  setNeedsDisplay();
}

void MoviePlayerView::setPaused(bool paused) {
  if (paused_ == paused) return;
  paused_ = paused;
  setNeedsDisplay();
}

void MoviePlayerView::setMessage(std::optional<Message> message) {
  message_ = std::move(message);
  setNeedsDisplay();
}

Rect MoviePlayerView::pictureRect() const {
  const Rect b = bounds();
  if (!picture_) return Rect();
  const Size size = picture_->size();
  if (size.width <= 0 || size.height <= 0) return Rect();
  const float scale = std::min(b.size.width / size.width, b.size.height / size.height);
  const float w = size.width * scale, h = size.height * scale;
  return Rect(b.origin.x + (b.size.width - w) / 2, b.origin.y + (b.size.height - h) / 2, w, h);
}

Rect MoviePlayerView::progressLineRect() const {
  const Rect b = bounds();
  const float y = b.size.height - kBottomBarHeight / 2 - 1;
  return Rect(kTimeWidth, y, std::max(0.f, b.size.width - 2 * kTimeWidth), 2);
}

std::string MoviePlayerView::clockText(double seconds) {
  const long total = seconds > 0 ? static_cast<long>(std::floor(seconds)) : 0;
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

void MoviePlayerView::draw(Canvas& canvas, const Rect& rect) {
  View::draw(canvas, rect);
  const Rect b = bounds();
  const TextMetrics& metrics = TextMetrics::current();
  if (picture_ && !message_) canvas.drawImage(*picture_, pictureRect());

  // The top bar, with a frame around the Done button.
  canvas.setFillColor(kBarColor);
  canvas.fillRect(Rect(0, kStatusBarHeight, b.size.width, kTopBarHeight));
  canvas.setStrokeColor(Color::white(1, 0.6f));
  canvas.setLineWidth(1);
  canvas.strokeRoundedRect(done_->frame().insetBy(0.5f, 0.5f), 5);

  if (message_) {
    const Font titleFont = Font::boldSystemFont(17);
    const Font reasonFont = Font::systemFont(14);
    const Rect area(20, b.size.height / 2 - 40, b.size.width - 40, 80);
    metrics.draw(canvas, message_->title, Rect(area.origin.x, area.origin.y, area.size.width, 24), titleFont,
                 Color::whiteColor(), LineBreakMode::TailTruncation, TextAlignment::Center);
    metrics.draw(canvas, message_->reason, Rect(area.origin.x, area.origin.y + 30, area.size.width, 50), reasonFont,
                 Color::white(0.75f), LineBreakMode::WordWrap, TextAlignment::Center);
    return;
  }
  if (!picture_) {
    metrics.draw(canvas, "正在载入…", Rect(0, b.size.height / 2 - 10, b.size.width, 20), Font::systemFont(14),
                 Color::white(0.75f), LineBreakMode::TailTruncation, TextAlignment::Center);
  }

  // The bottom bar: time played, the progress line, time left.
  const float barTop = b.size.height - kBottomBarHeight;
  canvas.setFillColor(kBarColor);
  canvas.fillRect(Rect(0, barTop, b.size.width, kBottomBarHeight));
  const Font timeFont = Font::boldSystemFont(12);
  const Rect played(0, barTop + 14, kTimeWidth - 6, 16);
  metrics.draw(canvas, clockText(seconds_), played, timeFont, Color::whiteColor(), LineBreakMode::Clip,
               TextAlignment::Right);
  const Rect line = progressLineRect();
  canvas.setFillColor(kTrackColor);
  canvas.fillRect(line);
  if (duration_ > 0) {
    const float fraction = static_cast<float>(std::clamp(seconds_ / duration_, 0.0, 1.0));
    canvas.setFillColor(Color::whiteColor());
    canvas.fillRect(Rect(line.origin.x, line.origin.y, line.size.width * fraction, line.size.height));
    canvas.fillEllipse(Rect(line.origin.x + line.size.width * fraction - kKnobRadius, line.midY() - kKnobRadius,
                            2 * kKnobRadius, 2 * kKnobRadius));
    metrics.draw(canvas, "-" + clockText(std::max(0.0, duration_ - seconds_)),
                 Rect(b.size.width - kTimeWidth + 6, barTop + 14, kTimeWidth - 6, 16), timeFont, Color::whiteColor(),
                 LineBreakMode::Clip, TextAlignment::Left);
  }

  if (paused_) {
    const Point c{b.midX(), b.midY()};
    canvas.setFillColor(Color(0, 0, 0, 0.5f));
    canvas.fillEllipse(Rect(c.x - kPlaySign / 2, c.y - kPlaySign / 2, kPlaySign, kPlaySign));
    canvas.beginPath();
    canvas.moveTo(Point{c.x - 10, c.y - 16});
    canvas.lineTo(Point{c.x + 18, c.y});
    canvas.lineTo(Point{c.x - 10, c.y + 16});
    canvas.closePath();
    canvas.setFillColor(Color::whiteColor());
    canvas.fillPath();
  }
}

void MoviePlayerView::touchesBegan(const TouchSet& touches, const Event& event) {
  View::touchesBegan(touches, event);
  if (!touches.empty()) touchStart_ = touches.front()->locationInView(this);
}

void MoviePlayerView::touchesEnded(const TouchSet& touches, const Event& event) {
  View::touchesEnded(touches, event);
  if (touches.empty() || !onTap_) return;
  const Point end = touches.front()->locationInView(this);
  if (std::hypot(end.x - touchStart_.x, end.y - touchStart_.y) <= kTapSlop) onTap_();
}

std::string MoviePlayerView::dumpDetails() const {
  std::string text = " time=" + clockText(seconds_) + "/" + clockText(duration_);
  if (paused_) text += " paused";
  if (message_) text += " message=\"" + message_->title + "\"";
  return text;
}

}  // namespace zu::ui
