// TabBarItem: one tab's title, image, badge, tag and enabled flag (ViewController::tabBarItem).
// Made with std::make_shared; main thread only.
//
// Kept from the phone: a null badge shows none, an empty one an empty badge; changes redraw the
// tab bar that shows the item.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/Object.h"

namespace zu::ui {

class Image;
class TabBar;

class TabBarItem : public Object {
 public:
  TabBarItem(std::optional<std::string> title = std::nullopt, std::shared_ptr<Image> image = nullptr,
             int tag = 0)
      : title_(std::move(title)), image_(std::move(image)), tag_(tag) {}

  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title);
  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image);
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  const std::optional<std::string>& badgeValue() const { return badge_; }
  void setBadgeValue(std::optional<std::string> badge);

  // The bar showing the item (set by the bar), or null.
  TabBar* tabBar() const { return bar_; }
  void setTabBar(TabBar* bar) { bar_ = bar; }

 private:
  void changed();

  std::optional<std::string> title_;
  std::shared_ptr<Image> image_;
  int tag_ = 0;
  bool enabled_ = true;
  std::optional<std::string> badge_;
  TabBar* bar_ = nullptr;  // non-owning; cleared by the bar
};

}  // namespace zu::ui
