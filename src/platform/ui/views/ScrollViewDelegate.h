// ScrollViewDelegate: what a scroll view tells its delegate (held weakly by the ScrollView),
// with the phone's callbacks; every method is optional (empty by default). Main thread.
#pragma once

#include <memory>

namespace zu::ui {

class ScrollView;
class View;

class ScrollViewDelegate {
 public:
  virtual ~ScrollViewDelegate() = default;
  // Only when the content offset actually changed.
  virtual void scrollViewDidScroll(ScrollView&) {}
  virtual void scrollViewWillBeginDragging(ScrollView&) {}
  virtual void scrollViewDidEndDragging(ScrollView&, bool willDecelerate) { (void)willDecelerate; }
  virtual void scrollViewWillBeginDecelerating(ScrollView&) {}
  virtual void scrollViewDidEndDecelerating(ScrollView&) {}
  virtual void scrollViewDidEndScrollingAnimation(ScrollView&) {}
  // Zooming: the view that zooms (null: no zooming), each change, the end of an animated zoom.
  virtual std::shared_ptr<View> viewForZooming(ScrollView&) { return nullptr; }
  virtual void scrollViewDidZoom(ScrollView&) {}
  virtual void scrollViewDidEndZooming(ScrollView&, View* view, float scale) {
    (void)view;
    (void)scale;
  }
};

}  // namespace zu::ui
