// TextInput: what the keyboard stand-in types into — the view that is first responder
// (TextField, TextView) implements it. Main thread only.
//
// Kept from the phone: each typed character goes through insertText as its own change (so the
// delegates see one character at a time), the delete key through deleteBackward, the return
// key through insertReturn (a newline for text views, the return question for fields).
// The desktop's keys come on top: Delete (deleteForward), the caret keys (moveCaret) and Tab,
// which moves the editing to another entry (canBeginEditing, becomeFirstResponder), the input
// method's composition (setMarkedText: shown at the caret, not yet part of the text), the word
// deletions of Ctrl+Backspace and Ctrl+Delete (deleteWord) and undo and redo ("undo:", "redo:"
// through performEditCommand, as the chords Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y ask them).
#pragma once

#include <functional>
#include <string>

#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

enum class KeyboardType { Default = 0, ASCIICapable, NumbersAndPunctuation, URL, NumberPad, PhonePad, NamePhonePad, EmailAddress };
enum class ReturnKeyType { Default = 0, Go, Google, Join, Next, Route, Search, Send, Yahoo, Done, EmergencyCall };

// The keys that move the caret: the arrows, Home (to the line's start) and End (to its end).
enum class CaretMove { Left, Right, Up, Down, LineStart, LineEnd };

// A run of UTF-16 code units in a text, as the phone counts characters.
struct TextRange {
  size_t location = 0;
  size_t length = 0;

  constexpr TextRange() = default;
  constexpr TextRange(size_t at, size_t count) : location(at), length(count) {}
  bool operator==(const TextRange&) const = default;
};

class TextInput {
 public:
  virtual ~TextInput() = default;
  virtual void insertText(const std::string& text) = 0;
  virtual void deleteBackward() = 0;
  virtual void insertReturn() = 0;
  virtual bool hasText() const = 0;
  // Asked by the keyboard before another view takes over; false keeps the keyboard here.
  virtual bool resignFirstResponder() = 0;
  // A standard edit action from a key chord ("selectAll:", "copy:", "paste:", "cut:"), done as
  // the entry itself answers canPerformEditAction now, whatever a screen lets its edit menu
  // offer; false when it does not take the action.
  virtual bool performEditCommand(const std::string& action) = 0;
  // The desktop's Delete: the selection goes, or else the character after the caret (a whole
  // grapheme cluster), asking the delegate as a typed change does.
  virtual void deleteForward() = 0;
  // A caret key (CaretMotion); with `extend` (Shift held) the selection grows or shrinks.
  virtual void moveCaret(CaretMove move, bool extend) = 0;
  // Whether the entry could begin editing now (enabled, editable), and beginning it as a tap
  // does, the caret and the selection kept: how Tab moves the editing (FocusChain).
  virtual bool canBeginEditing() const = 0;
  virtual bool becomeFirstResponder() = 0;
  // The input method's composition: `text` (empty: none) shows in place of the selection,
  // marked, with the caret `cursor` UTF-16 units into it; it is not the entry's text (no
  // delegate, undo step or counter sees it) until the method commits it through insertText,
  // which ends the composition first. Ends with the editing, a tap or a caret key.
  virtual void setMarkedText(const std::string& text, size_t cursor) = 0;
  virtual bool hasMarkedText() const = 0;
  // Where the caret stands (the composition's caret while composing), in the entry's own
  // coordinates: the input method's window opens beside it.
  virtual Rect caretRectInView() const = 0;
  // Ctrl+Backspace (`forward` false) and Ctrl+Delete: the selection goes, or else the word
  // before or after the caret with the blanks and punctuation between (WordBreaks), asking the
  // delegate as a typed change does.
  virtual void deleteWord(bool forward) = 0;
};

// What a text entry is like when the edit menu asks which standard actions it offers.
struct EditState {
  bool hasText = false;
  bool hasSelection = false;
  bool editable = false;
  bool editing = false;
  bool secure = false;  // nothing is copied or cut out of a secure entry
};
// The phone's answers for a text entry: "copy:" with a selection, "cut:" with a selection while
// editable, "paste:" while editing an editable entry with text on the general pasteboard,
// "selectAll:" with text and no selection; nothing else.
bool canPerformEditAction(const std::string& action, const EditState& state);
// Does one of those actions on an entry holding `text` with `selected`: copy and cut put the
// selected text on the general pasteboard; cut and paste change the text through `replace`
// (which asks the entry's delegate); select all selects through `select`.
void performEditAction(const std::string& action, const std::string& text, TextRange selected,
                       const std::function<void(TextRange, const std::string&)>& replace,
                       const std::function<void(TextRange)>& select);

// `text` with the UTF-16 range `range` replaced by `replacement` (a range past the end is cut
// to the text).
std::string replaceTextRange(const std::string& text, TextRange range, const std::string& replacement);
// What Backspace removes from an entry holding `text` with `selected`: the selection, else the
// character (a whole grapheme cluster) before the caret; empty at the start of the text.
TextRange backwardDeleteRange(const std::string& text, TextRange selected);
// What Delete removes from an entry holding `text` with `selected`: the selection, else the
// character (a whole grapheme cluster) after the caret; empty at the end of the text.
TextRange forwardDeleteRange(const std::string& text, TextRange selected);
// What Ctrl+Backspace (Ctrl+Delete when `forward`) removes: the selection, else from the start
// of the word before the caret (to the end of the word after it), the blanks and punctuation
// between included; empty at the text's start (end).
TextRange wordDeleteRange(const std::string& text, TextRange selected, bool forward);
// What a double-click at `offset` selects: the word there (or the run of blanks or
// punctuation), whole grapheme clusters.
TextRange wordRangeAt(const std::string& text, size_t offset);
// What a triple-click at `offset` selects in a many-line box: its paragraph, between the
// newlines around it (neither included).
TextRange paragraphRangeAt(const std::string& text, size_t offset);
// A character that breaks a line: LF, CR (alone or before LF), NEL, and the line and paragraph
// separators U+2028 and U+2029.
bool isLineBreak(char32_t c);
// `text` with its line separators (U+2028, U+2029, U+0085), CR LF and lone CRs as LF: what a
// many-line box takes of a typed or pasted text, so each break draws as one line break.
std::string withPlainLineBreaks(const std::string& text);

}  // namespace zu::ui
