#include "views/MLUILabel.h"

namespace zu {

void MLUILabel::setVerticalAlignment(int alignment) {
  verticalAlignment_ = alignment;
  setNeedsDisplay();
}

ui::Rect MLUILabel::textRectForBounds(const ui::Rect& bounds, int numberOfLines) const {
  const ui::Rect text = ui::Label::textRectForBounds(bounds, numberOfLines);
  float y = 0;
  switch (verticalAlignment_) {
    case 0:
      y = bounds.origin.y;
      break;
    case 1:
      y = bounds.origin.y + (bounds.size.height - text.size.height) * 0.5f;
      break;
    case 2:
      y = bounds.origin.y + bounds.size.height - text.size.height;
      break;
    default:
      return bounds;
  }
  return ui::Rect(ui::Point{bounds.origin.x, y}, text.size);
}

void MLUILabel::drawTextInRect(ui::Canvas& canvas, const ui::Rect& rect) {
  ui::Label::drawTextInRect(canvas, textRectForBounds(rect, numberOfLines()));
}

}  // namespace zu
