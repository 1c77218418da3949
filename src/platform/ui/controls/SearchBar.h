// SearchBar: a 44-point bar holding a rounded text field (textField()) over a background, with
// an optional cancel button, reporting to a SearchBarDelegate. Made with std::make_shared; main
// thread only; the delegate is not retained.
//
// Kept from the phone:
//  - The subviews are the background view first, then the text field, then the cancel button;
//    others may insert views above or below them (a skin's background image) and find them by
//    tag.
//  - The field's editing questions and news reach the delegate as the bar's: should / did begin
//    and end, shouldChangeText (UTF-16 range, replacement), textDidChange with the new text
//    after each accepted change (the clear button's too), searchButtonClicked on return.
//  - The cancel button (cancelButton(), a bordered bar button titled "取消", the system's word
//    in this locale) shows at the right while showsCancelButton, the field narrowed beside it;
//    shown or hidden with animation it slides in from beyond the right edge as the field
//    narrows, and out again. A tap on it (a touch ending on it, or cancelButtonTapped())
//    tells the delegate.
//  - A background image replaces the tinted gradient.
//  - The field's left view is an image view showing the search icon (a magnifier until one is
//    set); its right view is the clear button, a Button shown while editing with text, whose
//    tap empties the text as a change. The clear icon of a state is that button's background
//    image, so dressing the icon and dressing the right view set the same picture.
//  - The search field background image (normal state) is the field's background.
// Where we differ on purpose: only the normal state of the search icon and of the field
// background is kept (the kit's bar has no disabled look); other states are ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/controllers/BarStyle.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class BarButtonItem;
class Button;
class Image;
class ImageView;
class SearchBar;

enum class SearchBarIcon { Search = 0, Clear = 1 };

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
  static constexpr const char* kCancelTitle = "取消";
  static constexpr double kCancelAnimationDuration = 0.25;

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
  // The cancel button's view: a subview of the bar, hidden while the button is not shown.
  const std::shared_ptr<View>& cancelButton() const { return cancelView_; }
  // The tap on the cancel button; false when it is not shown. The delegate hears it first,
  // then the cancel observers (a search display controller).
  bool cancelButtonTapped();
  void addCancelObserver(const void* key, std::function<void()> observer);
  void removeCancelObserver(const void* key);

  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  const std::optional<Color>& tintColor() const { return tint_; }
  void setTintColor(std::optional<Color> tint);
  const std::shared_ptr<Image>& backgroundImage() const { return backgroundImage_; }
  void setBackgroundImage(std::shared_ptr<Image> image);
  // Null restores the kit's own icon.
  void setImageForSearchBarIcon(std::shared_ptr<Image> image, SearchBarIcon icon, unsigned state);
  std::shared_ptr<Image> imageForSearchBarIcon(SearchBarIcon icon, unsigned state) const;
  void setSearchFieldBackgroundImage(std::shared_ptr<Image> image, unsigned state);
  std::shared_ptr<Image> searchFieldBackgroundImage(unsigned state) const;
  const std::shared_ptr<ImageView>& searchIconView() const { return iconView_; }
  const std::shared_ptr<Button>& clearButton() const { return clearButton_; }
  // The magnifier shown until a search icon is set, drawn once.
  static std::shared_ptr<Image> defaultSearchIcon();

  bool becomeFirstResponder() { return field_->becomeFirstResponder(); }
  bool resignFirstResponder() { return field_->resignFirstResponder(); }

  void layoutSubviews() override;

 private:
  class FieldDelegate;
  friend class FieldDelegate;
  // Where the cancel button sits when shown, or just beyond the right edge.
  Rect cancelFrame(bool shown) const;

  std::weak_ptr<SearchBarDelegate> delegate_;
  std::shared_ptr<View> background_;
  std::shared_ptr<TextField> field_;
  std::shared_ptr<FieldDelegate> fieldDelegate_;
  std::shared_ptr<ImageView> iconView_;
  std::shared_ptr<Button> clearButton_;
  bool customIcon_ = false;
  bool showsCancel_ = false;
  std::shared_ptr<BarButtonItem> cancelItem_;
  std::shared_ptr<View> cancelView_;
  uint64_t cancelChange_ = 0;  // counts show / hide changes, so a stale animation end is ignored
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<Color> tint_;
  std::shared_ptr<Image> backgroundImage_;
  std::vector<std::pair<const void*, std::function<void()>>> cancelObservers_;
};

}  // namespace zu::ui
