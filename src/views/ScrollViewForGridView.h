// ScrollViewForGridView: the scroll view of a grid, with one more delegate: setting
// scrollViewForGridViewDelegate also makes that object the ordinary scroll delegate, so one
// object (the grid) gets the scrolling callbacks and the touch and gesture reports of
// ScrollViewForGridView_3_0. Main thread; the delegate is held weakly.
#pragma once

#include <memory>

#include "platform/ui/views/ScrollView.h"
#include "views/ScrollViewForGridViewProtocol.h"

namespace zu {

class ScrollViewForGridView : public ui::ScrollView {
 public:
  explicit ScrollViewForGridView(const ui::Rect& frame = ui::Rect()) : ui::ScrollView(frame) {}

  std::shared_ptr<ScrollViewForGridViewProtocol> scrollViewForGridViewDelegate() const {
    return gridDelegate_.lock();
  }
  void setScrollViewForGridViewDelegate(const std::weak_ptr<ScrollViewForGridViewProtocol>& delegate) {
    gridDelegate_ = delegate;
    setDelegate(delegate);
  }

  std::string className() const override { return "ScrollViewForGridView"; }

 private:
  std::weak_ptr<ScrollViewForGridViewProtocol> gridDelegate_;
};

}  // namespace zu
