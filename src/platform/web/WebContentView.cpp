#include "platform/web/WebContentView.h"

namespace zu::web {

void WebContentView::forward(const ui::TouchSet& touches, WebViewBackend::Finger finger) {
  if (!onTouch_ || touches.empty() || !touches.front()) return;
  onTouch_(finger, touches.front()->locationInView(this));
}

void WebContentView::touchesBegan(const ui::TouchSet& touches, const ui::Event&) {
  forward(touches, WebViewBackend::Finger::kDown);
}

void WebContentView::touchesEnded(const ui::TouchSet& touches, const ui::Event&) {
  forward(touches, WebViewBackend::Finger::kUp);
}

void WebContentView::touchesCancelled(const ui::TouchSet& touches, const ui::Event&) {
  forward(touches, WebViewBackend::Finger::kCancel);
}

}  // namespace zu::web
