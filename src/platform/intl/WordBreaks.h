// WordBreaks: where words begin and end in a text, as ICU's word breaks find them (Chinese and
// Japanese split into words by ICU's dictionary), for what a text entry does with whole words:
// a double-click selects the word under it, Ctrl+Backspace and Ctrl+Delete remove the word
// before or after the caret. A segment between two breaks is a word when ICU's rules say it
// holds letters, digits, kana or ideographs; blanks and punctuation are runs of their own.
//
// Offsets are UTF-16 units of the text, as the system counts characters; an offset beyond the
// end is taken as the length. Invalid UTF-8 reads as U+FFFD. Made for one text and asked about
// it; any thread, one user at a time (ICU's break iterators are not shared between threads:
// each object clones its own).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace zu {

class WordBreaks {
 public:
  explicit WordBreaks(std::string_view utf8);
  ~WordBreaks();
  WordBreaks(const WordBreaks&) = delete;
  WordBreaks& operator=(const WordBreaks&) = delete;

  size_t length() const { return text_.size(); }
  // The segment (start, end) that holds the character at `offset`; at the text's end, the last
  // one. Where `offset` lies just after a word and before blanks or punctuation, the word (a
  // double-click right of a word's last letter selects that word).
  std::pair<size_t, size_t> segmentAt(size_t offset);
  // Where the word before `offset` begins, the blanks and punctuation between skipped (0 when
  // no word lies before); where the word after `offset` ends, the same way (the length when none).
  size_t wordStartBefore(size_t offset);
  size_t wordEndAfter(size_t offset);

 private:
  // The break after `offset` and whether the segment that ends there is a word.
  std::pair<size_t, bool> next(size_t offset);
  // The break before `offset` (0 when none).
  size_t previous(size_t offset);

  struct Breaks;
  std::u16string text_;
  std::unique_ptr<Breaks> breaks_;
};

}  // namespace zu
