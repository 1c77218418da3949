#include "catalog/custom/NRSubscribeNoResultView.h"

#include "catalog/widgets/RyAttributedLabel.h"
#include "platform/ui/text/AttributedString.h"
#include "platform/ui/views/Label.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

ui::AttributedString commonText(const std::string& text) {
  const auto& skin = NRSkinManager::sharedManager();
  ui::AttributedString attributed(text);
  if (auto colour = skin.colorWithCodeName("colorKdccSelfNoresultSorryCommon")) attributed.setTextColor(*colour);
  if (auto font = skin.fontWithCodeName("fontKdccSelfNoresultSorryCommon")) attributed.setFont(*font);
  return attributed;
}

}  // namespace

NRSubscribeNoResultView::NRSubscribeNoResultView(const ui::Rect& frame) : View(frame) {
  const auto& skin = NRSkinManager::sharedManager();
  sorryLabel_ = std::make_shared<RyAttributedLabel>();
  sorryLabel_->setBackgroundColor(ui::Color::clearColor());
  addSubview(sorryLabel_);
  suggestLabel_ = std::make_shared<ui::Label>();
  suggestLabel_->setBackgroundColor(ui::Color::clearColor());
  if (auto font = skin.fontWithCodeName("fontKdccSelfNoresultSuggest")) suggestLabel_->setFont(*font);
  if (auto colour = skin.colorWithCodeName("colorKdccSelfNoresultSuggest")) suggestLabel_->setTextColor(*colour);
  addSubview(suggestLabel_);
}

void NRSubscribeNoResultView::setKeyword(const std::optional<std::string>& keyword) {
  const auto& skin = NRSkinManager::sharedManager();
  const std::string spaced = " " + keyword.value_or("") + " ";
  std::string text = kSorryFormat;
  text.replace(text.find("%@"), 2, spaced);
  auto attributed = commonText(text);
  const auto at = attributed.string().find(ui::AttributedString(spaced).string());
  if (at != std::u16string::npos) {
    const ui::TextRange range{at, ui::AttributedString(spaced).length()};
    if (auto colour = skin.colorWithCodeName("colorKdccSelfNoresultSorryKeyword")) {
      attributed.setTextColor(*colour, range);
    }
    if (auto font = skin.fontWithCodeName("fontKdccSelfNoresultSorryKeyword")) attributed.setFont(*font, range);
  }
  sorryLabel_->setAttributedText(attributed);
  suggestLabel_->setText(std::string(kSuggestion));
  layOut();
}

void NRSubscribeNoResultView::setQQAlert() {
  sorryLabel_->setAttributedText(commonText(kQQAlert));
  suggestLabel_->setText(std::string());
  layOut();
}

void NRSubscribeNoResultView::layOut() {
  auto text = sorryLabel_->attributedText();
  ui::Size size = text && text->length() > 0 ? RyAttributedLabel::sizeConstrainedToSize(*text, ui::Size{290, 160})
                                             : ui::Size{0, 0};
  size.height += 5;
  sorryLabel_->setFrame(ui::Rect(15, 18, size.width, size.height));
  suggestLabel_->setFrame(ui::Rect(15, 18 + size.height + 13, 290, 15));
}

}  // namespace zu
