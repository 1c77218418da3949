#include "catalog/custom/NRSubscribeSearchWaitingView.h"

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/views/Label.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

NRSubscribeSearchWaitingView::NRSubscribeSearchWaitingView() : View(ui::Rect(0, 0, 132, 26)) {
  const auto& skin = NRSkinManager::sharedManager();
  indicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  indicator_->setFrame(ui::Rect(0, 0, 26, 26));
  indicator_->startAnimating();
  addSubview(indicator_);
  label_ = std::make_shared<ui::Label>(ui::Rect(34, 0, 98, 26));
  label_->setText(std::string(kText));
  if (auto font = skin.fontWithCodeName("fontKdccSelfWaitingLabel")) label_->setFont(*font);
  if (auto colour = skin.colorWithCodeName("colorKdccSelfWaitingLabel")) label_->setTextColor(*colour);
  label_->setBackgroundColor(ui::Color::clearColor());
  addSubview(label_);
}

}  // namespace zu
