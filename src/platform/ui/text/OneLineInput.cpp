#include "platform/ui/text/OneLineInput.h"

#include <algorithm>

#include "platform/intl/GraphemeClusters.h"
#include "platform/runtime/StringUtil.h"

namespace zu::ui {

namespace {

// How far past the room the characters that follow are read to find where the last whole
// character that fits ends: a cluster longer than this (a run of marks) is cut inside it.
constexpr size_t kLookaheadUnits = 64;

size_t unitsOf(char32_t c) { return c >= 0x10000 ? 2 : 1; }

// Reads the characters of `text` from byte `i` as a one-line field takes them, one at a time.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  // The next character kept (a tab as a blank), with the line breaks read before it counted
  // in `breaks`; false at the end.
  bool next(char32_t& c, size_t& breaks) {
    breaks = 0;
    while (i_ < text_.size()) {
      c = StringUtil::decodeNext(text_, i_);
      if (c == U'\r') {
        if (i_ < text_.size() && text_[i_] == '\n') ++i_;
        ++breaks;
      } else if (isLineBreak(c)) {
        ++breaks;
      } else if (c == U'\t') {
        c = U' ';
        return true;
      } else if (!OneLineInput::drops(c)) {
        return true;
      }
    }
    return false;
  }

 private:
  std::string_view text_;
  size_t i_ = 0;
};

}  // namespace

bool OneLineInput::drops(char32_t c) { return StringUtil::isControl(c) || StringUtil::isBidiControl(c); }

OneLineInput::Taken OneLineInput::take(std::string_view inserted, std::string_view text, TextRange range) {
  const size_t length = StringUtil::utf16Length(text);
  const size_t start = std::min(range.location, length);
  const size_t kept = length - std::min(range.length, length - start);
  const size_t room = kept >= kMaxLength ? 0 : kMaxLength - kept;

  Taken taken;
  size_t units = 0;
  Reader reader(inserted);
  char32_t c = 0;
  size_t breaks = 0;
  while (reader.next(c, breaks)) {
    // Breaks between two characters are blanks; those before the first are dropped (and those
    // after the last never come to be written).
    const size_t blanks = taken.text.empty() ? 0 : breaks;
    if (units + blanks + unitsOf(c) > room) {
      taken.cut = true;
      break;
    }
    taken.text.append(blanks, ' ');
    StringUtil::appendUtf8(taken.text, c);
    units += blanks + unitsOf(c);
  }
  if (!taken.cut || taken.text.empty()) return taken;

  // Cut where the last whole character that fits ends: what follows may still belong to it (an
  // accent, a skin tone, the other half of a flag).
  std::string around = taken.text;
  size_t aroundUnits = units;
  while (breaks == 0 && aroundUnits < units + kLookaheadUnits) {  // a blank ends a character
    StringUtil::appendUtf8(around, c);
    aroundUnits += unitsOf(c);
    if (!reader.next(c, breaks)) break;
  }
  GraphemeClusters clusters(around);
  const size_t end = clusters.boundaryAtOrBefore(units);
  if (end < units) taken.text = StringUtil::utf16Prefix(taken.text, end);
  return taken;
}

}  // namespace zu::ui
