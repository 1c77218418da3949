// KeyboardLayout: where the keys of the drawn keyboard lie — the one layout that KeyboardDrawing
// draws and Keyboard presses, so a click lands on the key it shows. Stateless; any thread.
//
// The keys are laid out for the 320 × 216 portrait keyboard and stretched to the frame given
// (480 × 162 across a landscape interface): three rows of letter keys (QWERTY), shift and delete
// beside the last, then the number key, the language key (中), the space bar and the return key.
// Each key reaches half the letter keys' gap beyond its face on every side, so a click in the
// gap between two letters or two rows presses the nearer key; the margins along the frame's
// edges belong to no key.
#pragma once

#include <optional>
#include <vector>

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

struct KeyboardKey {
  enum class Kind { Letter, Shift, Delete, Number, Language, Space, Return };
  Kind kind = Kind::Letter;
  char letter = 0;  // a letter key's letter, upper case as its cap shows it
  Rect frame;       // in the space of the frame the layout was asked for
  bool operator==(const KeyboardKey&) const = default;
};

class KeyboardLayout {
 public:
  static constexpr float kDesignWidth = 320;
  static constexpr float kDesignHeight = 216;

  KeyboardLayout() = delete;

  // Every key of a keyboard filling `frame`, row by row, left to right.
  static std::vector<KeyboardKey> keys(const Rect& frame);
  // The key a finger at `point` presses on a keyboard filling `frame`, or none.
  static std::optional<KeyboardKey> keyAt(const Rect& frame, Point point);
};

}  // namespace zu::ui
