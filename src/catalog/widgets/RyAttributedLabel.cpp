#include "catalog/widgets/RyAttributedLabel.h"

#include <cmath>
#include <limits>

#include "platform/runtime/StringUtil.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/input/Touch.h"
#include "platform/ui/text/Typesetter.h"

namespace zu {

namespace {

// The slack above and below a line (and the drawing rectangle) within which a touch still
// counts as on it.
constexpr float kTouchSlack = 5;
// What extendBottomToFit always adds below the text.
constexpr float kBottomMargin = 10;

// `rect` given in coordinates whose y runs the other way within `bounds`.
ui::Rect flipped(const ui::Rect& rect, const ui::Rect& bounds) {
  return ui::Rect(rect.minX(), bounds.maxY() - rect.maxY(), rect.width(), rect.height());
}

ui::Rect grownVertically(const ui::Rect& rect, float by) {
  return ui::Rect(rect.minX(), rect.minY() - by, rect.width(), rect.height() + 2 * by);
}

bool intersects(ui::TextRange a, ui::TextRange b) {
  return a.location < b.location + b.length && b.location < a.location + a.length;
}

bool containsIndex(ui::TextRange range, size_t index) {
  return range.location <= index && index < range.location + range.length;
}

// "\r\n" made "\n", then white space and newlines cut at both ends.
std::string normalisedText(const std::string& text) {
  std::string joined;
  joined.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    joined += text[i];
  }
  return StringUtil::trimWhitespaceAndNewlines(joined);
}

}  // namespace

RyAttributedLabel::RyAttributedLabel(const ui::Rect& frame) : Label(frame) {
  if (ui::Application::shared().canOpenURL("tel:0")) linkTypes_ |= DataDetector::kPhoneNumber;
  setUserInteractionEnabled(true);
  setContentMode(ui::ContentMode::Redraw);
  resetAttributedText();
}

ui::ParagraphStyle::Alignment RyAttributedLabel::paragraphAlignmentFor(int labelAlignment) {
  using A = ui::ParagraphStyle::Alignment;
  switch (labelAlignment) {
    case 0: return A::Left;
    case 1: return A::Center;
    case 2: return A::Right;
    case 3: return A::Justified;
    default: return A::Natural;
  }
}

ui::LineBreakMode RyAttributedLabel::lineBreakModeFor(int labelMode) {
  if (labelMode >= 1 && labelMode <= 5) return static_cast<ui::LineBreakMode>(labelMode);
  return ui::LineBreakMode::WordWrap;
}

ui::Size RyAttributedLabel::sizeConstrainedToSize(const ui::AttributedString& text,
                                                ui::Size constraints, ui::TextRange* fitRange) {
  const ui::Typesetter typesetter(text);
  const ui::Size s = typesetter.suggestFrameSize(ui::TextRange{}, constraints, fitRange);
  return ui::Size{std::floor(s.width + 1), std::floor(s.height + 1)};
}

void RyAttributedLabel::setTextAlignment(ui::AttributedString& text,
                                       ui::ParagraphStyle::Alignment alignment,
                                       ui::LineBreakMode mode, ui::TextRange range) {
  ui::ParagraphStyle style;
  style.alignment = alignment;
  style.lineBreakMode = mode;
  text.setParagraphStyle(style, range);
}

std::optional<ui::AttributedString> RyAttributedLabel::attributedText() {
  if (!attributedText_) resetAttributedText();
  return attributedText_;
}

void RyAttributedLabel::setAttributedText(std::optional<ui::AttributedString> text) {
  attributedText_ = std::move(text);
  customLinks_.clear();
  textChanged();
  redraw();
}

void RyAttributedLabel::resetAttributedText() {
  if (text().empty()) {
    setAttributedText(std::nullopt);
    return;
  }
  ui::AttributedString string(text());
  string.setFont(font());
  string.setTextColor(textColor());
  setTextAlignment(string, paragraphAlignmentFor(static_cast<int>(textAlignment())),
                   lineBreakModeFor(static_cast<int>(lineBreakMode())));
  setAttributedText(std::move(string));
}

void RyAttributedLabel::setText(std::string text) {
  Label::setText(normalisedText(text));
  resetAttributedText();
}

void RyAttributedLabel::setFont(const ui::Font& font) {
  if (attributedText_) attributedText_->setFont(font);
  Label::setFont(font);
  textChanged();
  redraw();
}

void RyAttributedLabel::setTextColor(const ui::Color& color) {
  if (attributedText_) attributedText_->setTextColor(color);
  Label::setTextColor(color);
  textChanged();
  redraw();
}

void RyAttributedLabel::setTextAlignment(ui::TextAlignment alignment) {
  if (attributedText_) {
    setTextAlignment(*attributedText_, paragraphAlignmentFor(static_cast<int>(alignment)),
                     lineBreakModeFor(static_cast<int>(lineBreakMode())));
  }
  Label::setTextAlignment(alignment);
  textChanged();
  redraw();
}

