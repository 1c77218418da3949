// TextInput: what the keyboard stand-in types into — the view that is first responder
// (TextField, TextView) implements it. Main thread only.
//
// Kept from the phone: each typed character goes through insertText as its own change (so the
// delegates see one character at a time), the delete key through deleteBackward, the return
// key through insertReturn (a newline for text views, the return question for fields).
#pragma once

#include <string>

namespace zu::ui {

enum class KeyboardType { Default = 0, ASCIICapable, NumbersAndPunctuation, URL, NumberPad, PhonePad, NamePhonePad, EmailAddress };
enum class ReturnKeyType { Default = 0, Go, Google, Join, Next, Route, Search, Send, Yahoo, Done, EmergencyCall };

// A run of UTF-16 code units in a text, as the phone counts characters.
struct TextRange {
  size_t location = 0;
  size_t length = 0;
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
};

// `text` with the UTF-16 range `range` replaced by `replacement` (a range past the end is cut
// to the text).
std::string replaceTextRange(const std::string& text, TextRange range, const std::string& replacement);
// The range of the last character (a surrogate pair counts as one), or {0, 0} for empty text.
TextRange lastCharacterRange(const std::string& text);

}  // namespace zu::ui
