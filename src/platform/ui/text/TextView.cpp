#include "platform/ui/text/TextView.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/device/Pasteboard.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/text/TextSelection.h"
#include "platform/ui/input/Touch.h"

namespace zu::ui {

namespace {

// The wrapped lines of a text view for the caret keys.
class WrappedLines : public CaretMotion::Lines {
 public:
  WrappedLines(const std::string& text, const Font& font, const TextMetrics::Layout& laid)
      : text_(text), font_(font), laid_(laid), lines_(textLines(text, laid)) {}

  float xOf(CaretPlace place) const override { return caretRect(text_, font_, laid_, place).origin.x; }

  std::optional<CaretPlace> placeOnLine(CaretPlace place, int delta, float x) const override {
    const auto line = static_cast<std::ptrdiff_t>(lineOfCaret(lines_, place)) + delta;
    if (line < 0 || line >= static_cast<std::ptrdiff_t>(lines_.count())) return std::nullopt;
    const float lh = TextMetrics::current().lineHeight(font_);
    return caretPlaceAt(text_, font_, laid_, Point{x, lh * (static_cast<float>(line) + 0.5f)});
  }

  CaretPlace lineStart(CaretPlace place) const override {
    return CaretPlace{lines_.starts[lineOfCaret(lines_, place)], false};
  }

  CaretPlace lineEnd(CaretPlace place) const override {
    const size_t line = lineOfCaret(lines_, place);
    if (line + 1 == lines_.count()) return CaretPlace{lines_.starts.back(), false};
    // Before the blanks or the newline the line broke at; where it wrapped with nothing left
    // out, at its end, which is also the next line's start.
    const size_t end = lines_.ends[line];
    return end < lines_.starts[line + 1] ? CaretPlace{end, false} : CaretPlace{end, true};
  }

