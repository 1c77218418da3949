// Alert: what AlertView and ActionSheet share — a title, buttons (the cancel one by index), a
// tag, and the showing, clicking and dismissing steps that their delegates follow. Made with
// std::make_shared through a subclass; main thread only. A shown alert lives in its own window
// at the alert level and is held by the AlertRegistry until dismissed.
//
// Kept from the phone, in this order:
//  - show(): willPresent, the alert appears (listed by AlertRegistry), didPresent.
//  - A button press (clickButton, the screen's or a test's tap): clicked(index), then the
//    alert dismisses itself with that index: willDismiss(index), it leaves the screen, and
//    didDismiss(index) — after the dismissal animation when animated.
//  - A touch ending on a button presses it, as clickButton does.
//  - dismissWithClickedButtonIndex by code skips clicked. Showing a shown alert or dismissing
//    one not shown does nothing.
//  - The panel lies in the interface's orientation (the status bar's): in landscape it is placed
//    for the 480 × 320 interface and turned with it, and it turns when the interface turns.
// Subclasses send the steps to their delegates through the virtual hooks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class Window;

class Alert : public View {
 public:
  static constexpr int kNoButton = -1;

  explicit Alert(std::optional<std::string> title);
  ~Alert() override;

  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title) { title_ = std::move(title); }

  // Returns the new button's index.
  int addButtonWithTitle(std::string title);
  int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
  // Empty for an index out of range.
  std::string buttonTitleAtIndex(int index) const;
  const std::vector<std::string>& buttonTitles() const { return buttons_; }
  int cancelButtonIndex() const { return cancelIndex_; }
  void setCancelButtonIndex(int index) { cancelIndex_ = index; }

  bool isVisible() const { return visible_; }
  void show();
  // A press on button `index`: false when the alert is not shown or has no such button.
  bool clickButton(int index);
  // The press on the button titled `title`.
  bool clickButtonTitled(const std::string& title);
  void dismissWithClickedButtonIndex(int index, bool animated);

  // The message (alerts) or empty (sheets), for readers of the registry.
  virtual std::string messageText() const { return std::string(); }
  // The frame of button `index` in the alert's bounds.
  virtual Rect buttonFrame(int index) const = 0;

  // Places the panel for the interface in `orientation`, turned as the interface is.
  void placeForOrientation(SystemEnvironment::Orientation orientation);

  // A touch that ends on a button presses it.
  void touchesEnded(const TouchSet& touches, const Event& event) override;

 protected:
  virtual void willPresent() {}
  virtual void didPresent() {}
  virtual void clicked(int /*index*/) {}
  virtual void willDismiss(int /*index*/) {}
  virtual void didDismiss(int /*index*/) {}
  // Where the panel sits in an interface whose bounds are `screen`.
  virtual Rect panelFrame(const Rect& screen) const = 0;

 private:
  std::optional<std::string> title_;
  std::vector<std::string> buttons_;
  int cancelIndex_ = kNoButton;
  bool visible_ = false;
  std::shared_ptr<Window> window_;
};

}  // namespace zu::ui
