#include "platform/ui/views/Label.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

Label::Label(const Rect& frame) : View(frame) {
  setBackgroundColor(Color::whiteColor());
  setUserInteractionEnabled(false);
}

void Label::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

void Label::setFont(const Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void Label::setTextColor(const Color& color) {
  textColor_ = color;
  setNeedsDisplay();
}

void Label::setHighlightedTextColor(std::optional<Color> color) {
  highlightedTextColor_ = color;
  setNeedsDisplay();
}

void Label::setShadowColor(std::optional<Color> color) {
  shadowColor_ = color;
  setNeedsDisplay();
}

void Label::setShadowOffset(Size offset) {
  shadowOffset_ = offset;
  setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
  lines_ = std::max(0, lines);
  setNeedsDisplay();
}

void Label::setLineBreakMode(LineBreakMode mode) {
  lineBreak_ = mode;
  setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void Label::setEnabled(bool enabled) {
  enabled_ = enabled;
  setNeedsDisplay();
}

Rect Label::textRectForBounds(const Rect& bounds, int numberOfLines) const {
  if (text_.empty()) return Rect(bounds.origin, Size{0, 0});
  const TextMetrics& metrics = TextMetrics::current();
  float height = bounds.size.height;
  if (numberOfLines > 0) height = std::min(height, numberOfLines * metrics.lineHeight(font_));
  const Size s = metrics.sizeOf(text_, font_, Size{bounds.size.width, height}, lineBreak_);
  return Rect(bounds.origin, Size{std::min(s.width, bounds.size.width), s.height});
}

void Label::drawTextInRect(Canvas& canvas, const Rect& rect) {
  if (text_.empty()) return;
  // The label's own measure, not a subclass's placement: the text is centred in `rect`.
  const Rect textRect = Label::textRectForBounds(rect, lines_);
  const Rect area(rect.origin.x, rect.origin.y + (rect.size.height - textRect.size.height) / 2,
                  rect.size.width, textRect.size.height);
  const TextMetrics& metrics = TextMetrics::current();
  Color color = highlighted_ && highlightedTextColor_ ? *highlightedTextColor_ : textColor_;
  if (!enabled_) color = color.withAlpha(color.alpha * 0.5f);
  if (shadowColor_) {
    metrics.draw(canvas, text_, area.offsetBy(shadowOffset_.width, shadowOffset_.height), font_,
                 *shadowColor_, lineBreak_, alignment_);
  }
  metrics.draw(canvas, text_, area, font_, color, lineBreak_, alignment_);
}

Size Label::sizeThatFits(Size size) const {
  if (text_.empty()) return {0, 0};
  const TextMetrics& metrics = TextMetrics::current();
  if (lines_ == 1) return metrics.sizeOf(text_, font_);
  const float width = size.width > 0 ? size.width : 0;
  const float height = lines_ > 0 ? lines_ * metrics.lineHeight(font_) : 0;
  return metrics.sizeOf(text_, font_, Size{width, height}, lineBreak_);
}

void Label::draw(Canvas& canvas, const Rect& rect) { drawTextInRect(canvas, rect); }

std::string Label::dumpDetails() const { return " text=\"" + text_ + "\""; }

}  // namespace zu::ui
