#include "platform/intl/GraphemeClusters.h"

#include <algorithm>

#include "platform/intl/IcuBreaks.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

struct GraphemeClusters::Breaks {
  std::unique_ptr<icu::BreakIterator> iterator;
};

namespace {

// A surrogate pair begins at `at` (where ICU's rules could not be read, the breaks fall between
// code points).
bool isPairAt(const std::u16string& text, size_t at) {
  return at + 1 < text.size() && U16_IS_LEAD(text[at]) && U16_IS_TRAIL(text[at + 1]);
}

}  // namespace

GraphemeClusters::GraphemeClusters(std::string_view utf8)
    : text_(StringUtil::toUtf16(utf8)), breaks_(std::make_unique<Breaks>()) {
  // ICU reads the text in place: text_ outlives the iterator, and never changes.
  breaks_->iterator = IcuBreaks::over(IcuBreaks::Kind::Character, text_);
}

GraphemeClusters::~GraphemeClusters() = default;

size_t GraphemeClusters::following(size_t offset) {
  if (offset >= text_.size()) return text_.size();
  if (!breaks_->iterator) return offset + (isPairAt(text_, offset) ? 2 : 1);
  const int32_t next = breaks_->iterator->following(static_cast<int32_t>(offset));
  return next == icu::BreakIterator::DONE ? text_.size() : static_cast<size_t>(next);
}

size_t GraphemeClusters::preceding(size_t offset) {
  offset = std::min(offset, text_.size());
  if (offset == 0) return 0;
  if (!breaks_->iterator) return offset - (offset >= 2 && isPairAt(text_, offset - 2) ? 2 : 1);
  // ICU takes an offset inside a surrogate pair as the pair's start, and would answer the
  // boundary before that: the pair's start is the one before the offset when it is one.
  if (isPairAt(text_, offset - 1)) {
    --offset;
    if (breaks_->iterator->isBoundary(static_cast<int32_t>(offset))) return offset;
  }
  const int32_t before = breaks_->iterator->preceding(static_cast<int32_t>(offset));
  return before == icu::BreakIterator::DONE ? 0 : static_cast<size_t>(before);
}

bool GraphemeClusters::isBoundary(size_t offset) {
  if (offset == 0 || offset >= text_.size()) return true;
  if (!breaks_->iterator) return !isPairAt(text_, offset - 1);
  return breaks_->iterator->isBoundary(static_cast<int32_t>(offset));
}

size_t GraphemeClusters::boundaryAtOrBefore(size_t offset) {
  offset = std::min(offset, text_.size());
  return isBoundary(offset) ? offset : preceding(offset);
}

}  // namespace zu
