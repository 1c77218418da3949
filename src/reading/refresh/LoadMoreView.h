// LoadMoreView: a spinner with a status line ("正在载入更多"), which the article list lays over
// its whole content area while a column's first page loads (with the text "正在读取内容"). The
// spinner starts at once and stays visible when stopped. Day look (136, 136, 136) with a white
// shadow, night (153, 153, 153) with a black shadow at 0.75; setStyle2 is the video list's dark
// style with a new white spinner. Clear background, stretches with the width. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/views/View.h"

namespace zu::ui {
class ActivityIndicatorView;
class Label;
}  // namespace zu::ui

namespace zu {

class LoadMoreView : public ui::View {
 public:
  LoadMoreView(const ui::Rect& frame, bool night);

  const std::shared_ptr<ui::Label>& statusLabel() const { return status_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& activityView() const { return activity_; }

  // The colours and spinner style of the mode; the text stays.
  void setNightMode(bool night);
  void setStyle2();

  std::string className() const override { return "LoadMoreView"; }

 private:
  void placeSpinner(std::shared_ptr<ui::ActivityIndicatorView> spinner);

  std::shared_ptr<ui::Label> status_;
  std::shared_ptr<ui::ActivityIndicatorView> activity_;
};

}  // namespace zu
