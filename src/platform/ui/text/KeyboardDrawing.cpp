#include "platform/ui/text/KeyboardDrawing.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/KeyboardLayout.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

namespace {

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

void KeyboardDrawing::draw(Canvas& canvas, const Rect& frame, ReturnKeyType returnKey, bool shifted) {
  canvas.save();
  canvas.clip(frame);
  canvas.drawLinearGradient({{0, Color::rgba8(150, 156, 170)}, {1, Color::rgba8(190, 194, 204)}},
                            Point{0, frame.minY()}, Point{0, frame.maxY()});
  canvas.setFillColor(Color::rgba8(100, 104, 116));
  canvas.fillRect(Rect(frame.minX(), frame.minY(), frame.size.width, 1));
  // The keys are laid out for the portrait keyboard and stretched to the frame: wider and
  // flatter keys across a landscape interface, the titles and symbols scaled evenly.
  const float even = std::min(frame.size.width / KeyboardLayout::kDesignWidth,
                              frame.size.height / KeyboardLayout::kDesignHeight);
  // A symbol drawn about the centre of the key `on`, given in design points around `centre`.
  auto symbol = [&](const Rect& on, Point centre, std::initializer_list<Point> points) {
    canvas.save();
    canvas.translate(on.midX(), on.midY());
    canvas.scale(even, even);
    canvas.translate(-centre.x, -centre.y);
    fillPolygon(canvas, points);
    canvas.restore();
  };
  for (const KeyboardKey& key : KeyboardLayout::keys(frame)) {
    switch (key.kind) {
      case KeyboardKey::Kind::Letter:
        drawKey(canvas, key.frame, std::string(1, key.letter), false, 20 * even);
        break;
      case KeyboardKey::Kind::Shift:
        // Shift: an arrow up, dark on a light key while it is on.
        drawKey(canvas, key.frame, "", !shifted, 18 * even);
        canvas.setFillColor(shifted ? Color::white(0.1f) : Color::whiteColor());
        symbol(key.frame, Point{22, 21}, {{22, 11}, {32, 22}, {26, 22}, {26, 31}, {18, 31}, {18, 22}, {12, 22}});
        break;
      case KeyboardKey::Kind::Delete:
        // Delete: a tag pointing left.
        drawKey(canvas, key.frame, "", true, 18 * even);
        canvas.setFillColor(Color::whiteColor());
        symbol(key.frame, Point{298, 21}, {{286, 21}, {293, 13}, {310, 13}, {310, 29}, {293, 29}});
        break;
      case KeyboardKey::Kind::Number: drawKey(canvas, key.frame, "123", true, 14 * even); break;
      case KeyboardKey::Kind::Language: drawKey(canvas, key.frame, "中", true, 14 * even); break;
      case KeyboardKey::Kind::Space: drawKey(canvas, key.frame, "空格", false, 14 * even); break;
      case KeyboardKey::Kind::Return: drawKey(canvas, key.frame, returnKeyTitle(returnKey), true, 14 * even); break;
    }
  }
  canvas.restore();
}

}  // namespace zu::ui
