// WebContentView: the content of a WebView's scroll view, as large as the page's document. It
// is where the page's touches land: a finger that goes down and lifts again (a tap) is handed to
// the page, which clicks there; a finger that drags is taken by the scroll view's pan
// recogniser, which cancels the touch here, so the page sees no click. Transparent: the web
// view draws the page's picture beneath it.
//
// Main thread; owned by the scroll view (its subview).
#pragma once

#include <functional>

#include "platform/ui/views/View.h"
#include "platform/web/WebViewBackend.h"

namespace zu::web {

class WebContentView : public ui::View {
 public:
  // The finger and where it is in the content's coordinates (the document's).
  using TouchHandler = std::function<void(WebViewBackend::Finger finger, ui::Point point)>;

  explicit WebContentView(const ui::Rect& frame) : View(frame) {}

  void setTouchHandler(TouchHandler handler) { onTouch_ = std::move(handler); }

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;
  std::string className() const override { return "WebContentView"; }

 private:
  void forward(const ui::TouchSet& touches, WebViewBackend::Finger finger);

  TouchHandler onTouch_;
};

}  // namespace zu::web
