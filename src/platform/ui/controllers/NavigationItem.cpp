#include "platform/ui/controllers/NavigationItem.h"

#include "platform/ui/controllers/NavigationBar.h"

namespace zu::ui {

void NavigationItem::changed() {
  if (bar_) bar_->itemChanged(this);
}

void NavigationItem::setTitle(std::optional<std::string> title) {
  title_ = std::move(title);
  changed();
}

void NavigationItem::setTitleView(std::shared_ptr<View> view) {
  titleView_ = std::move(view);
  changed();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool) {
  left_ = std::move(item);
  changed();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool) {
  right_ = std::move(item);
  changed();
}

void NavigationItem::setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
  back_ = std::move(item);
  changed();
}

void NavigationItem::setHidesBackButton(bool hides, bool) {
  hidesBackButton_ = hides;
  changed();
}

}  // namespace zu::ui