 private:
  const std::string& text_;
  const Font& font_;
  const TextMetrics::Layout& laid_;
  TextLines lines_;
};

}  // namespace

TextView::TextView(const Rect& frame) : ScrollView(frame) {
  setBackgroundColor(Color::whiteColor());
  // Lines scrolled out of the view are not drawn over what lies around it.
  setClipsToBounds(true);
  updateContentSize();
  MenuController::addLongPressMenu(*this, [this] {
    if (editable_ && !editing_) becomeFirstResponder();
  }, [this] { return menuTarget(); });
}

TextView::~TextView() { Keyboard::shared().detach(this); }

void TextView::setDelegate(std::weak_ptr<TextViewDelegate> delegate) {
  delegate_ = delegate;
  std::shared_ptr<TextViewDelegate> strong = delegate.lock();
  ScrollView::setDelegate(strong ? std::weak_ptr<ScrollViewDelegate>(strong) : std::weak_ptr<ScrollViewDelegate>());
}

void TextView::setText(std::string text) {
  text_ = std::move(text);
  history_.clear();
  marked_.clear();
  layouts_.clear();
  selected_ = TextRange{StringUtil::utf16Length(text_), 0};
  updateContentSize();
}

void TextView::setFont(const Font& font) {
  font_ = font;
  layouts_.clear();
  updateContentSize();
}

void TextView::setTextColor(const Color& color) {
  textColor_ = color;
  setNeedsDisplay();
}

void TextView::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void TextView::setEditable(bool editable) {
  editable_ = editable;
  if (!editable && isFirstResponder()) resignFirstResponder();
}

void TextView::setSelectedRange(TextRange range) {
  selected_ = clampRange(text_, range);
  caretAtLineEnd_ = false;
  setNeedsDisplay();
}

void TextView::selectByReader(TextRange range, bool atLineEnd, bool scroll) {
  history_.breakGroup();
  const TextRange before = selected_;
  const bool wasAtLineEnd = caretAtLineEnd_;
  setSelectedRange(range);
  caretAtLineEnd_ = atLineEnd && selected_.length == 0;
  if (selected_ == before && caretAtLineEnd_ == wasAtLineEnd) return;
  if (editing_ && scroll) scrollCaretToVisible();
  if (selected_ == before) return;
  auto keep = shared();
  if (auto d = delegate_.lock()) d->textViewDidChangeSelection(*this);
}


void TextView::scrollCaretToVisible() {
  const Rect caret = caretRect(text_, font_, laidOut(), CaretPlace{motion_.head(selected_), caretAtLineEnd_});
  // The caret's line with the inset on either side (the first line shows the inset above it).
  scrollRectToVisible(Rect(0, caret.origin.y, bounds().size.width, caret.size.height + 2 * kTextInset), false);
}

void TextView::moveCaret(CaretMove move, bool extend) {
  if (!editing_) return;
  marked_.clear();
  const WrappedLines lines(text_, font_, laidOut());
  const CaretMotion::Result moved = motion_.move(text_, selected_, caretAtLineEnd_, move, extend, lines);
  selectByReader(moved.range, moved.head.atLineEnd, true);
}

void TextView::deleteForward() {
  if (!editing_) return;
  if (const TextRange gone = forwardDeleteRange(text_, selected_); gone.length > 0) {
    change(gone, std::string(), selected_.length > 0 ? EditHistory::Kind::Other : EditHistory::Kind::DeleteForward);
  }
}

void TextView::deleteWord(bool forward) {
  if (!editing_) return;
  if (const TextRange gone = wordDeleteRange(text_, selected_, forward); gone.length > 0) change(gone, std::string());
}

void TextView::setMarkedText(const std::string& text, size_t cursor) {
  if (!editing_ || (text.empty() && marked_.empty())) return;
  marked_ = withPlainLineBreaks(text);
  markedCursor_ = std::min(cursor, StringUtil::utf16Length(marked_));
  setNeedsDisplay();
}

Rect TextView::caretRectInView() const {
  if (marked_.empty()) {
    const Rect caret =
        ui::caretRect(text_, font_, laidOut(), CaretPlace{motion_.head(selected_), caretAtLineEnd_});
    return caret.offsetBy(kTextInset, kTextInset);
  }
  const auto [composed, laid] = composedText();
  return ui::caretRect(composed, font_, laid, CaretPlace{selected_.location + markedCursor_, false})
      .offsetBy(kTextInset, kTextInset);
}

std::pair<std::string, TextMetrics::Layout> TextView::composedText() const {
  std::string composed = replaceTextRange(text_, selected_, marked_);
  // The kept layout with only the paragraphs the composition touches laid out again.
  TextMetrics::Layout laid = laidOut();
  TextMetrics::current().relayout(laid, text_, composed, font_, layoutWidth());
  return {std::move(composed), std::move(laid)};
}

void TextView::endSelection() {
  if (selected_.length == 0) return;
  selectByReader(TextRange{selected_.location + selected_.length, 0}, false, false);
}

float TextView::layoutWidth() const { return std::max(1.f, bounds().size.width - 2 * kTextInset); }

const TextMetrics::Layout& TextView::laidOut() const {
  const float width = layoutWidth();
  return layouts_.layoutFor(Size{width, 0}, [&] {
    return TextMetrics::current().layoutIn(text_, font_, Size{width, 0}, LineBreakMode::WordWrap);
  });
}

void TextView::updateContentSize() {
  const float lh = TextMetrics::current().lineHeight(font_);
  // A newline at the end opens an empty last line of its own.
  const size_t lines = std::max<size_t>(1, laidOut().lines.size());
  setContentSize(Size{bounds().size.width, static_cast<float>(lines) * lh + 2 * kTextInset});
  setNeedsDisplay();
}

void TextView::boundsDidChange(const Rect& oldBounds) {
  if (oldBounds.size.width != bounds().size.width) updateContentSize();
  ScrollView::boundsDidChange(oldBounds);
}

void TextView::scrollRangeToVisible(TextRange range) {
  // The line the range starts on, found in the kept layout.
  const float y = kTextInset + caretRect(text_, font_, laidOut(), CaretPlace{range.location, false}).origin.y;
  const float lh = TextMetrics::current().lineHeight(font_);
  scrollRectToVisible(Rect(0, y, bounds().size.width, lh + kTextInset), false);
}

bool TextView::isFirstResponder() const { return Keyboard::shared().firstResponder().get() == this; }

bool TextView::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!editable_) return false;
  auto keep = shared();
  if (!keep) return false;
  if (auto d = delegate_.lock(); d && !d->textViewShouldBeginEditing(*this)) return false;
  if (!Keyboard::shared().attach(keep, this)) return false;
  editing_ = true;
  setNeedsDisplay();
  if (auto d = delegate_.lock()) d->textViewDidBeginEditing(*this);
  NotificationCenter::defaultCenter().post(kTextDidBeginEditingNotification, Value(keep));
  Keyboard::shared().didBeginEditing(this);
  return true;
}

