#include "platform/ui/text/KeyboardLayout.h"

namespace zu::ui {

namespace {

constexpr float kRowPitch = 54;
constexpr float kKeyHeight = 42;
constexpr float kTop = 12;
constexpr float kLetterWidth = 26;
constexpr float kLetterPitch = 32;
// Half the gap between two keys of a row, and between two rows, in design points.
constexpr float kHalfColumnGap = (kLetterPitch - kLetterWidth) / 2;
constexpr float kHalfRowGap = (kRowPitch - kKeyHeight) / 2;

}  // namespace

std::vector<KeyboardKey> KeyboardLayout::keys(const Rect& frame) {
  const float sx = frame.size.width / kDesignWidth;
  const float sy = frame.size.height / kDesignHeight;
  auto at = [&](float x, float y, float w) {
    return Rect(frame.minX() + x * sx, frame.minY() + y * sy, w * sx, kKeyHeight * sy);
  };
  std::vector<KeyboardKey> out;
  const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  const float starts[] = {3, 19, 51};
  for (int r = 0; r < 3; ++r) {
    const float y = kTop + kRowPitch * static_cast<float>(r);
    if (r == 2) out.push_back({KeyboardKey::Kind::Shift, 0, at(1, y, 42)});
    float x = starts[r];
    for (const char* c = rows[r]; *c; ++c, x += kLetterPitch) {
      out.push_back({KeyboardKey::Kind::Letter, *c, at(x, y, kLetterWidth)});
    }
    if (r == 2) out.push_back({KeyboardKey::Kind::Delete, 0, at(277, y, 42)});
  }
  const float bottom = kTop + kRowPitch * 3;
  out.push_back({KeyboardKey::Kind::Number, 0, at(1, bottom, 38)});
  out.push_back({KeyboardKey::Kind::Language, 0, at(43, bottom, 38)});
  out.push_back({KeyboardKey::Kind::Space, 0, at(85, bottom, 152)});
  out.push_back({KeyboardKey::Kind::Return, 0, at(241, bottom, 78)});
  return out;
}

std::optional<KeyboardKey> KeyboardLayout::keyAt(const Rect& frame, Point point) {
  const float sx = frame.size.width / kDesignWidth;
  const float sy = frame.size.height / kDesignHeight;
  for (const KeyboardKey& key : keys(frame)) {
    // Each key takes half the gap on every side of it.
    const Rect reach = key.frame.insetBy(-kHalfColumnGap * sx, -kHalfRowGap * sy);
    if (reach.contains(point)) return key;
  }
  return std::nullopt;
}

}  // namespace zu::ui
