#include "reading/pictures/PictureView.h"

#include <algorithm>

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/ScrollView.h"

namespace zu {

void PictureView::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<PictureView>();
  const ui::Rect bounds = cell->bounds();
  auto scroll = file.make<ui::ScrollView>(bounds);
  scroll->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  scroll->setBackgroundColor(ui::Color::clearColor());
  scroll->setShowsHorizontalScrollIndicator(false);
  scroll->setShowsVerticalScrollIndicator(false);
  auto image = file.make<ui::ImageView>(bounds);
  auto spinner = file.make<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::WhiteLarge);
  spinner->setCenter(ui::Point{bounds.size.width / 2, bounds.size.height / 2});
  spinner->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleRightMargin |
                               ui::kAutoresizingFlexibleTopMargin | ui::kAutoresizingFlexibleBottomMargin);
  scroll->addSubview(image);
  cell->addSubview(scroll);
  cell->addSubview(spinner);
  cell->imageScrollView_ = scroll;
  cell->imageView_ = image;
  cell->indicatorView_ = spinner;
  std::weak_ptr<PictureView> weak = cell;
  file.connect([weak] {
    if (auto self = weak.lock()) self->imageScrollView_->setDelegate(std::static_pointer_cast<ui::ScrollViewDelegate>(self));
  });
}

void PictureView::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

std::shared_ptr<PictureView> PictureView::load() {
  auto objects = ui::NibRegistry::shared().load(kNibName, nullptr);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<PictureView>(objects.front());
}

PictureView::PictureView() : GridViewCell(ui::Rect(0, 0, 320, 480)) {
  setIdentifiy(kNibName);
  setBackgroundColor(ui::Color::clearColor());
}

void PictureView::stopSpinner() {
  if (!indicatorView_) return;
  indicatorView_->stopAnimating();
  indicatorView_->setHidden(true);
}

void PictureView::showWaiting() {
  showsPicture_ = false;
  showsFailure_ = false;
  // A reused cell does not keep the zoom of the page it showed before.
  if (imageScrollView_) imageScrollView_->setZoomScale(1.0f);
  if (indicatorView_) {
    indicatorView_->setHidden(false);
    indicatorView_->startAnimating();
  }
  if (imageView_) imageView_->setHidden(true);
}

bool PictureView::showPicture(const std::shared_ptr<ui::Image>& image) {
  if (!image || !imageView_) return false;
  const ui::Size size = image->size();
  if (!(size.width > 0) || !(size.height > 0)) return false;
  stopSpinner();
  imageView_->setImage(image);
  showsPicture_ = true;
  showsFailure_ = false;
  resetImageRotate(false);
  imageView_->setHidden(false);
  return true;
}

void PictureView::showFailure(const std::shared_ptr<ui::Image>& image) {
  stopSpinner();
  showsPicture_ = false;
  showsFailure_ = true;
  if (!imageView_ || !imageScrollView_) return;
  imageView_->setImage(image);
  centreFailure(imageScrollView_->bounds().size);
  imageView_->setHidden(false);
}

void PictureView::centreFailure(ui::Size area) {
  laidOutFor_ = area;
  imageScrollView_->setZoomScale(1.0f);
  imageScrollView_->setMaximumZoomScale(1.0f);
  imageScrollView_->setContentSize(area);
  const ui::Size size = imageView_->image() ? imageView_->image()->size() : ui::Size{};
  imageView_->setFrame(ui::Rect(0, 0, size.width, size.height));
  imageView_->setCenter(ui::Point{area.width / 2, area.height / 2});
}

void PictureView::resetImageRotate(bool rotate) {
  if (!imageScrollView_ || !imageView_) return;
  ui::Size area = imageScrollView_->bounds().size;
  if (rotate) std::swap(area.width, area.height);
  if (showsFailure_) {
    centreFailure(area);
    return;
  }
  if (!showsPicture_ || !imageView_->image()) return;
  const ui::Size picture = imageView_->image()->size();
  const float W = area.width, H = area.height, w = picture.width, h = picture.height;
  if (!(W > 0) || !(H > 0) || !(w > 0) || !(h > 0)) return;
  laidOutFor_ = area;
  imageScrollView_->setZoomScale(1.0f);
  imageScrollView_->setContentSize(area);
  ui::Size fitted;
  float largest = 0;
  if (W / H <= w / h) {
    fitted = ui::Size{W, W * h / w};
    largest = w / W;
  } else {
    fitted = ui::Size{H * w / h, H};
    largest = h / H;
  }
  imageScrollView_->setMaximumZoomScale(largest >= 1.0f ? largest * kZoomHeadroom : kZoomHeadroom);
  imageView_->setFrame(ui::Rect(0, 0, fitted.width, fitted.height));
  imageView_->setCenter(ui::Point{W / 2, H / 2});
}

void PictureView::layoutSubviews() {
  GridViewCell::layoutSubviews();
  // A page given another size (a parked cell reused after a turn, a grid resized) lays its
  // picture out again; a page laid out ahead for a turn already has the size it gets.
  if (!imageScrollView_ || !(showsPicture_ || showsFailure_)) return;
  if (imageScrollView_->bounds().size != laidOutFor_) resetImageRotate(false);
}

std::shared_ptr<ui::View> PictureView::viewForZooming(ui::ScrollView&) { return imageView_; }

void PictureView::scrollViewDidZoom(ui::ScrollView& scrollView) {
  if (!imageView_) return;
  const ui::Size area = scrollView.bounds().size;
  ui::Size content = scrollView.contentSize();
  content.width = std::max(content.width, area.width);
  content.height = std::max(content.height, area.height);
  scrollView.setContentSize(content);
  imageView_->setCenter(ui::Point{content.width / 2, content.height / 2});
}

}  // namespace zu
