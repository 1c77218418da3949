// NavigationBar: the 44-point bar above a navigation controller's content — a stack of
// NavigationItems whose top one is shown (title or title view in the middle, left or back
// button, right button) over a background image or a tinted gradient. Made with
// std::make_shared; main thread only. Its delegate is not retained.
//
// Kept from the phone:
//  - Pushing asks the delegate's shouldPush then tells didPush; popping (the back button, or
//    popNavigationItem) asks shouldPop, and when it agrees removes the top item and tells
//    didPop. A navigation controller is its bar's delegate and pops its controller instead.
//  - The back button shows the item below the top one: its backBarButtonItem's title, else its
//    title, else "Back"; it is not shown when the top item has a left item or hides it.
//  - Views the bar places for items are its own subviews, kept in front of subviews that others
//    insert (a background image view at index 0 stays behind them); other subviews are left as
//    they are.
// Where we differ on purpose: a title view wider than the room between the buttons is narrowed to
// that room, so a long title (a label) ends in "…" instead of running past the bar's edge.
// The back button is a bar button whose tap (a touch, or backButtonTapped() from code and tests)
// pops.
// Changed with animation (setItems, push or pop with animated), while the bar shows in a window,
// the old title and buttons cross-fade into the new ones over kItemsFadeDuration (a push's or a
// pop's length), so a title never jumps to the next screen's in one frame; the new ones are in their places at once (the items, the views the bar
// places and their frames are the model) and the fade is a transition of the bar's picture.
// Where we differ on purpose: a title view or button view whose size changes after the bar
// placed it (sizeToFit on a title label) is placed again at the next layout pass, so a title
// stays centred whenever its width changes.
// Where the phone let a category exchange the bar class's insertSubview and sendSubviewToBack,
// the kit offers one class-wide hook instead: once set, it runs on every bar after a new subview
// was added (by the bar or anyone else) and after sendSubviewToBack, so a skin can keep its own
// background view lowest. The hook calls View::sendSubviewToBack to avoid running itself again.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/controllers/BarStyle.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class BarButtonItem;
class Image;
class NavigationBar;
class NavigationItem;

class NavigationBarDelegate {
 public:
  virtual ~NavigationBarDelegate() = default;
  virtual bool navigationBarShouldPushItem(NavigationBar&, NavigationItem&) { return true; }
  virtual void navigationBarDidPushItem(NavigationBar&, NavigationItem&) {}
  virtual bool navigationBarShouldPopItem(NavigationBar&, NavigationItem&) { return true; }
  virtual void navigationBarDidPopItem(NavigationBar&, NavigationItem&) {}
};

class NavigationBar : public View {
 public:
  static constexpr float kHeight = 44;
  // How long the bar's title and buttons take to fade into the new ones when the items change
  // with animation: as long as a navigation controller's push or pop.
  static constexpr double kItemsFadeDuration = 0.35;

  explicit NavigationBar(const Rect& frame = Rect(0, 0, 320, kHeight));
  ~NavigationBar() override;

  const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<NavigationItem>> items, bool animated = false);
  void pushNavigationItem(const std::shared_ptr<NavigationItem>& item, bool animated);
  // The removed item, or null when the delegate refused or only one item was left.
  std::shared_ptr<NavigationItem> popNavigationItem(bool animated);
  std::shared_ptr<NavigationItem> topItem() const;
  std::shared_ptr<NavigationItem> backItem() const;

  void setDelegate(std::weak_ptr<NavigationBarDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<NavigationBarDelegate> delegate() const { return delegate_.lock(); }

  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  const std::optional<Color>& tintColor() const { return tint_; }
  void setTintColor(std::optional<Color> tint);
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent) { translucent_ = translucent; }
  const std::shared_ptr<Image>& backgroundImage() const { return backgroundImage_; }
  void setBackgroundImage(std::shared_ptr<Image> image);

  // The back button's item while one is shown, else null.
  const std::shared_ptr<BarButtonItem>& backButtonItem() const { return backButton_; }
  // The tap on the back button: pops as the phone's bar does. False when nothing was popped.
  bool backButtonTapped();

  // Places the top item's views again (called when an item changes).
  void itemChanged(NavigationItem* item);

  using SubviewHook = std::function<void(NavigationBar& bar)>;
  // Main thread only; an empty hook switches it off.
  static void setSubviewHook(SubviewHook hook);
  static bool hasSubviewHook();

  void sendSubviewToBack(const std::shared_ptr<View>& view) override;
  void didAddSubview(View* subview) override;
  void layoutSubviews() override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 protected:
  void subviewFrameDidChange(View& subview, const Rect& oldFrame) override;

 private:
  // Runs `change` of the items and shows the new top item; with `animated`, while the bar is in
  // a window and shown, the old title and buttons fade into the new.
  void changeItems(bool animated, const std::function<void()>& change);
  void showTopItem();
  void drawGradient(Canvas& canvas) const;
  void adopt(const std::shared_ptr<NavigationItem>& item);
  void release(const std::shared_ptr<NavigationItem>& item);

  std::vector<std::shared_ptr<NavigationItem>> items_;
  std::weak_ptr<NavigationBarDelegate> delegate_;
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<Color> tint_;
  bool translucent_ = false;
  std::shared_ptr<Image> backgroundImage_;
  std::shared_ptr<BarButtonItem> backButton_;
  // The views the bar placed for the top item: left (or back), title, right.
  std::shared_ptr<View> leftView_;
  std::shared_ptr<View> titleView_;
  std::shared_ptr<View> rightView_;
};

}  // namespace zu::ui
