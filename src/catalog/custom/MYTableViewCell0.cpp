#include "catalog/custom/MYTableViewCell0.h"

#include "catalog/custom/NRSubscribeCell.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"

namespace zu {

MYTableViewCell0::MYTableViewCell0(const std::string& reuseIdentifier)
    : TableViewCell(ui::TableViewCellStyle::Subtitle, reuseIdentifier) {
  setBackgroundColor(ui::Color::clearColor());
  contentView()->setBackgroundColor(ui::Color::clearColor());
  bottomLine_ = std::make_shared<ui::ImageView>();
  bottomLine_->setImage(ui::Image::named("contentC_list_line.png"));
  contentView()->addSubview(bottomLine_);
  waitingImageView_ = NRSubscribeCell::makeWaitingImageView();
  contentView()->addSubview(waitingImageView_);
}

void MYTableViewCell0::setBinded(bool binded) {
  binded_ = binded;
  setNeedsLayout();
}

void MYTableViewCell0::setAccessoryButton(std::shared_ptr<ui::Button> button) {
  if (accessoryButton_) accessoryButton_->removeFromSuperview();
  accessoryButton_ = std::move(button);
  if (accessoryButton_) contentView()->addSubview(accessoryButton_);
  setNeedsLayout();
}

void MYTableViewCell0::layoutSubviews() {
  TableViewCell::layoutSubviews();
  const ui::Size size = bounds().size;
  imageView()->setFrame(ui::Rect(13, 12, 45, 45));
  textLabel()->setFrame(ui::Rect(64, 12, 300, 21));
  detailTextLabel()->setFrame(ui::Rect(64, 42, 300, 16));
  if (accessoryButton_) {
    if (binded_) {
      accessoryButton_->setFrame(ui::Rect(size.width - 61, 0, 58, 56));
      waitingImageView_->setCenter(accessoryButton_->center());
      contentView()->bringSubviewToFront(waitingImageView_);
    } else {
      accessoryButton_->setFrame(ui::Rect(size.width - 24, 22, 9, 14));
    }
  }
  bottomLine_->setFrame(ui::Rect(13, size.height - 1, size.width - 26, 1));
}

}  // namespace zu
