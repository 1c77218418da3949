// TextInput: what the keyboard stand-in types into — the view that is first responder
// (TextField, TextView) implements it. Main thread only.
//
// Kept from the phone: each typed character goes through insertText as its own change (so the
// delegates see one character at a time), the delete key through deleteBackward, the return
// key through insertReturn (a newline for text views, the return question for fields).
// The desktop's keys come on top: Delete (deleteForward), the caret keys (moveCaret) and Tab,
// which moves the editing to another entry (canBeginEditing, becomeFirstResponder).
#pragma once

#include <functional>
#include <string>

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

}  // namespace zu::ui
