#include "shell/detail/ColumnDetailHeaderView.h"

#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/widgets/StarsView.h"

namespace zu {

namespace {

// The cover at the left, the title beside it, and below the title the stars, the two detail
// texts and the three 90 × 30 buttons (subscribe and unsubscribe share a place).
constexpr float kWidth = 320;
constexpr float kHeight = 116;

std::shared_ptr<ui::Label> detailLabel(ui::NibLoading& file, const ui::Rect& frame) {
  auto label = file.make<ui::Label>(frame);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::systemFont(12));
  return label;
}

}  // namespace

std::shared_ptr<ui::Image> ColumnDetailHeaderView::defaultCover() {
  return ui::Image::named("column_cover_default.png");
}

void ColumnDetailHeaderView::build(ui::NibLoading& file) {
  auto view = file.makeTopLevel<ColumnDetailHeaderView>(ui::Rect(0, 0, kWidth, kHeight));
  view->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  view->setBackgroundColor(ui::Color::clearColor());
  auto cover = file.make<ui::ImageView>(ui::Rect(10, 10, 60, 60));
  cover->setContentMode(ui::ContentMode::ScaleAspectFill);
  cover->setImage(defaultCover());
  auto title = file.make<ui::Label>(ui::Rect(80, 10, 230, 22));
  title->setBackgroundColor(ui::Color::clearColor());
  title->setFont(ui::Font::named("Helvetica", 17));
  auto bottom = file.make<ui::View>(ui::Rect(80, 34, 230, 76));
  auto stars = file.make<StarsView>(ui::Rect(0, 0, 70, 14));
  auto subscription = detailLabel(file, ui::Rect(0, 18, 110, 16));
  auto frequency = detailLabel(file, ui::Rect(110, 18, 120, 16));
  auto subscribe = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 42, 90, 30));
  auto unsubscribe = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 42, 90, 30));
  auto comment = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(100, 42, 90, 30));
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{stars, subscription, frequency,
                                                                           subscribe, unsubscribe, comment}) {
    bottom->addSubview(part);
  }
  view->contentView()->addSubview(cover);
  view->contentView()->addSubview(title);
  view->contentView()->addSubview(bottom);
  file.connect([view, cover, title, bottom, stars, subscription, frequency, subscribe, unsubscribe, comment] {
    view->coverImageView_ = cover;
    view->titleLabel_ = title;
    view->bottomView_ = bottom;
    view->starsView_ = stars;
    view->subscriptionLabel_ = subscription;
    view->updateFrequencyLabel_ = frequency;
    view->subscribeButton_ = subscribe;
    view->unsubscribeButton_ = unsubscribe;
    view->commentButton_ = comment;
  });
}

void ColumnDetailHeaderView::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

ColumnDetailHeaderView::ColumnDetailHeaderView(const ui::Rect& frame)
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {
  setFrame(frame);
}

void ColumnDetailHeaderView::awakeFromNib() {
  TableViewCell::awakeFromNib();
  builtHeight_ = frame().size.height;
  if (titleLabel_) {
    builtTitleFrame_ = titleLabel_->frame();
    titleLabel_->setTextColor(MyFaceSettings::getColorForDetailViewTitleLabel());
  }
  if (bottomView_) builtBottomFrame_ = bottomView_->frame();
  for (const auto& label : {subscriptionLabel_, updateFrequencyLabel_}) {
    if (label) label->setTextColor(MyFaceSettings::getColorForDetailViewDetailLabel());
  }
  if (subscribeButton_) MyFaceSettings::setImageForDetailViewSubscribeButton(*subscribeButton_);
  if (unsubscribeButton_) MyFaceSettings::setImageForDetailViewUnsubscribeButton(*unsubscribeButton_);
  if (commentButton_) MyFaceSettings::setImageForDetailViewCommentButton(*commentButton_);
}

}  // namespace zu
