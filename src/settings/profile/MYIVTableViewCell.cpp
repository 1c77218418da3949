#include "settings/profile/MYIVTableViewCell.h"

#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"

namespace zu {

MYIVTableViewCell::MYIVTableViewCell(std::optional<std::string> reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Subtitle, std::move(reuseIdentifier)) {}

void MYIVTableViewCell::layoutSubviews() {
  ui::TableViewCell::layoutSubviews();
  imageView()->setFrame(ui::Rect(15, 10, 50, 50));
  auto shift = [](ui::View& view, float dx, float dy) {
    ui::Rect frame = view.frame();
    frame.origin.x += dx;
    frame.origin.y += dy;
    view.setFrame(frame);
  };
  shift(*textLabel(), 10, -8);
  shift(*detailTextLabel(), 10, -6);
}

}  // namespace zu
