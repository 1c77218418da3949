#include "platform/ui/text/KeyboardDrawing.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

constexpr float kRowPitch = 54;
constexpr float kKeyHeight = 42;
constexpr float kTop = 12;
constexpr float kLetterWidth = 26;
constexpr float kLetterPitch = 32;
// The size the key layout is given in: the portrait keyboard's.
constexpr float kDesignWidth = 320;
constexpr float kDesignHeight = 216;

void drawKey(Canvas& canvas, const Rect& key, const std::string& title, bool dark, float fontSize) {
  // A shadow line under the key, then its face.
  canvas.setFillColor(Color::white(0.25f, 0.6f));
  canvas.fillRoundedRect(key.offsetBy(0, 1), 5);
  canvas.setFillColor(dark ? Color::rgba8(138, 144, 158) : Color::rgba8(250, 250, 252));
  canvas.fillRoundedRect(key, 5);
  if (title.empty()) return;
  const Font font = Font::systemFont(fontSize);
  const float lh = TextMetrics::current().lineHeight(font);
  TextMetrics::current().draw(canvas, title,
                              Rect(key.minX(), key.minY() + (key.size.height - lh) / 2, key.size.width, lh), font,
                              dark ? Color::whiteColor() : Color::white(0.1f), LineBreakMode::Clip,
                              TextAlignment::Center);
}

// A closed shape through `points`.
void fillPolygon(Canvas& canvas, std::initializer_list<Point> points) {
  canvas.beginPath();
  bool first = true;
  for (Point p : points) {
    if (first) {
      canvas.moveTo(p);
    } else {
      canvas.lineTo(p);
    }
    first = false;
  }
  canvas.closePath();
  canvas.fillPath();
}

}  // namespace

const char* KeyboardDrawing::returnKeyTitle(ReturnKeyType type) {
  switch (type) {
    case ReturnKeyType::Go: return "前往";
    case ReturnKeyType::Google:
    case ReturnKeyType::Yahoo:
    case ReturnKeyType::Search: return "搜索";
    case ReturnKeyType::Join: return "加入";
    case ReturnKeyType::Next: return "下一项";
    case ReturnKeyType::Route: return "路线";
    case ReturnKeyType::Send: return "发送";
    case ReturnKeyType::Done: return "完成";
    case ReturnKeyType::EmergencyCall: return "紧急呼叫";
    case ReturnKeyType::Default: break;
  }
  return "换行";
}

void KeyboardDrawing::draw(Canvas& canvas, const Rect& frame, ReturnKeyType returnKey) {
  canvas.save();
  canvas.clip(frame);
  canvas.drawLinearGradient({{0, Color::rgba8(150, 156, 170)}, {1, Color::rgba8(190, 194, 204)}},
                            Point{0, frame.minY()}, Point{0, frame.maxY()});
  canvas.setFillColor(Color::rgba8(100, 104, 116));
  canvas.fillRect(Rect(frame.minX(), frame.minY(), frame.size.width, 1));
  canvas.translate(frame.minX(), frame.minY());
  // The keys are laid out for the portrait keyboard and stretched to the frame: wider and
  // flatter keys across a landscape interface, the titles and symbols scaled evenly.
  const float sx = frame.size.width / kDesignWidth;
  const float sy = frame.size.height / kDesignHeight;
  const float even = std::min(sx, sy);
  auto key = [&](float x, float y, float w, float h) { return Rect(x * sx, y * sy, w * sx, h * sy); };
  // A symbol drawn about the centre of the key `on`, given in design points around `centre`.
  auto symbol = [&](const Rect& on, Point centre, std::initializer_list<Point> points) {
    canvas.save();
    canvas.translate(on.midX(), on.midY());
    canvas.scale(even, even);
    canvas.translate(-centre.x, -centre.y);
    fillPolygon(canvas, points);
    canvas.restore();
  };
  const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  const float starts[] = {3, 19, 51};
  for (int r = 0; r < 3; ++r) {
    const float y = kTop + kRowPitch * static_cast<float>(r);
    const std::string letters = rows[r];
    for (size_t i = 0; i < letters.size(); ++i) {
      drawKey(canvas, key(starts[r] + kLetterPitch * static_cast<float>(i), y, kLetterWidth, kKeyHeight),
              std::string(1, letters[i]), false, 20 * even);
    }
  }
  const float third = kTop + kRowPitch * 2;
  const Rect shift = key(1, third, 42, kKeyHeight);
  const Rect erase = key(277, third, 42, kKeyHeight);
  drawKey(canvas, shift, "", true, 18 * even);
  drawKey(canvas, erase, "", true, 18 * even);
  // Shift: an arrow up; delete: a tag pointing left.
  canvas.setFillColor(Color::whiteColor());
  symbol(shift, Point{22, 21}, {{22, 11}, {32, 22}, {26, 22}, {26, 31}, {18, 31}, {18, 22}, {12, 22}});
  symbol(erase, Point{298, 21}, {{286, 21}, {293, 13}, {310, 13}, {310, 29}, {293, 29}});
  const float bottom = kTop + kRowPitch * 3;
  drawKey(canvas, key(1, bottom, 38, kKeyHeight), "123", true, 14 * even);
  drawKey(canvas, key(43, bottom, 38, kKeyHeight), "中", true, 14 * even);
  drawKey(canvas, key(85, bottom, 152, kKeyHeight), "空格", false, 14 * even);
  drawKey(canvas, key(241, bottom, 78, kKeyHeight), returnKeyTitle(returnKey), true, 14 * even);
  canvas.restore();
}

}  // namespace zu::ui
