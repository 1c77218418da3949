// LwGrowingTextView: a text entry that grows and shrinks with its text, a line at a time,
// between minNumberOfLines (1) and maxNumberOfLines (4), and scrolls inside past the maximum.
// It wraps an LwTextViewInternal, shows a grey placeholder label while empty (only when made
// from an interface file), animates its height changes and tells its delegate before and after
// each, so that the view around it (the multi-line input bar) can follow. Below system version
// 4.0 it is a one-line TextField instead and does not grow. Main thread; std::make_shared; the
// delegate is not retained; the interface file "LwGrowingTextView" makes one.
//
// Kept from the phone:
//  - The mode is fixed at creation: one line when the system version reads below 4.0 (a version
//    that is no number is multi-line); a view from an interface file is always multi-line.
//  - n lines measure as a hidden internal text view in the current font holding "-" (one line)
//    or n − 1 newlines, its content height cut to whole points; they are measured again on
//    every font change. The one-line mode ignores line limits, answers selectedRange with all
//    32 bits set in both fields and dataDetectorTypes 0; its field gets no delegate.
//  - After each edit and setText: h = the content height cut to whole points, raised to the
//    minimum (also while empty), cut to the maximum. Unchanged: only growingTextViewDidChange.
//    Else, in an animation named "" (when animateHeightChange) whose end sends
//    growingTextViewDidChangeHeight: growingTextViewWillChangeHeight(h) before the frames move,
//    the view's and the internal frames, commit; scrolling off below the maximum, else on with
//    one flash when it switches; then growingTextViewDidChange.
//  - Editing: delete in an empty view shows the placeholder and is refused; a change of the
//    range (0, 1) shows it for an empty replacement and hides it otherwise; other ranges hide
//    it; setText leaves it alone. A lone "\n" that the delegate's shouldReturn answers yes
//    resigns the text view and is refused; otherwise it is inserted. Ranges are UTF-16 units.
// Where we differ on purpose: a maximum below the minimum counts as the minimum, so the view
// never shrinks below its minimum; endEditing asks the internal control to resign (the kit has
// no forced resignation).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/Label.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/views/View.h"
#include "shell/widgets/LwTextViewInternal.h"

namespace zu {

class LwGrowingTextView;

// Every method is optional: the defaults are the answers of a delegate that does not implement it.
class LwGrowingTextViewDelegate {
 public:
  virtual ~LwGrowingTextViewDelegate() = default;
  virtual void growingTextViewWillChangeHeight(LwGrowingTextView&, float /*height*/) {}
  virtual void growingTextViewDidChange(LwGrowingTextView&) {}
  virtual void growingTextViewDidChangeHeight(LwGrowingTextView&, float /*height*/) {}
  virtual bool growingTextViewShouldBeginEditing(LwGrowingTextView&) { return true; }
  virtual bool growingTextViewShouldEndEditing(LwGrowingTextView&) { return true; }
  virtual void growingTextViewDidBeginEditing(LwGrowingTextView&) {}
  virtual void growingTextViewDidEndEditing(LwGrowingTextView&) {}
  virtual bool growingTextViewShouldReturn(LwGrowingTextView&) { return false; }
  virtual void growingTextViewDidChangeSelection(LwGrowingTextView&) {}
};

class LwGrowingTextView : public ui::View, public ui::TextFieldDelegate {
 public:
  inline static const char* const kNibName = "LwGrowingTextView";
  // Tag of the constructor used by interface files.
  struct FromInterfaceFile {};

  explicit LwGrowingTextView(const ui::Rect& frame = ui::Rect());
  LwGrowingTextView(const ui::Rect& frame, FromInterfaceFile, std::string placeHolderString = std::string());
  ~LwGrowingTextView() override;

  // Registers the interface file kNibName: one growing text view (top-level), as a screen's
  // file places it.
  static void registerInterfaceFile();

  void setDelegate(std::weak_ptr<LwGrowingTextViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<LwGrowingTextViewDelegate> delegate() const { return delegate_.lock(); }

  // --- line limits and size
  void setMaxNumberOfLines(int n);
  void setMinNumberOfLines(int n);
  int maxNumberOfLines() const { return maxNumberOfLines_; }
  int minNumberOfLines() const { return minNumberOfLines_; }
  int minHeight() const { return minHeight_; }
  void setMinHeight(int height) { minHeight_ = height; }
  int maxHeight() const { return maxHeight_; }
  void setMaxHeight(int height) { maxHeight_ = height; }
  bool animateHeightChange() const { return animateHeightChange_; }
  void setAnimateHeightChange(bool animate) { animateHeightChange_ = animate; }
  bool isTextView() const { return isTextView_; }
  // The view's width and minHeight (sizeToFit keeps the origin).
  ui::Size sizeThatFits(ui::Size size) const override;

  // --- parts
  const std::shared_ptr<LwTextViewInternal>& internalTextView() const { return internalTextView_; }
  const std::shared_ptr<ui::TextField>& internalTextField() const { return internalTextField_; }
  const std::shared_ptr<ui::Label>& placeHolderInTextView() const { return placeHolderInTextView_; }
  const std::string& placeHolderString() const { return placeHolderString_; }
  void setPlaceHolderString(std::string text) { placeHolderString_ = std::move(text); }

  // --- forwarded to the internal text view (multi-line) or field (one line)
  std::string text() const;
  void setText(const std::string& text);
  ui::Font font() const;
  void setFont(const ui::Font& font);
  ui::Color textColor() const;
  void setTextColor(const ui::Color& color);
  ui::TextAlignment textAlignment() const;
  void setTextAlignment(ui::TextAlignment alignment);
  ui::ReturnKeyType returnKeyType() const;
  void setReturnKeyType(ui::ReturnKeyType type);
  bool isEditable() const;
  void setEditable(bool editable);
  ui::TextRange selectedRange() const;
  void setSelectedRange(ui::TextRange range);
  unsigned dataDetectorTypes() const;
  void setDataDetectorTypes(unsigned types);
  void scrollRangeToVisible(ui::TextRange range);
  bool hasText() const;
  bool becomeFirstResponder();
  bool resignFirstResponder();
  bool endEditing(bool force);

  // --- the internal field's return question, for a host that makes the view its delegate
  bool textFieldShouldReturn(ui::TextField& field) override;

 protected:
  void boundsDidChange(const ui::Rect& oldBounds) override;

 private:
  class TextDelegate;
  friend class TextDelegate;

  std::shared_ptr<LwTextViewInternal> makeTextView();
  void finishSetUp();
  // The height of n lines in the internal text view's font, cut to whole points.
  int measureLines(int n);
  // Follows the text's height (after each edit and setText).
  void textViewDidChange();
  bool shouldChangeText(ui::TextRange range, const std::string& replacement);
  void growDidStop();

  std::shared_ptr<TextDelegate> textDelegate_;
  std::shared_ptr<LwTextViewInternal> internalTextView_;
  std::shared_ptr<ui::TextField> internalTextField_;
  std::shared_ptr<ui::Label> placeHolderInTextView_;
  bool isTextView_ = true;
  std::string placeHolderString_;
  int minHeight_ = 0;
  int maxHeight_ = 0;
  int maxNumberOfLines_ = 0;
  int minNumberOfLines_ = 0;
  bool animateHeightChange_ = true;
  std::weak_ptr<LwGrowingTextViewDelegate> delegate_;
};

}  // namespace zu