void RyAttributedLabel::setLineBreakMode(ui::LineBreakMode mode) {
  if (attributedText_) {
    setTextAlignment(*attributedText_, paragraphAlignmentFor(static_cast<int>(textAlignment())),
                     lineBreakModeFor(static_cast<int>(mode)));
  }
  Label::setLineBreakMode(mode);
  textChanged();
  redraw();
}

void RyAttributedLabel::setCenterVertically(bool center) {
  centerVertically_ = center;
  redraw();
}

void RyAttributedLabel::setExtendBottomToFit(bool extend) {
  extendBottomToFit_ = extend;
  redraw();
}

void RyAttributedLabel::setAutomaticallyAddLinksForType(uint64_t types) {
  linkTypes_ = types;
  textChanged();
  redraw();
}

void RyAttributedLabel::setLinkColor(const ui::Color& color) {
  linkColor_ = color;
  linkStyleChanged();
}

void RyAttributedLabel::setUnderlineLinks(bool underline) {
  underlineLinks_ = underline;
  linkStyleChanged();
}

void RyAttributedLabel::setDelegate(std::weak_ptr<RyAttributedLabelDelegate> delegate) {
  delegate_ = std::move(delegate);
  linkStyleChanged();
}

void RyAttributedLabel::addCustomLink(const std::string& url, ui::TextRange range) {
  const size_t length = attributedText_ ? attributedText_->length() : 0;
  if (range.location >= length || range.length == 0) return;
  customLinks_.push_back(LabelLink{attributedText_->clamp(range), url});
  linkStyleChanged();
  redraw();
}

void RyAttributedLabel::removeAllCustomLinks() {
  customLinks_.clear();
  linkStyleChanged();
  redraw();
}

void RyAttributedLabel::redraw() {
  textFrame_.reset();
  setNeedsDisplay();
}

void RyAttributedLabel::textChanged() {
  detected_.reset();
  styled_.reset();
}

const std::vector<DataDetector::Result>& RyAttributedLabel::detectedLinks() const {
  if (!detected_) {
    detected_.emplace();
    if (attributedText_ && linkTypes_ != 0) {
      *detected_ = DataDetector(linkTypes_).matches(attributedText_->utf8(), kMaxDetectedLinks);
    }
  }
  return *detected_;
}

ui::AttributedString::Restyle RyAttributedLabel::linkStyle(const LabelLink& link) const {
  int underline = underlineLinks_ ? 1 : 0;
  std::optional<ui::Color> color = linkColor_;
  if (auto delegate = delegate_.lock()) {
    std::optional<ui::Color> chosen;
    if (delegate->colorForLink(link, &underline, &chosen)) color = chosen;
  }
  return {link.range, color, underline >= 1 ? std::optional<int>(underline) : std::nullopt};
}

const ui::AttributedString* RyAttributedLabel::styledText() const {
  if (!attributedText_) return nullptr;
  if (!styled_) {
    // Detected links first, then the custom ones in the order added (a later style wins).
    std::vector<ui::AttributedString::Restyle> styles;
    styles.reserve(detectedLinks().size() + customLinks_.size());
    for (const DataDetector::Result& found : detectedLinks()) {
      styles.push_back(linkStyle(
          LabelLink{ui::TextRange{found.range.location, found.range.length}, found.url}));
    }
    for (const LabelLink& link : customLinks_) styles.push_back(linkStyle(link));
    styled_ = *attributedText_;
    styled_->restyle(styles);
  }
  return &*styled_;
}

std::optional<ui::AttributedString> RyAttributedLabel::attributedTextWithLinks() const {
  const ui::AttributedString* text = styledText();
  return text ? std::optional<ui::AttributedString>(*text) : std::nullopt;
}

std::optional<LabelLink> RyAttributedLabel::linkAtCharacterIndex(size_t index) const {
  if (!attributedText_) return std::nullopt;
  for (const DataDetector::Result& found : detectedLinks()) {
    const ui::TextRange range{found.range.location, found.range.length};
    if (containsIndex(range, index)) return LabelLink{range, found.url};
  }
  for (const LabelLink& link : customLinks_) {
    if (containsIndex(link.range, index)) return link;
  }
  return std::nullopt;
}

const ui::TextFrame* RyAttributedLabel::layOut(const ui::AttributedString& text) {
  if (textFrame_ && laidOutText_ == text && laidOutBounds_ == bounds()) return textFrame_.get();
  const ui::Typesetter typesetter(text);
  drawingRect_ = bounds();
  if (centerVertically_ || extendBottomToFit_) {
    const ui::Size suggested = typesetter.suggestFrameSize(
        ui::TextRange{}, ui::Size{drawingRect_.width(), std::numeric_limits<float>::max()});
    if (extendBottomToFit_) {
      float growth = std::ceil(suggested.height - drawingRect_.height());
      growth = growth < 0 ? kBottomMargin : growth + kBottomMargin;
      drawingRect_.origin.y -= growth;
      drawingRect_.size.height += growth;
    }
    if (centerVertically_) drawingRect_.origin.y -= (drawingRect_.height() - suggested.height) / 2;
  }
  textFrame_ = std::make_unique<ui::TextFrame>(
      typesetter.createFrame(ui::TextRange{}, flipped(drawingRect_, bounds())));
  laidOutText_ = text;
  laidOutBounds_ = bounds();
  return textFrame_.get();
}

