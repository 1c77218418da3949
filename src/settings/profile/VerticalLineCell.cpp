#include "settings/profile/VerticalLineCell.h"

#include <memory>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

void VerticalLineCell::addVerticalLineAtPosition(ui::TableViewCell& cell, float x, const ui::Color& color) {
  auto line = std::make_shared<ui::View>(ui::Rect(x, 0, 1, cell.frame().size.height));
  line->setBackgroundColor(color);
  line->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight |
                            ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleRightMargin |
                            ui::kAutoresizingFlexibleTopMargin | ui::kAutoresizingFlexibleBottomMargin);
  line->setTag(kVerticalLineTag);
  cell.addSubview(line);
}

void VerticalLineCell::removeVerticalLine(ui::TableViewCell& cell) {
  if (auto line = cell.viewWithTag(kVerticalLineTag)) line->removeFromSuperview();
}

}  // namespace zu
