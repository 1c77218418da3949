#include "platform/ui/text/TextField.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/device/Pasteboard.h"
#include "platform/intl/GraphemeClusters.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/text/OneLineInput.h"
#include "platform/ui/text/TextSelection.h"
#include "platform/ui/input/Touch.h"

namespace zu::ui {

namespace {

constexpr float kClearButtonSize = 19;
constexpr float kInset = 7;
// Between the text and a view or the clear button beside it.
constexpr float kViewGap = 4;

// A field's one line for the caret keys: Home and End go to the text's ends, and there is no
// line above or below.
class OneLine : public CaretMotion::Lines {
 public:
  explicit OneLine(size_t length) : length_(length) {}
  float xOf(CaretPlace) const override { return 0; }
  std::optional<CaretPlace> placeOnLine(CaretPlace, int, float) const override { return std::nullopt; }
  CaretPlace lineStart(CaretPlace) const override { return CaretPlace{0, false}; }
  CaretPlace lineEnd(CaretPlace) const override { return CaretPlace{length_, false}; }

 private:
  size_t length_;
};

// A part of `size`, vertically centred in `bounds` on whole points, its left edge at `x`.
Rect centredAt(const Rect& bounds, float x, Size size) {
  return Rect(x, std::floor((bounds.size.height - size.height) / 2), size.width, size.height);
}

}  // namespace

TextField::TextField(const Rect& frame) : Control(frame) {
  MenuController::addLongPressMenu(*this, [this] {
    if (isEnabled() && !editing_) becomeFirstResponder();
  }, [this] { return textRectForBounds(bounds()); });
}

EditState TextField::editState() const {
  return EditState{!text_.empty(), selected_.length > 0, isEnabled(), editing_, secure_};
}

bool TextField::canPerformAction(const std::string& action, Object*) { return canPerformEditAction(action, editState()); }

void TextField::performAction(const std::string& action, Object* sender) {
  if (canPerformAction(action, sender)) edit(action);
}

bool TextField::performEditCommand(const std::string& action) {
  if (action == "undo:" || action == "redo:") return editing_ && applyHistory(action == "redo:");
  if (!canPerformEditAction(action, editState())) return false;
  edit(action);
  return true;
}

void TextField::edit(const std::string& action) {
  auto keep = shared();
  performEditAction(action, text_, selected_, [this](TextRange range, const std::string& replacement) {
    change(range, replacement);
  }, [this](TextRange range) { setSelectedRange(range); });
}

bool TextField::applyHistory(bool redo) {
  auto keep = shared();
  marked_.clear();
  const auto apply = [this](const EditHistory::Change& step) {
    if (!change(step.range, step.text)) return false;
    setSelectedRange(step.select);
    return true;
  };
  return redo ? history_.redo(apply) : history_.undo(apply);
}

TextField::~TextField() { Keyboard::shared().detach(this); }

void TextField::setText(std::string text) {
  text_ = std::move(text);
  history_.clear();
  marked_.clear();
  selected_ = TextRange{StringUtil::utf16Length(text_), 0};
  keepCaretInSight();
  contentChanged();
}

void TextField::setSelectedRange(TextRange range) {
  history_.breakGroup();
  selected_ = clampRange(text_, range);
  keepCaretInSight();
  setNeedsDisplay();
}

void TextField::endSelection() {
  if (selected_.length == 0) return;
  setSelectedRange(TextRange{selected_.location + selected_.length, 0});
}

void TextField::moveCaret(CaretMove move, bool extend) {
  // One line: nothing lies above or below it.
  if (!editing_ || move == CaretMove::Up || move == CaretMove::Down) return;
  marked_.clear();
  const CaretMotion::Result moved =
      motion_.move(text_, selected_, false, move, extend, OneLine(StringUtil::utf16Length(text_)));
  setSelectedRange(moved.range);
}

void TextField::deleteForward() {
  if (!editing_) return;
  auto keep = shared();
  if (const TextRange gone = forwardDeleteRange(text_, selected_); gone.length > 0) {
    change(gone, std::string(), selected_.length > 0 ? EditHistory::Kind::Other : EditHistory::Kind::DeleteForward);
  }
}

void TextField::deleteWord(bool forward) {
  if (!editing_) return;
  auto keep = shared();
  TextRange gone = wordDeleteRange(text_, selected_, forward);
  if (secure_ && selected_.length == 0) {
    // A password is one word (as a double-click selects all of it): its words are not shown
    // by where a word deletion stops.
    const size_t caret = std::min(selected_.location, StringUtil::utf16Length(text_));
    gone = forward ? TextRange{caret, StringUtil::utf16Length(text_) - caret} : TextRange{0, caret};
  }
  if (gone.length > 0) change(gone, std::string());
}

void TextField::setMarkedText(const std::string& text, size_t cursor) {
  if (!editing_ || (text.empty() && marked_.empty())) return;
  marked_ = text;
  markedCursor_ = std::min(cursor, StringUtil::utf16Length(marked_));
  keepCaretInSight();
  setNeedsDisplay();
}

std::string TextField::composedDisplay() const {
  if (marked_.empty()) return displayText();
  std::string marked = marked_;
  if (secure_) {
    marked.clear();
    for (size_t i = StringUtil::utf16Length(marked_); i > 0; --i) marked += "\u25CF";
  }
  return replaceTextRange(displayText(), selected_, marked);
}

size_t TextField::shownCaret() const {
  return marked_.empty() ? motion_.head(selected_) : selected_.location + markedCursor_;
}

Rect TextField::caretRectInView() const {
  const Rect text = textRectForBounds(bounds());
  const std::string shown = StringUtil::utf16SubstringFrom(composedDisplay(), scrollFrom_);
  const size_t caret = shownCaret();
  const float reach = text.size.width + 2 * kCaretWidth;
  const float x = caret < scrollFrom_ ? text.origin.x
                                      : lineX(shown) + TextMetrics::current().widthWithin(
                                                           StringUtil::utf16Prefix(shown, caret - scrollFrom_), font_, reach);
  const float lh = TextMetrics::current().lineHeight(font_);
  return Rect(std::min(x, text.maxX()), std::max(0.f, (bounds().size.height - lh) / 2), 0, lh);
}

void TextField::keepCaretInSight() {
  if (!editing_) {
    scrollFrom_ = 0;
    return;
  }
  const std::u16string shown = StringUtil::toUtf16(composedDisplay());
  const size_t caret = std::min(shownCaret(), shown.size());
  // Room for the caret too at the right edge.
  const float room = std::max(0.f, textRectForBounds(bounds()).size.width - kCaretWidth);
  size_t from = std::min(scrollFrom_, shown.size());
  if (caret < from) {
    from = caret;
  } else {
    const std::string before = StringUtil::fromUtf16(std::u16string_view(shown).substr(from, caret - from));
    if (TextMetrics::current().widthWithin(before, font_, room + 1) > room) {
      from = lineStartToFit(shown, caret, font_, room);
    }
  }
  // No room is left blank at the right while text scrolled out at the left could fill it.
  if (from > 0) from = std::min(from, lineStartToFit(shown, shown.size(), font_, room));
  if (from != scrollFrom_) setNeedsDisplay();
  scrollFrom_ = from;
}

float TextField::lineX(const std::string& shown) const {
  const Rect text = textRectForBounds(bounds());
  if (scrollFrom_ > 0 || alignment_ == TextAlignment::Left) return text.origin.x;
  const float full = TextMetrics::current().widthWithin(shown, font_, text.size.width);
  return text.origin.x + (alignment_ == TextAlignment::Center ? (text.size.width - full) / 2 : text.size.width - full);
}

void TextField::contentChanged() {
  setNeedsDisplay();
  setNeedsLayout();
}

void TextField::setPlaceholderColor(std::optional<Color> color) {
  placeholderColor_ = color;
  setNeedsDisplay();
}

void TextField::setPlaceholder(std::optional<std::string> placeholder) {
  placeholder_ = std::move(placeholder);
  setNeedsDisplay();
}

void TextField::setFont(const Font& font) {
  font_ = font;
  keepCaretInSight();
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
  keepCaretInSight();
  setNeedsDisplay();
}

void TextField::setClearButtonMode(TextFieldViewMode mode) {
  clearMode_ = mode;
  contentChanged();
}

void TextField::setBackground(std::shared_ptr<Image> image) {
  background_ = std::move(image);
  setNeedsDisplay();
}

void TextField::replaceSideView(std::shared_ptr<View>& slot, std::shared_ptr<View> view) {
  if (slot == view) return;
  if (slot && slot->superview().get() == this) slot->removeFromSuperview();
  slot = std::move(view);
  if (slot) addSubview(slot);
  contentChanged();
}

void TextField::setLeftView(std::shared_ptr<View> view) { replaceSideView(leftView_, std::move(view)); }

void TextField::setRightView(std::shared_ptr<View> view) { replaceSideView(rightView_, std::move(view)); }

void TextField::setLeftViewMode(TextFieldViewMode mode) {
  leftViewMode_ = mode;
  contentChanged();
}

void TextField::setRightViewMode(TextFieldViewMode mode) {
  rightViewMode_ = mode;
  contentChanged();
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
  keepCaretInSight();
  contentChanged();
  if (auto d = delegate_.lock()) d->textFieldDidBeginEditing(*this);
  sendActionsForControlEvents(kControlEventEditingDidBegin);
  Keyboard::shared().didBeginEditing(this);
  return true;
}

bool TextField::resignFirstResponder() {
  if (!isFirstResponder()) return true;
  auto keep = shared();
  if (auto d = delegate_.lock(); d && !d->textFieldShouldEndEditing(*this)) return false;
  Keyboard::shared().detach(this);
  editing_ = false;
  marked_.clear();
  dragAnchor_.reset();
  // What was typed into a password is kept no longer than its editing.
  if (secure_) history_.clear();
  // The text shows from its start again.
  keepCaretInSight();
  contentChanged();
  if (auto d = delegate_.lock()) d->textFieldDidEndEditing(*this);
  sendActionsForControlEvents(kControlEventEditingDidEnd);
  return true;
}

bool TextField::change(TextRange range, const std::string& inserted, EditHistory::Kind kind) {
  // Typed or pasted text as the one line takes it (OneLineInput); what it drops whole changes
  // nothing, and a cut is told.
  const OneLineInput::Taken taken = OneLineInput::take(inserted, text_, range);
  const std::string& replacement = taken.text;
  const auto toldCut = [&] {
    if (taken.cut) NotificationCenter::defaultCenter().post(OneLineInput::kTextCutNotification, Value(shared()));
  };
  if (replacement.empty() && range.length == 0) {
    toldCut();
    return false;
  }
  if (auto d = delegate_.lock(); d && !d->textFieldShouldChangeCharacters(*this, range, replacement)) return false;
  range = clampRange(text_, range);
  history_.record(kind, range, StringUtil::utf16Substring(text_, range.location, range.length), replacement, selected_);
  text_ = replaceTextRange(text_, range, replacement);
  selected_ = clampRange(text_, TextRange{range.location + StringUtil::utf16Length(replacement), 0});
  keepCaretInSight();
  contentChanged();
  sendActionsForControlEvents(kControlEventEditingChanged);
  NotificationCenter::defaultCenter().post(kTextDidChangeNotification, Value(shared()));
  toldCut();
  return true;
}

void TextField::insertText(const std::string& text) {
  if (!editing_) return;
  auto keep = shared();
  // What the input method commits takes the composition's place.
  marked_.clear();
  change(selected_, text, EditHistory::Kind::Typing);
}

void TextField::deleteBackward() {
  if (!editing_ || text_.empty()) return;
  auto keep = shared();
  if (const TextRange gone = backwardDeleteRange(text_, selected_); gone.length > 0) {
    change(gone, std::string(), selected_.length > 0 ? EditHistory::Kind::Other : EditHistory::Kind::DeleteBackward);
  }
}

void TextField::insertReturn() {
  if (!editing_) return;
  auto keep = shared();
  auto d = delegate_.lock();
  if (!d || d->textFieldShouldReturn(*this)) sendActionsForControlEvents(kControlEventEditingDidEndOnExit);
}

bool TextField::modeShows(TextFieldViewMode mode) const {
  switch (mode) {
    case TextFieldViewMode::Never: return false;
    case TextFieldViewMode::WhileEditing: return editing_;
    case TextFieldViewMode::UnlessEditing: return !editing_;
    case TextFieldViewMode::Always: return true;
  }
  return false;
}

bool TextField::showsClearButton() const { return !text_.empty() && modeShows(clearMode_); }

bool TextField::clearButtonTapped() { return showsClearButton() && clearText(); }

bool TextField::clearText() {
  if (text_.empty()) return false;
  auto keep = shared();
  if (auto d = delegate_.lock(); d && !d->textFieldShouldClear(*this)) return false;
  return change(TextRange{0, StringUtil::utf16Length(text_)}, std::string());
}

std::shared_ptr<Image> TextField::clearButtonImage() {
  static const std::shared_ptr<Image> image = [] {
    auto picture = Image::create(static_cast<int>(kClearButtonSize), static_cast<int>(kClearButtonSize));
    Canvas canvas(*picture);
    canvas.setFillColor(Color::white(0.7f));
    canvas.fillEllipse(Rect(0, 0, kClearButtonSize, kClearButtonSize));
    canvas.setStrokeColor(Color::whiteColor());
    canvas.setLineWidth(2);
    canvas.beginPath();
    canvas.moveTo(Point{6, 6});
    canvas.lineTo(Point{13, 13});
    canvas.moveTo(Point{13, 6});
    canvas.lineTo(Point{6, 13});
    canvas.strokePath();
    return picture;
  }();
  return image;
}

float TextField::edgeInset() const { return borderStyle_ == TextBorderStyle::None ? 0 : kInset; }

Rect TextField::leftViewRectForBounds(const Rect& bounds) const {
  return centredAt(bounds, edgeInset(), leftView_ ? leftView_->frame().size : Size{0, 0});
}

Rect TextField::rightViewRectForBounds(const Rect& bounds) const {
  const Size size = rightView_ ? rightView_->frame().size : Size{0, 0};
  return centredAt(bounds, bounds.size.width - edgeInset() - size.width, size);
}

Rect TextField::clearButtonRectForBounds(const Rect& bounds) const {
  const float right = showsRightView() ? rightViewRectForBounds(bounds).minX() - kViewGap
                                       : bounds.size.width - edgeInset();
  return centredAt(bounds, right - kClearButtonSize, Size{kClearButtonSize, kClearButtonSize});
}

Rect TextField::textRectForBounds(const Rect& bounds) const {
  float left = edgeInset();
  float right = bounds.size.width - edgeInset();
  if (showsLeftView()) left = leftViewRectForBounds(bounds).maxX() + kViewGap;
  if (showsClearButton()) {
    right = clearButtonRectForBounds(bounds).minX() - kViewGap;
  } else if (showsRightView()) {
    right = rightViewRectForBounds(bounds).minX() - kViewGap;
  }
  return Rect(left, 0, std::max(0.f, right - left), bounds.size.height);
}

void TextField::layoutSubviews() {
  const Rect b = bounds();
  keepCaretInSight();
  if (leftView_) {
    leftView_->setHidden(!showsLeftView());
    leftView_->setFrame(leftViewRectForBounds(b));
  }
  if (rightView_) {
    rightView_->setHidden(!showsRightView());
    rightView_->setFrame(rightViewRectForBounds(b));
  }
}

std::string TextField::displayText() const {
  if (!secure_) return text_;
  std::string bullets;
  for (size_t i = StringUtil::utf16Length(text_); i > 0; --i) bullets += "\u25CF";
  return bullets;
}

size_t TextField::offsetAtX(float x) const {
  const float into = x - lineX(utf16SuffixOfDisplay(scrollFrom_));
  if (into < 0 && scrollFrom_ > 0) return GraphemeClusters(text_).preceding(std::min(scrollFrom_, StringUtil::utf16Length(text_)));
  const std::u16string shown = StringUtil::toUtf16(displayText());
  size_t at = lineOffsetNearest(shown, std::min(scrollFrom_, shown.size()), font_, into);
  // A secure field shows a bullet for each UTF-16 unit: the caret goes between two characters
  // of the text, never between the bullets of one.
  if (secure_) at = GraphemeClusters(text_).boundaryAtOrBefore(at);
  return at;
}

bool TextField::keepsTouchFromScrolling(const Touch&) const { return editing_ && isEnabled(); }

void TextField::touchesBegan(const TouchSet& touches, const Event& event) {
  Control::touchesBegan(touches, event);
  dragAnchor_.reset();
  dragged_ = false;
  if (touches.empty() || !editing_ || !isEnabled()) return;
  const Point p = touches.front()->locationInView(this);
  if (showsClearButton() && p.x >= clearButtonRectForBounds(bounds()).minX() - kViewGap) return;
  // The selection stays until the press moves: a long press shows the edit menu for it.
  dragAnchor_ = offsetAtX(p.x);
}

void TextField::touchesMoved(const TouchSet& touches, const Event& event) {
  Control::touchesMoved(touches, event);
  if (touches.empty() || !dragAnchor_ || !editing_) return;
  const size_t at = offsetAtX(touches.front()->locationInView(this).x);
  if (!dragged_ && at == *dragAnchor_) return;
  dragged_ = true;
  marked_.clear();
  auto keep = shared();
  setSelectedRange(motion_.select(*dragAnchor_, at));
}

void TextField::touchesCancelled(const TouchSet& touches, const Event& event) {
  Control::touchesCancelled(touches, event);
  dragAnchor_.reset();
  dragged_ = false;
}

void TextField::touchesEnded(const TouchSet& touches, const Event& event) {
  Control::touchesEnded(touches, event);
  dragAnchor_.reset();
  // A drag made the selection where the button was released.
  if (std::exchange(dragged_, false)) return;
  if (touches.empty() || !isEnabled()) return;
  marked_.clear();
  const Point p = touches.front()->locationInView(this);
  if (!bounds().contains(p)) return;
  if (showsClearButton() && p.x >= clearButtonRectForBounds(bounds()).minX() - kViewGap) {
    clearButtonTapped();
    return;
  }
  // The caret goes where the finger lifted on the line as it showed then (a field that begins
  // editing now may scroll to its caret).
  const size_t from = scrollFrom_;
  const float x = p.x - lineX(utf16SuffixOfDisplay(from));
  auto keep = shared();
  if (!becomeFirstResponder() || !editing_ || text_.empty()) return;
  const std::u16string shown = StringUtil::toUtf16(displayText());
  size_t at = lineOffsetNearest(shown, std::min(from, shown.size()), font_, x);
  // A secure field shows a bullet for each UTF-16 unit: the caret goes between two characters
  // of the text, never between the bullets of one.
  if (secure_) at = GraphemeClusters(text_).boundaryAtOrBefore(at);
  // The line stays as it showed when clicked (beginning to edit scrolled it to the caret at the
  // text's end): the caret goes where the click landed and the text does not move.
  scrollFrom_ = std::min(from, shown.size());
  setSelectedRange(TextRange{at, 0});
  // A double-click selects the word (a password: all of it), a triple-click the line.
  const int taps = touches.front()->tapCount();
  if (taps >= 3 || (taps == 2 && secure_)) {
    setSelectedRange(TextRange{0, StringUtil::utf16Length(text_)});
  } else if (taps == 2) {
    setSelectedRange(wordRangeAt(text_, at));
  }
}

void TextField::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  if (background_) {
    const auto picture = background_->hasCaps() ? background_
                              : background_->stretchableImage(static_cast<int>(background_->size().width / 2),
                                                              static_cast<int>(background_->size().height / 2));
    canvas.drawImage(*picture, b);
  } else {
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
  }
  const bool placeholder = text_.empty() && marked_.empty();
  // While editing, the line shows from the first character in sight (scrolled to the caret),
  // the composition in it.
  const std::string shown =
      placeholder ? placeholder_.value_or(std::string())
                  : StringUtil::utf16SubstringFrom(composedDisplay(), editing_ ? scrollFrom_ : 0);
  const TextMetrics& metrics = TextMetrics::current();
  const float lh = metrics.lineHeight(font_);
  float y = 0;
  switch (verticalAlignment_) {
    case ControlContentVerticalAlignment::Top: y = borderStyle_ == TextBorderStyle::None ? 0 : 4; break;
    case ControlContentVerticalAlignment::Center:
    case ControlContentVerticalAlignment::Fill: y = (b.size.height - lh) / 2; break;
    case ControlContentVerticalAlignment::Bottom: y = b.size.height - lh; break;
  }
  const Rect text = textRectForBounds(b);
  // A scrolled line is drawn from the left, whatever the alignment.
  const TextAlignment alignment = editing_ && scrollFrom_ > 0 ? TextAlignment::Left : alignment_;
  canvas.save();
  // A line longer than the room is cut at the text rectangle, never drawn under the views.
  canvas.clip(text);
  std::optional<Rect> selection;
  std::optional<Rect> composing;
  if (editing_ && !placeholder) {
    // Where the selection's ends fall on the line: the width of the text in sight before each.
    // Only as much of the line is measured as can show (a pasted text of any length costs a
    // frame what a short one does): an end past the room lies beyond the cut, one scrolled
    // out at the left before it.
    const float reach = text.size.width + 2 * kCaretWidth;
    const float x0 = lineX(shown);
    auto xOf = [&](size_t offset) {
      if (offset < scrollFrom_) return text.origin.x - 2 * kCaretWidth;
      return x0 + metrics.widthWithin(StringUtil::utf16Prefix(shown, offset - scrollFrom_), font_, reach);
    };
    if (marked_.empty()) {
      const float start = xOf(selected_.location);
      const float end = xOf(selected_.location + selected_.length);
      selection = Rect(start, y, end - start, lh);
    } else {
      // The composition, underlined, with its own caret.
      const float start = xOf(selected_.location);
      const float end = xOf(selected_.location + StringUtil::utf16Length(marked_));
      composing = Rect(start, y + lh - 1, end - start, 1);
      selection = Rect(xOf(shownCaret()), y, 0, lh);
    }
  } else if (editing_) {
    float x = text.origin.x;
    if (alignment_ == TextAlignment::Center) x += text.size.width / 2;
    if (alignment_ == TextAlignment::Right) x += text.size.width - kCaretWidth;
    selection = Rect(x, y, 0, lh);
  }
  // A highlight lies behind the text, a caret in front of it; the selected text is drawn again
  // over its highlight where its own colour would not read there.
  const SelectionLook look = selectionLook(textColor_);
  const bool highlighted = selection && selection->size.width > 0;
  if (highlighted) drawSelection(canvas, *selection, look);
  auto drawShown = [&](const Color& color) {
    metrics.draw(canvas, shown, Rect(text.origin.x, y, text.size.width, lh), font_, color, LineBreakMode::Clip,
                 alignment);
  };
  if (!shown.empty()) drawShown(placeholder ? placeholderColor() : textColor_);
  if (highlighted && !shown.empty() && look.text != textColor_) {
    canvas.save();
    canvas.clip(*selection);
    drawShown(look.text);
    canvas.restore();
  }
  if (composing) {
    canvas.setFillColor(textColor_);
    canvas.fillRect(*composing);
  }
  if (selection && selection->size.width <= 0) drawSelection(canvas, *selection, look);
  canvas.restore();
  if (showsClearButton()) canvas.drawImage(*clearButtonImage(), clearButtonRectForBounds(b));
}

std::string TextField::utf16SuffixOfDisplay(size_t from) const {
  // A bullet stands for each UTF-16 unit of a secure text, so offsets are the same in both.
  if (!secure_) return from == 0 ? text_ : StringUtil::utf16SubstringFrom(text_, from);
  std::string bullets;
  for (size_t i = StringUtil::utf16Length(text_); i > from; --i) bullets += "\u25CF";
  return bullets;
}

void TextField::willMoveToWindow(Window* newWindow) {
  Control::willMoveToWindow(newWindow);
  if (!newWindow && isFirstResponder()) resignFirstResponder();
}

std::string TextField::dumpDetails() const {
  std::string out = " text=\"" + displayText() + "\"";
  if (text_.empty() && placeholder_) out += " placeholder=\"" + *placeholder_ + "\"";
  if (editing_) out += " editing";
  return out;
}

}  // namespace zu::ui