bool TextView::resignFirstResponder() {
  if (!isFirstResponder()) return true;
  auto keep = shared();
  if (auto d = delegate_.lock(); d && !d->textViewShouldEndEditing(*this)) return false;
  Keyboard::shared().detach(this);
  editing_ = false;
  marked_.clear();
  dragAnchor_.reset();
  setNeedsDisplay();
  if (auto d = delegate_.lock()) d->textViewDidEndEditing(*this);
  NotificationCenter::defaultCenter().post(kTextDidEndEditingNotification, Value(keep));
  return true;
}

bool TextView::change(TextRange range, const std::string& replacement, EditHistory::Kind kind) {
  auto keep = shared();
  if (auto d = delegate_.lock(); d && !d->textViewShouldChangeText(*this, range, replacement)) return false;
  if (range.length == 0 && replacement.empty()) return false;
  range = clampRange(text_, range);
  history_.record(kind, range, StringUtil::utf16Substring(text_, range.location, range.length), replacement, selected_);
  std::string before = std::move(text_);
  text_ = replaceTextRange(before, range, replacement);
  // Only the paragraphs the change touched are laid out again.
  const float width = layoutWidth();
  layouts_.update(Size{width, 0}, [&](TextMetrics::Layout& laid) {
    TextMetrics::current().relayout(laid, before, text_, font_, width);
  });
  selected_ = clampRange(text_, TextRange{range.location + StringUtil::utf16Length(replacement), 0});
  caretAtLineEnd_ = false;
  setNeedsDisplay();
  updateContentSize();
  // Typing keeps the caret's line in sight, as the phone's view does.
  if (editing_) scrollRangeToVisible(selected_);
  if (auto d = delegate_.lock()) d->textViewDidChangeSelection(*this);
  if (auto d = delegate_.lock()) d->textViewDidChange(*this);
  NotificationCenter::defaultCenter().post(kTextDidChangeNotification, Value(keep));
  return true;
}

EditState TextView::editState() const {
  return EditState{!text_.empty(), selected_.length > 0, editable_, editing_, false};
}

bool TextView::canPerformAction(const std::string& action, Object*) { return canPerformEditAction(action, editState()); }

void TextView::performAction(const std::string& action, Object* sender) {
  if (canPerformAction(action, sender)) edit(action);
}

bool TextView::performEditCommand(const std::string& action) {
  if (action == "undo:" || action == "redo:") return editing_ && applyHistory(action == "redo:");
  if (!canPerformEditAction(action, editState())) return false;
  edit(action);
  return true;
}

void TextView::edit(const std::string& action) {
  auto keep = shared();
  performEditAction(action, text_, selected_, [this](TextRange range, const std::string& replacement) {
    change(range, withPlainLineBreaks(replacement));
  }, [this](TextRange range) { setSelectedRange(range); });
}

bool TextView::applyHistory(bool redo) {
  auto keep = shared();
  marked_.clear();
  const auto apply = [this](const EditHistory::Change& step) {
    if (!change(step.range, step.text)) return false;
    setSelectedRange(step.select);
    if (editing_) scrollCaretToVisible();
    return true;
  };
  return redo ? history_.redo(apply) : history_.undo(apply);
}

