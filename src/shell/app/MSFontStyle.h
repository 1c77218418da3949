// MSFontStyle: the two article font styles, their names and the reader's current choice. The
// article page asks for the current style's name to build its page script object; the font
// settings screen shows the names and stores a new choice (with the pack download that style 0
// needs, which lives beside that screen). Class functions only; main thread.
//
// The user defaults keep 1 − style under "kKeyForFontStyle", so an absent value (read as 0) means
// style 1, "黑体". A stored value that maps to no style (a hand-edited or future file) reads as
// style 1 too, so a name is always found.
#pragma once

#include <cstdint>
#include <string>

namespace zu {

class MSFontStyle {
 public:
  static constexpr int kStyleCount = 2;
  static constexpr int kDefaultStyle = 1;

  static int currentFontStyle();
  // The name of style 0 or 1; any other number names the default style.
  static std::string fontStyleNameFor(int style);
  static std::string currentFontStyleName();
};

}  // namespace zu
