#include "reading/support/ReadingLook.h"

#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

ui::Color ReadingLook::grey(int level) { return ui::Color::rgba8(level, level, level); }

ui::Color ReadingLook::skinColor(const char* codeName, const ui::Color& fallback) {
  return NRSkinManager::sharedManager().colorWithCodeName(codeName).value_or(fallback);
}

ui::Font ReadingLook::skinFont(const char* codeName, float fallbackSize) {
  return NRSkinManager::sharedManager().fontWithCodeName(codeName).value_or(ui::Font::systemFont(fallbackSize));
}

std::shared_ptr<ui::Image> ReadingLook::image(const std::string& dayName, bool night) {
  return MyFaceSettings::namedImage(dayName, night);
}

std::shared_ptr<ui::ImageView> ReadingLook::pressBackground(bool night) {
  auto picture = image("list_press_bj.png", night);
  return std::make_shared<ui::ImageView>(picture ? picture->stretchableImage(0, 42) : nullptr);
}

void ReadingLook::dressStatusLine(ui::Label& label, bool night, const ui::Color& nightColor) {
  label.setTextColor(night ? nightColor : grey(136));
  label.setShadowColor(night ? ui::Color(0, 0, 0, 0.75f) : ui::Color::whiteColor());
}

void ReadingLook::dressDarkStatusLine(ui::Label& label, float shadowAlpha) {
  label.setTextColor(grey(153));
  label.setShadowColor(ui::Color(0, 0, 0, shadowAlpha));
}

}  // namespace zu
