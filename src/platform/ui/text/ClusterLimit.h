// ClusterLimit: how many characters that show nothing of their own may follow a visible one
// when text is measured and drawn. Such characters — marks (combining accents, variation
// selectors, skin tones: LineBreaker::extendsPrevious), characters joined to the one before by a
// zero-width joiner, characters that take no room and show nothing (zero-width spaces and
// joiners, direction marks, soft hyphens, tags: Unicode's default-ignorable characters) and
// control characters drawn as nothing — either make one cluster with that character, shaped as a
// whole, or add nothing to be seen; past a few dozen nothing more can be seen (marks stack far
// above the line), while a run of a megabyte would be shaped on every frame. So those after the
// first kMaxMarks of a run are left out: the line layout (TextMetrics) drops them from the lines
// it makes, and Pango measures and draws them as nothing, whoever hands it the text, so
// measuring and drawing still agree.
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

  // Inline, so that no call made while a text is read can be taken to reach the instance: its
  // state then stays in registers over a megabyte of characters.
  ClusterLimit() : bmpTable_(bmpTable()) {}

  // Whether `c`, the next character of the text, is measured and drawn.
  bool keeps(char32_t c) {
    const bool joined = joined_;
    joined_ = c == 0x200D;
    if (!joined && !showsNothing(c)) {
      marks_ = 0;
      return true;
    }
    return ++marks_ <= kMaxMarks;
  }

  // Control characters other than tab and newline (C0, DEL, C1): kept in a text but drawn and
  // measured as nothing, where Pango would draw a box with the code's hex digits.
  static bool isHiddenControl(char32_t c) {
    return (c < 0x20 && c != U'\t' && c != U'\n') || (c >= 0x7F && c < 0xA0);
  }

 private:
  bool showsNothing(char32_t c) const {
    if (c >= 0x20 && c < 0x7F) return false;  // printable ASCII
    if (c < 0x10000) return (bmpTable_[c >> 6] >> (c & 63)) & 1;
    return astralShowsNothing(c);
  }
  static bool astralShowsNothing(char32_t c);
  static const uint64_t* bmpTable();

  const uint64_t* bmpTable_;  // a bit per character of the Basic Multilingual Plane
  size_t marks_ = 0;          // characters showing nothing since the last one that shows
  bool joined_ = false;       // the character before was a zero-width joiner
};

}  // namespace zu::ui
