// TextField: a one-line text entry — text or placeholder, font, border style, secure entry,
// clear button — that edits while it is first responder, asking its delegate at each step.
// A Control (editing events are control events). Made with std::make_shared; main thread only;
// its delegate is not retained.
//
// Kept from the phone:
//  - becomeFirstResponder asks shouldBeginEditing (refusal: false, nothing changes), takes the
//    keyboard from the view that had it (which may refuse), clears the text when
//    clearsOnBeginEditing, then didBeginEditing and the EditingDidBegin event. A tap on the
//    field does the same. resignFirstResponder asks shouldEndEditing, then gives the keyboard
//    back, didEndEditing and EditingDidEnd.
//  - Each typed character and each delete asks shouldChangeCharactersInRange (UTF-16 range of
//    the text, the replacement; a delete replaces the last character, a surrogate pair as one,
//    by ""); a refusal leaves the text alone. An accepted change sends EditingChanged and posts
//    "UITextFieldTextDidChangeNotification" with the field. Setting the text by code does
//    neither.
//  - Return asks shouldReturn; a yes sends EditingDidEndOnExit. Nothing is inserted.
//  - The clear button (clearButtonTapped) asks shouldClear, then empties the text as a change.
//    Whether it shows follows clearButtonMode and whether the field edits and has text.
//  - Secure entry shows one bullet per character.
//  - leftView and rightView are subviews shown as their modes say (whatever the text), at their
//    own size, vertically centred, just inside the border's margin; the clear button sits left
//    of a shown right view, and the text runs between whatever shows at either end. The
//    *RectForBounds functions tell where each part goes.
//  - background is drawn over the whole field in place of the border style's drawing.
//  - While editing, the selected range is drawn: a caret where it is empty, a highlight behind
//    the selected text otherwise. Typing replaces the selection and puts the caret after what
//    was typed; delete removes the selection, or the character before the caret (a whole one:
//    a flag, people a joiner puts together, a letter with its accents). Setting the text by
//    code puts the caret at its end.
//  - A field taken out of its window while editing resigns first responder.
//  - A tap puts the caret where the finger lifted (the nearest place between two characters of
//    the line as it showed), ending a selection, whether or not the field was editing before;
//    on a secure field's bullets, between two characters of the text whatever bullets show them.
//  - The edit menu's standard actions as TextView answers them (no copy or cut out of a secure
//    field); a long press shows the menu over the text when the finger lifts, a field not yet
//    editing beginning to edit first. A pasted text comes onto the one line (its line breaks
//    become blanks, those at its ends go).
// Typed and pasted text is taken as OneLineInput says: controls and bidi controls dropped, at
// most OneLineInput::kMaxLength characters, a cut told by its notification.
// Where we differ on purpose: the desktop's keys edit too — Delete, the caret keys (CaretMotion:
// Left and Right over whole characters, Home and End to the text's ends; Up and Down do nothing
// on one line) and Tab (FocusChain). While a field is edited, its line scrolls sideways so that
// the caret (the end of a selection that keys move) stays in sight, and no room is left blank
// at the right while text scrolled out at the left could fill it; it shows from its start
// again when the editing ends. Only the characters in sight are measured, so a pasted
// megabyte costs a key what a short text does. The desktop's mouse and chords edit too: in a
// field being edited a press and drag selects from where it went down (the line scrolling as
// the pointer passes its ends), a double-click selects the word (WordBreaks), a triple-click
// the whole line; Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y undo and redo (EditHistory, per field,
// cleared when the text is set by code, and for a secure field when its editing ends);
// Ctrl+Backspace and Ctrl+Delete remove a word (in a secure field, all before or after the caret). The input method's composition shows at the
// caret, underlined (bullets in a secure field), and is not the field's text until committed. A background image without caps is drawn as if stretchable at
// its middle column and row rather than scaled whole, so the rounded ends of a field picture
// keep their shape at any width; one with caps is drawn with them. The placeholder is drawn in
// placeholderTextColor(), a grey of 45 % (a paler one falls under 3:1 on a white field), so
// it reads on the light fields and bars it sits on; setPlaceholderColor gives a field on a dark
// ground its own (the phone's attributed placeholder).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controls/Control.h"
#include "platform/ui/text/CaretMotion.h"
#include "platform/ui/text/EditHistory.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

