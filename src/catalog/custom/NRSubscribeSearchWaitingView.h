// NRSubscribeSearchWaitingView: the small "正在搜索中..." sign the custom subscription list lays over
// its table while a search runs: a grey spinner that always turns, and the text beside it, in a
// 132 × 26 view. The list shows and hides it. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class Label;
}  // namespace ui

class NRSubscribeSearchWaitingView : public ui::View {
 public:
  static constexpr const char* kText = "正在搜索中...";

  NRSubscribeSearchWaitingView();

  const std::shared_ptr<ui::ActivityIndicatorView>& indicator() const { return indicator_; }
  const std::shared_ptr<ui::Label>& label() const { return label_; }
  std::string className() const override { return "NRSubscribeSearchWaitingView"; }

 private:
  std::shared_ptr<ui::ActivityIndicatorView> indicator_;
  std::shared_ptr<ui::Label> label_;
};

}  // namespace zu
