#include "platform/web/WebScrollView.h"

namespace zu::web {

WebScrollView::WebScrollView(const ui::Rect& frame) : ScrollView(frame) {
  setAlwaysBounceVertical(true);
}

void WebScrollView::setContentOffset(ui::Point offset) {
  const ui::Point before = contentOffset();
  ScrollView::setContentOffset(offset);
  if (onOffset_ && (contentOffset().x != before.x || contentOffset().y != before.y)) {
    onOffset_(contentOffset());
  }
}

}  // namespace zu::web