Rect TextView::menuTarget() const {
  if (!editing_) return bounds();
  const auto rects = selectionRects(text_, font_, laidOut(), selected_);
  if (rects.empty()) return bounds();
  Rect target = rects.front();
  for (const Rect& r : rects) target = target.unionWith(r);
  return target.offsetBy(kTextInset, kTextInset);
}

void TextView::insertText(const std::string& text) {
  if (!editing_) return;
  // What the input method commits takes the composition's place.
  marked_.clear();
  change(selected_, withPlainLineBreaks(text), EditHistory::Kind::Typing);
}

void TextView::deleteBackward() {
  if (!editing_) return;
  if (selected_.length > 0) {
    change(selected_, std::string());
    return;
  }
  const EditHistory::Kind kind = EditHistory::Kind::DeleteBackward;
  if (selected_.location == 0) {
    // Nothing before the caret: the delegate is still asked, as the phone's view does when
    // the text is empty; nothing can change.
    if (text_.empty()) change(TextRange{0, 0}, std::string());
    return;
  }
  change(backwardDeleteRange(text_, selected_), std::string(), kind);
}

size_t TextView::offsetAt(Point point) const {
  return caretOffsetAt(text_, font_, laidOut(), Point{point.x - kTextInset, point.y - kTextInset});
}

CaretPlace TextView::placeAt(Point point) const {
  return caretPlaceAt(text_, font_, laidOut(), Point{point.x - kTextInset, point.y - kTextInset});
}

bool TextView::keepsTouchFromScrolling(const Touch&) const { return editing_; }

void TextView::touchesBegan(const TouchSet& touches, const Event& event) {
  dragAnchor_.reset();
  dragged_ = false;
  // The selection stays until the press moves: a long press shows the edit menu for it.
  if (editing_ && !touches.empty()) dragAnchor_ = placeAt(touches.front()->locationInView(this)).offset;
  ScrollView::touchesBegan(touches, event);
}

void TextView::touchesMoved(const TouchSet& touches, const Event& event) {
  ScrollView::touchesMoved(touches, event);
  if (touches.empty() || !dragAnchor_ || !editing_) return;
  const CaretPlace place = placeAt(touches.front()->locationInView(this));
  if (!dragged_ && place.offset == *dragAnchor_) return;
  dragged_ = true;
  marked_.clear();
  auto keep = shared();
  // Past the view's edge the pointer's line is scrolled to: the selection goes on growing.
  selectByReader(motion_.select(*dragAnchor_, place.offset), place.atLineEnd, true);
}

void TextView::touchesCancelled(const TouchSet& touches, const Event& event) {
  dragAnchor_.reset();
  dragged_ = false;
  ScrollView::touchesCancelled(touches, event);
}

void TextView::touchesEnded(const TouchSet& touches, const Event& event) {
  dragAnchor_.reset();
  // A drag made the selection where the button was released.
  if (std::exchange(dragged_, false)) return;
  const Point p = touches.empty() ? Point() : touches.front()->locationInView(this);
  if (editable_ && !touches.empty() && bounds().contains(p)) {
    auto keep = shared();
    marked_.clear();
    if (!becomeFirstResponder() || !editing_) return;
    const CaretPlace place = placeAt(p);
    selectByReader(TextRange{place.offset, 0}, place.atLineEnd, false);
    // A double-click selects the word, a triple-click the paragraph.
    const int taps = touches.front()->tapCount();
    if (taps == 2) {
      selectByReader(wordRangeAt(text_, place.offset), false, false);
    } else if (taps >= 3) {
      selectByReader(paragraphRangeAt(text_, place.offset), false, false);
    }
    return;
  }
  ScrollView::touchesEnded(touches, event);
}

