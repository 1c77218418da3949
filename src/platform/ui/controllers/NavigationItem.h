// NavigationItem: what a navigation bar shows while a controller is on top — title or title
// view, left, right and back items, the hidden back button. Each view controller has one
// (ViewController::navigationItem). Made with std::make_shared; main thread only.
//
// Kept from the phone: changes show at once in the bar that holds the item (the bar lays out
// again); the back item is what the *next* item's back button shows while this item is below
// it; a left item replaces the back button.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/Object.h"

namespace zu::ui {

class BarButtonItem;
class NavigationBar;
class View;

class NavigationItem : public Object {
 public:
  explicit NavigationItem(std::optional<std::string> title = std::nullopt) : title_(std::move(title)) {}

  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title);
  const std::shared_ptr<View>& titleView() const { return titleView_; }
  void setTitleView(std::shared_ptr<View> view);
  const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return left_; }
  void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
  const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return right_; }
  void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
  const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return back_; }
  void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item);
  bool hidesBackButton() const { return hidesBackButton_; }
  void setHidesBackButton(bool hides, bool animated = false);

  // The bar the item is in (set by the bar), or null.
  NavigationBar* navigationBar() const { return bar_; }
  void setNavigationBar(NavigationBar* bar) { bar_ = bar; }

 private:
  void changed();

  std::optional<std::string> title_;
  std::shared_ptr<View> titleView_;
  std::shared_ptr<BarButtonItem> left_;
  std::shared_ptr<BarButtonItem> right_;
  std::shared_ptr<BarButtonItem> back_;
  bool hidesBackButton_ = false;
  NavigationBar* bar_ = nullptr;  // non-owning; cleared by the bar when the item leaves it
};

}  // namespace zu::ui
