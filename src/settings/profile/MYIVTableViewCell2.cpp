#include "settings/profile/MYIVTableViewCell2.h"

#include "platform/ui/views/Label.h"

namespace zu {

MYIVTableViewCell2::MYIVTableViewCell2(std::optional<std::string> reuseIdentifier, float detailWidth)
    : ui::TableViewCell(ui::TableViewCellStyle::Value2, std::move(reuseIdentifier)), detailWidth_(detailWidth) {}

void MYIVTableViewCell2::layoutSubviews() {
  ui::TableViewCell::layoutSubviews();
  ui::Rect frame = detailTextLabel()->frame();
  frame.origin.x += 10;
  frame.size.width = detailWidth_;
  detailTextLabel()->setFrame(frame);
}

}  // namespace zu
