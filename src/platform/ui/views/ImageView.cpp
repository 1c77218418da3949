#include "platform/ui/views/ImageView.h"

#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

ImageView::ImageView(const Rect& frame) : View(frame) { setUserInteractionEnabled(false); }

ImageView::ImageView(std::shared_ptr<Image> image)
    : View(image ? Rect(Point{0, 0}, image->size()) : Rect()), image_(std::move(image)) {
  setUserInteractionEnabled(false);
}

ImageView::~ImageView() {
  if (timer_) timer_->invalidate();
}

void ImageView::setImage(std::shared_ptr<Image> image) {
  image_ = std::move(image);
  setNeedsDisplay();
}

void ImageView::setHighlightedImage(std::shared_ptr<Image> image) {
  highlightedImage_ = std::move(image);
  setNeedsDisplay();
}

void ImageView::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void ImageView::setAnimationImages(std::vector<std::shared_ptr<Image>> images) {
  frames_ = std::move(images);
  if (frames_.empty()) stopAnimating();
}

void ImageView::startAnimating() {
  if (frames_.empty() || timer_) return;
  const double total = duration_ > 0 ? duration_ : static_cast<double>(frames_.size()) / 30;
  shown_ = 0;
  std::weak_ptr<View> weak = shared();
  timer_ = Timer::scheduled(total / static_cast<double>(frames_.size()), true, [weak](Timer&) {
    if (auto self = std::static_pointer_cast<ImageView>(weak.lock())) self->step();
  });
  setNeedsDisplay();
}

void ImageView::step() {
  ++shown_;
  if (repeatCount_ > 0 && shown_ >= frames_.size() * static_cast<size_t>(repeatCount_)) {
    stopAnimating();
    return;
  }
  setNeedsDisplay();
}

void ImageView::stopAnimating() {
  if (!timer_) return;
  timer_->invalidate();
  timer_.reset();
  setNeedsDisplay();
}

std::shared_ptr<Image> ImageView::displayedImage() const {
  if (timer_ && !frames_.empty()) return frames_[shown_ % frames_.size()];
  if (highlighted_ && highlightedImage_) return highlightedImage_;
  return image_;
}

Size ImageView::sizeThatFits(Size) const { return image_ ? image_->size() : Size{0, 0}; }

void ImageView::draw(Canvas& canvas, const Rect& rect) {
  // Like the phone, the image is not clipped to the bounds (aspect fill overflows unless the
  // view clips).
  if (auto image = displayedImage()) {
    const Rect target = contentRect(contentMode(), image->size(), rect);
    if (contentMode() == ContentMode::ScaleToFill) {
      canvas.drawImageStretching(*image, target, contentStretch());
    } else {
      canvas.drawImage(*image, target);
    }
  }
}

std::string ImageView::dumpDetails() const {
  auto image = displayedImage();
  if (!image) return std::string();
  if (!image->name().empty()) return " image=" + image->name();
  return " image=" + std::to_string(image->pixelWidth()) + "x" + std::to_string(image->pixelHeight());
}

}  // namespace zu::ui
