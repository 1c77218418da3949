// KeyboardDrawing: the picture of the on-screen keyboard that the renderer puts at the
// keyboard's frame while a text field or text view is first responder (Keyboard::isVisible).
// Stateless; main thread, like the canvas it draws on.
//
// Kept from the phone: the 320 × 216 letter keyboard — three rows of letter keys (QWERTY), shift
// and delete beside the last, then the number key, the space bar ("空格") and the return key
// titled by the first responder's return key type ("换行", "完成", "发送", "搜索", …) — and the
// 480 × 162 landscape one, the same keys wider and flatter (KeyboardLayout places them). Shift
// while on is a light key with a dark arrow.
// Where we differ on purpose: one layout for every keyboard type (the number and language keys
// do nothing: no other layer is drawn), no key pop-ups.
#pragma once

#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/TextInput.h"

namespace zu::ui {

class Canvas;

class KeyboardDrawing {
 public:
  KeyboardDrawing() = delete;

  // Draws the keyboard filling `frame` (in the interface's space: 320 × 216 in portrait,
  // 480 × 162 in landscape), its shift key on when `shifted`.
  static void draw(Canvas& canvas, const Rect& frame, ReturnKeyType returnKey, bool shifted = false);
  // The return key's title for a return key type.
  static const char* returnKeyTitle(ReturnKeyType type);
};

}  // namespace zu::ui
