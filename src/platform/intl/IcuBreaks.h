// IcuBreaks: ICU's break iterators over a text, for the finders of characters and words
// (GraphemeClusters, WordBreaks). ICU's rules of each kind are read once and cloned for each
// text, so every finder has an iterator of its own: ICU's iterators are not shared between
// threads. The text is read in place: the caller keeps it, unchanged, while the iterator lives.
#pragma once

#include <unicode/brkiter.h>

#include <memory>
#include <string>

namespace zu {

class IcuBreaks {
 public:
  enum class Kind { Character, Word };
  IcuBreaks() = delete;
  // An iterator of `kind` over `text`; null when ICU's rules could not be read.
  static std::unique_ptr<icu::BreakIterator> over(Kind kind, const std::u16string& text);
};

}  // namespace zu
