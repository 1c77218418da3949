#include "shell/widgets/LwTextViewInternal.h"

namespace zu {

void LwTextViewInternal::setContentInset(const ui::EdgeInsets& insets) {
  ui::EdgeInsets kept = insets;
  kept.top = 0;
  if (insets.bottom > kBottomInset) kept.bottom = 0;
  ui::TextView::setContentInset(kept);
}

void LwTextViewInternal::setContentOffset(ui::Point offset) {
  if (isTracking() || isDecelerating()) {
    setContentInset(ui::EdgeInsets{});
  } else if (offset.y < contentSize().height - frame().size.height + contentInset().bottom &&
             isScrollEnabled()) {
    ui::EdgeInsets insets = contentInset();
    insets.bottom = kBottomInset;
    setContentInset(insets);
  }
  setScrollIndicatorInsets(ui::EdgeInsets{0, 0, 2, 0});
  ui::TextView::setContentOffset(offset);
}

}  // namespace zu
