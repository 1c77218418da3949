#include "platform/ui/text/KeyboardDrawing.h"

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

// A closed shape through `points`, moved down by `top`.
void fillPolygon(Canvas& canvas, std::initializer_list<Point> points, float top) {
  canvas.beginPath();
  bool first = true;
  for (Point p : points) {
    p.y += top;
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
  const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  const float starts[] = {3, 19, 51};
  for (int r = 0; r < 3; ++r) {
    const float y = kTop + kRowPitch * static_cast<float>(r);
    const std::string letters = rows[r];
    for (size_t i = 0; i < letters.size(); ++i) {
      drawKey(canvas, Rect(starts[r] + kLetterPitch * static_cast<float>(i), y, kLetterWidth, kKeyHeight),
              std::string(1, letters[i]), false, 20);
    }
  }
  const float third = kTop + kRowPitch * 2;
  drawKey(canvas, Rect(1, third, 42, kKeyHeight), "", true, 18);
  drawKey(canvas, Rect(277, third, 42, kKeyHeight), "", true, 18);
  // Shift: an arrow up; delete: a tag pointing left.
  canvas.setFillColor(Color::whiteColor());
  fillPolygon(canvas, {{22, 11}, {32, 22}, {26, 22}, {26, 31}, {18, 31}, {18, 22}, {12, 22}}, third);
  fillPolygon(canvas, {{286, 21}, {293, 13}, {310, 13}, {310, 29}, {293, 29}}, third);
  const float bottom = kTop + kRowPitch * 3;
  drawKey(canvas, Rect(1, bottom, 38, kKeyHeight), "123", true, 14);
  drawKey(canvas, Rect(43, bottom, 38, kKeyHeight), "中", true, 14);
  drawKey(canvas, Rect(85, bottom, 152, kKeyHeight), "空格", false, 14);
  drawKey(canvas, Rect(241, bottom, 78, kKeyHeight), returnKeyTitle(returnKey), true, 14);
  canvas.restore();
}

}  // namespace zu::ui
