#include "shell/skin/MBarButtonItem.h"

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/text/TextMetrics.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kFontCode = "fontKdpNavigationItem";

}  // namespace

float MBarButtonItem::titleWidth(const std::optional<std::string>& title, const ui::Button& button) {
  if (!title) return 0;
  return ui::TextMetrics::current().sizeOf(*title, button.titleLabel()->font()).width;
}

std::shared_ptr<ui::Button> MBarButtonItem::makeTitledButton(const std::optional<std::string>& title,
                                                             const void* target, ui::Control::Action action) {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  auto button = ui::Button::create(ui::ButtonType::Custom);
  if (auto font = skin.fontWithCodeName(kFontCode)) button->titleLabel()->setFont(*font);
  button->setTitleColor(skin.colorWithCodeName("colorKdpNavigationItemTitleNormal"), ui::kControlStateNormal);
  button->setTitleColor(skin.colorWithCodeName("colorKdpNavigationItemTitleHighlighted"),
                        ui::kControlStateHighlighted);
  button->setTitleColor(skin.colorWithCodeName("colorKdpNavigationItemTitleDisabled"), ui::kControlStateDisabled);
  button->setTitleShadowColor(skin.colorWithCodeName("colorKdpNavigationItemTitleShadowNormal"),
                              ui::kControlStateNormal);
  button->setTitleShadowColor(skin.colorWithCodeName("colorKdpNavigationItemTitleShadowHighlighted"),
                              ui::kControlStateHighlighted);
  button->setTitleShadowColor(skin.colorWithCodeName("colorKdpNavigationItemTitleShadowDisabled"),
                              ui::kControlStateDisabled);
  button->titleLabel()->setShadowOffset(ui::Size{0, -1});
  button->setTitle(title, ui::kControlStateNormal);
  if (action) button->addTarget(target, ui::kControlEventTouchUpInside, std::move(action));
  return button;
}

std::shared_ptr<ui::BarButtonItem> MBarButtonItem::barButtonItemWithTitle(
    const std::optional<std::string>& title, const std::shared_ptr<ui::Image>& normalImage,
    const std::shared_ptr<ui::Image>& highlightedImage, const void* target, ui::Control::Action action) {
  auto button = makeTitledButton(title, target, std::move(action));
  const int leftCap = normalImage ? static_cast<int>(normalImage->size().width / 2) : 0;
  auto normal = normalImage ? normalImage->stretchableImage(leftCap, 0) : nullptr;
  auto highlighted = highlightedImage ? highlightedImage->stretchableImage(leftCap, 0) : nullptr;
  const ui::Point origin = button->frame().origin;
  button->setFrame(ui::Rect(origin.x, origin.y, titleWidth(title, *button) + kTitlePadding,
                            normal ? normal->size().height : 0));
  button->setBackgroundImage(normal, ui::kControlStateNormal);
  button->setBackgroundImage(highlighted, ui::kControlStateHighlighted);
  return std::make_shared<ui::BarButtonItem>(button);
}

std::shared_ptr<ui::Button> MBarButtonItem::buttonItemWithTitle(const std::optional<std::string>& title,
                                                                const void* target, ui::Control::Action action) {
  auto button = makeTitledButton(title, target, std::move(action));
  const ui::Point origin = button->frame().origin;
  button->setFrame(ui::Rect(origin.x, origin.y, titleWidth(title, *button) + kTitlePadding, kPlainHeight));
  return button;
}

}  // namespace zu
