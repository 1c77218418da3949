#include "settings/progress/PBProgressBar.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"

namespace zu {

namespace {

constexpr int kLeftCap = 20;
constexpr int kTopCap = 3;
constexpr float kStretchLeft = 10;
constexpr float kStretchCaps = 20;

}  // namespace

PBProgressBar::PBProgressBar(const ui::Rect& frame) : ui::View(frame) { internalInit(); }

void PBProgressBar::internalInit() {
  setBackgroundColor(ui::Color::clearColor());
  backgroundImageView_ = std::make_shared<ui::ImageView>(bounds());
  backgroundImageView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  addSubview(backgroundImageView_);
  progressImageView_ = std::make_shared<ui::ImageView>(ui::Rect(0, 0, 0, bounds().size.height));
  addSubview(progressImageView_);
  setProgress(0);
}

ui::Rect PBProgressBar::contentStretchFor(float width) {
  if (!(width > 0)) return ui::Rect(0, 0, 1, 1);
  // Caps of 10 leave nothing to stretch in a picture 20 points wide or less: its middle point
  // stretches instead, so its rounded ends stay ends rather than being drawn out with the bar.
  if (width - kStretchCaps < 1) {
    const float left = std::floor((width - 1) / 2);
    return ui::Rect(std::max(left, 0.f) / width, 0, std::min(1.f, 1 / width), 1);
  }
  return ui::Rect(kStretchLeft / width, 0, (width - kStretchCaps) / width, 1);
}

int PBProgressBar::leftCapFor(float width) {
  // The stretched column lies after the cap: a picture no wider than the cap takes its middle.
  if (!(width > kLeftCap)) return std::max(0, static_cast<int>(std::floor((width - 1) / 2)));
  return kLeftCap;
}

void PBProgressBar::setProgress(float progress) {
  progress_ = std::isnan(progress) ? 0.f : std::clamp(progress, 0.f, 1.f);
  setNeedsLayout();
  layoutSubviews();
}

void PBProgressBar::layoutSubviews() {
  const ui::Rect b = bounds();
  progressImageView_->setFrame(ui::Rect(0, 0, b.size.width * progress_, b.size.height));
}

void PBProgressBar::setProgressImage(std::shared_ptr<ui::Image> image) {
  progressImage_ = std::move(image);
  progressImageView_->setImage(progressImage_);
  progressImageView_->setContentStretch(contentStretchFor(progressImage_ ? progressImage_->size().width : 0));
}

void PBProgressBar::setBackgroundImage(const std::shared_ptr<ui::Image>& image) {
  backgroundImage_ = image ? image->stretchableImage(leftCapFor(image->size().width), kTopCap) : nullptr;
  backgroundImageView_->setImage(backgroundImage_);
  backgroundImageView_->setContentStretch(contentStretchFor(image ? image->size().width : 0));
}

}  // namespace zu
