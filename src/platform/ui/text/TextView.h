// TextView: a scrolling multi-line text entry — text, font, colour, alignment, editable flag,
// selected range — whose content size follows its text as measured by the current
// TextMetrics. A ScrollView; its delegate is also the scroll delegate. Made with
// std::make_shared; main thread only; the delegate is not retained.
//
// Kept from the phone:
//  - The text sits 8 points inside each edge; the content is as wide as the view and as high
//    as the wrapped lines (at least one, a trailing newline opening one more) plus 16 points.
//  - becomeFirstResponder (editable views only) asks shouldBeginEditing, takes the keyboard,
//    then didBeginEditing; resignFirstResponder asks shouldEndEditing, gives it back, then
//    didEndEditing. Each posts its "UITextViewTextDid…EditingNotification".
//  - Each typed character (a newline too) replaces the selected range after
//    shouldChangeTextInRange agrees; then the caret moves after it, didChangeSelection, didChange
//    and "UITextViewTextDidChangeNotification". Delete replaces the character before the caret
//    (or the selection) by ""; in an empty view the delegate is still asked, and nothing changes.
//    A change made while editing scrolls the caret's line (and the inset under it) into sight;
//    the view clips what is scrolled out of it.
//  - Setting the text or the selected range by code calls no delegate method.
//  - While editing, the selected range is drawn: a caret where it is empty, a highlight behind
//    the selected text of each line otherwise.
//  - A view taken out of its window while editing resigns first responder.
//  - A long press shows the edit menu (MenuController) when the finger lifts, over the caret or
//    the selection (the whole view when not editing); an editable view not yet editing begins
//    editing first, so it can paste.
//  - A tap on an editable view begins editing and places the caret where the finger lifted (the
//    nearest place between two characters of the line under it), ending any selection; the
//    delegate hears didChangeSelection when the range changed.
// Where we differ on purpose: the desktop's keys edit too — Delete, the caret keys (CaretMotion:
// Left and Right over whole characters, Up and Down by a wrapped line, Home and End to its ends,
// Shift extending the selection; the caret's line scrolls into sight) and Tab (FocusChain); the
// delegate hears didChangeSelection for each move that changed the range, as for a tap. Where a
// line wraps with nothing left out (Chinese text, a long word), End, a tap right of the line or
// a move up or down to its end puts the caret at the end of that line, not at the start of the
// next, though both are the same place in the text. The desktop's mouse and chords edit too: in
// a view being edited a press and drag selects from where it went down (the view scrolling to
// the moving end as the pointer passes its edges) instead of scrolling, a double-click selects
// the word (WordBreaks), a triple-click the paragraph; Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y undo and
// redo (EditHistory, cleared when the text is set by code); Ctrl+Backspace and Ctrl+Delete
// remove a word. A typed or pasted text's line separators and CRs come in as newlines
// (withPlainLineBreaks), so each break draws one. The input method's composition shows at the
// caret, underlined, and is not the view's text until committed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/ui/text/CaretMotion.h"
#include "platform/ui/text/EditHistory.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/text/TextLayoutCache.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class TextView;

class TextViewDelegate : public ScrollViewDelegate {
 public:
  virtual bool textViewShouldBeginEditing(TextView&) { return true; }
  virtual bool textViewShouldEndEditing(TextView&) { return true; }
  virtual void textViewDidBeginEditing(TextView&) {}
  virtual void textViewDidEndEditing(TextView&) {}
  virtual bool textViewShouldChangeText(TextView&, TextRange, const std::string& /*replacement*/) { return true; }
  virtual void textViewDidChange(TextView&) {}
  virtual void textViewDidChangeSelection(TextView&) {}
};

class TextView : public ScrollView, public TextInput {
 public:
  static constexpr float kTextInset = 8;
  inline static const char* const kTextDidChangeNotification = "UITextViewTextDidChangeNotification";
  inline static const char* const kTextDidBeginEditingNotification = "UITextViewTextDidBeginEditingNotification";
  inline static const char* const kTextDidEndEditingNotification = "UITextViewTextDidEndEditingNotification";

  explicit TextView(const Rect& frame = Rect());
  ~TextView() override;

  // Also the scroll view's delegate.
  void setDelegate(std::weak_ptr<TextViewDelegate> delegate);
  std::shared_ptr<TextViewDelegate> textDelegate() const { return delegate_.lock(); }

