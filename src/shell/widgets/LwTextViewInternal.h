// LwTextViewInternal: the multi-line text view inside a growing text view (LwGrowingTextView).
// It keeps its content insets to what a growing entry needs: the top inset is always 0 and a
// bottom inset above 8 points becomes 0; each offset change clears the insets while the user
// drags or the view decelerates, and otherwise, with scrolling on, leaves 8 points below the
// text while the offset is short of the end; the scroll indicators get insets (0, 0, 2, 0).
// Main thread; std::make_shared.
#pragma once

#include "platform/ui/text/TextView.h"

namespace zu {

class LwTextViewInternal : public ui::TextView {
 public:
  static constexpr float kBottomInset = 8;

  using ui::TextView::TextView;
  using ui::TextView::setContentOffset;

  void setContentInset(const ui::EdgeInsets& insets) override;
  void setContentOffset(ui::Point offset) override;
};

}  // namespace zu
