// ActionSheet: a titled list of buttons rising from the bottom of the screen, as the phone's
// action sheet. Made with std::make_shared; main thread only; its delegate is not retained.
// The showing and dismissing steps and their order are Alert's; this class sends them to an
// ActionSheetDelegate.
//
// Kept from the phone: given to the constructor, the destructive button comes first, then the
// other buttons, then the cancel button last; showInView / showFromTabBar / showFromToolbar all
// show the sheet at the bottom of the screen. The default style draws light buttons with dark
// words; the black opaque style (a night look's) dark buttons with light words.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controllers/Alert.h"

namespace zu::ui {

class ActionSheet;

enum class ActionSheetStyle { Default = 0, BlackOpaque = 2 };

class ActionSheetDelegate {
 public:
  virtual ~ActionSheetDelegate() = default;
  virtual void willPresentActionSheet(ActionSheet&) {}
  virtual void didPresentActionSheet(ActionSheet&) {}
  virtual void actionSheetClickedButtonAtIndex(ActionSheet&, int /*index*/) {}
  virtual void actionSheetWillDismissWithButtonIndex(ActionSheet&, int /*index*/) {}
  virtual void actionSheetDidDismissWithButtonIndex(ActionSheet&, int /*index*/) {}
};

class ActionSheet : public Alert {
 public:
  ActionSheet(std::optional<std::string> title, std::weak_ptr<ActionSheetDelegate> delegate = {},
              std::optional<std::string> cancelButtonTitle = std::nullopt,
              std::optional<std::string> destructiveButtonTitle = std::nullopt,
              std::vector<std::string> otherButtonTitles = {});

  int destructiveButtonIndex() const { return destructiveIndex_; }
  void setDestructiveButtonIndex(int index) { destructiveIndex_ = index; }
  void setDelegate(std::weak_ptr<ActionSheetDelegate> delegate) { delegate_ = std::move(delegate); }
  ActionSheetStyle actionSheetStyle() const { return style_; }
  void setActionSheetStyle(ActionSheetStyle style);

  void showInView(const std::shared_ptr<View>&) { show(); }
  void showFromTabBar(const std::shared_ptr<View>&) { show(); }
  void showFromToolbar(const std::shared_ptr<View>&) { show(); }

  Rect buttonFrame(int index) const override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 protected:
  void willPresent() override;
  void didPresent() override;
  void clicked(int index) override;
  void willDismiss(int index) override;
  void didDismiss(int index) override;
  Rect panelFrame(const Rect& screen) const override;

 private:
  int destructiveIndex_ = kNoButton;
  ActionSheetStyle style_ = ActionSheetStyle::Default;
  std::weak_ptr<ActionSheetDelegate> delegate_;
};

}  // namespace zu::ui