void TextView::draw(Canvas& canvas, const Rect&) {
  const Size content = contentSize();
  const float width = std::max(0.f, content.width - 2 * kTextInset);
  // While the input method composes, the text is drawn with the composition in place of the
  // selection, laid out for this frame alone.
  const bool composing = editing_ && !marked_.empty();
  std::pair<std::string, TextMetrics::Layout> composed;
  if (composing) composed = composedText();
  const std::string& drawnText = composing ? composed.first : text_;
  const TextMetrics::Layout& drawnLayout = composing ? composed.second : laidOut();
  std::vector<Rect> selection;
  std::vector<Rect> underlines;
  if (composing) {
    const TextRange marked{selected_.location, StringUtil::utf16Length(marked_)};
    for (const Rect& r : selectionRects(drawnText, font_, drawnLayout, marked)) {
      underlines.push_back(Rect(r.origin.x + kTextInset, r.maxY() - 1 + kTextInset, r.size.width, 1));
    }
    for (const Rect& r : selectionRects(drawnText, font_, drawnLayout, TextRange{marked.location + markedCursor_, 0})) {
      selection.push_back(r.offsetBy(kTextInset, kTextInset));
    }
  } else if (editing_) {
    // The caret or the selection's highlight of each line (placed for left-aligned lines; an
    // empty view's caret stands where its alignment starts a line).
    float shift = 0;
    if (alignment_ != TextAlignment::Left && text_.empty()) {
      shift = alignment_ == TextAlignment::Center ? width / 2 : width - kCaretWidth;
    }
    for (const Rect& r : selectionRects(text_, font_, laidOut(), selected_, caretAtLineEnd_)) {
      selection.push_back(r.offsetBy(kTextInset + shift, kTextInset));
    }
  }
  // A highlight lies behind the text, a caret in front of it; the selected text is drawn again
  // over its highlight where its own colour would not read there.
  const SelectionLook look = selectionLook(textColor_);
  for (const Rect& r : selection) {
    if (r.size.width > 0) drawSelection(canvas, r, look);
  }
  if (!drawnText.empty()) {
    // The kept lines, only those in sight (the view clips what is scrolled out of it), each
    // where the whole text's drawing puts it.
    const TextMetrics& metrics = TextMetrics::current();
    const TextMetrics::Layout& laid = drawnLayout;
    const float lh = metrics.lineHeight(font_);
    const Rect seen = bounds();
    auto lineAt = [&](float y) {
      return y <= kTextInset || !(lh > 0) ? size_t{0} : static_cast<size_t>((y - kTextInset) / lh);
    };
    const size_t first = std::min(laid.lines.size(), lineAt(seen.minY()));
    const size_t end = std::min(laid.lines.size(), lineAt(seen.maxY()) + 1);
    TextMetrics::Layout shown;
    shown.lines.assign(laid.lines.begin() + static_cast<std::ptrdiff_t>(first),
                       laid.lines.begin() + static_cast<std::ptrdiff_t>(end));
    auto drawShown = [&](const Color& color) {
      metrics.drawLayout(canvas, shown,
                         Rect(kTextInset, kTextInset + static_cast<float>(first) * lh, width,
                              static_cast<float>(end - first) * lh),
                         font_, color, alignment_);
    };
    drawShown(textColor_);
    if (look.text != textColor_) {
      for (const Rect& r : selection) {
        if (r.size.width <= 0) continue;
        canvas.save();
        canvas.clip(r);
        drawShown(look.text);
        canvas.restore();
      }
    }
  }
  if (!underlines.empty()) {
    canvas.save();
    canvas.setFillColor(textColor_);
    for (const Rect& r : underlines) canvas.fillRect(r);
    canvas.restore();
  }
  for (const Rect& r : selection) {
    if (r.size.width <= 0) drawSelection(canvas, r, look);
  }
}

void TextView::willMoveToWindow(Window* newWindow) {
  ScrollView::willMoveToWindow(newWindow);
  if (!newWindow && isFirstResponder()) resignFirstResponder();
}

std::string TextView::dumpDetails() const {
  std::string out = " text=\"" + text_ + "\"";
  if (editing_) out += " editing";
  return out;
}

}  // namespace zu::ui
