#include "shell/widgets/PageControl.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/input/Touch.h"

namespace zu {

PageControl::PageControl(const ui::Rect& frame)
    : View(frame),
      dotColorCurrentPage_(ui::Color::blackColor()),
      dotColorOtherPage_(ui::Color::lightGrayColor()) {
  setBackgroundColor(ui::Color::clearColor());
}

PageControl::PageControl(FromInterfaceFile, const ui::Rect& frame)
    : View(frame),
      dotColorCurrentPage_(ui::Color::white(0.6f)),
      dotColorOtherPage_(ui::Color::white(225.f / 255.f)) {
  setBackgroundColor(ui::Color::clearColor());
}

void PageControl::setCurrentPage(int page) {
  currentPage_ = std::min(std::max(page, 0), numberOfPages_ - 1);
  setNeedsDisplay();
}

void PageControl::setNumberOfPages(int count) {
  numberOfPages_ = std::max(count, 0);
  setCurrentPage(currentPage_);
}

void PageControl::draw(ui::Canvas& canvas, const ui::Rect& rect) {
  View::draw(canvas, rect);
  const int n = numberOfPages_;
  if (n < 1) return;
  const ui::Rect b = bounds();
  const float rowWidth = n * kDotDiameter + (n - 1) * kDotSpacing;
  float x = b.midX() - rowWidth / 2;
  const float y = b.midY() - kDotDiameter / 2;
  for (int i = 0; i < n; ++i, x += kDotPitch) {
    canvas.setFillColor(i == currentPage_ ? dotColorCurrentPage_ : dotColorOtherPage_);
    canvas.fillEllipse(ui::Rect(x, y, kDotDiameter, kDotDiameter));
  }
}

void PageControl::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
  (void)event;
  if (delegate_ == nullptr || touches.empty() || numberOfPages_ < 1) return;
  const ui::Point p = touches.front()->locationInView(this);
  const float w = numberOfPages_ * kDotPitch;
  const float x = p.x + w / 2 - bounds().midX();
  const float y = p.y + kTouchHeight / 2 - bounds().midY();
  if (x < 0 || x > w || y < 0 || y > kTouchHeight) return;
  setCurrentPage(static_cast<int>(std::floor(x / kDotPitch)));
  delegate_->pageControlPageDidChange(*this);
}

}  // namespace zu
