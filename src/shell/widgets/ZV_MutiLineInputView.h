// ZV_MutiLineInputView: an input bar for a short text — a growing text view on a background
// with curved corners, a send button, and a view above the bar that gives up room as the bar
// grows. The bar keeps its bottom edge (above the keyboard) and grows upward while its text view
// grows; the top view shrinks by as much. Return and the end of editing go on to the bar's own
// delegate. Main thread; std::make_shared; the delegate is not retained.
//
// Its four parts are outlets of the interface file "ZV_MutiLineInputView" (registerInterfaceFile):
// the file's top-level objects are the top view and the bar, the bar being its text view's
// delegate; a bar made in code has no parts and does nothing with its text calls.
//
// Kept from the phone: on growingTextViewWillChangeHeight(h), sent inside the text view's height
// animation, d = the text view's current height − h; the bar's y grows by d and its height
// shrinks by d, the top view's height grows by d, the background is asked to redraw.
// growingTextViewShouldReturn answers the delegate's mutiLineInputViewShouldReturn (no when
// unanswered). Where we differ on purpose: setCPlaceHolder on a text view without a placeholder
// label does nothing (explicitly, rather than by messaging nil).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/controls/Button.h"
#include "shell/widgets/LwGrowingTextView.h"

namespace zu {

class ZV_MutiLineInputView;

// Both methods optional; the defaults are the answers of a delegate that does not implement them.
class MutiLineInputViewDelegate {
 public:
  virtual ~MutiLineInputViewDelegate() = default;
  // Yes ends editing without inserting the newline.
  virtual bool mutiLineInputViewShouldReturn(ZV_MutiLineInputView&) { return false; }
  virtual void mutiLineInputViewDidEndEditing(ZV_MutiLineInputView&) {}
};

class ZV_MutiLineInputView : public ui::View, public LwGrowingTextViewDelegate {
 public:
  inline static const char* const kNibName = "ZV_MutiLineInputView";

  using ui::View::View;

  // Registers the interface file kNibName: a 320-point-wide top view (tag kTopViewTag, 416 high)
  // and below it the 44-point bar, holding the background, the text view and the send button.
  static void registerInterfaceFile();
  static constexpr int kTopViewTag = 124;

  const std::shared_ptr<ui::View>& topView() const { return topView_; }
  void setTopView(std::shared_ptr<ui::View> view) { topView_ = std::move(view); }
  const std::shared_ptr<LwGrowingTextView>& textView() const { return textView_; }
  void setTextView(std::shared_ptr<LwGrowingTextView> view) { textView_ = std::move(view); }
  const std::shared_ptr<ui::Button>& buttonSend() const { return buttonSend_; }
  void setButtonSend(std::shared_ptr<ui::Button> button) { buttonSend_ = std::move(button); }
  const std::shared_ptr<ui::View>& backGroundView() const { return backGroundView_; }
  void setBackGroundView(std::shared_ptr<ui::View> view) { backGroundView_ = std::move(view); }
  void setDelegate(std::weak_ptr<MutiLineInputViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<MutiLineInputViewDelegate> delegate() const { return delegate_.lock(); }
  ui::ReturnKeyType returnKeyType() const { return returnKeyType_; }

  std::string getText() const;
  void setText(const std::string& text);
  void setReturnKeyType(ui::ReturnKeyType type);
  void setCPlaceHolder(const std::string& text);
  // The text view resigns, which hides the keyboard.
  void hideKeypard();

  // --- LwGrowingTextViewDelegate
  void growingTextViewWillChangeHeight(LwGrowingTextView& view, float height) override;
  bool growingTextViewShouldReturn(LwGrowingTextView& view) override;
  void growingTextViewDidEndEditing(LwGrowingTextView& view) override;

 private:
  std::shared_ptr<ui::View> topView_;
  std::shared_ptr<LwGrowingTextView> textView_;
  std::shared_ptr<ui::Button> buttonSend_;
  std::shared_ptr<ui::View> backGroundView_;
  std::weak_ptr<MutiLineInputViewDelegate> delegate_;
  ui::ReturnKeyType returnKeyType_ = ui::ReturnKeyType::Default;
};

}  // namespace zu
