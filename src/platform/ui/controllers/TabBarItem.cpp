#include "platform/ui/controllers/TabBarItem.h"

#include "platform/ui/controllers/TabBar.h"

namespace zu::ui {

void TabBarItem::changed() {
  if (bar_) bar_->setNeedsDisplay();
}

void TabBarItem::setTitle(std::optional<std::string> title) {
  title_ = std::move(title);
  changed();
}

void TabBarItem::setImage(std::shared_ptr<Image> image) {
  image_ = std::move(image);
  changed();
}

void TabBarItem::setEnabled(bool enabled) {
  enabled_ = enabled;
  changed();
}

void TabBarItem::setBadgeValue(std::optional<std::string> badge) {
  badge_ = std::move(badge);
  changed();
}

}  // namespace zu::ui
