#include "catalog/custom/NRSubscribeSelfdefCell.h"

#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/service/VeskSubscribe.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/TableView.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

NRSubscribeSelfdefCell::NRSubscribeSelfdefCell() : NRSubscribeCell(kReuseIdentifier) {
  // The subviews are placed in a 320 × 57 row; the cell then takes back the frame it had.
  const ui::Rect kept = frame();
  setFrame(ui::Rect(0, 0, 320, kHeight));
  selectedBackgroundImageView_->setFrame(bounds());
  iconImageView_->setFrame(ui::Rect(6, 8, 40, 40));
  iconImageView_->layer().cornerRadius = 2;
  iconImageView_->setClipsToBounds(true);
  titleLabel_->setFrame(ui::Rect(52, 10, 180, 18));
  detailTitleLable_->setFrame(ui::Rect(52, 31, 180, 16));
  subscribeButton_->setFrame(ui::Rect(239, 12, 75, 32));
  subscribeButton_->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin);
  bottomLine_->setFrame(ui::Rect(0, 55, 320, 2));
  setFrame(kept);
  dropWaitingImageView();
  applySkin();
}

std::shared_ptr<NRSubscribeSelfdefCell> NRSubscribeSelfdefCell::cellWithColumn(
    const std::shared_ptr<Column>& column, const std::shared_ptr<ui::TableView>& tableView,
    const std::optional<std::string>& coverPath) {
  std::shared_ptr<NRSubscribeSelfdefCell> cell;
  if (tableView) {
    cell = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(tableView->dequeueReusableCell(kReuseIdentifier));
  }
  if (!cell) cell = std::make_shared<NRSubscribeSelfdefCell>();
  cell->resetWithColumn(column, tableView, coverPath);
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  return cell;
}

void NRSubscribeSelfdefCell::applySkin() {
  const auto& skin = NRSkinManager::sharedManager();
  selectedBackgroundImageView_->setImage(nullptr);
  if (auto colour = skin.colorWithCodeName("colorKdmsCellBackground")) {
    selectedBackgroundImageView_->setBackgroundColor(*colour);
  }
  if (auto font = skin.fontWithCodeName("fontKdccCellTitle")) titleLabel_->setFont(*font);
  if (auto colour = skin.colorWithCodeName("colorKdccCellTitle")) titleLabel_->setTextColor(*colour);
  if (auto font = skin.fontWithCodeName("fontKdccCellDetail")) detailTitleLable_->setFont(*font);
  if (auto colour = skin.colorWithCodeName("colorKdccCellDetail")) detailTitleLable_->setTextColor(*colour);
  bottomLine_->setImage(skin.imageWithCodeName("imageKdpTableViewCellBottomLine"));
}

void NRSubscribeSelfdefCell::resetWithColumn(const std::shared_ptr<Column>& column,
                                             const std::shared_ptr<ui::TableView>& tableView,
                                             const std::optional<std::string>& coverPath) {
  NRSubscribeCell::resetWithColumn(column, tableView);
  std::shared_ptr<ui::Image> cover = coverPath ? ui::Image::fromFile(*coverPath) : nullptr;
  iconImageView_->setImage(cover ? cover : NRSkinManager::sharedManager().imageWithCodeName("imageKdccDefaultIcon"));
  titleLabel_->setText(column ? column->title().value_or("") : "");
  const auto& content = column ? column->content() : nullptr;
  detailTitleLable_->setText(content ? content->data().value_or("") : "");
  const auto& subscribe = column ? column->veskSubscribe() : nullptr;
  subscribeButton_->setHidden(false);
  subscribeButton_->setEnabled(!subscribe || subscribe->subscribed() != 1);
  applySkin();
  setNeedsLayout();
}

}  // namespace zu
