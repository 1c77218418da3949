// SPTitleView: one named bundle picture in a view of its size, for a navigation item's title
// view. create() gives null when the picture is missing. Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/View.h"

namespace zu::ui {
class ImageView;
}  // namespace zu::ui

namespace zu {

class SPTitleView : public ui::View {
 public:
  static std::shared_ptr<SPTitleView> create(const std::string& logoName);

  explicit SPTitleView(const ui::Rect& frame);
  const std::shared_ptr<ui::ImageView>& background() const { return mBackgroud_; }
  void layoutSubviews() override;
  std::string className() const override { return "SPTitleView"; }

 private:
  std::shared_ptr<ui::ImageView> mBackgroud_;
};

}  // namespace zu
