#include "platform/ui/drawing/StatusBar.h"

#include <ctime>
#include <numbers>

#include "platform/runtime/Clock.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

constexpr float kEdge = 6;

void drawSignal(Canvas& canvas, const DeviceProfile::Signal& signal, const Color& ink) {
  const Color faint = ink.withAlpha(ink.alpha * 0.3f);
  switch (signal.kind) {
    case DeviceProfile::Signal::Kind::Cellular:
      // Five bars rising to the right, those beyond the strength faint.
      for (int i = 0; i < 5; ++i) {
        const float h = 4 + 2.f * static_cast<float>(i);
        canvas.setFillColor(i < signal.bars ? ink : faint);
        canvas.fillRect(Rect(kEdge + 4.f * static_cast<float>(i), 15 - h, 3, h));
      }
      break;
    case DeviceProfile::Signal::Kind::Wireless: {
      // The fan: a dot and arcs spreading upwards from the bottom point.
      const Point tip{kEdge + 8, 15};
      canvas.setFillColor(signal.bars > 0 ? ink : faint);
      canvas.fillEllipse(Rect(tip.x - 1.5f, tip.y - 3, 3, 3));
      canvas.setLineWidth(1.6f);
      const float pi = std::numbers::pi_v<float>;
      for (int i = 1; i < 3; ++i) {
        canvas.setStrokeColor(i < signal.bars ? ink : faint);
        canvas.beginPath();
        canvas.addArc(tip, 3.5f * static_cast<float>(i) + 1, -pi * 3 / 4, -pi / 4, true);
        canvas.strokePath();
      }
      break;
    }
    case DeviceProfile::Signal::Kind::None:
      TextMetrics::current().drawAt(canvas, "无服务", Point{kEdge, 3}, Font::systemFont(11), ink);
      break;
  }
}

void drawBattery(Canvas& canvas, const DeviceProfile::Battery& battery, float width, const Color& ink) {
  const Rect body(width - kEdge - 2 - 24, 5, 24, 11);
  canvas.setStrokeColor(ink);
  canvas.setLineWidth(1);
  canvas.strokeRoundedRect(body.insetBy(0.5f, 0.5f), 2);
  canvas.setFillColor(ink);
  canvas.fillRect(Rect(body.maxX(), 8, 2, 5));
  const float room = body.size.width - 4;
  canvas.fillRect(Rect(body.minX() + 2, body.minY() + 2, room * battery.level, body.size.height - 4));
  if (battery.state == DeviceProfile::Battery::State::Charging ||
      battery.state == DeviceProfile::Battery::State::Full) {
    // A bolt left of the battery: on mains power.
    const float x = body.minX() - 9;
    canvas.beginPath();
    canvas.moveTo(Point{x + 4, 4});
    canvas.lineTo(Point{x, 11});
    canvas.lineTo(Point{x + 3, 11});
    canvas.lineTo(Point{x + 2, 17});
    canvas.lineTo(Point{x + 6, 9});
    canvas.lineTo(Point{x + 3, 9});
    canvas.closePath();
    canvas.fillPath();
  }
}

}  // namespace

StatusBar& StatusBar::shared() {
  static StatusBar* bar = new StatusBar;  // never destroyed
  return *bar;
}

void StatusBar::readIfStale() {
  const int64_t now = Clock::get()->monotonicMicros();
  if (readAtMicros_ != kNever && now - readAtMicros_ < static_cast<int64_t>(kReadingSeconds * 1e6) &&
      now >= readAtMicros_) {
    return;
  }
  battery_ = DeviceProfile::battery();
  signal_ = DeviceProfile::signal();
  readAtMicros_ = now;
}

std::string StatusBar::timeText() const {
  const std::time_t seconds = static_cast<std::time_t>(Clock::get()->nowMicros() / 1000000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[8];
  std::strftime(text, sizeof text, "%H:%M", &local);
  return text;
}

void StatusBar::draw(Canvas& canvas, float width, StatusBarStyle style) {
  readIfStale();
  const Rect strip(0, 0, width, kHeight);
  canvas.save();
  canvas.clip(strip);
  Color ink = Color::whiteColor();
  switch (style) {
    case StatusBarStyle::Default:
      canvas.drawLinearGradient({{0, Color::white(0.93f)}, {1, Color::white(0.70f)}}, Point{0, 0},
                                Point{0, kHeight});
      canvas.setFillColor(Color::white(0.45f));
      canvas.fillRect(Rect(0, kHeight - 1, width, 1));
      ink = Color::white(0.15f);
      break;
    case StatusBarStyle::BlackOpaque:
      canvas.setFillColor(Color::blackColor());
      canvas.fillRect(strip);
      break;
    case StatusBarStyle::BlackTranslucent:
      canvas.setFillColor(Color::blackColor().withAlpha(0.5f));
      canvas.fillRect(strip);
      break;
  }
  drawSignal(canvas, signal_, ink);
  const Font font = Font::boldSystemFont(12);
  TextMetrics::current().draw(canvas, timeText(), Rect(0, 3, width, kHeight - 3), font, ink,
                              LineBreakMode::Clip, TextAlignment::Center);
  drawBattery(canvas, battery_, width, ink);
  canvas.restore();
}

}  // namespace zu::ui