std::optional<LabelLink> RyAttributedLabel::linkAtPoint(ui::Point point) {
  const ui::AttributedString* text = styledText();
  if (!text) return std::nullopt;
  const ui::TextFrame* frame = layOut(*text);
  if (!grownVertically(drawingRect_, kTouchSlack).contains(point)) return std::nullopt;
  for (const ui::TextLine& line : frame->lines()) {
    const ui::Rect lineRect = grownVertically(
        ui::Rect(line.origin().x, line.origin().y, line.width(), line.height()), kTouchSlack);
    if (!lineRect.contains(point)) continue;
    if (auto link = linkAtCharacterIndex(line.indexForPosition(point.x - lineRect.minX()))) {
      return link;
    }
  }
  return std::nullopt;
}

ui::Size RyAttributedLabel::sizeThatFits(ui::Size size) const {
  const ui::AttributedString* text = styledText();
  if (!text) return ui::Size{0, 0};
  return sizeConstrainedToSize(*text, size);
}

std::shared_ptr<ui::View> RyAttributedLabel::hitTest(ui::Point p) {
  auto hit = View::hitTest(p);
  if (hit.get() == this && onlyCatchTouchesOnLinks_ && !linkAtPoint(p)) return nullptr;
  return hit;
}

void RyAttributedLabel::touchesBegan(const ui::TouchSet& touches, const ui::Event&) {
  if (touches.empty()) return;
  activeLink_ = linkAtPoint(touches.front()->locationInView(this));
  setNeedsDisplay();
}

void RyAttributedLabel::touchesEnded(const ui::TouchSet& touches, const ui::Event&) {
  if (touches.empty()) return;
  const auto lifted = linkAtPoint(touches.front()->locationInView(this));
  if (activeLink_ && lifted && activeLink_->range == lifted->range) {
    bool follow = true;
    if (auto delegate = delegate_.lock()) {
      follow = delegate->attributedLabelShouldFollowLink(*this, *lifted).value_or(true);
    }
    if (follow) ui::Application::shared().openURL(lifted->url);
  }
  activeLink_.reset();
  setNeedsDisplay();
}

void RyAttributedLabel::touchesCancelled(const ui::TouchSet&, const ui::Event&) {
  activeLink_.reset();
  setNeedsDisplay();
}

void RyAttributedLabel::drawTextInRect(ui::Canvas& canvas, const ui::Rect& rect) {
  const ui::AttributedString* styled = styledText();
  if (!styled) {
    Label::drawTextInRect(canvas, rect);
    return;
  }
  std::optional<ui::AttributedString> recoloured;
  if (isHighlighted() && highlightedTextColor()) {
    recoloured = *styled;
    recoloured->setTextColor(*highlightedTextColor());
  }
  const ui::AttributedString& text = recoloured ? *recoloured : *styled;
  const ui::TextFrame* frame = layOut(text);
  if (shadowColor()) {
    // The shadow is the text again in the shadow's colour, laid out alike and offset.
    ui::AttributedString shade = text;
    shade.setTextColor(*shadowColor());
    canvas.save();
    canvas.translate(shadowOffset().width, shadowOffset().height);
    ui::Typesetter(shade).createFrame(ui::TextRange{}, frame->rect()).draw(canvas);
    canvas.restore();
  }
  if (activeLink_) drawActiveLinkHighlight(canvas, *frame);
  frame->draw(canvas);
}

void RyAttributedLabel::drawActiveLinkHighlight(ui::Canvas& canvas, const ui::TextFrame& frame) {
  const ui::TextRange link = activeLink_->range;
  canvas.save();
  canvas.setFillColor(highlightedLinkColor_);
  for (const ui::TextLine& line : frame.lines()) {
    if (!intersects(line.range(), link)) continue;
    const float baseline = line.origin().y + line.ascent();
    ui::Rect highlight = ui::Rect::null();
    for (const ui::TextRun& run : line.runs()) {
      if (intersects(run.range, link)) {
        const ui::Rect runRect = ui::Rect(line.origin().x + run.x, baseline - run.ascent, run.width,
                                          run.ascent + run.descent)
                                     .integral()
                                     .insetBy(-1, -1);
        highlight = highlight.isNull() ? runRect : highlight.unionWith(runRect);
      } else if (!highlight.isNull()) {
        canvas.fillRect(highlight);
        highlight = ui::Rect::null();
      }
    }
    if (!highlight.isNull()) canvas.fillRect(highlight);
  }
  canvas.restore();
}

}  // namespace zu
