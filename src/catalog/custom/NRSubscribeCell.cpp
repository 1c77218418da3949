#include "catalog/custom/NRSubscribeCell.h"

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/TableView.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

NRSubscribeCell::NRSubscribeCell(const std::string& reuseIdentifier)
    : TableViewCell(ui::TableViewCellStyle::Default, reuseIdentifier) {
  const auto& skin = NRSkinManager::sharedManager();
  const ui::Rect bounds = this->bounds();
  selectedBackgroundImageView_ = std::make_shared<ui::ImageView>(bounds);
  selectedBackgroundImageView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth |
                                                    ui::kAutoresizingFlexibleHeight);
  selectedBackgroundImageView_->setHidden(true);
  contentView()->addSubview(selectedBackgroundImageView_);

  iconImageView_ = std::make_shared<ui::ImageView>();
  iconImageView_->setImage(skin.imageWithCodeName("imageKdccDefaultIcon"));
  titleLabel_ = std::make_shared<ui::Label>();
  detailTitleLable_ = std::make_shared<ui::Label>();
  for (const auto& label : {titleLabel_, detailTitleLable_}) {
    label->setBackgroundColor(ui::Color::clearColor());
    label->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  }
  topLine_ = std::make_shared<ui::ImageView>();
  topLine_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  bottomLine_ = std::make_shared<ui::ImageView>();
  bottomLine_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleTopMargin);
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{iconImageView_, titleLabel_,
                                                                           detailTitleLable_, topLine_, bottomLine_}) {
    contentView()->addSubview(view);
  }

  subscribeButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom);
  subscribeButton_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) { subscribeButtonAction(); });
  setSubscribeButtonImages();
  subscribeButton_->setHidden(true);
  contentView()->addSubview(subscribeButton_);

  waitingImageView_ = makeWaitingImageView();
  contentView()->addSubview(waitingImageView_);
}

std::shared_ptr<ui::ImageView> NRSubscribeCell::makeWaitingImageView() {
  auto view = std::make_shared<ui::ImageView>();
  auto waiting = ui::Image::named("contentC_add_btn_empty.png");
  view->setImage(waiting);
  if (waiting) view->setFrame(ui::Rect(ui::Point{0, 0}, waiting->size()));
  auto spinner = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  const ui::Rect box = view->bounds();
  spinner->setCenter(ui::Point{box.size.width / 2, box.size.height / 2});
  spinner->startAnimating();
  view->addSubview(spinner);
  view->setHidden(true);
  return view;
}

std::shared_ptr<NRSubscribeCell> NRSubscribeCell::cellWithColumn(const std::shared_ptr<Column>& column,
                                                                 const std::shared_ptr<ui::TableView>& tableView) {
  std::shared_ptr<NRSubscribeCell> cell;
  if (tableView) cell = std::dynamic_pointer_cast<NRSubscribeCell>(tableView->dequeueReusableCell(kReuseIdentifier));
  if (!cell) cell = std::make_shared<NRSubscribeCell>();
  cell->resetWithColumn(column, tableView);
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  return cell;
}

void NRSubscribeCell::setSubscribeButtonImages() {
  const auto& skin = NRSkinManager::sharedManager();
  subscribeButton_->setBackgroundImage(skin.imageWithCodeName("imageKdccSubscribeNormal"), ui::kControlStateNormal);
  subscribeButton_->setBackgroundImage(skin.imageWithCodeName("imageKdccSubscribeHighlighted"),
                                       ui::kControlStateHighlighted);
  subscribeButton_->setBackgroundImage(skin.imageWithCodeName("imageKdccSubscribeDisabled"), ui::kControlStateDisabled);
}

void NRSubscribeCell::resetWithColumn(const std::shared_ptr<Column>& column,
                                      const std::shared_ptr<ui::TableView>& tableView) {
  column_ = column;
  fatherTableView_ = tableView;
  topLine_->setHidden(true);
  bottomLine_->setHidden(true);
  setSubscribeButtonImages();
}

void NRSubscribeCell::showLine(bool show, bool onTop) { (onTop ? topLine_ : bottomLine_)->setHidden(!show); }

void NRSubscribeCell::subscribeButtonAction() {
  auto delegate = delegate_.lock();
  if (!delegate) return;
  if (waitingImageView_) waitingImageView_->setHidden(false);
  delegate->subscribeButtonPressedWithColumn(column_);
}

std::shared_ptr<ui::TableViewCell> NRSubscribeCell::cellUpon() const {
  auto table = fatherTableView_.lock();
  if (!table) return nullptr;
  auto path = table->indexPathForCell(this);
  if (!path) return nullptr;
  if (path->row > 0) return table->cellForRow(ui::IndexPath::forRow(path->row - 1, path->section));
  if (path->section == 0) return nullptr;
  const int64_t rows = table->numberOfRowsInSection(path->section - 1);
  return rows > 0 ? table->cellForRow(ui::IndexPath::forRow(rows - 1, path->section - 1)) : nullptr;
}

void NRSubscribeCell::dropWaitingImageView() {
  if (!waitingImageView_) return;
  waitingImageView_->removeFromSuperview();
  waitingImageView_.reset();
}

void NRSubscribeCell::setSelected(bool selected, bool animated) {
  TableViewCell::setSelected(selected, animated);
  if (auto parent = superview()) parent->bringSubviewToFront(shared());
  selectedBackgroundImageView_->setHidden(!selected);
}

}  // namespace zu
