#include "shell/skin/NRSkinManager.h"

#include <atomic>
#include <mutex>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/PropertyList.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/text/TextField.h"
#include "shell/skin/HexColor.h"
#include "shell/skin/MBarButtonItem.h"
#include "shell/skin/MNavigationBarDecorator.h"
#include "shell/app/MSSettings.h"

namespace zu {

namespace {

constexpr const char* kDefaultSkin = "Default";

// The shared manager, made once under the lock: the pointer is tested before and after
// taking it, so two first callers make one manager.
std::mutex& sharedLock() {
  static std::mutex lock;
  return lock;
}

std::atomic<NRSkinManager*>& sharedSlot() {
  static std::atomic<NRSkinManager*> slot{nullptr};
  return slot;
}

const Value* entry(const std::optional<Dictionary>& list, std::string_view codeName) {
  return list ? list->find(codeName) : nullptr;
}

std::optional<ui::Font> fontIn(const std::optional<Dictionary>& list, std::string_view codeName) {
  const Value* value = entry(list, codeName);
  if (!value) return std::nullopt;
  if (value->isNumber() || value->isString()) {
    return ui::Font::systemFont(static_cast<float>(value->doubleValue()));
  }
  const Dictionary* fields = value->asDictionary();
  if (!fields) return std::nullopt;
  const float size = static_cast<float>(fields->get("size").doubleValue());
  const std::string name = fields->get("name").stringValue().value_or("");
  if (!name.empty()) return ui::Font::named(name, size);
  if (fields->get("bold").boolValue()) return ui::Font::boldSystemFont(size);
  return ui::Font::systemFont(size);
}

std::optional<ui::Font> boldFontIn(const std::optional<Dictionary>& list, std::string_view codeName) {
  const Value* value = entry(list, codeName);
  if (!value) return std::nullopt;
  if (value->isNumber()) return ui::Font::systemFont(static_cast<float>(value->doubleValue()));
  if (const Dictionary* fields = value->asDictionary()) {
    return ui::Font::systemFont(static_cast<float>(fields->get("size").doubleValue()));
  }
  return std::nullopt;
}

std::optional<ui::Color> colorIn(const std::optional<Dictionary>& list, std::string_view codeName) {
  const Value* value = entry(list, codeName);
  if (!value) return std::nullopt;
  if (const std::string* text = value->asString()) return colorWithHexString(*text, 1.0f);
  const Dictionary* fields = value->asDictionary();
  if (!fields) return std::nullopt;
  return colorWithHexString(fields->get("color").stringValue().value_or(""),
                            static_cast<float>(fields->get("alpha").doubleValue()));
}

std::optional<std::string> imageNameIn(const std::optional<Dictionary>& list, std::string_view codeName) {
  const Value* value = entry(list, codeName);
  if (!value || !value->isString()) return std::nullopt;
  return *value->asString();
}

}  // namespace

NRSkinManager& NRSkinManager::sharedManager() {
  auto& slot = sharedSlot();
  if (NRSkinManager* manager = slot.load(std::memory_order_acquire)) return *manager;
  std::lock_guard<std::mutex> hold(sharedLock());
  if (NRSkinManager* manager = slot.load(std::memory_order_relaxed)) return *manager;
  auto* manager = new NRSkinManager();
  slot.store(manager, std::memory_order_release);
  return *manager;
}

void NRSkinManager::resetForTesting() {
  std::lock_guard<std::mutex> hold(sharedLock());
  delete sharedSlot().exchange(nullptr, std::memory_order_acq_rel);
}

NRSkinManager::NRSkinManager()
    : current_(loadLists(MSSettings::valueForSkinName())), default_(loadLists(kDefaultSkin)) {}

std::optional<Dictionary> NRSkinManager::dictionaryForPlistName(const std::string& kind,
                                                                const std::string& skinName) {
  if (auto path = Bundle::mainBundle()->pathForResource(kind + skinName, "plist")) {
    if (auto root = PropertyList::readFile(*path); root && root->isDictionary()) {
      return std::move(*root->asDictionary());
    }
  }
  if (skinName == kDefaultSkin) return std::nullopt;
  return dictionaryForPlistName(kind, kDefaultSkin);
}

NRSkinManager::Lists NRSkinManager::loadLists(const std::string& skinName) {
  Lists lists;
  lists.images = dictionaryForPlistName("skinImages", skinName);
  lists.fonts = dictionaryForPlistName("skinFonts", skinName);
  lists.colors = dictionaryForPlistName("skinColors", skinName);
  lists.others = dictionaryForPlistName("skinOthers", skinName);
  return lists;
}

template <typename Lookup>
auto NRSkinManager::lookUp(std::optional<Dictionary> Lists::*kind, Lookup lookup) const
    -> decltype(lookup(nullptr)) {
  if (auto found = lookup(&(current_.*kind))) return found;
  return lookup(&(default_.*kind));
}

void NRSkinManager::changeSkin(const std::string& skinName) {
  MSSettings::setValueForSkinName(skinName);
  current_ = Lists();
  current_ = loadLists(skinName);
}

std::string NRSkinManager::skinName() const { return MSSettings::valueForSkinName(); }

std::optional<std::string> NRSkinManager::imageNameWithCodeName(std::string_view codeName) const {
  return lookUp(&Lists::images, [&](const std::optional<Dictionary>* list) {
    return list ? imageNameIn(*list, codeName) : std::nullopt;
  });
}

std::shared_ptr<ui::Image> NRSkinManager::imageWithCodeName(std::string_view codeName) const {
  if (auto name = imageNameWithCodeName(codeName)) {
    if (auto image = ui::Image::named(*name)) return image;
  }
  // The current skin names a file the bundle lacks: the default look of the same element.
  if (auto name = imageNameIn(default_.images, codeName)) return ui::Image::named(*name);
  return nullptr;
}

std::optional<ui::Font> NRSkinManager::fontWithCodeName(std::string_view codeName) const {
  return lookUp(&Lists::fonts, [&](const std::optional<Dictionary>* list) {
    return list ? fontIn(*list, codeName) : std::nullopt;
  });
}

std::optional<ui::Font> NRSkinManager::boldFontWithCodeName(std::string_view codeName) const {
  return lookUp(&Lists::fonts, [&](const std::optional<Dictionary>* list) {
    return list ? boldFontIn(*list, codeName) : std::nullopt;
  });
}

std::optional<ui::Color> NRSkinManager::colorWithCodeName(std::string_view codeName) const {
  return lookUp(&Lists::colors, [&](const std::optional<Dictionary>* list) {
    return list ? colorIn(*list, codeName) : std::nullopt;
  });
}

ui::Size NRSkinManager::sizeWithCodeName(std::string_view codeName) const {
  const Value* value = entry(current_.others, codeName);
  const Dictionary* size = value ? value->asDictionary() : nullptr;
  if (!size) return ui::Size{0, 0};
  return ui::Size{static_cast<float>(size->get("x").doubleValue()),
                  static_cast<float>(size->get("y").doubleValue())};
}

int64_t NRSkinManager::activityIndicatorViewStyle() const {
  constexpr std::string_view kCode = "otherKdpActivityIndicatorViewStyle";
  if (const Value* value = entry(current_.others, kCode)) return value->intValue();
  if (const Value* value = entry(default_.others, kCode)) return value->intValue();
  return 0;
}

void NRSkinManager::setCurrentBackgroundImageOfNavigationBar(ui::NavigationBar& bar) const {
  setNavigationBarBackgroundImage(bar, imageWithCodeName("imageKdpNavigationBarBackground"));
}

void NRSkinManager::setCurrentBarBackgroundImageOfNavigationController(
    ui::NavigationController& controller) const {
  setNavigationControllerBarBackgroundImage(controller, imageWithCodeName("imageKdpNavigationBarBackground"));
}

void NRSkinManager::setNavigationBarBackgroundImage(ui::NavigationBar& bar,
                                                    const std::shared_ptr<ui::Image>& image) const {
  MNavigationBarDecorator::sharedInstance()->decorateNavigationBar(bar, image);
}

void NRSkinManager::setNavigationControllerBarBackgroundImage(ui::NavigationController& controller,
                                                              const std::shared_ptr<ui::Image>& image) const {
  MNavigationBarDecorator::sharedInstance()->decorateNavigationController(controller, image);
}

std::shared_ptr<ui::BarButtonItem> NRSkinManager::barButtonItemWithTitle(
    const std::optional<std::string>& title, int64_t type, const void* target,
    ui::Control::Action action) const {
  const bool back = type == kBackButtonType;
  return barButtonItemWithTitle(
      title,
      imageWithCodeName(back ? "imageKdpNavigationBarButtonBackNormal" : "imageKdpNavigationBarButtonDoneNormal"),
      imageWithCodeName(back ? "imageKdpNavigationBarButtonBackHighlighted"
                             : "imageKdpNavigationBarButtonDoneHighlighted"),
      target, std::move(action));
}

std::shared_ptr<ui::BarButtonItem> NRSkinManager::barButtonItemWithTitle(
    const std::optional<std::string>& title, const std::shared_ptr<ui::Image>& normalImage,
    const std::shared_ptr<ui::Image>& highlightedImage, const void* target, ui::Control::Action action) const {
  return MBarButtonItem::barButtonItemWithTitle(title, normalImage, highlightedImage, target, std::move(action));
}

void NRSkinManager::styleTitleLabel(ui::Label& label, const std::string& title) const {
  label.setBackgroundColor(ui::Color::clearColor());
  // A colour or font the skin lacks leaves the label's own.
  if (auto color = colorWithCodeName("colorKdpNavigationTitle")) label.setTextColor(*color);
  label.setShadowColor(colorWithCodeName("colorKdpNavigationTitleShadow"));
  label.setShadowOffset(sizeWithCodeName("shadowKdpNavigationTitle"));
  label.setTextAlignment(ui::TextAlignment::Center);
  if (auto font = fontWithCodeName("fontKdpNavigationTitle")) label.setFont(*font);
  label.setText(title);
}

void NRSkinManager::setCurrentSkinTitleNavigationItem(const std::string& title, ui::NavigationItem& item) const {
  auto label = std::dynamic_pointer_cast<ui::Label>(item.titleView());
  if (!label) {
    label = std::make_shared<ui::Label>(ui::Rect(42, 9, 236, 28));
    item.setTitleView(label);
  }
  styleTitleLabel(*label, title);
  label->sizeToFit();
}

std::string NRSkinManager::currentSkinTitleOfNavigationItem(const ui::NavigationItem& item) const {
  auto label = std::dynamic_pointer_cast<ui::Label>(item.titleView());
  return label ? label->text() : std::string();
}

void NRSkinManager::setCurrentSkinTitleNavigationBar(const std::string& title, ui::NavigationBar& bar) const {
  auto label = std::dynamic_pointer_cast<ui::Label>(bar.viewWithTag(kTitleTag));
  if (!label) {
    label = std::make_shared<ui::Label>(ui::Rect(0, 0, 140, 44));
    label->setTag(kTitleTag);
    bar.insertSubviewAt(label, 1);
  }
  const ui::Rect bounds = bar.bounds();
  label->setCenter(ui::Point{bounds.size.width / 2, bounds.size.height / 2});
  styleTitleLabel(*label, title);
}

std::string NRSkinManager::currentSkinTitleOfNavigationBar(ui::NavigationBar& bar) const {
  auto label = std::dynamic_pointer_cast<ui::Label>(bar.viewWithTag(kTitleTag));
  return label ? label->text() : std::string();
}

std::shared_ptr<ui::ImageView> NRSkinManager::skinDisclosureIndicatorImageView() const {
  return std::make_shared<ui::ImageView>(imageWithCodeName("imageKdpCustomDisclosureIndicator"));
}

std::shared_ptr<ui::ImageView> NRSkinManager::skinCheckMarkImageView() const {
  return std::make_shared<ui::ImageView>(imageWithCodeName("imageKdpCheckmark"));
}

void NRSkinManager::setCurrentSkinOfSearchBar(ui::SearchBar& bar) const {
  const auto background = imageWithCodeName("imageKdpSearchBarBackground");
  const auto field = imageWithCodeName("imageKdpSearchBarFieldBackground");
  const auto icon = imageWithCodeName("imageKdpSearchBarIcon");
  const auto clearNormal = imageWithCodeName("imageKdpSearchBarClearButtonNormal");
  const auto clearHighlighted = imageWithCodeName("imageKdpSearchBarClearButtonHighlighted");
  // Without the skin's text colour the fields keep their own.
  const std::optional<ui::Color> textColor = colorWithCodeName("colorKdpSearchBarText");
  // The text fields among the bar's own subviews.
  auto textFields = [&bar] {
    std::vector<std::shared_ptr<ui::TextField>> fields;
    for (const auto& view : bar.subviews()) {
      if (auto textField = std::dynamic_pointer_cast<ui::TextField>(view)) fields.push_back(std::move(textField));
    }
    return fields;
  };
  if (SystemEnvironment::systemVersion() >= 5.0f) {
    bar.setBackgroundImage(background);
    bar.setImageForSearchBarIcon(icon, ui::SearchBarIcon::Search, ui::kControlStateNormal);
    bar.setSearchFieldBackgroundImage(field, ui::kControlStateNormal);
    bar.setImageForSearchBarIcon(clearNormal, ui::SearchBarIcon::Clear, ui::kControlStateNormal);
    bar.setImageForSearchBarIcon(clearHighlighted, ui::SearchBarIcon::Clear, ui::kControlStateHighlighted);
    if (textColor) {
      for (const auto& textField : textFields()) textField->setTextColor(*textColor);
    }
    return;
  }
  auto backgroundView = std::dynamic_pointer_cast<ui::ImageView>(bar.viewWithTag(kTitleTag));
  if (!backgroundView) {
    backgroundView = std::make_shared<ui::ImageView>(ui::Rect(0, 0, 320, 44));
    backgroundView->setTag(kTitleTag);
    bar.insertSubviewAt(backgroundView, 1);
  }
  backgroundView->setImage(background);
  for (const auto& textField : textFields()) {
    if (textColor) textField->setTextColor(*textColor);
    textField->setBackground(field);
    if (auto left = std::dynamic_pointer_cast<ui::ImageView>(textField->leftView())) left->setImage(icon);
    if (auto right = std::dynamic_pointer_cast<ui::Button>(textField->rightView())) {
      right->setBackgroundImage(clearNormal, ui::kControlStateNormal);
      right->setBackgroundImage(clearHighlighted, ui::kControlStateHighlighted);
    }
  }
}

}  // namespace zu
