#include "platform/intl/WordBreaks.h"

#include <unicode/ubrk.h>

#include <algorithm>

#include "platform/intl/IcuBreaks.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

struct WordBreaks::Breaks {
  std::unique_ptr<icu::BreakIterator> iterator;
};

namespace {

bool isBlankOrPunctuation(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u3000' || c == u'\u00A0' ||
         (c < 0x80 && !((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')));
}

}  // namespace

WordBreaks::WordBreaks(std::string_view utf8) : text_(StringUtil::toUtf16(utf8)), breaks_(std::make_unique<Breaks>()) {
  // ICU reads the text in place: text_ outlives the iterator, and never changes.
  breaks_->iterator = IcuBreaks::over(IcuBreaks::Kind::Word, text_);
}

WordBreaks::~WordBreaks() = default;

std::pair<size_t, bool> WordBreaks::next(size_t offset) {
  if (offset >= text_.size()) return {text_.size(), false};
  if (!breaks_->iterator) {
    // Without ICU's rules: runs of blanks and ASCII punctuation, and runs of everything else.
    const bool word = !isBlankOrPunctuation(text_[offset]);
    size_t end = offset + 1;
    while (end < text_.size() && !isBlankOrPunctuation(text_[end]) == word) ++end;
    return {end, word};
  }
  const int32_t end = breaks_->iterator->following(static_cast<int32_t>(offset));
  if (end == icu::BreakIterator::DONE) return {text_.size(), false};
  return {static_cast<size_t>(end), breaks_->iterator->getRuleStatus() >= UBRK_WORD_NONE_LIMIT};
}

size_t WordBreaks::previous(size_t offset) {
  offset = std::min(offset, text_.size());
  if (offset == 0) return 0;
  if (!breaks_->iterator) {
    const bool word = !isBlankOrPunctuation(text_[offset - 1]);
    size_t start = offset - 1;
    while (start > 0 && !isBlankOrPunctuation(text_[start - 1]) == word) --start;
    return start;
  }
  const int32_t start = breaks_->iterator->preceding(static_cast<int32_t>(offset));
  return start == icu::BreakIterator::DONE ? 0 : static_cast<size_t>(start);
}

std::pair<size_t, size_t> WordBreaks::segmentAt(size_t offset) {
  offset = std::min(offset, text_.size());
  if (text_.empty()) return {0, 0};
  if (offset == text_.size()) return {previous(offset), offset};
  const auto [end, word] = next(offset);
  const size_t start = previous(end);
  // Just after a word, before something that is not one: the word.
  if (!word && start == offset && offset > 0) {
    const size_t before = previous(offset);
    if (next(before).second) return {before, offset};
  }
  return {start, end};
}

size_t WordBreaks::wordStartBefore(size_t offset) {
  size_t end = std::min(offset, text_.size());
  while (end > 0) {
    const size_t start = previous(end);
    if (next(start).second) return start;
    end = start;
  }
  return 0;
}

size_t WordBreaks::wordEndAfter(size_t offset) {
  size_t start = std::min(offset, text_.size());
  while (start < text_.size()) {
    const auto [end, word] = next(start);
    if (word) return end;
    start = end;
  }
  return text_.size();
}

}  // namespace zu
