#include "catalog/centre/ColumnCell.h"

#include <cmath>
#include <string>

#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/EntryCategory.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSubscribe.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/TableView.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/StarsView.h"

namespace zu {

namespace {

std::shared_ptr<ui::Label> clearLabel(ui::NibLoading& file, const ui::Rect& frame, float fontSize) {
  auto label = file.make<ui::Label>(frame);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::systemFont(fontSize));
  return label;
}

void skinLabel(ui::Label* label, const char* colour, const char* font) {
  if (!label) return;
  const auto& skin = NRSkinManager::sharedManager();
  if (auto c = skin.colorWithCodeName(colour)) label->setTextColor(*c);
  if (auto f = skin.fontWithCodeName(font)) label->setFont(*f);
}

void hide(ui::View* view, bool hidden) {
  if (view) view->setHidden(hidden);
}

}  // namespace

// A 320 × 60 row: the 48-point cover at the left, the title above and, below it, either the
// category's description or the stars and the subscriber count; the subscribe button or the
// arrow at the right; the category's count badge over the cover's corner.
void ColumnCell::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ColumnCell>();
  cell->setFrame(ui::Rect(0, 0, 320, kRowHeight));
  auto bg = file.make<ui::View>(ui::Rect(0, 0, 320, kRowHeight));
  bg->setBackgroundColor(ui::Color::clearColor());
  bg->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto cover = file.make<ui::ImageView>(ui::Rect(8, 6, 48, 48));
  cover->setContentMode(ui::ContentMode::ScaleAspectFill);
  auto title = clearLabel(file, ui::Rect(64, 8, 170, 20), 16);
  auto tag = clearLabel(file, ui::Rect(64, 32, 220, 18), 12);
  auto stars = file.make<StarsView>(ui::Rect(64, 34, 60, 12));
  auto subscription = clearLabel(file, ui::Rect(130, 32, 100, 16), 12);
  auto button = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(239, 14, 75, 32));
  auto arrow = file.make<ui::ImageView>(ui::Rect(296, 23, 10, 14));
  auto numberBackground = file.make<ui::ImageView>(ui::Rect(42, 2, 22, 18));
  auto number = clearLabel(file, ui::Rect(42, 2, 22, 18), 11);
  number->setTextAlignment(ui::TextAlignment::Center);
  number->setTextColor(ui::Color::whiteColor());
  auto bottom = file.make<ui::ImageView>(ui::Rect(0, kRowHeight - 2, 320, 2));
  bottom->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleTopMargin);
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{
           bg, cover, title, tag, stars, subscription, button, arrow, numberBackground, number, bottom}) {
    cell->contentView()->addSubview(part);
  }
  file.connect([=] {
    cell->bgView_ = bg;
    cell->coverImageView_ = cover;
    cell->titleLabel_ = title;
    cell->tagLabel_ = tag;
    cell->starsView_ = stars;
    cell->subscriptionLabel_ = subscription;
    cell->subscribeButton_ = button;
    cell->bottomLine_ = bottom;
    cell->numberLabel_ = number;
    cell->numberBackground_ = numberBackground;
    cell->arrowImageView_ = arrow;
  });
}

void ColumnCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

ColumnCell::ColumnCell() : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

std::shared_ptr<ColumnCell> ColumnCell::columnCellWithTableView(ui::TableView* table,
                                                                const std::shared_ptr<Column>& column,
                                                                int context) {
  std::shared_ptr<ColumnCell> cell;
  if (table) cell = std::dynamic_pointer_cast<ColumnCell>(table->dequeueReusableCell(kReuseIdentifier));
  if (!cell) {
    auto objects = ui::NibRegistry::shared().load(kNibName, nullptr);
    cell = objects.empty() ? nullptr : std::dynamic_pointer_cast<ColumnCell>(objects.front());
    if (!cell) return nullptr;
    if (cell->coverImageView_) {
      cell->coverImageView_->setClipsToBounds(true);
      cell->coverImageView_->layer().cornerRadius = 4;
      cell->coverImageView_->layer().borderWidth = 0;
    }
    if (cell->subscribeButton_) {
      std::weak_ptr<ColumnCell> weak = cell;
      cell->subscribeButton_->setUserInteractionEnabled(true);
      cell->subscribeButton_->addTarget(cell.get(), ui::kControlEventTouchUpInside, [weak](ui::Control&) {
        if (auto self = weak.lock()) self->buttonPressed();
      });
    }
  }
  cell->fill(column, context);
  return cell;
}

