#include "reading/refresh/LoadMoreView.h"

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/views/Label.h"
#include "reading/support/ReadingLook.h"

namespace zu {

LoadMoreView::LoadMoreView(const ui::Rect& frame, bool night) : View(frame) {
  const float w = frame.width();
  const float h = frame.height();
  setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  setBackgroundColor(ui::Color::clearColor());
  status_ = std::make_shared<ui::Label>(ui::Rect(135, h / 2, w, 20));
  status_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  status_->setFont(ui::Font::boldSystemFont(13));
  status_->setBackgroundColor(ui::Color::clearColor());
  status_->setShadowOffset(ui::Size{0, 1});
  status_->setText("正在载入更多");
  addSubview(status_);
  placeSpinner(std::make_shared<ui::ActivityIndicatorView>());
  setNightMode(night);
}

void LoadMoreView::placeSpinner(std::shared_ptr<ui::ActivityIndicatorView> spinner) {
  if (activity_) activity_->removeFromSuperview();
  activity_ = std::move(spinner);
  activity_->setFrame(ui::Rect(110, bounds().height() / 2, 20, 20));
  activity_->setHidesWhenStopped(false);
  addSubview(activity_);
  activity_->startAnimating();
}

void LoadMoreView::setNightMode(bool night) {
  ReadingLook::dressStatusLine(*status_, night, ReadingLook::grey(153));
  activity_->setStyle(night ? ui::ActivityIndicatorStyle::White : ui::ActivityIndicatorStyle::Gray);
}

void LoadMoreView::setStyle2() {
  ReadingLook::dressDarkStatusLine(*status_);
  placeSpinner(std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::White));
}

}  // namespace zu
