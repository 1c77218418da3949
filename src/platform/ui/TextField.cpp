#include "platform/ui/TextField.h"

#include <algorithm>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Touch.h"

namespace zu::ui {

namespace {

constexpr float kClearButtonSize = 19;
constexpr float kInset = 7;

}  // namespace

TextField::TextField(const Rect& frame) : Control(frame) {}

TextField::~TextField() { Keyboard::shared().detach(this); }

void TextField::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

void TextField::setPlaceholder(std::optional<std::string> placeholder) {
  placeholder_ = std::move(placeholder);
  setNeedsDisplay();
}

void TextField::setFont(const Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void TextField::setTextColor(const Color& color) {
  textColor_ = color;
  setNeedsDisplay();
}

void TextField::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style) {
  borderStyle_ = style;
  setNeedsDisplay();
}

void TextField::setSecureTextEntry(bool secure) {
  secure_ = secure;
  setNeedsDisplay();
}

void TextField::setClearButtonMode(TextFieldViewMode mode) {
  clearMode_ = mode;
  setNeedsDisplay();
}

void TextField::setContentVerticalAlignment(ControlContentVerticalAlignment a) {
  verticalAlignment_ = a;
  setNeedsDisplay();
}

bool TextField::isFirstResponder() const { return Keyboard::shared().firstResponder().get() == this; }

bool TextField::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!isEnabled()) return false;
  auto keep = shared();
  if (!keep) return false;
  if (auto d = delegate_.lock(); d && !d->textFieldShouldBeginEditing(*this)) return false;
  if (!Keyboard::shared().attach(keep, this)) return false;
  editing_ = true;
  if (clearsOnBegin_ && !text_.empty()) change(TextRange{0, StringUtil::utf16Length(text_)}, std::string());
  setNeedsDisplay();
  if (auto d = delegate_.lock()) d->textFieldDidBeginEditing(*this);
  sendActionsForControlEvents(kControlEventEditingDidBegin);
  return true;
}

bool TextField::resignFirstResponder() {
  if (!isFirstResponder()) return true;
  auto keep = shared();
  if (auto d = delegate_.lock(); d && !d->textFieldShouldEndEditing(*this)) return false;
  Keyboard::shared().detach(this);
  editing_ = false;
  setNeedsDisplay();
  if (auto d = delegate_.lock()) d->textFieldDidEndEditing(*this);
  sendActionsForControlEvents(kControlEventEditingDidEnd);
  return true;
}

bool TextField::change(TextRange range, const std::string& replacement) {
  if (auto d = delegate_.lock(); d && !d->textFieldShouldChangeCharacters(*this, range, replacement)) return false;
  text_ = replaceTextRange(text_, range, replacement);
  setNeedsDisplay();
  sendActionsForControlEvents(kControlEventEditingChanged);
  NotificationCenter::defaultCenter().post(kTextDidChangeNotification, Value(shared()));
  return true;
}

void TextField::insertText(const std::string& text) {
  if (!editing_) return;
  auto keep = shared();
  change(TextRange{StringUtil::utf16Length(text_), 0}, text);
}

void TextField::deleteBackward() {
  if (!editing_ || text_.empty()) return;
  auto keep = shared();
  change(lastCharacterRange(text_), std::string());
}

void TextField::insertReturn() {
  if (!editing_) return;
  auto keep = shared();
  auto d = delegate_.lock();
  if (!d || d->textFieldShouldReturn(*this)) sendActionsForControlEvents(kControlEventEditingDidEndOnExit);
}

bool TextField::showsClearButton() const {
  if (text_.empty()) return false;
  switch (clearMode_) {
    case TextFieldViewMode::Never: return false;
    case TextFieldViewMode::WhileEditing: return editing_;
    case TextFieldViewMode::UnlessEditing: return !editing_;
    case TextFieldViewMode::Always: return true;
  }
  return false;
}

bool TextField::clearButtonTapped() {
  if (!showsClearButton()) return false;
  auto keep = shared();
  if (auto d = delegate_.lock(); d && !d->textFieldShouldClear(*this)) return false;
  return change(TextRange{0, StringUtil::utf16Length(text_)}, std::string());
}

std::string TextField::displayText() const {
  if (!secure_) return text_;
  std::string bullets;
  for (size_t i = StringUtil::utf16Length(text_); i > 0; --i) bullets += "\u25CF";
  return bullets;
}

void TextField::touchesEnded(const TouchSet& touches, const Event& event) {
  Control::touchesEnded(touches, event);
  if (touches.empty() || !isEnabled()) return;
  const Point p = touches.front()->locationInView(this);
  if (!bounds().contains(p)) return;
  const Rect b = bounds();
  if (showsClearButton() && p.x >= b.size.width - kClearButtonSize - kInset) {
    clearButtonTapped();
    return;
  }
  becomeFirstResponder();
}

void TextField::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  switch (borderStyle_) {
    case TextBorderStyle::None:
      break;
    case TextBorderStyle::Line:
      canvas.setStrokeColor(Color::blackColor());
      canvas.setLineWidth(1);
      canvas.strokeRect(b.insetBy(0.5f, 0.5f));
      break;
    case TextBorderStyle::Bezel:
      canvas.setFillColor(Color::whiteColor());
      canvas.fillRect(b);
      canvas.setStrokeColor(Color::white(0.4f));
      canvas.setLineWidth(1);
      canvas.strokeRect(b.insetBy(0.5f, 0.5f));
      break;
    case TextBorderStyle::RoundedRect:
      canvas.setFillColor(Color::whiteColor());
      canvas.fillRoundedRect(b.insetBy(0.5f, 0.5f), 7);
      canvas.setStrokeColor(Color::white(0.6f));
      canvas.setLineWidth(1);
      canvas.strokeRoundedRect(b.insetBy(0.5f, 0.5f), 7);
      break;
  }
  const bool placeholder = text_.empty();
  const std::string shown = placeholder ? placeholder_.value_or(std::string()) : displayText();
  const float inset = borderStyle_ == TextBorderStyle::None ? 0 : kInset;
  const float right = showsClearButton() ? kClearButtonSize + kInset : 0;
  const TextMetrics& metrics = TextMetrics::current();
  const float lh = metrics.lineHeight(font_);
  float y = 0;
  switch (verticalAlignment_) {
    case ControlContentVerticalAlignment::Top: y = borderStyle_ == TextBorderStyle::None ? 0 : 4; break;
    case ControlContentVerticalAlignment::Center:
    case ControlContentVerticalAlignment::Fill: y = (b.size.height - lh) / 2; break;
    case ControlContentVerticalAlignment::Bottom: y = b.size.height - lh; break;
  }
  if (!shown.empty()) {
    metrics.draw(canvas, shown, Rect(inset, y, std::max(0.f, b.size.width - 2 * inset - right), lh), font_,
                 placeholder ? Color::white(0.7f) : textColor_, LineBreakMode::Clip, alignment_);
  }
  if (right > 0) {
    const Rect circle(b.size.width - kInset - kClearButtonSize, (b.size.height - kClearButtonSize) / 2,
                      kClearButtonSize, kClearButtonSize);
    canvas.setFillColor(Color::white(0.7f));
    canvas.fillEllipse(circle);
  }
}

std::string TextField::dumpDetails() const {
  std::string out = " text=\"" + displayText() + "\"";
  if (text_.empty() && placeholder_) out += " placeholder=\"" + *placeholder_ + "\"";
  if (editing_) out += " editing";
  return out;
}

}  // namespace zu::ui
