// IcuTime: the two conversions the calendar, the formatter and the time zone share when they
// hand a moment to ICU. Internal to platform/intl.
#pragma once

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cmath>
#include <memory>
#include <string_view>

namespace zu::intl {

// An ICU zone for an identifier (ICU's unknown zone, GMT, for one it does not know).
inline std::unique_ptr<icu::TimeZone> makeIcuZone(std::string_view id) {
  return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(
      icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), static_cast<int32_t>(id.size())))));
}

// Seconds since 1970 as ICU's milliseconds, kept within years 0001–9999 (NaN is the epoch).
inline double icuMillis(double secondsSince1970) {
  if (std::isnan(secondsSince1970)) return 0;
  constexpr double kLimit = 253402300799.0;  // 9999-12-31T23:59:59Z
  return std::fmax(-62135596800.0, std::fmin(kLimit, secondsSince1970)) * 1000.0;
}

}  // namespace zu::intl
