// MLUILabel: a label that puts its text at the top (0), in the middle (1) or at the bottom (2)
// of its bounds instead of always in the middle. Main thread; std::make_shared.
//
// Kept from the phone: the text rectangle keeps the bounds' x and the size the label's own text
// rectangle gives, and moves its y by the alignment; any other alignment value gives the whole
// bounds, so the label draws exactly as a plain label. A new label aligns to the top; changing
// the alignment asks for a redraw.
#pragma once

#include "platform/ui/views/Label.h"

namespace zu {

class MLUILabel : public ui::Label {
 public:
  explicit MLUILabel(const ui::Rect& frame = ui::Rect()) : ui::Label(frame) {}

  int verticalAlignment() const { return verticalAlignment_; }
  void setVerticalAlignment(int alignment);

  ui::Rect textRectForBounds(const ui::Rect& bounds, int numberOfLines) const override;
  void drawTextInRect(ui::Canvas& canvas, const ui::Rect& rect) override;

 private:
  int verticalAlignment_ = 0;
};

}  // namespace zu