void ColumnCell::fill(const std::shared_ptr<Column>& column, int context) {
  column_ = column;
  const auto& skin = NRSkinManager::sharedManager();
  if (titleLabel_) titleLabel_->setText(column ? column->title().value_or("") : "");
  if (tagLabel_) {
    const auto& content = column ? column->content() : nullptr;
    tagLabel_->setText(content ? content->data().value_or("") : "");
  }
  if (numberLabel_) {
    numberLabel_->setShadowColor(ui::Color(0, 0, 0, 0.5f));
  }
  if (bottomLine_) bottomLine_->setImage(skin.imageWithCodeName("imageKdpTableViewCellBottomLine"));
  if (arrowImageView_) arrowImageView_->setImage(skin.imageWithCodeName("imageKdpCustomDisclosureIndicator"));
  skinLabel(titleLabel_.get(), "colorKdccCellTitle", "fontKdccCellTitle");
  skinLabel(tagLabel_.get(), "colorKdccCellDetail", "fontKdccCellDetail");
  skinLabel(subscriptionLabel_.get(), "colorKdccCellSubscribedNumber", "fontKdccCellSubscribedNumber");
  setAccessoryType(ui::TableViewCellAccessoryType::None);

  const bool category = context == 0 && column && column->alternatelink();
  hide(arrowImageView_.get(), !category);
  hide(tagLabel_.get(), !category);
  hide(subscribeButton_.get(), category);
  hide(starsView_.get(), category);
  hide(subscriptionLabel_.get(), category);
  const auto& entryCategory = column ? column->category() : nullptr;
  const int32_t count = entryCategory ? entryCategory->count() : 0;
  if (category && numberLabel_) numberLabel_->setText(std::to_string(count));
  // The badge stays hidden in every case: a count of 1 or more hides it as the catalogue always
  // did, and a row must not keep a badge its previous column showed.
  hide(numberLabel_.get(), true);
  hide(numberBackground_.get(), true);
  if (category) return;

  const auto& ranking = column ? column->veskRanking() : nullptr;
  if (starsView_) starsView_->markedStar("tinystar", ranking ? ranking->wholeValue() : 0);
  const auto& subscribe = column ? column->veskSubscribe() : nullptr;
  if (subscribeButton_) {
    subscribeButton_->setBackgroundImage(skin.imageWithCodeName("imageKdccSubscribeNormal"), ui::kControlStateNormal);
    subscribeButton_->setBackgroundImage(skin.imageWithCodeName("imageKdccSubscribeHighlighted"),
                                         ui::kControlStateHighlighted);
    subscribeButton_->setBackgroundImage(skin.imageWithCodeName("imageKdccSubscribeDisabled"),
                                         ui::kControlStateDisabled);
    subscribeButton_->setEnabled(context != 0 || !subscribe || subscribe->subscribed() != 1);
  }
  if (subscriptionLabel_) {
    subscriptionLabel_->setText(std::to_string(subscribe ? subscribe->times() : 0) + "人订阅");
  }
}

void ColumnCell::buttonPressed() {
  if (subscribeButton_) subscribeButton_->setEnabled(false);
  auto delegate = metaDelegate_.lock();
  if (!delegate) return;
  const auto& subscribe = column_ ? column_->veskSubscribe() : nullptr;
  if (subscribe && subscribe->subscribed() == 1) {
    delegate->dissubscribe(column_);
  } else {
    delegate->subscribe(column_);
  }
}

}  // namespace zu
