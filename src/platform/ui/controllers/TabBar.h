// TabBar: the 49-point bar of TabBarItems at the bottom of a tab bar controller; items share
// the width equally and the selected one is highlighted, with its badge. Made with
// std::make_shared; main thread only. Its delegate is not retained.
//
// Kept from the phone: a tap on an enabled item selects it and tells the delegate (also when it
// was already selected); setting the selected item by code tells nobody; the items are drawn by
// the bar itself, so subviews that others add (buttons, covers) lie above them.
// A touch that ends on an item taps it; tapItem(index) is the same tap for code and tests.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/views/View.h"

namespace zu::ui {

class TabBar;
class TabBarItem;

class TabBarDelegate {
 public:
  virtual ~TabBarDelegate() = default;
  virtual void tabBarDidSelectItem(TabBar& bar, TabBarItem& item) = 0;
};

class TabBar : public View {
 public:
  static constexpr float kHeight = 49;

  explicit TabBar(const Rect& frame = Rect(0, 0, 320, kHeight));
  ~TabBar() override;

  const std::vector<std::shared_ptr<TabBarItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<TabBarItem>> items, bool animated = false);
  const std::shared_ptr<TabBarItem>& selectedItem() const { return selected_; }
  // An item not in the bar selects nothing.
  void setSelectedItem(std::shared_ptr<TabBarItem> item);
  void setDelegate(std::weak_ptr<TabBarDelegate> delegate) { delegate_ = std::move(delegate); }

  // The tap on item `index`: false when there is no such enabled item.
  bool tapItem(size_t index);
  // The frame of item `index` in the bar.
  Rect itemFrame(size_t index) const;

  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;

 private:
  std::vector<std::shared_ptr<TabBarItem>> items_;
  std::shared_ptr<TabBarItem> selected_;
  std::weak_ptr<TabBarDelegate> delegate_;
};

}  // namespace zu::ui
