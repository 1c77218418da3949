// GraphemeClusters: where one character as a reader sees it ends and the next begins in a text:
// Unicode's extended grapheme clusters, as ICU's character breaks find them — a letter with its
// accents, an emoji with its skin tone or the people a joiner puts together, a flag's two
// letters, a Hangul syllable's jamo, CR LF. A text entry's caret moves over whole clusters and a
// tap puts it only between two, so no key or tap splits what shows as one character.
//
// Offsets are UTF-16 units of the text, as the system counts characters; one past the end is
// the text's length, and an offset beyond it is taken as the length. Invalid UTF-8 reads as
// U+FFFD. Made for one text and asked about it; any thread, one user at a time (the breaks are
// found by an iterator it keeps).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace zu {

class GraphemeClusters {
 public:
  explicit GraphemeClusters(std::string_view utf8);
  ~GraphemeClusters();
  GraphemeClusters(const GraphemeClusters&) = delete;
  GraphemeClusters& operator=(const GraphemeClusters&) = delete;

  // The text's length in UTF-16 units.
  size_t length() const { return text_.size(); }
  // The first boundary after `offset` (the length when none).
  size_t following(size_t offset);
  // The last boundary before `offset` (0 when none).
  size_t preceding(size_t offset);
  // Whether a cluster begins or ends at `offset` (0 and the length always do).
  bool isBoundary(size_t offset);
  // `offset` when it is a boundary, else the boundary before it.
  size_t boundaryAtOrBefore(size_t offset);

 private:
  struct Breaks;
  std::u16string text_;
  std::unique_ptr<Breaks> breaks_;
};

}  // namespace zu
