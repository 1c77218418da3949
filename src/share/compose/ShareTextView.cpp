#include "share/compose/ShareTextView.h"

namespace zu {

bool ShareTextView::canPerformAction(const std::string& action, Object* sender) {
  return didTouch_ && ui::TextView::canPerformAction(action, sender);
}

void ShareTextView::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  didTouch_ = true;
  ui::TextView::touchesBegan(touches, event);
}

void ShareTextView::touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) {
  didTouch_ = true;
  ui::TextView::touchesCancelled(touches, event);
}

}  // namespace zu
