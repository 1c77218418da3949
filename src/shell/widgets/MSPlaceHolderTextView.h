// MSPlaceHolderTextView: a multi-line text view that shows a grey placeholder text while it holds
// no text — the feedback screen's message box, the profile editor and the comment box. Main
// thread; made with std::make_shared (in code or by an interface file, both the same way).
//
// The placeholder label (tag kPlaceholderTag) is made at the first drawing with a non-empty
// placeholder, at (8, 8), the view's width less 16, wrapped over any number of lines in the view's
// font and the placeholder colour; every drawing refreshes its text and size and keeps it behind
// the text, and shows it when the text is empty (hides it while the input method composes into
// the empty view). Text changes — typed ones through the text view's own change notification,
// and setText — show it (alpha 1) while the text is empty and hide it (alpha 0) otherwise; with
// an empty placeholder they do nothing and no label is ever made. The
// content inset is always zero.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/text/TextView.h"

namespace zu {

class MSPlaceHolderTextView : public ui::TextView {
 public:
  static constexpr int kPlaceholderTag = 999;

  explicit MSPlaceHolderTextView(const ui::Rect& frame = ui::Rect());
  ~MSPlaceHolderTextView() override;

  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(std::string placeholder) { placeholder_ = std::move(placeholder); }
  const ui::Color& placeholderColor() const { return placeholderColor_; }
  void setPlaceholderColor(const ui::Color& color) { placeholderColor_ = color; }

  // Sets the text, then shows or hides the placeholder (it hides TextView's setText: set the
  // text through this class).
  void setText(std::string text);
  void setContentInset(const ui::EdgeInsets& insets) override;

  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;
  std::string className() const override { return "MSPlaceHolderTextView"; }

 private:
  void textChanged();

  std::string placeholder_;
  ui::Color placeholderColor_;
};

}  // namespace zu
