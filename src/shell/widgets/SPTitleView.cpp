#include "shell/widgets/SPTitleView.h"

#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"

namespace zu {

std::shared_ptr<SPTitleView> SPTitleView::create(const std::string& logoName) {
  auto image = ui::Image::named(logoName);
  if (!image) return nullptr;
  auto view = std::make_shared<SPTitleView>(ui::Rect(ui::Point{0, 0}, image->size()));
  view->mBackgroud_->setImage(image);
  return view;
}

SPTitleView::SPTitleView(const ui::Rect& frame) : ui::View(frame) {
  mBackgroud_ = std::make_shared<ui::ImageView>(bounds());
  mBackgroud_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  addSubview(mBackgroud_);
  setBackgroundColor(ui::Color::clearColor());
}

void SPTitleView::layoutSubviews() { mBackgroud_->setFrame(bounds()); }

}  // namespace zu