class Image;
class TextField;

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };
enum class ControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

class TextFieldDelegate {
 public:
  virtual ~TextFieldDelegate() = default;
  virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
  virtual void textFieldDidBeginEditing(TextField&) {}
  virtual bool textFieldShouldEndEditing(TextField&) { return true; }
  virtual void textFieldDidEndEditing(TextField&) {}
  virtual bool textFieldShouldChangeCharacters(TextField&, TextRange, const std::string& /*replacement*/) {
    return true;
  }
  virtual bool textFieldShouldClear(TextField&) { return true; }
  virtual bool textFieldShouldReturn(TextField&) { return true; }
};

class TextField : public Control, public TextInput {
 public:
  inline static const char* const kTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

  explicit TextField(const Rect& frame = Rect());
  ~TextField() override;

  void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }

  const std::string& text() const { return text_; }
  void setText(std::string text);
  // UTF-16 range of the text; clamped to it.
  TextRange selectedRange() const { return selected_; }
  void setSelectedRange(TextRange range);
  const std::optional<std::string>& placeholder() const { return placeholder_; }
  static Color placeholderTextColor() { return Color::white(0.45f); }
  void setPlaceholder(std::optional<std::string> placeholder);
  // The placeholder's colour: the one set, else placeholderTextColor().
  Color placeholderColor() const { return placeholderColor_.value_or(placeholderTextColor()); }
  void setPlaceholderColor(std::optional<Color> color);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  const Color& textColor() const { return textColor_; }
  void setTextColor(const Color& color);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  TextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(TextBorderStyle style);
  bool isSecureTextEntry() const { return secure_; }
  void setSecureTextEntry(bool secure);
  TextFieldViewMode clearButtonMode() const { return clearMode_; }
  void setClearButtonMode(TextFieldViewMode mode);
  bool clearsOnBeginEditing() const { return clearsOnBegin_; }
  void setClearsOnBeginEditing(bool clears) { clearsOnBegin_ = clears; }
  ControlContentVerticalAlignment contentVerticalAlignment() const { return verticalAlignment_; }
  void setContentVerticalAlignment(ControlContentVerticalAlignment a);
  KeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  bool autocorrects() const { return autocorrects_; }
  void setAutocorrects(bool on) { autocorrects_ = on; }
  bool autocapitalizes() const { return autocapitalizes_; }
  void setAutocapitalizes(bool on) { autocapitalizes_ = on; }
  const std::shared_ptr<Image>& background() const { return background_; }
  void setBackground(std::shared_ptr<Image> image);
  const std::shared_ptr<View>& leftView() const { return leftView_; }
  void setLeftView(std::shared_ptr<View> view);
  TextFieldViewMode leftViewMode() const { return leftViewMode_; }
  void setLeftViewMode(TextFieldViewMode mode);
  const std::shared_ptr<View>& rightView() const { return rightView_; }
  void setRightView(std::shared_ptr<View> view);
  TextFieldViewMode rightViewMode() const { return rightViewMode_; }
  void setRightViewMode(TextFieldViewMode mode);

  // Where each part goes in `bounds` in the field's present state; the side rectangles are
  // where the views would go when shown.
  Rect textRectForBounds(const Rect& bounds) const;
  Rect leftViewRectForBounds(const Rect& bounds) const;
  Rect rightViewRectForBounds(const Rect& bounds) const;
  Rect clearButtonRectForBounds(const Rect& bounds) const;

  bool isEditing() const { return editing_; }
  bool isFirstResponder() const;
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  // The clear button is shown now.
  bool showsClearButton() const;
  // A tap on the clear button; false when it is not shown or the delegate refused.
  bool clearButtonTapped();
  // Empties the text as the clear button does (asks shouldClear, then sends the change), for a
  // control that brings its own clear button; false when refused or already empty.
  bool clearText();
  // The clear button's picture: a grey disc with a white cross, drawn once.
  static std::shared_ptr<Image> clearButtonImage();

  // --- TextInput
  void insertText(const std::string& text) override;
  void deleteBackward() override;
  void insertReturn() override;
  bool hasText() const override { return !text_.empty(); }
  bool performEditCommand(const std::string& action) override;
  void deleteForward() override;
  void moveCaret(CaretMove move, bool extend) override;
  bool canBeginEditing() const override { return isEnabled(); }
  void setMarkedText(const std::string& text, size_t cursor) override;
  bool hasMarkedText() const override { return !marked_.empty(); }
  Rect caretRectInView() const override;
  void deleteWord(bool forward) override;
  const EditHistory& history() const { return history_; }
  // The selection ends, the caret at its end (Escape hiding the edit menu).
  void endSelection() override;
  // The first character in sight while editing (UTF-16 offset; 0 when not editing).
  size_t scrolledFrom() const { return scrollFrom_; }

  bool canPerformAction(const std::string& action, Object* sender) override;
  void performAction(const std::string& action, Object* sender) override;

  // The text as drawn (bullets for secure entry).
  std::string displayText() const;

  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;
  // A drag in a field being edited selects: a scrolling list around it leaves it the touch.
  bool keepsTouchFromScrolling(const Touch& touch) const override;
  // Leaving the window while editing resigns, so the keyboard goes with the field.
  void willMoveToWindow(Window* newWindow) override;
  void layoutSubviews() override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 protected:
  // Whether a side view shows now: it exists and its mode says so (a kind of field may ask more).
  virtual bool showsLeftView() const { return leftView_ && modeShows(leftViewMode_); }
  virtual bool showsRightView() const { return rightView_ && modeShows(rightViewMode_); }

 private:
  // Replaces `range` by what the field takes of `inserted` after asking the delegate; true when
  // it changed.
  bool change(TextRange range, const std::string& inserted, EditHistory::Kind kind = EditHistory::Kind::Other);
  // Undoes or redoes the last step of the history; false when there was none to make.
  bool applyHistory(bool redo);
  // The text as drawn (bullets for secure entry) with the composition in place of the
  // selection, and where the caret stands in it (UTF-16).
  std::string composedDisplay() const;
  size_t shownCaret() const;
  // The place between two characters of the text nearest `x` on the line as it shows now; left
  // of the line, the character before the first in sight (a drag scrolls on that way).
  size_t offsetAtX(float x) const;
  EditState editState() const;
  // Does a standard edit action the caller has checked.
  void edit(const std::string& action);
  bool modeShows(TextFieldViewMode mode) const;
  // The text as drawn (bullets for secure entry) from UTF-16 offset `from`.
  std::string utf16SuffixOfDisplay(size_t from) const;
  // Scrolls the line so that the caret shows (see above); back to the start when not editing.
  void keepCaretInSight();
  // Where the line `shown` (the text in sight) starts on the field, by the alignment.
  float lineX(const std::string& shown) const;
  // The margin between the border and what lies inside it.
  float edgeInset() const;
  // Text, editing state or modes changed: redraw, and place the side views again.
  void contentChanged();
  void replaceSideView(std::shared_ptr<View>& slot, std::shared_ptr<View> view);

  std::weak_ptr<TextFieldDelegate> delegate_;
  std::string text_;
  TextRange selected_;
  CaretMotion motion_;
  EditHistory history_;
  std::string marked_;        // the input method's composition
  size_t markedCursor_ = 0;   // the caret in it (UTF-16)
  std::optional<size_t> dragAnchor_;  // where a press in the field being edited went down
  bool dragged_ = false;              // that press has moved the selection
  size_t scrollFrom_ = 0;  // the first character in sight while editing (UTF-16)
  std::optional<std::string> placeholder_;
  std::optional<Color> placeholderColor_;
  Font font_ = Font::systemFont(12);
  Color textColor_ = Color::blackColor();
  TextAlignment alignment_ = TextAlignment::Left;
  TextBorderStyle borderStyle_ = TextBorderStyle::None;
  bool secure_ = false;
  TextFieldViewMode clearMode_ = TextFieldViewMode::Never;
  bool clearsOnBegin_ = false;
  ControlContentVerticalAlignment verticalAlignment_ = ControlContentVerticalAlignment::Top;
  KeyboardType keyboardType_ = KeyboardType::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  bool autocorrects_ = true;
  bool autocapitalizes_ = true;
  bool editing_ = false;
  std::shared_ptr<Image> background_;
  std::shared_ptr<View> leftView_;
  std::shared_ptr<View> rightView_;
  TextFieldViewMode leftViewMode_ = TextFieldViewMode::Never;
  TextFieldViewMode rightViewMode_ = TextFieldViewMode::Never;
};

}  // namespace zu::ui
