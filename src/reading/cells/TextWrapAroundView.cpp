#include "reading/cells/TextWrapAroundView.h"

#include <algorithm>

#include "platform/ui/text/Typesetter.h"

namespace zu {

namespace {

// The gap between the wrapped rectangle and the frame's edges that decides whether it sits at
// the right edge.
constexpr float kEdgeGap = 10;
// The narrowest band: a line in it holds a single character.
constexpr float kNarrowestBand = 1;

}  // namespace

TextWrapAroundView::TextWrapAroundView(const ui::Rect& frame) : View(frame) {}

void TextWrapAroundView::setAttributedString(std::optional<ui::AttributedString> text) {
  if (text == text_) return;
  text_ = std::move(text);
}

std::unique_ptr<ui::TextFrame> TextWrapAroundView::createCTFrame() const {
  const ui::Rect f = frame();
  const ui::Rect& r = wrapped_;
  const bool inside = f.minX() <= r.minX() && f.minY() <= r.minY() && r.maxX() <= f.maxX() &&
                      r.maxY() <= f.maxY();
  if (!inside) return nullptr;
  if (r.minX() - f.minX() < kEdgeGap || f.maxX() - r.maxX() >= kEdgeGap) return nullptr;
  if (!text_ || text_->length() == 0) return nullptr;
  if (f.width() <= 0 || f.height() <= 0 || fontSize_ <= 0) return nullptr;

  // A gap wider than the room left of the rectangle leaves the band no width; the typesetter
  // reads a width of 0 or less as unlimited and would run the first line across the rectangle,
  // so the band keeps at least one character a line.
  const float narrow = std::max(r.minX() - f.minX() - xDistance_, kNarrowestBand);
  const float band =
      static_cast<float>(3.0 * (1.2 * static_cast<double>(fontSize_) + static_cast<double>(lineSpace_)));
  const ui::Typesetter typesetter(*text_);
  return std::make_unique<ui::TextFrame>(typesetter.createFrame(
      ui::TextRange{}, ui::Rect(0, 0, f.width(), f.height()),
      ui::Typesetter::band(f.width(), band, narrow)));
}

float TextWrapAroundView::calculateTotalHeight() {
  layout_ = createCTFrame();
  if (!layout_) return 0;
  const float height = static_cast<float>(layout_->lines().size()) * (fontSize_ + lineSpace_);
  const ui::Rect f = frame();
  setFrame(ui::Rect(f.minX(), f.minY(), f.width(), height));
  return height;
}

void TextWrapAroundView::draw(ui::Canvas& canvas, const ui::Rect& rect) {
  View::draw(canvas, rect);
  if (!layout_) return;
  const float pitch = fontSize_ + lineSpace_;
  for (size_t i = 0; i < layout_->lines().size(); ++i) {
    layout_->drawLine(canvas, i, ui::Point{0, fontSize_ + static_cast<float>(i) * pitch});
  }
}

}  // namespace zu
