// WebScrollView: the scroll view of a WebView. It scrolls as every kit scroll view does (its own
// pan recogniser, bouncing, the delegate's callbacks, so a screen can watch drags and offsets)
// and tells its web view each offset it takes, so that the page inside the engine scrolls to
// match. Vertical bouncing is always on, as on the phone's web views: a short page can still
// be pulled down.
//
// Main thread; owned by its WebView (its subview).
#pragma once

#include <functional>

#include "platform/ui/views/ScrollView.h"

namespace zu::web {

class WebScrollView : public ui::ScrollView {
 public:
  using OffsetHandler = std::function<void(ui::Point offset)>;

  explicit WebScrollView(const ui::Rect& frame);

  // Called after each change of the offset.
  void setOffsetHandler(OffsetHandler handler) { onOffset_ = std::move(handler); }

  void setContentOffset(ui::Point offset) override;
  std::string className() const override { return "WebScrollView"; }

 private:
  OffsetHandler onOffset_;
};

}  // namespace zu::web
