// VerticalLineCell: the profile editor's vertical divider on a table cell, between a row's title
// and its value. addVerticalLineAtPosition adds a view 1 point wide at x, as high as the cell's
// frame, in the colour, resizing with the cell in every direction and tagged kVerticalLineTag;
// removeVerticalLine takes the view so tagged away. Main thread, like the cell.
#pragma once

#include "platform/ui/drawing/Color.h"

namespace zu {

namespace ui {
class TableViewCell;
}  // namespace ui

class VerticalLineCell {
 public:
  static constexpr int kVerticalLineTag = 20000;

  VerticalLineCell() = delete;

  static void addVerticalLineAtPosition(ui::TableViewCell& cell, float x, const ui::Color& color);
  static void removeVerticalLine(ui::TableViewCell& cell);
};

}  // namespace zu
