// ClusterLimit: how many marks one visible character may carry when text is measured and drawn.
// A character followed by marks (combining accents, joiners, variation selectors, skin tones:
// LineBreaker::extendsPrevious) is one cluster, shaped as a whole; past a few dozen marks
// nothing more can be seen (they stack far above the line), while a cluster of a megabyte would
// be shaped on every frame. So the marks after the first kMaxMarks of a run are left out: the
// line layout (TextMetrics) drops them from the lines it makes, and Pango measures and draws
// them as nothing, whoever hands it the text, so measuring and drawing still agree.
//
// Used as a filter over one text's characters in order: keeps(c) for each (inline: it runs over
// every character of a text that is laid out). Any thread; one instance per pass.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zu::ui {

class ClusterLimit {
 public:
  static constexpr size_t kMaxMarks = 32;

  ClusterLimit();

  // Whether `c`, the next character of the text, is measured and drawn.
  bool keeps(char32_t c) {
    if (!isMark(c)) {
      marks_ = 0;
      return true;
    }
    return ++marks_ <= kMaxMarks;
  }

 private:
  bool isMark(char32_t c) const {
    if (c < 0x300) return false;  // nothing below the first combining mark extends a character
    if (c < 0x10000) return (bmpMarks_[c >> 6] >> (c & 63)) & 1;
    return isAstralMark(c);
  }
  static bool isAstralMark(char32_t c);

  const uint64_t* bmpMarks_;  // a bit per character of the Basic Multilingual Plane
  size_t marks_ = 0;          // marks since the last character that is not one
};

}  // namespace zu::ui
