// OneLineInput: what a one-line field (TextField) takes of a text typed or pasted into it, so
// that a name, a password or a search holds only what a person could mean and reads as it is:
//  - each line break (CR LF, LF, CR, the next line, line and paragraph separators) becomes a
//    blank, and those at the inserted text's start and end are dropped, so a line copied with
//    the break that ended it comes in as it reads; a tab is a blank;
//  - other control characters (C0, DEL, C1) and the characters that reorder what is drawn
//    (bidi embeddings, overrides, isolates and direction marks: StringUtil::isBidiControl) are
//    dropped: they show nothing a reader could check, would go to the service and the log as
//    they are, and an override draws "gnp.exe" as "exe.png";
//  - the field holds at most kMaxLength UTF-16 units (4,096: far past any name, password,
//    address or search a person types, and short enough that a field's every step stays
//    cheap). What does not fit is cut at the last whole character (grapheme cluster) that does,
//    and the field posts kTextCutNotification with itself as the object, so the screen host can
//    tell the reader (a toast). The cut is made while the inserted text is read: a pasted
//    hundred megabytes is read only as far as the room goes (and through what is dropped), and
//    never copied, laid out or measured whole.
// Invalid UTF-8 comes in as U+FFFD. Setting a field's text by code takes it as it is.
//
// Stateless; any thread (the field calls it on the main thread).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ui/text/TextInput.h"

namespace zu::ui {

class OneLineInput {
 public:
  OneLineInput() = delete;

  static constexpr size_t kMaxLength = 4096;
  inline static const char* const kTextCutNotification = "ZUTextFieldTextCutNotification";

  struct Taken {
    std::string text;  // what the field takes
    bool cut = false;  // characters that would have been kept did not fit
    bool operator==(const Taken&) const = default;
  };

  // What a field holding `text` takes of `inserted` in place of its UTF-16 range `range`.
  static Taken take(std::string_view inserted, std::string_view text, TextRange range);

  // Whether a one-line field drops `c` wherever it comes (line breaks and tabs are not dropped:
  // they become blanks).
  static bool drops(char32_t c);
};

}  // namespace zu::ui
