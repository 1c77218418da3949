#include "share/compose/ShareTableCellText.h"

#include "platform/runtime/StringUtil.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/input/Touch.h"
#include "share/compose/PostTextDelegate.h"
#include "share/compose/ShareTextView.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

std::shared_ptr<ui::Label> clearLabel(ui::NibLoading& file, const ui::Rect& frame, float size, int tag) {
  auto label = file.make<ui::Label>(frame);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::systemFont(size));
  label->setTag(tag);
  return label;
}

}  // namespace

void ShareTableCellText::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ShareTableCellText>();
  cell->setFrame(ui::Rect(0, 0, 300, 154));
  auto content = cell->contentView();

  auto title = clearLabel(file, ui::Rect(28, 2, 60, 24), 13, kTagToggleLabel);
  title->setText("评论");
  // The view moved right on newer systems: the toggle and its label sit in it.
  auto toggleGroup = file.make<ui::View>(ui::Rect(4, 122, 90, 28));
  toggleGroup->setTag(kTagTitle);
  auto toggle = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 2, 24, 24));
  toggle->setTag(kTagToggle);
  toggleGroup->addSubview(toggle);
  toggleGroup->addSubview(title);

  auto board = file.make<ui::ImageView>();
  board->setFrame(ui::Rect(8, 8, 284, 110));
  auto text = file.make<ShareTextView>(ui::Rect(12, 10, 276, 106));
  text->setTag(kTagText);
  auto frame = file.make<ui::ImageView>();
  frame->setFrame(ui::Rect(204, 22, 80, 80));
  frame->setTag(kTagPictureFrame);
  auto preview = file.make<ui::ImageView>();
  preview->setFrame(ui::Rect(210, 28, 68, 68));
  preview->setContentMode(ui::ContentMode::ScaleAspectFit);
  preview->setTag(kTagPreview);
  auto pictureButton = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(204, 22, 80, 80));
  pictureButton->setTag(kTagPictureButton);
  auto clip = file.make<ui::ImageView>();
  clip->setFrame(ui::Rect(266, 10, 20, 40));
  clip->setTag(kTagClip);

  auto words = clearLabel(file, ui::Rect(150, 124, 76, 24), 13, kTagCountWords);
  words->setTextAlignment(ui::TextAlignment::Right);
  auto number = clearLabel(file, ui::Rect(228, 124, 40, 24), 15, kTagCountNumber);
  number->setFont(ui::Font::boldSystemFont(15));
  number->setTextAlignment(ui::TextAlignment::Center);
  auto unit = clearLabel(file, ui::Rect(268, 124, 20, 24), 13, kTagCountUnit);
  unit->setText("字");

  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{
           board, text, frame, pictureButton, preview, clip, toggleGroup, words, number, unit}) {
    content->addSubview(part);
  }
  file.connect([cell, title, text, board, number, words] {
    cell->shareTitle_ = title;
    cell->shareText_ = text;
    cell->inputBackground_ = board;
    cell->count1_ = number;
    cell->count2_ = words;
  });
}

void ShareTableCellText::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

std::shared_ptr<ShareTableCellText> ShareTableCellText::cellFromNib() {
  const auto objects = ui::NibRegistry::shared().load(kNibName);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<ShareTableCellText>(objects.front());
}

ShareTableCellText::ShareTableCellText()
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

void ShareTableCellText::awakeFromNib() {
  TableViewCell::awakeFromNib();
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (inputBackground_) inputBackground_->setImage(skin.imageWithCodeName("imageKdssInputBoard"));
  if (auto color = skin.colorWithCodeName("colorKdnrShareCountText")) {
    if (count1_) count1_->setTextColor(*color);
    if (count2_) count2_->setTextColor(*color);
    if (auto unit = std::dynamic_pointer_cast<ui::Label>(viewWithTag(kTagCountUnit))) unit->setTextColor(*color);
  }
  // The toggle's word in the skin's row title colour: dark on the day row, light on the night one.
  if (auto toggleWord = std::dynamic_pointer_cast<ui::Label>(viewWithTag(kTagToggleLabel))) {
    if (auto color = skin.colorWithCodeName("colorKdmsCellTitle")) toggleWord->setTextColor(*color);
  }
  if (shareText_) {
    if (auto color = skin.colorWithCodeName("colorKdnrShareWriteText")) shareText_->setTextColor(*color);
    shareText_->setDelegate(std::static_pointer_cast<ShareTableCellText>(shared_from_this()));
  }
}

void ShareTableCellText::updateCounter() {
  const auto length = static_cast<int64_t>(StringUtil::utf16Length(shareText_ ? shareText_->text() : std::string()));
  const int64_t left = maxInputNumber_ - length;
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  const char* colorCode = left < 0 ? "colorKdnrShareCountOut"
                          : left < 11 ? "colorKdnrShareCount10More"
                                      : "colorKdnrShareCountNormal";
  if (count1_) {
    count1_->setText(std::to_string(left < 0 ? -left : left));
    if (auto color = skin.colorWithCodeName(colorCode)) count1_->setTextColor(*color);
  }
  if (count2_) count2_->setText(left < 0 ? kOverWords : kLeftWords);
}

void ShareTableCellText::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  if (shareText_ && shareText_->isFirstResponder()) {
    bool inText = false;
    for (const auto& touch : touches) {
      inText = inText || shareText_->bounds().contains(touch->locationInView(shareText_.get()));
    }
    if (!inText) shareText_->resignFirstResponder();
  }
  TableViewCell::touchesBegan(touches, event);
}

void ShareTableCellText::textViewDidChange(ui::TextView& textView) {
  updateCounter();
  if (auto delegate = delegate_.lock()) delegate->didChangePostText(textView.text());
}

}  // namespace zu
