#include "platform/intl/DateFormatter.h"

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>


#include "platform/intl/IcuTime.h"

namespace zu {

DateFormatter::DateFormatter(std::string pattern, TimeZone zone, std::string locale)
    : pattern_(std::move(pattern)), zone_(std::move(zone)), locale_(std::move(locale)) {}

std::string DateFormatter::format(double secondsSince1970) const {
  UErrorCode status = U_ZERO_ERROR;
  icu::SimpleDateFormat formatter(
      icu::UnicodeString::fromUTF8(pattern_), icu::Locale(locale_.c_str()), status);
  if (U_FAILURE(status)) return {};
  formatter.adoptTimeZone(intl::makeIcuZone(zone_.identifier()).release());
  icu::UnicodeString out;
  formatter.format(intl::icuMillis(secondsSince1970), out);
  std::string utf8;
  out.toUTF8String(utf8);
  return utf8;
}

}  // namespace zu
