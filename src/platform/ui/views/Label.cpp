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
  layoutChanged();
}

void Label::setFont(const Font& font) {
  font_ = font;
  layoutChanged();
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
  layoutChanged();
}

void Label::setNumberOfLines(int lines) {
  lines_ = std::max(0, lines);
  layoutChanged();
}

void Label::setLineBreakMode(LineBreakMode mode) {
  lineBreak_ = mode;
  layoutChanged();
}

void Label::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void Label::setEnabled(bool enabled) {
  enabled_ = enabled;
  setNeedsDisplay();
}

void Label::layoutChanged() {
  layouts_.clear();
  setNeedsDisplay();
}

const TextMetrics::Layout& Label::layoutFor(Size size) const {
  return layouts_.layoutFor(size, [&] {
    return TextMetrics::current().layoutIn(text_, font_, size, lineBreak_);
  });
}

namespace {

// The constraint a label's text is laid out in within `bounds`: their width, and their height
// cut to `numberOfLines` lines (0: no limit).
Size textConstraint(const Rect& bounds, int numberOfLines, const Font& font) {
  float height = bounds.size.height;
  if (numberOfLines > 0) {
    height = std::min(height, numberOfLines * TextMetrics::current().lineHeight(font));
  }
  return Size{bounds.size.width, height};
}

}  // namespace

Rect Label::textRectForBounds(const Rect& bounds, int numberOfLines) const {
  if (text_.empty()) return Rect(bounds.origin, Size{0, 0});
  const Size s = layoutFor(textConstraint(bounds, numberOfLines, font_)).size;
  return Rect(bounds.origin, Size{std::min(s.width, bounds.size.width), s.height});
}

void Label::drawTextInRect(Canvas& canvas, const Rect& rect) {
  if (text_.empty()) return;
  // The label's own measure, not a subclass's placement: the text is centred in `rect`. The
  // lines measured are the lines drawn (the text rectangle holds exactly them).
  const TextMetrics::Layout& laid = layoutFor(textConstraint(rect, lines_, font_));
  const float height = laid.size.height;
  const Rect area(rect.origin.x, rect.origin.y + (rect.size.height - height) / 2,
                  rect.size.width, height);
  const TextMetrics& metrics = TextMetrics::current();
  Color color = highlighted_ && highlightedTextColor_ ? *highlightedTextColor_ : textColor_;
  if (!enabled_) color = color.withAlpha(color.alpha * 0.5f);
  if (shadowColor_) {
    metrics.drawLayout(canvas, laid, area.offsetBy(shadowOffset_.width, shadowOffset_.height),
                       font_, *shadowColor_, alignment_);
  }
  metrics.drawLayout(canvas, laid, area, font_, color, alignment_);
}

Size Label::sizeThatFits(Size size) const {
  if (text_.empty()) return {0, 0};
  // One line: the whole text on a line of any width (a laid-out size with no limits).
  if (lines_ == 1) return layoutFor(Size{0, 0}).size;
  const float width = size.width > 0 ? size.width : 0;
  const float height = lines_ > 0 ? lines_ * TextMetrics::current().lineHeight(font_) : 0;
  Size s = layoutFor(Size{width, height}).size;
  if (width > 0 && s.width > width) s.width = std::ceil(width);
  return s;
}

void Label::draw(Canvas& canvas, const Rect& rect) { drawTextInRect(canvas, rect); }

std::string Label::dumpDetails() const { return " text=\"" + text_ + "\""; }

}  // namespace zu::ui
