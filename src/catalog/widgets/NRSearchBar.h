// NRSearchBar: the subscription centre's own search field — a 34-point bar with a stretched
// board, a magnifier, the kit's text field, a clear button and a cancel button that slides in
// from beyond the right edge while the reader searches. Built on the kit's text field and
// buttons rather than its search bar, to draw the centre's own pictures. Main thread; made with
// create(), owned by its superview; the delegate is held weakly.
//
// Two states: idle, and searching (entered by editing the field; left by the cancel button or
// the bar's resignFirstResponder — the return key only hides the keyboard). Searching with the
// cancel button shown narrows the board, the field and the clear button by 60 points and
// brings the cancel button in; both ways are 0.3-second animations.
// Any height given is replaced by 34, keeping the bar's vertical centre. The clear button empties
// the field without telling the delegate.
#pragma once

#include <memory>

#include "catalog/widgets/NRSearchBarDelegate.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/text/TextField.h"

namespace zu {

class NRSearchBar : public ui::View, public ui::TextFieldDelegate {
 public:
  static constexpr float kHeight = 34;

  static std::shared_ptr<NRSearchBar> create(const ui::Rect& frame);

  const std::shared_ptr<ui::TextField>& textField() const { return textField_; }
  const std::shared_ptr<ui::Button>& clearButton() const { return clearButton_; }
  const std::shared_ptr<ui::Button>& cancelButton() const { return cancelButton_; }
  const std::shared_ptr<ui::ImageView>& searchBoardImageView() const { return searchBoardImageView_; }
  const std::shared_ptr<ui::ImageView>& iconImageView() const { return iconImageView_; }
  bool isSearching() const { return isSearching_; }
  bool showCancelButton() const { return showCancelButton_; }
  void setShowCancelButton(bool show);
  void setDelegate(std::weak_ptr<NRSearchBarDelegate> delegate) { delegate_ = std::move(delegate); }

  // Ends the search (the field gives up the keyboard).
  bool resignFirstResponder();
  void rejustInterfaceForSearchBegin();
  void rejustInterfaceForSearchEnd();

  void layoutSubviews() override;
  void textFieldDidBeginEditing(ui::TextField& field) override;
  bool textFieldShouldReturn(ui::TextField& field) override;

 protected:
  explicit NRSearchBar(const ui::Rect& frame);

 private:
  struct Frames {
    ui::Rect board, icon, field, clear, cancel;
  };
  // Where the subviews go for the bar's width, shifted or not.
  Frames framesFor(bool shifted) const;
  void initMainView();

  std::shared_ptr<ui::ImageView> searchBoardImageView_;
  std::shared_ptr<ui::ImageView> iconImageView_;
  std::shared_ptr<ui::TextField> textField_;
  std::shared_ptr<ui::Button> clearButton_;
  std::shared_ptr<ui::Button> cancelButton_;
  bool isSearching_ = false;
  std::weak_ptr<NRSearchBarDelegate> delegate_;
  bool showCancelButton_ = true;
};

}  // namespace zu