  const std::string& text() const { return text_; }
  void setText(std::string text);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  const Color& textColor() const { return textColor_; }
  void setTextColor(const Color& color);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  bool isEditable() const { return editable_; }
  void setEditable(bool editable);
  TextRange selectedRange() const { return selected_; }
  // Clamped to the text.
  void setSelectedRange(TextRange range);
  unsigned dataDetectorTypes() const { return dataDetectorTypes_; }
  void setDataDetectorTypes(unsigned types) { dataDetectorTypes_ = types; }
  KeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  void scrollRangeToVisible(TextRange range);

  bool isEditing() const { return editing_; }
  bool isFirstResponder() const;
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;

  // --- TextInput
  void insertText(const std::string& text) override;
  void deleteBackward() override;
  void insertReturn() override { insertText("\n"); }
  bool hasText() const override { return !text_.empty(); }
  bool performEditCommand(const std::string& action) override;
  void deleteForward() override;
  void moveCaret(CaretMove move, bool extend) override;
  bool canBeginEditing() const override { return editable_; }
  void setMarkedText(const std::string& text, size_t cursor) override;
  bool hasMarkedText() const override { return !marked_.empty(); }
  Rect caretRectInView() const override;
  void deleteWord(bool forward) override;
  const EditHistory& history() const { return history_; }
  // The selection ends, the caret at its end (Escape hiding the edit menu).
  void endSelection() override;
  // The caret stands at the end of its line where that is also the next line's start.
  bool isCaretAtLineEnd() const { return caretAtLineEnd_; }
  // The caret offset (UTF-16) nearest to `point`, in the view's coordinates.
  size_t offsetAt(Point point) const;

  // The edit menu's standard actions as a plain text view answers them: "copy:" with a
  // selection, "cut:" with a selection while editable, "paste:" while editing with text on the
  // general pasteboard, "selectAll:" with text and no selection.
  bool canPerformAction(const std::string& action, Object* sender) override;
  void performAction(const std::string& action, Object* sender) override;

  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;
  // While editing, a drag in the view selects instead of scrolling it.
  bool keepsTouchFromScrolling(const Touch& touch) const override;
  // Leaving the window while editing resigns, so the keyboard goes with the view.
  void willMoveToWindow(Window* newWindow) override;

 protected:
  void boundsDidChange(const Rect& oldBounds) override;

 private:
  void updateContentSize();
  // The width the text is wrapped at: the view's, less the inset on either side.
  float layoutWidth() const;
  // The text laid out at the view's width (word wrap): made once per change of the font, the
  // width or the metrics, and kept for the frames, the caret and the content size; an edit lays
  // out again only the paragraphs it touched (TextMetrics::relayout).
  const TextMetrics::Layout& laidOut() const;
  // The text with the input method's composition in place of the selection, and its layout.
  std::pair<std::string, TextMetrics::Layout> composedText() const;
  // Where the edit menu points: the caret or selection while editing, else the view.
  Rect menuTarget() const;
  bool change(TextRange range, const std::string& replacement, EditHistory::Kind kind = EditHistory::Kind::Other);
  // Undoes or redoes the last step of the history; false when there was none to make.
  bool applyHistory(bool redo);
  // The caret's place nearest `point` (the view's coordinates) in the text.
  CaretPlace placeAt(Point point) const;
  // Selects `range` as the reader's tap or key did (the caret at its line's end when
  // `atLineEnd`), scrolling the caret's line into sight when `scroll`; the delegate hears of a
  // changed range.
  void selectByReader(TextRange range, bool atLineEnd, bool scroll);
  void scrollCaretToVisible();
  EditState editState() const;
  // Does a standard edit action the caller has checked.
  void edit(const std::string& action);

  std::weak_ptr<TextViewDelegate> delegate_;
  std::string text_;
  Font font_ = Font::systemFont(12);
  Color textColor_ = Color::blackColor();
  TextAlignment alignment_ = TextAlignment::Left;
  bool editable_ = true;
  TextRange selected_;
  CaretMotion motion_;
  EditHistory history_;
  std::string marked_;        // the input method's composition
  size_t markedCursor_ = 0;   // the caret in it (UTF-16)
  std::optional<size_t> dragAnchor_;  // where a press in the view being edited went down
  bool dragged_ = false;              // that press has moved the selection
  bool caretAtLineEnd_ = false;
  unsigned dataDetectorTypes_ = 0;
  KeyboardType keyboardType_ = KeyboardType::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  bool editing_ = false;
  mutable TextLayoutCache layouts_;
};

}  // namespace zu::ui
