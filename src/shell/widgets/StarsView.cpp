#include "shell/widgets/StarsView.h"

#include <cmath>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/input/Touch.h"

namespace zu {

StarsView::StarsView(const ui::Rect& frame) : View(frame) {}

void StarsView::awakeFromNib() {
  View::awakeFromNib();
  totalNum_ = kStars;
  markedNum_ = 0;
  padding_ = 0;
  leftPadding_ = 0;
  height_ = bounds().size.height;
  width_ = bounds().size.width / kStars;
}

void StarsView::setTotalNum(int32_t total) {
  totalNum_ = total;
  setNeedsDisplay();
}

void StarsView::setMarkedNum(int32_t marked) {
  markedNum_ = marked;
  setNeedsDisplay();
}

void StarsView::setMarkedStarImage(std::shared_ptr<ui::Image> image) {
  markedStarImage_ = std::move(image);
  setNeedsDisplay();
}

void StarsView::setBlackStarImage(std::shared_ptr<ui::Image> image) {
  blackStarImage_ = std::move(image);
  setNeedsDisplay();
}

void StarsView::markedStar(const std::string& prefix, int32_t rank) {
  totalNum_ = kStars;
  markedStarImage_ = ui::Image::named(prefix + "_yellow");
  blackStarImage_ = ui::Image::named(prefix + "_black");
  markedNum_ = rank;
  setNeedsDisplay();
}

void StarsView::markedWithPosition(float x) {
  int32_t marked = 0;
  if (width_ > 0) {
    const double cells = std::trunc((static_cast<double>(x) - leftPadding_) / width_ + 1);
    marked = cells <= 0 ? 0 : cells > totalNum_ ? totalNum_ : static_cast<int32_t>(cells);
  }
  markedNum_ = marked;
  setNeedsDisplay();
  if (auto listener = delegate()) listener->markedNumChanged(markedNum_);
}

void StarsView::markTouches(const ui::TouchSet& touches) {
  const float x = touches.empty() ? 0.0f : touches.front()->locationInView(this).x;
  markedWithPosition(x);
}

void StarsView::touchesBegan(const ui::TouchSet& touches, const ui::Event&) { markTouches(touches); }

void StarsView::touchesMoved(const ui::TouchSet& touches, const ui::Event&) { markTouches(touches); }

void StarsView::draw(ui::Canvas& canvas, const ui::Rect& rect) {
  View::draw(canvas, rect);
  if (totalNum_ < 1) return;
  for (int32_t i = 0; i < totalNum_; ++i) {
    const auto& image = i < markedNum_ ? markedStarImage_ : blackStarImage_;
    if (!image) continue;
    canvas.drawImage(*image, ui::Rect(leftPadding_ + i * width_, 0, width_ - padding_, height_));
  }
}

std::string StarsView::dumpDetails() const {
  return View::dumpDetails() + " stars=" + std::to_string(markedNum_) + "/" + std::to_string(totalNum_);
}

}  // namespace zu
