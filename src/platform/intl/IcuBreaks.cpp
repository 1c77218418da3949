#include "platform/intl/IcuBreaks.h"

#include <unicode/locid.h>

namespace zu {

namespace {

const icu::BreakIterator* rulesOf(IcuBreaks::Kind kind) {
  auto read = [](IcuBreaks::Kind which) {
    UErrorCode status = U_ZERO_ERROR;
    icu::BreakIterator* made = which == IcuBreaks::Kind::Word
                                   ? icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status)
                                   : icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status);
    if (U_FAILURE(status)) {
      delete made;
      return static_cast<icu::BreakIterator*>(nullptr);
    }
    return made;
  };
  static const icu::BreakIterator* const characters = read(IcuBreaks::Kind::Character);
  static const icu::BreakIterator* const words = read(IcuBreaks::Kind::Word);
  return kind == IcuBreaks::Kind::Word ? words : characters;
}

}  // namespace

std::unique_ptr<icu::BreakIterator> IcuBreaks::over(Kind kind, const std::u16string& text) {
  const icu::BreakIterator* rules = rulesOf(kind);
  if (!rules) return nullptr;
  std::unique_ptr<icu::BreakIterator> iterator(rules->clone());
  UErrorCode status = U_ZERO_ERROR;
  UText* shown = utext_openUChars(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
  if (U_SUCCESS(status)) iterator->setText(shown, status);
  utext_close(shown);  // the iterator keeps a copy of its own
  if (U_FAILURE(status)) return nullptr;
  return iterator;
}

}  // namespace zu
