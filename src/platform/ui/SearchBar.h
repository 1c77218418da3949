// SearchBar: a 44-point bar holding a rounded text field (textField()) over a background, with
// an optional cancel button, reporting to a SearchBarDelegate. Made with std::make_shared; main
// thread only; the delegate is not retained.
//
// Kept from the phone:
//  - The subviews are the background view first, then the text field; others may insert views
//    above or below them (a skin's background image) and find them by tag.
//  - The field's editing questions and news reach the delegate as the bar's: should / did begin
//    and end, shouldChangeText (UTF-16 range, replacement), textDidChange with the new text
//    after each accepted change (the clear button's too), searchButtonClicked on return.
//  - The cancel button shows while showsCancelButton; cancelButtonTapped tells the delegate.
//  - A background image replaces the tinted gradient.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/BarStyle.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"

namespace zu::ui {

class Image;
class SearchBar;

class SearchBarDelegate {
 public:
  virtual ~SearchBarDelegate() = default;
  virtual bool searchBarShouldBeginEditing(SearchBar&) { return true; }
  virtual void searchBarTextDidBeginEditing(SearchBar&) {}
  virtual bool searchBarShouldEndEditing(SearchBar&) { return true; }
  virtual void searchBarTextDidEndEditing(SearchBar&) {}
  virtual bool searchBarShouldChangeText(SearchBar&, TextRange, const std::string& /*replacement*/) { return true; }
  virtual void searchBarTextDidChange(SearchBar&, const std::string& /*text*/) {}
  virtual void searchBarSearchButtonClicked(SearchBar&) {}
  virtual void searchBarCancelButtonClicked(SearchBar&) {}
};

class SearchBar : public View {
 public:
  static constexpr float kHeight = 44;

  explicit SearchBar(const Rect& frame = Rect(0, 0, 320, kHeight));
  ~SearchBar() override;

  void setDelegate(std::weak_ptr<SearchBarDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<SearchBarDelegate> delegate() const { return delegate_.lock(); }

  const std::shared_ptr<TextField>& textField() const { return field_; }
  const std::shared_ptr<View>& backgroundView() const { return background_; }
  const std::string& text() const { return field_->text(); }
  void setText(std::string text);
  const std::optional<std::string>& placeholder() const { return field_->placeholder(); }
  void setPlaceholder(std::optional<std::string> placeholder) { field_->setPlaceholder(std::move(placeholder)); }
  KeyboardType keyboardType() const { return field_->keyboardType(); }
  void setKeyboardType(KeyboardType type) { field_->setKeyboardType(type); }

  bool showsCancelButton() const { return showsCancel_; }
  void setShowsCancelButton(bool shows, bool animated = false);
  // The tap on the cancel button; false when it is not shown.
  bool cancelButtonTapped();

  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  const std::optional<Color>& tintColor() const { return tint_; }
  void setTintColor(std::optional<Color> tint);
  const std::shared_ptr<Image>& backgroundImage() const { return backgroundImage_; }
  void setBackgroundImage(std::shared_ptr<Image> image);

  bool becomeFirstResponder() { return field_->becomeFirstResponder(); }
  bool resignFirstResponder() { return field_->resignFirstResponder(); }

  void layoutSubviews() override;

 private:
  class FieldDelegate;
  friend class FieldDelegate;

  std::weak_ptr<SearchBarDelegate> delegate_;
  std::shared_ptr<View> background_;
  std::shared_ptr<TextField> field_;
  std::shared_ptr<FieldDelegate> fieldDelegate_;
  bool showsCancel_ = false;
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<Color> tint_;
  std::shared_ptr<Image> backgroundImage_;
};

}  // namespace zu::ui
