// DateFormatter: a moment written in a fixed pattern, as the screens use the phone's date
// formatter ("HH:mm", "M月d日 HH:mm", "yyyy年M月d日", "yy-MM-dd", "MM-dd HH:mm", …). Patterns use
// the Unicode date-field letters (y year, M month, d day, H hour 0–23, m minute, s second);
// other characters, Chinese included, are copied as they are, and text between apostrophes is
// literal. Formatted over ICU in the Gregorian calendar, in the formatter's time zone (the
// default zone at construction) and locale ("zh_CN" unless given: the names of months and
// weekdays, which no pattern the screens use prints).
//
// A plain value; format() is self-contained and may be called from any thread.
#pragma once

#include <string>

#include "platform/intl/TimeZone.h"

namespace zu {

class DateFormatter {
 public:
  explicit DateFormatter(std::string pattern, TimeZone zone = TimeZone::defaultZone(),
                         std::string locale = "zh_CN");

  const std::string& pattern() const { return pattern_; }
  const TimeZone& timeZone() const { return zone_; }
  void setTimeZone(TimeZone zone) { zone_ = std::move(zone); }

  // The moment (seconds since 1970 UTC) in the pattern; an empty text for a pattern ICU refuses.
  std::string format(double secondsSince1970) const;

 private:
  std::string pattern_;
  TimeZone zone_;
  std::string locale_;
};

}  // namespace zu
