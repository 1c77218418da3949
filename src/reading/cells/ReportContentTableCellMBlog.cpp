#include "reading/cells/ReportContentTableCellMBlog.h"

#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/support/ReadingLook.h"
#include "reading/cells/TextWrapAroundView.h"

namespace zu {

namespace {

// Where prepareForReuse puts the parts the list moves.
const ui::Rect kImageRest(50, 124, 66, 66);
const ui::Rect kImageFrameRest(48, 122, 70, 70);
const ui::Rect kTextRest(48, 36, 262, 480);

}  // namespace

void ReportContentTableCellMBlog::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ReportContentTableCellMBlog>();
  cell->setFrame(ui::Rect(0, 0, 320, 200));
  auto upper = file.make<ui::ImageView>(ui::Rect(0, 0, 320, 2));
  auto retweetBackground = file.make<ui::ImageView>(ui::Rect(44, 32, 270, 160));
  auto iconFrame = file.make<ui::ImageView>(ui::Rect(8, 8, 34, 34));
  auto icon = file.make<ui::ImageView>(ui::Rect(10, 10, 30, 30));
  auto name = file.make<ui::Label>(ui::Rect(48, 10, 180, 18));
  name->setFont(ui::Font::boldSystemFont(14));
  // Wide enough for the longest date the list writes ("yyyy年M月d日 HH:mm", an earlier year's).
  auto updated = file.make<ui::Label>(ui::Rect(170, 12, 140, 14));
  updated->setFont(ui::Font::systemFont(11));
  updated->setTextAlignment(ui::TextAlignment::Right);
  updated->setTextColor(ReadingLook::grey(153));
  auto retweet = file.make<ui::Label>(ui::Rect(48, 172, 262, 16));
  retweet->setFont(ui::Font::systemFont(12));
  retweet->setTextColor(ReadingLook::grey(136));
  auto text = file.make<TextWrapAroundView>(kTextRest);
  auto imageFrame = file.make<ui::View>(kImageFrameRest);
  imageFrame->setTag(kImageFrameTag);
  imageFrame->setBackgroundColor(ReadingLook::grey(221));
  auto image = file.make<ui::ImageView>(kImageRest);
  image->setContentMode(ui::ContentMode::ScaleAspectFill);
  image->setClipsToBounds(true);
  for (const auto& label : {name, updated, retweet}) label->setBackgroundColor(ui::Color::clearColor());
  const auto& content = cell->contentView();
  for (const std::shared_ptr<ui::View>& view : std::initializer_list<std::shared_ptr<ui::View>>{
           upper, retweetBackground, iconFrame, icon, name, updated, retweet, text, imageFrame,
           image}) {
    content->addSubview(view);
  }
  file.connect([=] {
    cell->upperLine_ = upper;
    cell->retweetBackground_ = retweetBackground;
    cell->iconFrame_ = iconFrame;
    cell->icon_ = icon;
    cell->name_ = name;
    cell->updated_ = updated;
    cell->retweet_ = retweet;
    cell->text_ = text;
    cell->image_ = image;
  });
}

void ReportContentTableCellMBlog::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

ReportContentTableCellMBlog::ReportContentTableCellMBlog()
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kNibName)) {}

void ReportContentTableCellMBlog::awakeFromNib() {
  TableViewCell::awakeFromNib();
  prepareForReuse();
  setNightMode(false);
}

void ReportContentTableCellMBlog::applyModeParts() {
  if (iconFrame_) iconFrame_->setImage(ReadingLook::image("weibo_pic_bg.png", nightMode_));
  if (name_) name_->setTextColor(ReadingLook::grey(nightMode_ ? 153 : 51));
  if (auto line = upperLine_.lock()) line->setImage(ReadingLook::image("listpage_line.png", nightMode_));
}

void ReportContentTableCellMBlog::setNightMode(bool night) {
  nightMode_ = night;
  applyModeParts();
  setSelectedBackgroundView(ReadingLook::pressBackground(night));
}

void ReportContentTableCellMBlog::prepareForReuse() {
  TableViewCell::prepareForReuse();
  applyModeParts();
  if (icon_) icon_->setImage(ui::Image::named(kDefaultAvatar));
  for (const auto& label : {name_, retweet_, updated_}) {
    if (label) label->setText("");
  }
  if (image_) {
    image_->setHidden(true);
    image_->setImage(nullptr);
    image_->setFrame(kImageRest);
  }
  if (auto frame = contentView()->viewWithTag(kImageFrameTag)) {
    frame->setHidden(true);
    frame->setFrame(kImageFrameRest);
  }
  if (text_) text_->setFrame(kTextRest);
}

void ReportContentTableCellMBlog::setHighlighted(bool highlighted, bool animated) {
  // The cell has no selection of its own: the platform's selection shows the highlight.
  TableViewCell::setSelected(highlighted, animated);
}

}  // namespace zu
